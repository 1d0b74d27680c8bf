#pragma once
// Settings and configuration files are replaced safely: the new content goes
// to a temporary file in the same folder, is flushed to disk and then renamed
// over the old file, so a crash or a full disk never leaves half a file.
#include <QByteArray>
#include <QString>

namespace k71t {

// Returns false (and leaves any previous file untouched) when the file could
// not be written completely. `error` receives the reason when given.
bool writeFileSafely(const QString &path, const QByteArray &content, QString *error = nullptr);

// Reads a whole file of at most `maxSize` bytes. Returns false when the file
// is missing, not a regular file, unreadable or larger than `maxSize`.
bool readSmallFile(const QString &path, qint64 maxSize, QByteArray &content);

} // namespace k71t
