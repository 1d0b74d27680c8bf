// k71t-sim: plays the K71T meter's side of the serial line, on a new
// pseudo-terminal or on a real serial device.
#include "SimLine.h"
#include "SimMeter.h"

#include "common/CommandLine.h"
#include "common/ProcessSettings.h"
#include "link/LineCodes.h"

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <limits>
#include <unistd.h>
#include <vector>

namespace {

std::atomic<bool> stopRequested{false};

void onSignal(int)
{
    stopRequested = true;
}

const char *const Usage =
    "Użycie: k71t-sim [--device ŚCIEŻKA] [--link ŚCIEŻKA] [--address N] [--turnaround MS]\n"
    "                 [--line-time] [--speed BAUD] [--mode 8N2|8E1|8O1|8N1]\n"
    "                 [--fault RODZAJ[:N][@[R|W]REJESTR]] [--verbose]\n"
    "                 [--archive-records N] [--archive-first-page P[:O]] [--archive-grow N[:K]]\n"
    "                 [--archive-dump PLIK] [--archive-fail-page P[:N]]\n"
    "                 [--status-word N] [--device-status N] [--alarm-status N] [--card-status N]\n"
    "                 [--outputs-board] [--refuse-apply] [--clock \"RRRR-MM-DD GG:MM\"]\n"
    "                 [--set REJESTR=WARTOŚĆ]... [--device-fault D]... [--alarm K]...\n"
    "\n"
    "Symulator wskaźnika K71T: odpowiada jako slave Modbus RTU (funkcje 3 i 16,\n"
    "rejestry 4000-5999 i 7500-8099). Jak wskaźnik kasuje archiwum przy zapisie\n"
    "tablicy urządzeń (4300-4379) i przy przywróceniu nastaw fabrycznych (4038).\n"
    "  --device ŚCIEŻKA   pracuj na porcie szeregowym zamiast na pseudoterminalu\n"
    "  --link ŚCIEŻKA     utwórz dowiązanie do pseudoterminalu (usuwane przy wyjściu)\n"
    "  --address N        adres wskaźnika, rejestr 4033 (domyślnie 1)\n"
    "  --turnaround MS    opóźnij każdą odpowiedź o MS milisekund (domyślnie 0)\n"
    "  --line-time        nadawaj bajty w tempie prędkości linii\n"
    "  --speed BAUD       prędkość interfejsu, na którym jest PC: 4800 .. 115200\n"
    "                     (domyślnie 115200)\n"
    "  --mode TRYB        tryb interfejsu, na którym jest PC (domyślnie 8N2)\n"
    "  --outputs-board    wskaźnik ma płytkę wyjść dodatkowych (bit 7 rejestru 4051):\n"
    "                     PC jest na interfejsie dodatkowym (4031, 4032), bez niej\n"
    "                     na podstawowym (4035, 4036)\n"
    "  --refuse-apply     odrzuć polecenie zastosowania parametrów interfejsu (4034)\n"
    "  --status-word N    słowo statusu, rejestr 4051 (0-65535, także 0x...);\n"
    "                     bit 7 działa jak --outputs-board\n"
    "  --device-status N  bity braku komunikacji z urządzeniami, rejestr 4050 (0-1023)\n"
    "  --alarm-status N   bity stanu i sygnalizacji alarmów, rejestr 4052 (0-255)\n"
    "  --card-status N    stan karty pamięci, rejestr 4054 (0-65535)\n"
    "  --clock CZAS       ustaw zegar wskaźnika (\"RRRR-MM-DD GG:MM\"); dalej biegnie sam\n"
    "  --set R=W          trzymaj rejestr zmiennoprzecinkowy R (7500-8099) na wartości W\n"
    "                     (np. --set 7505=1e10, --set 7520=nan), także wielokrotnie\n"
    "  --device-fault D   urządzenie D (0-9) nie odpowiada: bit D rejestru 4050\n"
    "  --alarm K          alarm K (1-4) załączony: bit K-1 rejestru 4052\n"
    "  --fault RODZAJ[:N][@[R|W]REJESTR]\n"
    "                     silence, wrong-slave, bad-crc, exception, truncated, late,\n"
    "                     garbage lub byte-count: dla każdego zapytania albo tylko N-tego;\n"
    "                     z @REJESTR tylko dla bloku zaczynającego się od REJESTRU,\n"
    "                     z @R tylko dla odczytu (funkcja 3), z @W tylko dla zapisu (16),\n"
    "                     np. silence@R7500, silence@W4004\n"
    "  --verbose          wypisuj ramki na standardowe wyjście błędów\n"
    "  --archive-records N         wypełnij archiwum N rekordami przy starcie\n"
    "  --archive-first-page P[:O]  najstarszy rekord w stronie P od bajtu O (wielokrotność 12)\n"
    "  --archive-grow N[:K]        dopisz N rekordów po każdym z pierwszych K odczytów\n"
    "                              stanu archiwum (domyślnie K = 3)\n"
    "  --archive-dump PLIK         zapisuj rekordy archiwum (od najstarszego) do PLIKU\n"
    "                              przy starcie i po każdej zmianie\n"
    "  --archive-fail-page P[:N]   nie odpowiadaj N razy (domyślnie 1) na odczyt strony P\n"
    "Bez --device pierwszy wiersz na standardowym wyjściu to \"PTY <ścieżka>\".\n"
    "Działa do sygnału SIGINT lub SIGTERM.\n";

// Decimal, or hexadecimal with 0x ("010" is ten, not eight), 0 .. high.
bool number(const QString &text, int high, int &out)
{
    bool ok = false;
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    out = (hex ? text.mid(2) : text).toInt(&ok, hex ? 16 : 10);
    return ok && out >= 0 && out <= high;
}

// "A[:B]" with A and B whole numbers in their ranges.
bool pair(const QString &text, int &a, int aMax, int &b, int bMax)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    bool ok = parts.size() <= 2;
    if (ok)
        a = parts.at(0).toInt(&ok);
    if (ok && parts.size() == 2)
        b = parts.at(1).toInt(&ok);
    return ok && a >= 0 && a <= aMax && b >= 0 && b <= bMax;
}

// The simulator's options; a value's name says what it takes.
QList<QCommandLineOption> simulatorOptions()
{
    QList<QCommandLineOption> options{k71t::switchOption({QStringLiteral("help"), QStringLiteral("h")})};
    for (const char *name : {"device",
                             "link",
                             "address",
                             "turnaround",
                             "speed",
                             "mode",
                             "fault",
                             "archive-records",
                             "archive-first-page",
                             "archive-grow",
                             "archive-dump",
                             "archive-fail-page",
                             "status-word",
                             "device-status",
                             "alarm-status",
                             "card-status",
                             "clock",
                             "set",
                             "device-fault",
                             "alarm"})
        options << k71t::valueOption(QString::fromLatin1(name), QStringLiteral("WARTOŚĆ"));
    for (const char *name : {"line-time", "verbose", "outputs-board", "refuse-apply"})
        options << k71t::switchOption({QString::fromLatin1(name)});
    return options;
}

// KIND[:N][@[R|W]REGISTER]
bool parseFault(const QString &text, k71t::sim::FaultPlan &fault)
{
    bool ok = true;
    QString faultText = text;
    const int at = faultText.indexOf(QLatin1Char('@'));
    if (at >= 0) {
        QString where = faultText.mid(at + 1).toUpper();
        if (where.startsWith(QLatin1Char('R')) || where.startsWith(QLatin1Char('W'))) {
            fault.onlyFunction = where.startsWith(QLatin1Char('R')) ? 3 : 16;
            where.remove(0, 1);
        }
        fault.onlyStart = where.toInt(&ok);
        ok = ok && fault.onlyStart >= 0 && fault.onlyStart <= 65535;
        faultText = faultText.left(at);
    }
    const QStringList parts = faultText.split(QLatin1Char(':'));
    const auto kind = k71t::sim::faultFromName(parts.at(0));
    ok = ok && kind.has_value() && parts.size() <= 2;
    if (ok) {
        fault.fault = *kind;
        if (parts.size() == 2)
            fault.nth = parts.at(1).toInt(&ok);
        ok = ok && fault.nth >= 0;
    }
    return ok;
}

// REGISTER=VALUE; the value may be any float the meter could send.
bool parsePin(const QString &text, std::vector<std::pair<int, float>> &pins)
{
    const QStringList parts = text.split(QLatin1Char('='));
    int reg = 0;
    bool numberOk = false;
    const float f = parts.size() == 2 ? parts.at(1).toFloat(&numberOk) : 0.0f;
    const bool special = parts.size() == 2 && QStringList{"nan", "inf", "-inf"}.contains(parts.at(1).toLower());
    if (parts.size() != 2 || !number(parts.at(0), 8099, reg) || reg < 7500 || !(numberOk || special))
        return false;
    pins.emplace_back(reg, special ? parts.at(1).toLower() == QLatin1String("nan")
                                         ? std::numeric_limits<float>::quiet_NaN()
                                         : (parts.at(1).startsWith(QLatin1Char('-'))
                                                ? -std::numeric_limits<float>::infinity()
                                                : std::numeric_limits<float>::infinity())
                                   : f);
    return true;
}

int usageError(const QString &why)
{
    std::fprintf(stderr, "k71t-sim: %s\n%s", qPrintable(why), Usage);
    return 2;
}

// What the command line asks of the simulated meter and its line.
struct SimSettings {
    QString device, link;
    int address = 1, turnaround = 0, speedCode = 5, modeCode = 0;
    bool lineTime = false, verbose = false;
    k71t::sim::FaultPlan fault;
    int archiveRecords = 0, firstPage = 0, firstOffset = 0, growRecords = 0, growReads = 3;
    int failPage = -1, failTimes = 1;
    QString archiveDump;
    int statusWord = 0, deviceStatus = 0, alarmStatus = 0, cardStatus = 0;
    bool outputsBoard = false, refuseApply = false;
    std::vector<std::pair<int, float>> pins;
    QDateTime clock;
};

// Reads the command line into `set`, checking each option in the order
// given; -1 to go on, else the exit status (the help printed, or a usage
// error told).
int readSettings(const QStringList &args, SimSettings &set)
{
    const k71t::CommandLine given = k71t::readCommandLine(simulatorOptions(), args);
    // Checked in the order given: the first bad one is told.
    for (const k71t::GivenOption &option : given.options) {
        const QString a = QStringLiteral("--") + option.name;
        const QString &v = option.value;
        bool ok = true;
        if (option.name == QLatin1String("help")) {
            std::fputs(Usage, stdout);
            return 0;
        } else if (option.name == QLatin1String("device")) {
            set.device = v;
        } else if (option.name == QLatin1String("link")) {
            set.link = v;
        } else if (option.name == QLatin1String("address")) {
            set.address = v.toInt(&ok);
            ok = ok && set.address >= 1 && set.address <= 247;
        } else if (option.name == QLatin1String("turnaround")) {
            set.turnaround = v.toInt(&ok);
            ok = ok && set.turnaround >= 0;
        } else if (option.name == QLatin1String("speed")) {
            ok = (set.speedCode = k71t::speedCodeForBaud(v.toInt())) >= 0;
        } else if (option.name == QLatin1String("mode")) {
            ok = (set.modeCode = k71t::meterModeCodeForName(v)) >= 0;
        } else if (option.name == QLatin1String("fault")) {
            ok = parseFault(v, set.fault);
        } else if (option.name == QLatin1String("archive-records")) {
            set.archiveRecords = v.toInt(&ok);
            ok = ok && set.archiveRecords >= 0 && set.archiveRecords <= 308000;
        } else if (option.name == QLatin1String("archive-first-page")) {
            ok = pair(v, set.firstPage, 6999, set.firstOffset, 528) && set.firstOffset % 12 == 0;
        } else if (option.name == QLatin1String("archive-grow")) {
            ok = pair(v, set.growRecords, 100000, set.growReads, 1000000);
        } else if (option.name == QLatin1String("archive-dump")) {
            set.archiveDump = v;
        } else if (option.name == QLatin1String("archive-fail-page")) {
            ok = pair(v, set.failPage, 6999, set.failTimes, 1000000);
        } else if (option.name == QLatin1String("status-word")) {
            ok = number(v, 65535, set.statusWord);
        } else if (option.name == QLatin1String("device-status")) {
            ok = number(v, 1023, set.deviceStatus);
        } else if (option.name == QLatin1String("alarm-status")) {
            ok = number(v, 255, set.alarmStatus);
        } else if (option.name == QLatin1String("card-status")) {
            ok = number(v, 65535, set.cardStatus);
        } else if (option.name == QLatin1String("set")) {
            ok = parsePin(v, set.pins);
        } else if (option.name == QLatin1String("device-fault")) {
            int d = 0;
            ok = number(v, 9, d);
            if (ok)
                set.deviceStatus |= 1 << d;
        } else if (option.name == QLatin1String("alarm")) {
            int k = 0;
            ok = number(v, 4, k) && k >= 1;
            if (ok)
                set.alarmStatus |= 1 << (k - 1);
        } else if (option.name == QLatin1String("outputs-board")) {
            set.outputsBoard = true;
        } else if (option.name == QLatin1String("refuse-apply")) {
            set.refuseApply = true;
        } else if (option.name == QLatin1String("clock")) {
            // A plain wall-set.clock reading: no time zone decides which exist.
            const QStringList fields = v.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (fields.size() == 2)
                set.clock = QDateTime(QDate::fromString(fields.at(0), QStringLiteral("yyyy-MM-dd")),
                                      QTime::fromString(fields.at(1), QStringLiteral("HH:mm")), Qt::UTC);
            ok = set.clock.isValid();
        } else if (option.name == QLatin1String("line-time")) {
            set.lineTime = true;
        } else if (option.name == QLatin1String("verbose")) {
            set.verbose = true;
        }
        if (!ok)
            return usageError(QStringLiteral("błędna wartość opcji %1").arg(a));
    }
    if (given.problem == k71t::CommandLine::Problem::MissingValue)
        return usageError(QStringLiteral("błędna wartość opcji %1").arg(given.culprit));
    if (given.problem == k71t::CommandLine::Problem::UnknownOption)
        return usageError(QStringLiteral("nieznana opcja %1").arg(given.culprit));
    if (!given.words.isEmpty())
        return usageError(QStringLiteral("nieznana opcja %1").arg(given.words.constFirst()));

    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    k71t::applyProcessSettings();
    QStringList args = app.arguments();
    args.removeFirst();

    SimSettings set;
    if (const int status = readSettings(args, set); status >= 0)
        return status;

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    k71t::sim::SimMeter meter(set.address, set.speedCode, set.modeCode);
    meter.setFault(set.fault);
    meter.setReg16(4050, static_cast<std::uint16_t>(set.deviceStatus));
    meter.setReg16(4051, static_cast<std::uint16_t>(set.statusWord)); // bit 7 fits the board
    meter.setReg16(4052, static_cast<std::uint16_t>(set.alarmStatus));
    meter.setReg16(4054, static_cast<std::uint16_t>(set.cardStatus));
    if (set.outputsBoard)
        meter.setOutputsBoard(true);
    meter.setPcInterface(set.speedCode, set.modeCode);
    meter.setRefuseApply(set.refuseApply);
    for (const auto &[reg, f] : set.pins)
        meter.pin(reg, f);
    if (set.clock.isValid())
        meter.setClock(set.clock);
    meter.setArchiveStart(set.firstPage, set.firstOffset);
    meter.fillArchive(set.archiveRecords);
    meter.setArchiveGrowth(set.growRecords, set.growRecords > 0 ? set.growReads : 0);
    if (set.failPage >= 0)
        meter.failArchivePage(set.failPage, set.failTimes);
    if (!set.archiveDump.isEmpty())
        meter.setArchiveDump(set.archiveDump);
    k71t::sim::SimLine line(meter);
    line.setTurnaroundMs(set.turnaround);
    line.setLineTime(set.lineTime);
    line.setVerbose(set.verbose);
    const bool opened = set.device.isEmpty() ? line.openPty() : line.openDevice(set.device);
    if (!opened) {
        std::fprintf(stderr, "k71t-sim: nie można otworzyć linii: %s\n", qPrintable(line.errorText()));
        return 1;
    }
    // The set.link exists before the PTY line, so a script that read it can use both.
    if (!set.link.isEmpty()) {
        QFile::remove(set.link);
        if (::symlink(line.slavePath().toLocal8Bit().constData(), set.link.toLocal8Bit().constData()) != 0) {
            std::fprintf(stderr, "k71t-sim: nie można utworzyć dowiązania %s\n", qPrintable(set.link));
            return 1;
        }
    }
    if (set.device.isEmpty()) {
        std::printf("PTY %s\n", qPrintable(line.slavePath()));
        std::fflush(stdout);
    }

    line.run(stopRequested);
    if (!set.link.isEmpty())
        QFile::remove(set.link);
    return 0;
}
