#include "Cli.h"

#include "common/TextFormats.h"
#include "link/Modbus.h"

#include <QDir>
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
    "Kod wyjścia: 0 powodzenie, 1 wskaźnik nie odpowiada lub odpowiada błędnie,\n"
    "2 błędne wywołanie.\n";

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

} // namespace

int runCli(const QStringList &args, QString &out, QString &err)
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
    if (o.device.isEmpty() == (o.port < 0))
        return usage(err, QStringLiteral("podaj albo --device, albo --port"));
    if (o.command.isEmpty())
        return usage(err, QStringLiteral("brak polecenia"));

    const QString verb = o.command.first();
    int start = 0;
    bool is32 = false;
    std::vector<double> values;
    int count = 0;
    if (verb == QLatin1String("read")) {
        if (o.command.size() != 3 || !parseInt(o.command.at(1), 0, 65535, start) ||
            !parseInt(o.command.at(2), 1, 2000, count) || !rangeOf(start, count, is32))
            return usage(err, QStringLiteral("read START LICZBA: rejestry 4000-5999 albo 7500-8099"));
    } else if (verb == QLatin1String("write")) {
        if (o.command.size() < 3 || !parseInt(o.command.at(1), 0, 65535, start))
            return usage(err, QStringLiteral("write START WARTOŚĆ..."));
        count = static_cast<int>(o.command.size()) - 2;
        if (!rangeOf(start, count, is32))
            return usage(err, QStringLiteral("write: rejestry 4000-5999 albo 7500-8099"));
        for (int k = 2; k < o.command.size(); ++k) {
            const QString &t = o.command.at(k);
            int word = 0;
            if (!is32 && parseInt(t, 0, 65535, word)) {
                values.push_back(word);
            } else if (is32 && parseDecimal(t)) {
                values.push_back(*parseDecimal(t));
            } else {
                return usage(err, QStringLiteral("błędna wartość %1").arg(t));
            }
        }
    } else {
        return usage(err, QStringLiteral("nieznane polecenie %1").arg(verb));
    }

    RegisterImage image;
    PortSettings settings;
    std::uint8_t address = static_cast<std::uint8_t>(o.address);
    PortMap ports;
    if (o.device.isEmpty()) {
        ports.load(QDir::currentPath());
        settings.portIndex = static_cast<std::uint8_t>(o.port);
    } else {
        ports.setPath(0, o.device);
        settings.portIndex = 0;
    }
    settings.modeKind = static_cast<std::uint8_t>(o.modeKind);
    settings.speedIndex = static_cast<std::uint8_t>(o.speedIndex);
    ModbusLink link(image, settings, address, ports);
    if (link.OpenPort(settings.portIndex, settings.modeKind, settings.speedIndex) < 0) {
        err += QStringLiteral("k71t-cli: nie można otworzyć portu %1\n").arg(link.openError());
        return CliMeterFailed;
    }

    const int chunk = verb == QLatin1String("read") ? (is32 ? ReadChunk32 : ReadChunk16)
                                                     : (is32 ? WriteChunk32 : WriteChunk16);
    for (int done = 0; done < count; done += chunk) {
        const int first = start + done;
        const int n = std::min(chunk, count - done);
        bool ok;
        if (verb == QLatin1String("read")) {
            ok = is32 ? link.ReadBlock32(first, n) : link.ReadBlock16(first, n);
            sleepMs(10);
        } else {
            for (int k = 0; k < n; ++k) {
                if (is32)
                    image.reg32(first + k) = static_cast<float>(values[done + k]);
                else
                    image.reg16(first + k) = static_cast<std::uint16_t>(values[done + k]);
            }
            ok = is32 ? link.WriteBlock32(first, n) : link.WriteBlock16(first, n);
        }
        if (!ok) {
            err += QStringLiteral("k71t-cli: wskaźnik nie odpowiada lub odpowiada błędnie (rejestry %1-%2)\n")
                       .arg(first)
                       .arg(first + n - 1);
            return CliMeterFailed;
        }
    }
    if (verb == QLatin1String("read")) {
        for (int k = 0; k < count; ++k) {
            const int reg = start + k;
            const QString value = is32 ? QString::number(image.reg32(reg), 'g', 9) : QString::number(image.reg16(reg));
            out += QStringLiteral("%1\t%2\n").arg(reg).arg(value);
        }
    }
    return CliOk;
}

} // namespace k71t
