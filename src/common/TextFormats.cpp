#include "common/TextFormats.h"

#include <QLocale>
#include <QTextCodec>
#include <algorithm>
#include <cmath>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace k71t {

std::optional<double> parseDecimal(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.contains(QLatin1Char(',')))
        return std::nullopt;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    bool ok = false;
    const double v = c.toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString formatFixed(double value, int decimals)
{
    return QLocale::c().toString(value, 'f', decimals);
}

int writeExponent(double value, int digits, char *out)
{
    int length = std::snprintf(out, 32, "%.*E", std::max(0, digits - 1), value);
    // printf writes at least two exponent digits; the program's texts have three.
    char *e = std::strchr(out, 'E');
    if (e && std::strlen(e + 2) < 3) {
        std::memmove(e + 3, e + 2, std::strlen(e + 2) + 1);
        e[2] = '0';
        ++length;
    }
    return length;
}

QString formatExponent(double value, int digits)
{
    char buf[40];
    const int length = writeExponent(value, digits, buf);
    return QString::fromLatin1(buf, length);
}

QString formatFloat(double value, int decimals, int precision)
{
    if (!std::isfinite(value))
        return QString::number(value);
    // Round to the significant digits first, as the display shows them.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, value);
    const double rounded = std::strtod(buf, nullptr);
    if (rounded != 0.0 && std::floor(std::log10(std::fabs(rounded))) + 1 > precision)
        return formatExponent(rounded, precision);
    return QLocale::c().toString(rounded, 'f', decimals);
}

static QTextCodec *codec1250()
{
    static QTextCodec *codec = QTextCodec::codecForName("Windows-1250");
    return codec;
}

QString fromWindows1250(const QByteArray &bytes)
{
    return codec1250()->toUnicode(bytes);
}

QByteArray toWindows1250(const QString &text)
{
    return codec1250()->fromUnicode(text);
}

QByteArray formatGeneral15(double value)
{
    if (value == 0)
        return QByteArrayLiteral("0");
    char buf[40];
    const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15).ptr;
    QByteArray text(buf, end - buf);
    const qsizetype e = text.indexOf('e');
    if (e < 0)
        return text;
    QByteArray exponent = text.mid(e + 1);
    const bool negative = exponent.startsWith('-');
    exponent.remove(0, 1); // the sign
    while (exponent.size() > 1 && exponent.startsWith('0'))
        exponent.remove(0, 1);
    return text.left(e) + 'E' + (negative ? "-" : "") + exponent;
}

QByteArray TabFields::next()
{
    const qsizetype tab = bytes_.indexOf('\t', at_);
    const qsizetype end = tab < 0 ? bytes_.size() : tab;
    const QByteArray field = at_ < bytes_.size() ? bytes_.mid(at_, end - at_) : QByteArray();
    at_ = end + 1;
    return field;
}

bool smallNumberField(const QByteArray &field, int high, std::uint8_t &out)
{
    int v = 0;
    const char *end = field.constData() + field.size();
    const auto r = std::from_chars(field.constData(), end, v);
    // Digits only: "-0" or "+1" are not what the program writes.
    if (field.isEmpty() || field.at(0) < '0' || field.at(0) > '9' || r.ec != std::errc() || r.ptr != end || v < 0 ||
        v > high)
        return false;
    out = static_cast<std::uint8_t>(v);
    return true;
}

} // namespace k71t
