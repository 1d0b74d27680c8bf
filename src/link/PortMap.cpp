#include "link/PortMap.h"

#include "common/SafeFile.h"

#include <QDir>
#include <QRegularExpression>

namespace k71t {

namespace {

// A device path must reach the system whole: a NUL would cut it short, and
// control characters or bytes that are not UTF-8 name no device anyone meant.
bool usablePath(const QString &path)
{
    if (path.isEmpty())
        return false;
    for (const QChar c : path)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::ReplacementCharacter)
            return false;
    return true;
}

// The path as it can be shown in a warning.
QString printable(QString path)
{
    for (QChar &c : path)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('?');
    return path;
}

} // namespace

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
            const QString path = m.captured(2).trimmed();
            if (!usablePath(path)) {
                warnings << QStringLiteral("ports.conf, wiersz %1: niedozwolone znaki w ścieżce \"%2\" - pominięto")
                                .arg(n + 1)
                                .arg(printable(path));
                continue;
            }
            paths_[m.captured(1).toInt() - 1] = path;
        }
    }
    for (int i = 0; i < PortCount; ++i) {
        const QString name = QStringLiteral("K71T_COM%1").arg(i + 1);
        const QByteArray value = qgetenv(name.toLatin1().constData());
        if (value.isEmpty())
            continue;
        const QString path = QString::fromLocal8Bit(value);
        if (usablePath(path))
            paths_[i] = path;
        else
            warnings << QStringLiteral("%1: niedozwolone znaki w ścieżce \"%2\" - pominięto").arg(name, printable(path));
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
    if (portIndex >= 0 && portIndex < PortCount) {
        paths_[portIndex] = path;
        byPath_[portIndex] = false;
    }
}

void PortMap::setDevice(int portIndex, const QString &path)
{
    setPath(portIndex, path);
    if (portIndex >= 0 && portIndex < PortCount)
        byPath_[portIndex] = true;
}

QString PortMap::describe(int portIndex) const
{
    if (portIndex < 0 || portIndex >= PortCount)
        return portName(portIndex);
    return byPath_[portIndex] ? paths_[portIndex] : QStringLiteral("%1 (%2)").arg(portName(portIndex), paths_[portIndex]);
}

} // namespace k71t
