#include "link/PortMap.h"

#include "common/SafeFile.h"

#include <QDir>
#include <QRegularExpression>

namespace k71t {

PortMap::PortMap()
{
    for (int i = 0; i < PortCount; ++i)
        paths_[i] = QStringLiteral("/dev/ttyS%1").arg(i);
}

QStringList PortMap::load(const QString &directory)
{
    QStringList warnings;
    static const QRegularExpression entry(QStringLiteral("^COM([1-8])\\s*=\\s*(\\S.*)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    QByteArray content;
    const QString file = QDir(directory).filePath(QStringLiteral("ports.conf"));
    if (readSmallFile(file, 64 * 1024, content)) {
        const QStringList lines = QString::fromUtf8(content).split(QLatin1Char('\n'));
        for (int n = 0; n < lines.size(); ++n) {
            const QString line = lines.at(n).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const auto m = entry.match(line);
            if (!m.hasMatch()) {
                warnings << QStringLiteral("ports.conf, wiersz %1: nieznany wpis \"%2\" pominięto")
                                .arg(n + 1)
                                .arg(line);
                continue;
            }
            paths_[m.captured(1).toInt() - 1] = m.captured(2).trimmed();
        }
    }
    for (int i = 0; i < PortCount; ++i) {
        const QByteArray value = qgetenv(QStringLiteral("K71T_COM%1").arg(i + 1).toLatin1().constData());
        if (!value.isEmpty())
            paths_[i] = QString::fromLocal8Bit(value);
    }
    return warnings;
}

QString PortMap::path(int portIndex) const
{
    if (portIndex < 0 || portIndex >= PortCount)
        return {};
    return paths_[portIndex];
}

void PortMap::setPath(int portIndex, const QString &path)
{
    if (portIndex >= 0 && portIndex < PortCount)
        paths_[portIndex] = path;
}

} // namespace k71t
