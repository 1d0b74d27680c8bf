#pragma once
// Files are never rewritten in place. The new content goes to a temporary
// file in the same folder, is flushed to disk and only then renamed over the
// old file (or, for files that must never replace another, linked in under a
// free name), so a crash or a full disk never leaves half a file and a file
// nobody meant to replace stays as it was.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace k71t {

// Replaces `path` with `content`. Returns false, leaving any previous file
// untouched, when the file could not be written completely; `error` then
// receives the reason (in Polish for the common cases).
// With `ownerOnly` the file is readable and writable by its owner alone
// (settings holding a password), whatever the previous file allowed.
bool writeFileSafely(const QString &path, const QByteArray &content, QString *error = nullptr,
                     bool ownerOnly = false);

// How a new file is put in place without replacing another: a no-replace
// rename, else a hard link, else (file systems with neither) an exclusive
// create written in place. Each is tried only when the ones before it are
// not available; tests start further down the list.
enum class NoReplace { Rename, Link, ExclusiveCreate };

// Writes `content` as a new file: under `path` when that name is free, else
// under the first free name with "_2", "_3", ... before the extension
// ("a.bin", "a_2.bin"). An existing file is never replaced, also when another
// process picks the same name at the same moment. Returns the path written
// (with the file and its folder entry on disk), or an empty string (and
// `error`) when that could not be done.
QString writeNewFileSafely(const QString &path, const QByteArray &content, QString *error = nullptr,
                           NoReplace first = NoReplace::Rename);

// A file written piece by piece and put in place in one step. The pieces go
// to a temporary file beside `path` (buffered); finish() flushes it to disk,
// commit() renames it over `path` and makes that durable. Until commit()
// any previous file stays as it was, and a StagedFile destroyed without
// committing removes its temporary file. Several staged files can be
// finished first and committed together, so a group of files is replaced
// only when every one of them was written.
class StagedFile {
public:
    explicit StagedFile(const QString &path);
    ~StagedFile();
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    bool open(QString *error = nullptr);
    bool append(QByteArrayView bytes, QString *error = nullptr);
    bool finish(QString *error = nullptr);
    bool commit(QString *error = nullptr);
    const QString &path() const { return path_; }

private:
    bool flushBuffer(QString *error);
    void discard();

    QString path_;
    QByteArray folder_, target_, temp_, buffer_;
    int fd_ = -1;
    bool committed_ = false;
};

// Reads a whole file of at most `maxSize` bytes. Returns false when the file
// is missing, not a regular file, unreadable or larger than `maxSize`.
bool readSmallFile(const QString &path, qint64 maxSize, QByteArray &content);

} // namespace k71t
