#pragma once
// The program's date and time texts and keys: dates YYYY-MM-DD, times
// HH:MM:SS (24 hours), date keys year*10000 + month*100 + day and time keys
// hour*10000 + minute*100 + second.
#include <QDate>
#include <QString>
#include <QTime>

namespace k71t {

int dateKey(const QDate &date);
int timeKey(const QTime &time);

QString dateText(const QDate &date); // 2013-09-16
QString timeText(const QTime &time); // 14:05:09
// "2013-09-16 14:05:09", the year padded to four places.
QString stampText(int year, int month, int day, int hour, int minute, int second);

// Writes "YYYY-MM-DD" `separator` "HH:MM:SS" for a date key and a time key
// into `out` (at least 32 bytes); returns the length.
int writeDateTimeKeys(int dateKey, int timeKey, char separator, char *out);

// Strict YYYY-MM-DD and HH:MM:SS; invalid when the text is anything else.
QDate parseDateText(const QString &text);
QTime parseTimeText(const QString &text);

// Seconds from `start` to `end` on a clock of the day: a span that crosses
// midnight is still positive (23:59:58 to 00:00:03 is 5 s).
int secondsBetween(const QTime &start, const QTime &end);

} // namespace k71t
