#include "common/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace k71t {

bool writeFileSafely(const QString &path, const QByteArray &content, QString *error)
{
    QSaveFile file(path);
    // Without this, QSaveFile would write in place where it cannot create a
    // temporary file beside the target: exactly what we must never do.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(content) != content.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool readSmallFile(const QString &path, qint64 maxSize, QByteArray &content)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.size() > maxSize)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    content = file.read(maxSize + 1);
    return content.size() <= maxSize && file.error() == QFile::NoError;
}

} // namespace k71t
