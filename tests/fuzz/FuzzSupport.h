#pragma once
// What the fuzz targets share: a folder of the process's own where an input
// becomes a file for the parsers that read files by name.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace k71t::fuzz {

// The folder lives in memory when the system has /dev/shm: on a disk, ext4
// writes back a file truncated and written again as soon as it is closed, and
// that writeback, not the parser, set the pace of the file-reading targets.
inline const QTemporaryDir &workDir()
{
    static const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                                   : QDir::tempPath();
    static const QTemporaryDir dir(base + QStringLiteral("/k71t-fuzz-XXXXXX"));
    return dir;
}

inline QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// Writes the input as `name` in the work folder (or `folder` under it) and
// returns its path.
inline QString inputFile(const QString &name, const std::uint8_t *data, std::size_t size,
                         const QString &folder = QString())
{
    const QString dir = folder.isEmpty() ? workDir().path() : workDir().filePath(folder);
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    return path;
}

} // namespace k71t::fuzz
