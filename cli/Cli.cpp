// k71t-cli: the global options, the help and the choice of the command;
// the commands live in files of their groups (CliMeter, CliArchive,
// CliConfig, CliDb, CliTasks, CliMonthly).
#include "Cli.h"
#include "CliParts.h"

#include "archive/ArchiveFiles.h"
#include "common/Clock.h"
#include "common/CommandLine.h"
#include "common/DateFormats.h"
#include "link/MeterLink.h"
#include "shell/UartCfg.h"

#include <QDir>

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
                         "                        --sql-conf) i, jak okno \"Archiwum\", kasuje archiwum w K71T;\n"
                         "                        SIGINT lub SIGTERM przerywa pobieranie po bieżącej stronie\n"
                         "                        (nic nie jest zapisywane, archiwum w K71T zostaje; status 1)\n"
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
                         "                        z ./sql.conf lub --sql-conf; bez --device i --port port,\n"
                         "                        tryb i prędkość z ./uart.cfg (jak w programie); zmiany\n"
                         "                        auto.conf są brane przed kolejnym sprawdzeniem; w katalogu\n"
                         "                        działa naraz tylko jeden harmonogram\n"
                         "  db settings [--server NAZWA] [--port N] [--database NAZWA] [--table NAZWA]\n"
                         "         [--user NAZWA] [--password-file PLIK | --password HASŁO] [--compression 0|1]\n"
                         "         [--support on|off]\n"
                         "                        bez opcji wypisuje ustawienia bazy danych z sql.conf;\n"
                         "                        z opcjami zmienia podane pola i zapisuje plik (na komputerze\n"
                         "                        bez pulpitu zamiast okna \"MySQL\"); hasło najlepiej podać\n"
                         "                        w pierwszym wierszu pliku, \"-\" (standardowe wejście) lub\n"
                         "                        potoku <(...): --password widać na liście procesów\n"
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

// The options before the command.
QList<QCommandLineOption> globalOptions()
{
    return {valueOption(QStringLiteral("device"), QStringLiteral("ŚCIEŻKA")),
            valueOption(QStringLiteral("port"), QStringLiteral("COMn")),
            valueOption(QStringLiteral("address"), QStringLiteral("N")),
            valueOption(QStringLiteral("speed"), QStringLiteral("BAUD")),
            valueOption(QStringLiteral("mode"), QStringLiteral("TRYB")),
            valueOption(QStringLiteral("sql-conf"), QStringLiteral("PLIK")),
            switchOption({QStringLiteral("help"), QStringLiteral("h")})};
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
    PortSettings folder;
    const bool fromFolder = o.device.isEmpty() && o.port < 0;
    if (fromFolder)
        loadUartCfg(QDir::current().filePath(QStringLiteral("uart.cfg")), folder);
    if (o.device.isEmpty()) {
        for (const QString &warning : l.portMap.load(QDir::currentPath()))
            err += QStringLiteral("k71t-cli: %1\n").arg(warning);
        l.portSettings.portIndex = fromFolder ? folder.portIndex : static_cast<std::uint8_t>(o.port);
    } else {
        l.portMap.setDevice(0, o.device);
        l.portSettings.portIndex = 0;
    }
    l.portSettings.modeKind = fromFolder && !o.modeGiven ? folder.modeKind : static_cast<std::uint8_t>(o.modeKind);
    l.portSettings.speedIndex =
        fromFolder && !o.speedGiven ? folder.speedIndex : static_cast<std::uint8_t>(o.speedIndex);
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
    const CommandLine line = readCommandLine(globalOptions(), args);
    // Checked in the order given: the first bad one is told.
    for (const GivenOption &option : line.options) {
        const QString &name = option.name;
        const QString &v = option.value;
        if (name == QLatin1String("help")) {
            out += QString::fromUtf8(Help);
            return CliOk;
        }
        if (name == QLatin1String("device")) {
            o.device = v;
        } else if (name == QLatin1String("port")) {
            if (!v.toUpper().startsWith(QLatin1String("COM")) || !parseInt(v.mid(3), 1, 8, o.port))
                return usage(err, QStringLiteral("błędny port %1 (COM1..COM8)").arg(v));
            --o.port;
        } else if (name == QLatin1String("address")) {
            if (!parseInt(v, 1, 247, o.address))
                return usage(err, QStringLiteral("błędny adres %1 (1-247)").arg(v));
        } else if (name == QLatin1String("speed")) {
            int baud = 0;
            o.speedIndex = parseInt(v, 1, 1000000, baud) ? speedIndexForBaud(baud) : -1;
            o.speedGiven = true;
            if (o.speedIndex < 0)
                return usage(err, QStringLiteral("nieobsługiwana prędkość %1").arg(v));
        } else if (name == QLatin1String("sql-conf")) {
            sqlConf = v;
        } else if (name == QLatin1String("mode")) {
            o.modeKind = modeKindForName(v);
            o.modeGiven = true;
            if (o.modeKind < 0)
                return usage(err, QStringLiteral("nieznany tryb %1").arg(v));
        }
    }
    if (line.problem == CommandLine::Problem::MissingValue)
        return usage(err, QStringLiteral("brak wartości opcji %1").arg(line.culprit));
    if (line.problem == CommandLine::Problem::UnknownOption)
        return usage(err, QStringLiteral("nieznana opcja %1").arg(line.culprit));
    o.command = line.words;
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
    // The scheduler may take the working folder's line (uart.cfg).
    const bool folderLine = verb == QLatin1String("tasks") && o.device.isEmpty() && o.port < 0;
    if (o.device.isEmpty() == (o.port < 0) && !folderLine)
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
