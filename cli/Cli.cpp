#include "Cli.h"
#include "CliParts.h"

#include "archive/ArchiveFiles.h"
#include "archive/ArchiveJob.h"
#include "common/Clock.h"
#include "common/DateFormats.h"
#include "common/TextFormats.h"
#include "config/BulkTransfer.h"
#include "config/ConfigFile.h"
#include "config/RegisterMap.h"
#include "config/StandardConfig.h"
#include "config/SystemStatus.h"
#include "monitor/MonitorModel.h"
#include "link/MeterLink.h"

#include <QDir>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace k71t {

namespace {

const char *const Help = "Użycie: k71t-cli (--device ŚCIEŻKA | --port COMn) [--address N] [--speed BAUD]\n"
                         "                 [--mode 8N2|8N1|8E1|8O1] POLECENIE ...\n"
                         "\n"
                         "Polecenia:\n"
                         "  read START LICZBA     odczytuje rejestry 16-bitowe (4000-5999) lub\n"
                         "                        zmiennoprzecinkowe (7500-8099), zależnie od adresu;\n"
                         "                        wypisuje wiersze REJESTR<TAB>WARTOŚĆ\n"
                         "  write START WARTOŚĆ...  zapisuje kolejne rejestry od START: liczby całkowite\n"
                         "                        0-65535 dla 4000-5999, liczby z kropką dla 7500-8099\n"
                         "  download --out KATALOG [--delete] [--db]\n"
                         "                        pobiera całe archiwum do pliku RRRR-MM-DD_gg_mm_ss_ADRES.bin\n"
                         "                        w KATALOGU (zajęta nazwa dostaje przyrostek _2, _3, ...);\n"
                         "                        wypisuje ścieżkę pliku i statystykę; --delete kasuje\n"
                         "                        archiwum w K71T dopiero po zapisaniu pliku; --db umieszcza\n"
                         "                        dane w bazie danych MySQL (ustawienia z sql.conf lub\n"
                         "                        --sql-conf) i, jak okno \"Archiwum\", kasuje archiwum w K71T\n"
                         "  status                odczytuje status K71T (rejestry 4039-4054 i 4005) i wypisuje\n"
                         "                        go tak jak okno \"Parametry systemowe\"\n"
                         "  clock sync            czeka do początku następnej minuty zegara komputera\n"
                         "                        i zapisuje ją do zegara K71T\n"
                         "  clock set RRRR-MM-DD GG:MM\n"
                         "                        zapisuje podaną datę i czas do zegara K71T\n"
                         "                        (automatyczna zmiana czasu pozostaje jak w K71T)\n"
                         "  watch [--interval S] [--count N]\n"
                         "                        odczyt monitora co S sekund (domyślnie 1, od 0.1), N razy\n"
                         "                        (domyślnie bez końca); wiersz na odczyt, rozdzielany\n"
                         "                        tabulatorami: czas, wartość wyświetlana, minimum, maksimum,\n"
                         "                        wyjście analogowe [%], wypełnienie archiwum [%], bity\n"
                         "                        urządzeń 4050, bity alarmów 4052; \"*\" gdy brak wartości\n"
                         "  config read PLIK.k71t odczytuje całą konfigurację K71T (jak \"Odczytaj konfigurację\n"
                         "                        z K71T\") i zapisuje ją w pliku konfiguracyjnym\n"
                         "  config write PLIK.k71t --yes\n"
                         "                        zapisuje konfigurację z pliku do K71T (jak \"Zapisz\n"
                         "                        konfigurację do K71T\"); kasuje archiwum w K71T, stąd --yes;\n"
                         "                        wskaźnik zachowuje adres podany w --address, prędkość i tryb\n"
                         "                        interfejsów bierze z pliku (nowe parametry portu są wypisywane)\n"
                         "  export PLIK.bin PLIK.dat --from RRRR-MM-DD --to RRRR-MM-DD\n"
                         "         [--from-time GG:MM:SS --to-time GG:MM:SS]\n"
                         "                        dopisuje zakres dat (dla jednego dnia także godzin)\n"
                         "                        do pliku tekstowego .dat; wypisuje ścieżkę pliku i liczbę\n"
                         "                        zapisanych wierszy; nie potrzebuje portu\n"
                         "  tasks list            wypisuje zadania automatycznego pobierania archiwum z auto.conf\n"
                         "                        bieżącego katalogu; nie potrzebuje portu\n"
                         "  tasks run [--delay S] wykonuje zadania z auto.conf tak jak okno \"Automatyczne\n"
                         "                        pobieranie archiwum\" (po S sekundach, domyślnie 60), aż do\n"
                         "                        SIGINT lub SIGTERM (kończy bieżące zadanie); pliki .bin do\n"
                         "                        ./Archives, dziennik na wyjście i do ./automat.log, baza danych\n"
                         "                        z ./sql.conf lub --sql-conf\n"
                         "  db settings [--server NAZWA] [--port N] [--database NAZWA] [--table NAZWA]\n"
                         "         [--user NAZWA] [--password HASŁO | --password-file PLIK] [--compression 0|1]\n"
                         "         [--support on|off]\n"
                         "                        bez opcji wypisuje ustawienia bazy danych z sql.conf;\n"
                         "                        z opcjami zmienia podane pola i zapisuje plik (na komputerze\n"
                         "                        bez pulpitu zamiast okna \"MySQL\")\n"
                         "  db create-table       zakłada tablicę archiwum w bazie danych MySQL\n"
                         "  db store PLIK.bin [--address N] [--from RRRR-MM-DD --to RRRR-MM-DD\n"
                         "         [--from-time GG:MM:SS --to-time GG:MM:SS]]\n"
                         "                        umieszcza archiwum z pliku .bin (całe albo zakres dat)\n"
                         "                        w tablicy jako dane wskaźnika o adresie N (domyślnie 1)\n"
                         "  db import PLIK.dat --address N\n"
                         "                        umieszcza wiersze danych pliku .dat w tablicy jako dane\n"
                         "                        wskaźnika o adresie N\n"
                         "                        Polecenia db nie potrzebują portu; ustawienia bazy biorą\n"
                         "                        z pliku sql.conf bieżącego katalogu (zapisuje go okno\n"
                         "                        \"MySQL\" programu) albo z pliku podanego w --sql-conf\n"
                         "  monthly KATALOG --out KATALOG_DOCELOWY\n"
                         "                        tworzy archiwum miesięczne z plików dziennych DAY_01.DAT ..\n"
                         "                        DAY_31.DAT katalogu karty pamięci (.../ARCHIVES/RRRR/MM/):\n"
                         "                        plik K71T_RRRRMM_Dn.DAT dla każdego urządzenia z danymi;\n"
                         "                        wypisuje zapisane pliki z liczbą wierszy danych; stare pliki\n"
                         "                        zostają nietknięte, gdy tworzenie się nie uda; nie potrzebuje portu\n"
                         "\n"
                         "Opcje:\n"
                         "  --device ŚCIEŻKA  port szeregowy podany ścieżką urządzenia\n"
                         "  --port COMn       port COM1..COM8 (ports.conf w bieżącym katalogu\n"
                         "                    i zmienne K71T_COMn wskazują urządzenie)\n"
                         "  --address N       adres wskaźnika 1-247 (domyślnie 1)\n"
                         "  --speed BAUD      2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200\n"
                         "                    (domyślnie 115200)\n"
                         "  --mode TRYB       8N2, 8N1, 8E1 lub 8O1 (domyślnie 8N2)\n"
                         "  --sql-conf PLIK   ustawienia bazy danych (domyślnie ./sql.conf)\n"
                         "\n"
                         "Kod wyjścia: 0 powodzenie (także puste archiwum), 1 wskaźnik nie odpowiada,\n"
                         "odpowiada błędnie, pliku nie da się odczytać lub zapisać albo baza danych nie\n"
                         "przyjęła wszystkich danych, 2 błędne wywołanie.\n";

constexpr int ReadChunk16 = 100;
constexpr int ReadChunk32 = 50;
constexpr int WriteChunk16 = 80;
constexpr int WriteChunk32 = 50;




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
            else if (is32 && parseDecimal(t) && std::fabs(*parseDecimal(t)) <= FLT_MAX)
                values.push_back(*parseDecimal(t));
            else
                return usage(err, QStringLiteral("błędna wartość %1").arg(t));
        }
    }

    MeterLink l;
    if (!openLink(o, l, err))
        return CliMeterFailed;
    const bool reading = verb == QLatin1String("read");
    const int chunk = reading ? (is32 ? ReadChunk32 : ReadChunk16) : (is32 ? WriteChunk32 : WriteChunk16);
    for (int done = 0; done < count; done += chunk) {
        const int first = start + done;
        const int n = std::min(chunk, count - done);
        bool ok;
        if (reading) {
            ok = l.link.readRegisters(first, n);
            sleepMs(10);
        } else {
            for (int k = 0; k < n; ++k) {
                if (is32)
                    l.image.reg32(first + k) = static_cast<float>(values[static_cast<std::size_t>(done + k)]);
                else
                    l.image.reg16(first + k) = static_cast<std::uint16_t>(values[static_cast<std::size_t>(done + k)]);
            }
            ok = l.link.writeRegisters(first, n);
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

int runDownload(const Options &o, const QString &sqlConf, const Clock &clock, QString &out, QString &err,
                const CliLineSink &progress)
{
    const QString syntax = QStringLiteral("download --out KATALOG [--delete] [--db]");
    QString dir;
    bool erase = false, toDatabase = false;
    for (int i = 1; i < o.command.size(); ++i) {
        if (o.command.at(i) == QLatin1String("--out") && i + 1 < o.command.size())
            dir = o.command.at(++i);
        else if (o.command.at(i) == QLatin1String("--delete"))
            erase = true;
        else if (o.command.at(i) == QLatin1String("--db"))
            toDatabase = true;
        else
            return usage(err, syntax);
    }
    if (dir.isEmpty())
        return usage(err, syntax);
    if (!QDir(dir).exists()) {
        err += QStringLiteral("k71t-cli: brak katalogu %1\n").arg(dir);
        return CliMeterFailed;
    }
    DatabaseSettings database;
    if (toDatabase && !loadSqlConf(sqlConf, database, err))
        return CliMeterFailed;

    MeterLink l;
    if (!openLink(o, l, err))
        return CliMeterFailed;
    auto store = std::make_unique<RecordStore>();
    ArchiveDownload download(l.link, l.image, *store);
    ArchiveJob job(download, *store, l.image, clock);
    SqlConnection connection;
    const StoreProgress shown = progressOn(progress, QStringLiteral("Dodawanie rekordów do bazy danych"));
    job.databaseStep = [&](int n, int address, QString *report) {
        const bool stored = storeDownloadedArchive(connection, database, *store, n, address, report, shown);
        if (progress)
            progress(QStringLiteral("\n"));
        return stored;
    };
    ArchiveJobRequest request;
    request.directory = dir;
    request.meterAddress = o.address;
    // Rows stored from a meter that keeps its archive would be stored again
    // after the next download: like the archive window, the database clears.
    request.deleteAfter = erase || toDatabase;
    request.toDatabase = toDatabase;
    const ArchiveJobOutcome outcome = job.run(request);
    int status = CliOk;
    for (const ArchiveJobStep &step : describeOutcome(outcome)) {
        switch (step.kind) {
        case ArchiveJobStep::Kind::DownloadFailed:
            err += QStringLiteral("k71t-cli: Błąd transmisji lub urządzenie nie podłączone\n");
            return CliMeterFailed;
        case ArchiveJobStep::Kind::Empty: err += QStringLiteral("k71t-cli: Archiwum jest puste\n"); return CliOk;
        case ArchiveJobStep::Kind::Downloaded:
            out += step.path + QLatin1Char('\n') + downloadStatistics(outcome.records, outcome.seconds) +
                   QLatin1Char('\n');
            break;
        case ArchiveJobStep::Kind::SaveFailed:
            err += QStringLiteral("k71t-cli: nie można zapisać %1: %2; archiwum w K71T nie zostało skasowane\n")
                       .arg(step.path, step.reason);
            return CliMeterFailed;
        case ArchiveJobStep::Kind::Deleted: break;
        case ArchiveJobStep::Kind::DeleteFailed:
            err += QStringLiteral("k71t-cli: Kasowanie archiwum nie powiodło się.\n");
            status = CliMeterFailed;
            break;
        case ArchiveJobStep::Kind::Stored: out += QStringLiteral("Dane umieszczone w bazie danych\n"); break;
        case ArchiveJobStep::Kind::StoreFailed:
            err += QStringLiteral("k71t-cli: Błąd podczas zapisu do bazy danych: %1\n")
                       .arg(QString(step.reason).replace(QLatin1Char('\n'), QLatin1Char(' ')));
            status = CliMeterFailed;
            break;
        }
    }
    return status;
}

int runExport(const QStringList &command, const Clock &clock, QString &out, QString &err)
{
    const QString syntax = QStringLiteral(
        "export PLIK.bin PLIK.dat --from RRRR-MM-DD --to RRRR-MM-DD [--from-time GG:MM:SS --to-time GG:MM:SS]");
    if (command.size() < 3)
        return usage(err, syntax);
    const QString bin = command.at(1);
    const QString dat = command.at(2);
    RangeOptions range;
    if (const int status = parseRange(command.mid(3), syntax, range, err); status != CliOk)
        return status;
    if (!range.given)
        return usage(err, syntax);
    const int start = range.start, stop = range.stop, tstart = range.tstart, tstop = range.tstop;
    auto store = std::make_unique<RecordStore>();
    const int n = loadArchive(bin, *store, err);
    if (n < 1)
        return CliMeterFailed;
    QString error;
    int rows = 0;
    if (!exportDat(dat, *store, n, start, stop, tstart, tstop, clock.now(), &error, &rows)) {
        err += QStringLiteral("k71t-cli: nie można zapisać %1: %2\n").arg(datFileName(dat), error);
        return CliMeterFailed;
    }
    out += datFileName(dat) + QStringLiteral("\nZapisano wierszy: %1\n").arg(rows);
    return CliOk;
}

} // namespace

bool parseInt(const QString &text, int low, int high, int &out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    out = v;
    return true;
}

int loadArchive(const QString &bin, RecordStore &store, QString &err)
{
    RegisterImage image;
    bool tooLarge = false;
    const int n = loadBin(bin, store, image, &tooLarge);
    if (n < 1)
        err += tooLarge ? QStringLiteral("k71t-cli: %1 zawiera więcej rekordów, niż program mieści\n").arg(bin)
                        : QStringLiteral("k71t-cli: Archiwum jest puste lub plik nie został załadowany (%1)\n").arg(bin);
    return n;
}

bool openLink(const Options &o, MeterLink &l, QString &err)
{
    l.meterAddress = static_cast<std::uint8_t>(o.address);
    if (o.device.isEmpty()) {
        for (const QString &warning : l.portMap.load(QDir::currentPath()))
            err += QStringLiteral("k71t-cli: %1\n").arg(warning);
        l.portSettings.portIndex = static_cast<std::uint8_t>(o.port);
    } else {
        l.portMap.setPath(0, o.device);
        l.portSettings.portIndex = 0;
    }
    l.portSettings.modeKind = static_cast<std::uint8_t>(o.modeKind);
    l.portSettings.speedIndex = static_cast<std::uint8_t>(o.speedIndex);
    if (l.link.openPort(l.portSettings.portIndex, l.portSettings.modeKind, l.portSettings.speedIndex) < 0) {
        err += QStringLiteral("k71t-cli: nie można otworzyć portu %1\n").arg(l.link.openError());
        return false;
    }
    return true;
}

int usage(QString &err, const QString &why)
{
    err += QStringLiteral("k71t-cli: %1\nSpróbuj: k71t-cli --help\n").arg(why);
    return CliUsage;
}

int parseRange(const QStringList &words, const QString &syntax, RangeOptions &r, QString &err)
{
    bool from = false, to = false, fromTime = false, toTime = false;
    for (int i = 0; i < words.size(); i += 2) {
        if (i + 1 >= words.size())
            return usage(err, syntax);
        const QString &key = words.at(i);
        const QString &value = words.at(i + 1);
        if (key == QLatin1String("--from") || key == QLatin1String("--to")) {
            const QDate d = parseDateText(value);
            if (!d.isValid())
                return usage(err, QStringLiteral("błędna data %1").arg(value));
            (key == QLatin1String("--from") ? r.start : r.stop) = dateKey(d);
            (key == QLatin1String("--from") ? from : to) = true;
        } else if (key == QLatin1String("--from-time") || key == QLatin1String("--to-time")) {
            const QTime t = parseTimeText(value);
            if (!t.isValid())
                return usage(err, QStringLiteral("błędny czas %1").arg(value));
            (key == QLatin1String("--from-time") ? r.tstart : r.tstop) = timeKey(t);
            (key == QLatin1String("--from-time") ? fromTime : toTime) = true;
        } else if (key == QLatin1String("--address") && r.address) {
            if (!parseInt(value, 1, 247, *r.address))
                return usage(err, QStringLiteral("błędny adres %1 (1-247)").arg(value));
        } else {
            return usage(err, syntax);
        }
    }
    if (from != to || ((fromTime || toTime) && !from))
        return usage(err, syntax);
    r.given = from;
    if (!from)
        return CliOk;
    if (r.start > r.stop)
        return usage(err, QStringLiteral("data --from jest późniejsza niż --to"));
    if (r.start == r.stop && r.tstart > r.tstop)
        return usage(err, QStringLiteral("czas --from-time jest późniejszy niż --to-time"));
    if (r.start != r.stop) { // times count only within a single day
        r.tstart = 0;
        r.tstop = 235959;
    }
    return CliOk;
}

QString clockText(const RegisterImage &image)
{
    const auto date = clockDate(image);
    const auto time = clockTime(image);
    if (!date || !time)
        return QStringLiteral("nieprawidłowy (4040=%1, 4041=%2, 4042=%3)")
            .arg(image.reg16(4040))
            .arg(image.reg16(4041))
            .arg(image.reg16(4042));
    return QDateTime(*date, *time).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// Opens the port and reads the meter's status registers (4039 .. 4054, 4005).
bool openAndReadStatus(const Options &o, MeterLink &link, QString &err)
{
    if (!openLink(o, link, err))
        return false;
    if (statusRead(link.link))
        return true;
    err += QStringLiteral("k71t-cli: odczyt statusu zakończony błędem\n");
    return false;
}

int runStatus(const Options &o, QString &out, QString &err)
{
    if (o.command.size() != 1)
        return usage(err, QStringLiteral("status nie ma argumentów"));
    MeterLink link;
    if (!openAndReadStatus(o, link, err))
        return CliMeterFailed;
    const RegisterImage &im = link.image;
    const auto section = [&out](const QString &title, const QStringList &lines) {
        out += title + QLatin1Char('\n');
        for (const QString &line : lines)
            out += line + QLatin1Char('\n');
    };
    section(QStringLiteral("Status K71T"), statusWordLines(im.reg16(4051)));
    section(QStringLiteral("Status komunikacji z urządzeniami"), deviceLines(im.reg16(4050)));
    section(QStringLiteral("Status alarmów"), alarmLines(im.reg16(4052)));
    const QString card = cardLine(im.reg16(4054));
    section(QStringLiteral("Status karty pamięci"), card.isEmpty() ? QStringList{} : QStringList{card});
    out += QStringLiteral("Tryb obsługi karty pamięci: %1\n")
               .arg(memoryCardModeItems().at(im.reg16(4005) == 0 ? 0 : 1));
    out += QStringLiteral("Kod dostępu: %1\n").arg(im.reg16(4039));
    out += QStringLiteral("Czas / Data: %1\n").arg(clockText(im));
    out += QStringLiteral("Automatyczna zmiana czasu: %1\n")
               .arg(im.reg16(4043) != 0 ? QStringLiteral("tak") : QStringLiteral("nie"));
    return CliOk;
}

int runClock(const Options &o, const Clock &clock, QString &out, QString &err)
{
    const QString syntax = QStringLiteral("clock sync | clock set RRRR-MM-DD GG:MM");
    QDateTime at;
    const bool sync = o.command.size() == 2 && o.command.at(1) == QLatin1String("sync");
    if (!sync) {
        if (o.command.size() != 4 || o.command.at(1) != QLatin1String("set"))
            return usage(err, syntax);
        // The meter's clock has no time zone: any date and time it can hold.
        at = QDateTime(QDate::fromString(o.command.at(2), QStringLiteral("yyyy-MM-dd")),
                       QTime::fromString(o.command.at(3), QStringLiteral("HH:mm")), Qt::UTC);
        if (!at.isValid())
            return usage(err, QStringLiteral("błędna data lub czas: %1 %2").arg(o.command.at(2), o.command.at(3)));
    }
    MeterLink link;
    // The automatic time change stays as the meter has it.
    if (!openAndReadStatus(o, link, err))
        return CliMeterFailed;
    if (sync) {
        // The start of the next minute, the date and the time from one reading.
        for (at = clock.now(); at.time().second() != 0; at = clock.now())
            sleepMs(100);
    }
    setClockRegisters(link.image, at.date(), at.time(), link.image.reg16(4043) != 0);
    if (!commandWrite(link.link, 4040, 4)) {
        err += QStringLiteral("k71t-cli: zapis czasu zakończony błędem\n");
        return CliMeterFailed;
    }
    out += at.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QLatin1Char('\n');
    return CliOk;
}

int runWatch(const Options &o, const Clock &clock, QString &out, QString &err, const CliLineSink &line)
{
    const QString syntax = QStringLiteral("watch [--interval S] [--count N]");
    double interval = 1.0;
    int count = -1;
    for (int i = 1; i < o.command.size(); ++i) {
        const QString &key = o.command.at(i);
        if (i + 1 >= o.command.size())
            return usage(err, syntax);
        const QString &value = o.command.at(++i);
        bool ok = false;
        if (key == QLatin1String("--interval")) {
            interval = value.toDouble(&ok);
            ok = ok && interval >= 0.1 && interval <= 86400.0;
        } else if (key == QLatin1String("--count")) {
            ok = parseInt(value, 1, 1000000000, count);
        }
        if (!ok)
            return usage(err, syntax);
    }
    MeterLink link;
    if (!openLink(o, link, err))
        return CliMeterFailed;
    MonitorModel monitor(link.link, link.image);
    const auto number = [](float v, int decimals) {
        return liveValueValid(v) ? formatFloat(v, decimals, 6) : QStringLiteral("*");
    };
    bool allRead = true;
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; count < 0 || n < count; ++n) {
        // Polls keep their rhythm whatever a read costs.
        std::this_thread::sleep_until(start + std::chrono::milliseconds(static_cast<long>(n * interval * 1000.0)));
        const bool ok = monitor.read();
        allRead = allRead && ok;
        const RegisterImage &im = link.image;
        QStringList fields{clock.now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
        if (ok) {
            fields << number(im.reg32(7505), 4) << number(im.reg32(7503), 4) << number(im.reg32(7504), 4)
                   << number(im.reg32(7502), 2) << number(im.reg32(7509), 2) << QString::number(im.reg16(4050))
                   << QString::number(im.reg16(4052));
        } else {
            for (int f = 0; f < 7; ++f)
                fields << QStringLiteral("*");
        }
        const QString text = fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
        if (line)
            line(text);
        else
            out += text;
    }
    if (!allRead)
        err += QStringLiteral("k71t-cli: nie każdy odczyt się powiódł\n");
    return allRead ? CliOk : CliMeterFailed;
}

QString portText(const PortSettings &settings, int address)
{
    return QStringLiteral("%1 %2, adres %3")
        .arg(SpeedTable[settings.speedIndex % SpeedIndexCount])
        .arg(modeKindName(settings.modeKind % ModeKindCount))
        .arg(address);
}

int runConfig(const Options &o, QString &out, QString &err, const CliLineSink &progress)
{
    const QString syntax = QStringLiteral("config read PLIK.k71t | config write PLIK.k71t --yes");
    QStringList words = o.command.mid(1);
    const bool yes = words.removeAll(QStringLiteral("--yes")) > 0;
    if (words.size() != 2 || !QStringList{"read", "write"}.contains(words.at(0)))
        return usage(err, syntax);
    const bool reading = words.at(0) == QLatin1String("read");
    const QString file = words.at(1);
    if (reading && yes)
        return usage(err, syntax);
    if (!reading && !yes)
        return usage(err, QStringLiteral("zapis konfiguracji usuwa dane archiwalne z pamięci wewnętrznej K71T; "
                                         "dodaj --yes, aby kontynuować"));

    MeterLink link;
    loadStandardConfiguration(link.image);
    if (!reading) {
        // Nothing reaches the meter unless the whole file is a configuration.
        switch (loadConfigFile(file, link.image)) {
        case ConfigLoad::Loaded: break;
        case ConfigLoad::Missing: err += QStringLiteral("k71t-cli: brak pliku %1\n").arg(file); return CliMeterFailed;
        case ConfigLoad::Invalid:
            err += QStringLiteral("k71t-cli: %1 nie jest plikiem konfiguracyjnym K71T (650 bajtów, \"K71T-001\")\n")
                       .arg(file);
            return CliMeterFailed;
        }
        // The meter keeps the address it is reached at: a configuration
        // cloned from another meter on the same line must not take its address.
        link.image.reg16(4033) = static_cast<std::uint16_t>(o.address);
    }
    BulkTransfer transfer(link);
    const BulkTransfer::Direction direction = reading ? BulkTransfer::Direction::Read : BulkTransfer::Direction::Write;
    if (transfer.refusal(direction) == BulkTransfer::Refusal::InterfaceSettings) {
        const RegisterImage &im = link.image;
        err += QStringLiteral("k71t-cli: %1: parametry interfejsów, których K71T nie przyjmie "
                              "(4031=%2, 4032=%3, 4035=%4, 4036=%5); nic nie zostało wysłane\n")
                   .arg(file, QString::number(im.reg16(4031)), QString::number(im.reg16(4032)),
                        QString::number(im.reg16(4035)), QString::number(im.reg16(4036)));
        return CliMeterFailed;
    }
    if (!openLink(o, link, err))
        return CliMeterFailed;
    const PortSettings before = link.portSettings;
    transfer.start(direction);
    BulkTransfer::Tick tick = BulkTransfer::Tick::Continue;
    int shown = -1, failedStep = 0;
    while (tick == BulkTransfer::Tick::Continue) {
        failedStep = reading ? transfer.readStep() : transfer.writeStep();
        tick = transfer.tick();
        if (progress && transfer.progress() != shown) {
            shown = transfer.progress();
            progress(QStringLiteral("\rTransmisja danych... %1/%2").arg(shown).arg(BulkProgressTotal));
        }
    }
    if (progress)
        progress(QStringLiteral("\n"));
    const bool moved = before.speedIndex != link.portSettings.speedIndex ||
                       before.modeKind != link.portSettings.modeKind || o.address != link.meterAddress;
    const QString movedText = QStringLiteral("Nowe parametry portu: %1\n").arg(portText(link.portSettings, link.meterAddress));
    if (tick == BulkTransfer::Tick::Failed) {
        err += QStringLiteral("k71t-cli: %1 (krok %2)\n").arg(BulkTransfer::failureText(transfer.direction())).arg(failedStep);
        // Where the PC ended up after an interface change that went wrong.
        if (moved)
            err += QStringLiteral("k71t-cli: ") + movedText;
        return CliMeterFailed;
    }
    if (!reading) {
        out += QStringLiteral("Zapisano konfigurację z pliku %1 do K71T\n").arg(file);
        if (moved)
            out += movedText;
        return CliOk;
    }
    QString error;
    const QString written = saveConfigFile(file, link.image, &error);
    if (written.isEmpty()) {
        err += QStringLiteral("k71t-cli: nie można zapisać %1: %2\n").arg(configFileName(file), error);
        return CliMeterFailed;
    }
    out += QStringLiteral("Zapisano konfigurację K71T do pliku %1\n").arg(written);
    return CliOk;
}

int runCli(const QStringList &args, QString &out, QString &err)
{
    SystemClock clock;
    return runCli(args, clock, out, err);
}

int runCli(const QStringList &args, const Clock &clock, QString &out, QString &err, const CliLineSink &lineSink,
           const CliLineSink &progress)
{
    Options o;
    QString sqlConf;
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
            o.speedIndex = parseInt(v, 1, 1000000, baud) ? speedIndexForBaud(baud) : -1;
            if (o.speedIndex < 0)
                return usage(err, QStringLiteral("nieobsługiwana prędkość %1").arg(v));
        } else if (a == QLatin1String("--sql-conf")) {
            sqlConf = v;
        } else if (a == QLatin1String("--mode")) {
            o.modeKind = modeKindForName(v);
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
        return runExport(o.command, clock, out, err);
    if (verb == QLatin1String("db"))
        return runDb(o.command, sqlConf, out, err, progress);
    if (verb == QLatin1String("monthly"))
        return runMonthly(o.command, out, err);
    if (verb == QLatin1String("tasks") && o.command.value(1) == QLatin1String("list"))
        return runTasks(o, sqlConf, clock, out, err, lineSink);
    if (!QStringList{"read", "write", "download", "status", "clock", "watch", "config", "tasks"}.contains(verb))
        return usage(err, QStringLiteral("nieznane polecenie %1").arg(verb));
    if (o.device.isEmpty() == (o.port < 0))
        return usage(err, QStringLiteral("podaj albo --device, albo --port"));
    if (verb == QLatin1String("download"))
        return runDownload(o, sqlConf, clock, out, err, progress);
    if (verb == QLatin1String("status"))
        return runStatus(o, out, err);
    if (verb == QLatin1String("clock"))
        return runClock(o, clock, out, err);
    if (verb == QLatin1String("watch"))
        return runWatch(o, clock, out, err, lineSink);
    if (verb == QLatin1String("config"))
        return runConfig(o, out, err, progress);
    if (verb == QLatin1String("tasks"))
        return runTasks(o, sqlConf, clock, out, err, lineSink);
    return runRegisters(o, out, err);
}

} // namespace k71t
