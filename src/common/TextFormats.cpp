#include "common/TextFormats.h"

#include <QLocale>
#include <QTextCodec>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

QString formatExponent(double value, int digits)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*E", std::max(0, digits - 1), value);
    // printf writes at least two exponent digits; the program's files use three.
    QString text = QString::fromLatin1(buf);
    const int e = text.indexOf(QLatin1Char('E'));
    if (e >= 0) {
        const QString sign = text.mid(e + 1, 1);
        QString exponent = text.mid(e + 2);
        while (exponent.size() < 3)
            exponent.prepend(QLatin1Char('0'));
        text = text.left(e + 1) + sign + exponent;
    }
    return text;
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

} // namespace k71t
