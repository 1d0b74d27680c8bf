// k71t-cli's meter commands: read and write registers, status, clock, watch.
#include "CliParts.h"

#include "common/Clock.h"
#include "common/TextFormats.h"
#include "config/RegisterMap.h"
#include "config/SystemStatus.h"
#include "link/MeterLink.h"
#include "monitor/MonitorModel.h"

#include <QDateTime>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace k71t
{

namespace
{

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

} // namespace

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
    out +=
        QStringLiteral("Tryb obsługi karty pamięci: %1\n").arg(memoryCardModeItems().at(im.reg16(4005) == 0 ? 0 : 1));
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
    // A line that goes away and comes back is told on the error output,
    // once each way, between the samples.
    link.link.onPortChange = [](ModbusLink::PortChange, const QString &text) {
        std::fputs(QStringLiteral("k71t-cli: %1\n").arg(text).toUtf8().constData(), stderr);
    };
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

} // namespace k71t
