#include "archive/DataLine.h"

#include <QList>
#include <charconv>
#include <cfloat>
#include <cmath>

namespace k71t {

namespace {

enum class Number { Value, NotANumber, OutOfRange };

// A decimal number with '.' and an optional exponent, the whole field.
Number number(QByteArrayView field, double &out)
{
    const char *first = field.constData(), *last = first + field.size();
    const auto [end, error] = std::from_chars(first, last, out, std::chars_format::general);
    if (field.isEmpty() || end != last)
        return Number::NotANumber;
    if (error == std::errc::result_out_of_range)
        return Number::OutOfRange;
    if (error != std::errc() || !std::isfinite(out))
        return Number::NotANumber;
    return Number::Value;
}

bool digits(QByteArrayView s, int from, int n, int &out)
{
    out = 0;
    for (int i = from; i < from + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

bool daysInMonthOk(int y, int m, int d)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

} // namespace

bool parseDateKey(QByteArrayView date, int &key)
{
    int y, mo, d;
    if (date.size() != 10 || date[4] != '-' || date[7] != '-' || !digits(date, 0, 4, y) || !digits(date, 5, 2, mo) ||
        !digits(date, 8, 2, d) || y < 1 || !daysInMonthOk(y, mo, d))
        return false;
    key = y * 10000 + mo * 100 + d;
    return true;
}

bool parseTimeKey(QByteArrayView time, int &key)
{
    int h, mi, s;
    if (time.size() != 8 || time[2] != ':' || time[5] != ':' || !digits(time, 0, 2, h) || !digits(time, 3, 2, mi) ||
        !digits(time, 6, 2, s) || h > 23 || mi > 59 || s > 59)
        return false;
    key = h * 10000 + mi * 100 + s;
    return true;
}

bool parseDataLine(QByteArrayView line, DataLine &out)
{
    if (line.size() <= 38)
        return false;
    // The thirteen fields between the TABs, without copying them.
    QByteArrayView f[13];
    qsizetype start = 0;
    int n = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != '\t')
            continue;
        if (n == 12)
            return false; // a thirteenth TAB
        f[n++] = line.sliced(start, i - start);
        start = i + 1;
    }
    if (n != 12)
        return false;
    f[12] = line.sliced(start);
    DataLine r;
    if (!parseDateKey(f[0], r.dateKey) || !parseTimeKey(f[1], r.timeKey))
        return false;
    bool ok = false;
    const int device = f[2].toInt(&ok);
    if (!ok || device < 0 || device > 255)
        return false;
    r.device = static_cast<std::uint8_t>(device);
    for (int k = 0; k < 10; ++k) {
        r.R[k] = DataLineNoValue;
        double v = 0;
        const Number n = number(f[3 + k], v);
        if (n == Number::NotANumber)
            continue; // "*": no value for this register
        if (n == Number::OutOfRange || std::fabs(v) > FLT_MAX)
            return false;
        r.R[k] = static_cast<float>(v);
    }
    out = r;
    return true;
}

} // namespace k71t
