#include "common/TextFormats.h"

#include <QLocale>
#include <QTextCodec>
#include <cmath>

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
