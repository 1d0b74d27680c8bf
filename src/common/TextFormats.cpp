#include "common/TextFormats.h"

#include <QLocale>
#include <QTextCodec>
#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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

namespace {

// Windows-1250 is a stateless single-byte code, so a string converts one
// character at a time. The codec opens a converter for every call (a lookup
// by name each time), which made reading a dictionary of 3,552 names slow;
// the table is taken from the codec itself once. A character the table does
// not hold (no byte decodes to it) sends the whole string through the codec,
// so unmappable text comes out exactly as the codec writes it.
struct Table1250 {
    std::array<char16_t, 256> decode{};
    std::vector<std::int16_t> encode = std::vector<std::int16_t>(0x10000, -1);
    bool usable = true;

    Table1250()
    {
        QTextCodec *codec = codec1250();
        for (int b = 0; b < 256; ++b) {
            const QByteArray byte(1, static_cast<char>(b));
            const QString one = codec->toUnicode(byte);
            if (one.size() != 1) {
                usable = false;
                return;
            }
            decode[static_cast<std::size_t>(b)] = one.at(0).unicode();
            if (codec->fromUnicode(one) == byte && encode[one.at(0).unicode()] < 0)
                encode[one.at(0).unicode()] = static_cast<std::int16_t>(b);
        }
    }
};

const Table1250 &table1250()
{
    static const Table1250 table;
    return table;
}

} // namespace

QString fromWindows1250(const QByteArray &bytes)
{
    const Table1250 &t = table1250();
    if (!t.usable)
        return codec1250()->toUnicode(bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (const char c : bytes)
        *out++ = t.decode[static_cast<unsigned char>(c)];
    return text;
}

QByteArray toWindows1250(const QString &text)
{
    const Table1250 &t = table1250();
    if (!t.usable)
        return codec1250()->fromUnicode(text);
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text) {
        const std::int16_t b = t.encode[c.unicode()];
        if (b < 0)
            return codec1250()->fromUnicode(text);
        *out++ = static_cast<char>(b);
    }
    return bytes;
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
