#include "Cli.h"

#include "common/TextFormats.h"
#include "archive/ArchiveFiles.h"
#include "archive/Download.h"
#include "common/Clock.h"
#include "link/Modbus.h"

#include <QDate>
#include <QDir>
#include <QTime>
#include <vector>

namespace k71t {

namespace {

const char *const Help =
    "Użycie: k71t-cli (--device ŚCIEŻKA | --port COMn) [--address N] [--speed BAUD]\n"
    "                 [--mode 8N2|8N1|8E1|8O1] POLECENIE ...\n"
    "\n"
    "Polecenia:\n"
    "  read START LICZBA     odczytuje rejestry 16-bitowe (4000-5999) lub\n"
    "                        zmiennoprzecinkowe (7500-8099), zależnie od adresu;\n"
    "                        wypisuje wiersze REJESTR<TAB>WARTOŚĆ\n"
    "  write START WARTOŚĆ...  zapisuje kolejne rejestry od START: liczby całkowite\n"
    "                        0-65535 dla 4000-5999, liczby z kropką dla 7500-8099\n"
    "  download --out KATALOG [--delete]\n"
    "                        pobiera całe archiwum do pliku RRRR-MM-DD_gg_mm_ss_ADRES.bin\n"
    "                        w KATALOGU; wypisuje ścieżkę pliku i statystykę; --delete\n"
    "                        kasuje archiwum w K71T dopiero po zapisaniu pliku\n"
    "  export PLIK.bin PLIK.dat --from RRRR-MM-DD --to RRRR-MM-DD\n"
    "         [--from-time GG:MM:SS --to-time GG:MM:SS]\n"
    "                        dopisuje zakres dat (dla jednego dnia także godzin)\n"
    "                        do pliku tekstowego .dat; nie potrzebuje portu\n"
    "\n"
    "Opcje:\n"
    "  --device ŚCIEŻKA  port szeregowy podany ścieżką urządzenia\n"
    "  --port COMn       port COM1..COM8 (ports.conf w bieżącym katalogu\n"
    "                    i zmienne K71T_COMn wskazują urządzenie)\n"
    "  --address N       adres wskaźnika 1-247 (domyślnie 1)\n"
    "  --speed BAUD      2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200\n"
    "                    (domyślnie 115200)\n"
    "  --mode TRYB       8N2, 8N1, 8E1 lub 8O1 (domyślnie 8N2)\n"
    "\n"
    "Kod wyjścia: 0 powodzenie (także puste archiwum), 1 wskaźnik nie odpowiada,\n"
    "odpowiada błędnie albo pliku nie da się odczytać lub zapisać, 2 błędne wywołanie.\n";

constexpr int ReadChunk16 = 100;
constexpr int ReadChunk32 = 50;
constexpr int WriteChunk16 = 80;
constexpr int WriteChunk32 = 50;

struct Options {
    QString device;
    int port = -1;
    int address = 1;
    int speedIndex = 7;
    int modeKind = 1;
    QStringList command;
};

int usage(QString &err, const QString &why)
{
    err += QStringLiteral("k71t-cli: %1\nSpróbuj: k71t-cli --help\n").arg(why);
    return CliUsage;
}

bool parseInt(const QString &text, int low, int high, int &out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    out = v;
    return true;
}

// Checks that START .. START+COUNT-1 lies in one register range.
bool rangeOf(int start, int count, bool &is32)
{
    if (count < 1)
        return false;
    if (RegisterImage::is16(start) && RegisterImage::is16(start + count - 1)) {
        is32 = false;
        return true;
    }
    if (RegisterImage::is32(start) && RegisterImage::is32(start + count - 1)) {
        is32 = true;
        return true;
    }
    return false;
}

struct Link {
    RegisterImage image;
    PortSettings settings;
    std::uint8_t address = 1;
    PortMap ports;
    ModbusLink link{image, settings, address, ports};
};

// Opens the port named by the options; false with the reason in `err`.
bool openLink(const Options &o, Link &l, QString &err)
{
    l.address = static_cast<std::uint8_t>(o.address);
    if (o.device.isEmpty()) {
        l.ports.load(QDir::currentPath());
        l.settings.portIndex = static_cast<std::uint8_t>(o.port);
    } else {
        l.ports.setPath(0, o.device);
        l.settings.portIndex = 0;
    }
    l.settings.modeKind = static_cast<std::uint8_t>(o.modeKind);
    l.settings.speedIndex = static_cast<std::uint8_t>(o.speedIndex);
    if (l.link.OpenPort(l.settings.portIndex, l.settings.modeKind, l.settings.speedIndex) < 0) {
        err += QStringLiteral("k71t-cli: nie można otworzyć portu %1\n").arg(l.link.openError());
        return false;
    }
    return true;
}

int runRegisters(const Options &o, QString &out, QString &err)
{
    const QString verb = o.command.first();
    int start = 0;
    bool is32 = false;
    std::vector<double> values;
    int count = 0;
    if (verb == QLatin1String("read")) {
        if (o.command.size() != 3 || !parseInt(o.command.at(1), 0, 65535, start) ||
            !parseInt(o.command.at(2), 1, 2000, count) || !rangeOf(start, count, is32))
            return usage(err, QStringLiteral("read START LICZBA: rejestry 4000-5999 albo 7500-8099"));
    } else {
        if (o.command.size() < 3 || !parseInt(o.command.at(1), 0, 65535, start))
            return usage(err, QStringLiteral("write START WARTOŚĆ..."));
        count = static_cast<int>(o.command.size()) - 2;
        if (!rangeOf(start, count, is32))
            return usage(err, QStringLiteral("write: rejestry 4000-5999 albo 7500-8099"));
        for (int k = 2; k < o.command.size(); ++k) {
            const QString &t = o.command.at(k);
            int word = 0;
            if (!is32 && parseInt(t, 0, 65535, word))
                values.push_back(word);
            else if (is32 && parseDecimal(t))
                values.push_back(*parseDecimal(t));
            else
                return usage(err, QStringLiteral("błędna wartość %1").arg(t));
        }
    }

    Link l;
    if (!openLink(o, l, err))
        return CliMeterFailed;
    const bool reading = verb == QLatin1String("read");
    const int chunk = reading ? (is32 ? ReadChunk32 : ReadChunk16) : (is32 ? WriteChunk32 : WriteChunk16);
    for (int done = 0; done < count; done += chunk) {
        const int first = start + done;
        const int n = std::min(chunk, count - done);
        bool ok;
        if (reading) {
            ok = is32 ? l.link.ReadBlock32(first, n) : l.link.ReadBlock16(first, n);
            sleepMs(10);
        } else {
            for (int k = 0; k < n; ++k) {
                if (is32)
                    l.image.reg32(first + k) = static_cast<float>(values[static_cast<std::size_t>(done + k)]);
                else
                    l.image.reg16(first + k) = static_cast<std::uint16_t>(values[static_cast<std::size_t>(done + k)]);
            }
            ok = is32 ? l.link.WriteBlock32(first, n) : l.link.WriteBlock16(first, n);
        }
        if (!ok) {
            err += QStringLiteral("k71t-cli: wskaźnik nie odpowiada lub odpowiada błędnie (rejestry %1-%2)\n")
                       .arg(first)
                       .arg(first + n - 1);
            return CliMeterFailed;
        }
    }
    if (reading) {
        for (int k = 0; k < count; ++k) {
            const int reg = start + k;
            const QString value =
                is32 ? QString::number(l.image.reg32(reg), 'g', 9) : QString::number(l.image.reg16(reg));
            out += QStringLiteral("%1\t%2\n").arg(reg).arg(value);
        }
    }
    return CliOk;
}

int secondsSinceMidnight(const Clock &clock)
{
    const QTime t = clock.now().time();
    return t.hour() * 3600 + t.minute() * 60 + t.second();
}

int runDownload(const Options &o, const Clock &clock, QString &out, QString &err)
{
    QString dir;
    bool erase = false;
    for (int i = 1; i < o.command.size(); ++i) {
        if (o.command.at(i) == QLatin1String("--out") && i + 1 < o.command.size())
            dir = o.command.at(++i);
        else if (o.command.at(i) == QLatin1String("--delete"))
            erase = true;
        else
            return usage(err, QStringLiteral("download --out KATALOG [--delete]"));
    }
    if (dir.isEmpty())
        return usage(err, QStringLiteral("download --out KATALOG [--delete]"));
    if (!QDir(dir).exists()) {
        err += QStringLiteral("k71t-cli: brak katalogu %1\n").arg(dir);
        return CliMeterFailed;
    }

    Link l;
    if (!openLink(o, l, err))
        return CliMeterFailed;
    auto store = std::make_unique<RecordStore>();
    ArchiveDownload download(l.link, l.image, *store);
    const int started = secondsSinceMidnight(clock);
    const int n = download.DownloadAll();
    int seconds = secondsSinceMidnight(clock) - started;
    if (seconds < 0)
        seconds += 24 * 3600;
    if (n < 0) {
        err += QStringLiteral("k71t-cli: Błąd transmisji lub urządzenie nie podłączone\n");
        return CliMeterFailed;
    }
    if (n == 0) {
        err += QStringLiteral("k71t-cli: Archiwum jest puste\n");
        return CliOk;
    }
    // The meter is cleared only once the file is complete on disk.
    const QString path = QDir(dir).filePath(BinFileName(clock.now(), o.address));
    QString error;
    if (!SaveBin(path, *store, n, l.image, &error)) {
        err += QStringLiteral("k71t-cli: nie można zapisać %1: %2; archiwum w K71T nie zostało skasowane\n")
                   .arg(path, error);
        return CliMeterFailed;
    }
    out += path + QLatin1Char('\n') + downloadStatistics(n, seconds) + QLatin1Char('\n');
    if (erase && !download.DeleteArchive()) {
        err += QStringLiteral("k71t-cli: Kasowanie archiwum nie powiodło się.\n");
        return CliMeterFailed;
    }
    return CliOk;
}

int dateKeyOf(const QString &text)
{
    const QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return d.isValid() ? d.year() * 10000 + d.month() * 100 + d.day() : -1;
}

int timeKeyOf(const QString &text)
{
    const QTime t = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
    return t.isValid() ? t.hour() * 10000 + t.minute() * 100 + t.second() : -1;
}

int runExport(const QStringList &command, const Clock &clock, QString &err)
{
    const QString syntax = QStringLiteral(
        "export PLIK.bin PLIK.dat --from RRRR-MM-DD --to RRRR-MM-DD [--from-time GG:MM:SS --to-time GG:MM:SS]");
    if (command.size() < 3)
        return usage(err, syntax);
    const QString bin = command.at(1);
    const QString dat = command.at(2);
    int start = -1, stop = -1, tstart = 0, tstop = 235959;
    for (int i = 3; i < command.size(); i += 2) {
        if (i + 1 >= command.size())
            return usage(err, syntax);
        const QString &key = command.at(i);
        const QString &value = command.at(i + 1);
        if (key == QLatin1String("--from"))
            start = dateKeyOf(value);
        else if (key == QLatin1String("--to"))
            stop = dateKeyOf(value);
        else if (key == QLatin1String("--from-time"))
            tstart = timeKeyOf(value);
        else if (key == QLatin1String("--to-time"))
            tstop = timeKeyOf(value);
        else
            return usage(err, syntax);
        if (start == -1 && key == QLatin1String("--from"))
            return usage(err, QStringLiteral("błędna data %1").arg(value));
        if (stop == -1 && key == QLatin1String("--to"))
            return usage(err, QStringLiteral("błędna data %1").arg(value));
        if (tstart < 0 || tstop < 0)
            return usage(err, QStringLiteral("błędny czas %1").arg(value));
    }
    if (start < 0 || stop < 0)
        return usage(err, syntax);
    if (start != stop) { // times count only within a single day
        tstart = 0;
        tstop = 235959;
    }
    auto store = std::make_unique<RecordStore>();
    RegisterImage image;
    bool tooLarge = false;
    const int n = LoadBin(bin, *store, image, &tooLarge);
    if (n < 1) {
        err += tooLarge ? QStringLiteral("k71t-cli: %1 zawiera więcej rekordów, niż program mieści\n").arg(bin)
                        : QStringLiteral("k71t-cli: Archiwum jest puste lub plik nie został załadowany (%1)\n").arg(bin);
        return CliMeterFailed;
    }
    QString error;
    if (!ExportDat(dat, *store, n, start, stop, tstart, tstop, clock.now(), &error)) {
        err += QStringLiteral("k71t-cli: nie można zapisać %1: %2\n").arg(datFileName(dat), error);
        return CliMeterFailed;
    }
    return CliOk;
}

} // namespace

int runCli(const QStringList &args, QString &out, QString &err)
{
    SystemClock clock;
    return runCli(args, clock, out, err);
}

int runCli(const QStringList &args, const Clock &clock, QString &out, QString &err)
{
    Options o;
    int i = 0;
    for (; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out += QString::fromUtf8(Help);
            return CliOk;
        }
        if (!a.startsWith(QLatin1String("--")))
            break;
        if (i + 1 >= args.size())
            return usage(err, QStringLiteral("brak wartości opcji %1").arg(a));
        const QString v = args.at(++i);
        if (a == QLatin1String("--device")) {
            o.device = v;
        } else if (a == QLatin1String("--port")) {
            if (!v.toUpper().startsWith(QLatin1String("COM")) || !parseInt(v.mid(3), 1, 8, o.port))
                return usage(err, QStringLiteral("błędny port %1 (COM1..COM8)").arg(v));
            --o.port;
        } else if (a == QLatin1String("--address")) {
            if (!parseInt(v, 1, 247, o.address))
                return usage(err, QStringLiteral("błędny adres %1 (1-247)").arg(v));
        } else if (a == QLatin1String("--speed")) {
            int baud = 0;
            o.speedIndex = -1;
            if (parseInt(v, 1, 1000000, baud))
                for (int s = 0; s < 8; ++s)
                    if (SpeedTable[s] == baud)
                        o.speedIndex = s;
            if (o.speedIndex < 0)
                return usage(err, QStringLiteral("nieobsługiwana prędkość %1").arg(v));
        } else if (a == QLatin1String("--mode")) {
            o.modeKind = QStringList{"8N1", "8N2", "8E1", "8O1"}.indexOf(v.toUpper());
            if (o.modeKind < 0)
                return usage(err, QStringLiteral("nieznany tryb %1").arg(v));
        } else {
            return usage(err, QStringLiteral("nieznana opcja %1").arg(a));
        }
    }
    o.command = args.mid(i);
    if (o.command.isEmpty())
        return usage(err, QStringLiteral("brak polecenia"));
    const QString verb = o.command.first();
    if (verb == QLatin1String("export"))
        return runExport(o.command, clock, err);
    if (verb != QLatin1String("read") && verb != QLatin1String("write") && verb != QLatin1String("download"))
        return usage(err, QStringLiteral("nieznane polecenie %1").arg(verb));
    if (o.device.isEmpty() == (o.port < 0))
        return usage(err, QStringLiteral("podaj albo --device, albo --port"));
    if (verb == QLatin1String("download"))
        return runDownload(o, clock, out, err);
    return runRegisters(o, out, err);
}

} // namespace k71t
