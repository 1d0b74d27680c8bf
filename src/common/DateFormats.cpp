#include "common/DateFormats.h"

#include <cstdio>

namespace k71t {

int dateKey(const QDate &date)
{
    return date.year() * 10000 + date.month() * 100 + date.day();
}

int timeKey(const QTime &time)
{
    return time.hour() * 10000 + time.minute() * 100 + time.second();
}

QString dateText(const QDate &date)
{
    return QString::asprintf("%04d-%02d-%02d", date.year(), date.month(), date.day());
}

QString timeText(const QTime &time)
{
    return QString::asprintf("%02d:%02d:%02d", time.hour(), time.minute(), time.second());
}

QString stampText(int year, int month, int day, int hour, int minute, int second)
{
    return QString::asprintf("%4d-%.2d-%.2d %.2d:%.2d:%.2d", year, month, day, hour, minute, second);
}

int writeDateTimeKeys(int dateKey, int timeKey, char separator, char *out)
{
    return std::snprintf(out, 32, "%04d-%02d-%02d%c%02d:%02d:%02d", dateKey / 10000, dateKey / 100 % 100,
                         dateKey % 100, separator, timeKey / 10000, timeKey / 100 % 100, timeKey % 100);
}

QDate parseDateText(const QString &text)
{
    return text.size() == 10 ? QDate::fromString(text, QStringLiteral("yyyy-MM-dd")) : QDate();
}

QTime parseTimeText(const QString &text)
{
    return text.size() == 8 ? QTime::fromString(text, QStringLiteral("HH:mm:ss")) : QTime();
}

int secondsBetween(const QTime &start, const QTime &end)
{
    int seconds = start.secsTo(end);
    if (seconds < 0)
        seconds += 24 * 3600;
    return seconds;
}

} // namespace k71t
