#include "common/SafeFile.h"

#include "common/SystemErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace k71t {

namespace {

constexpr int MaxNameTries = 10000;

// Permissions of a newly created file: what the umask leaves of rw-rw-rw-.
mode_t newFileMode()
{
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

bool fail(QString *error, int code)
{
    if (error)
        *error = systemErrorText(code);
    return false;
}

bool writeAll(int fd, const QByteArray &content)
{
    const char *p = content.constData();
    qint64 left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Makes a new or renamed entry of the folder durable. Returns 0 or the errno.
int syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // Some file systems cannot sync a folder at all (EINVAL): nothing to wait for there.
    const int result = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return result;
}

// Writes the content to a new temporary file in `folder` and flushes it to
// disk. Returns its path, or an empty array with errno set.
QByteArray writeTemporary(const QByteArray &folder, const QByteArray &name, const QByteArray &content,
                          mode_t mode)
{
    QByteArray temp = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return {};
    const bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, content) && ::fsync(fd) == 0;
    const int saved = errno;
    if (::close(fd) != 0 || !ok) {
        ::unlink(temp.constData());
        errno = ok ? errno : saved;
        return {};
    }
    return temp;
}

QByteArray nativePath(const QString &path) { return QFile::encodeName(path); }

// "dir/a.bin" with k = 2 gives "dir/a_2.bin"; k = 1 gives the name itself.
QString numberedName(const QString &path, int k)
{
    if (k == 1)
        return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString base = info.completeBaseName();
    // One arg() call, so a "%2" in the file's own name stays as it is.
    const QString name = suffix.isEmpty() ? QStringLiteral("%1_%2").arg(base, QString::number(k))
                                          : QStringLiteral("%1_%2.%3").arg(base, QString::number(k), suffix);
    return info.dir().filePath(name);
}

// Moves `temp` to `target` unless `target` exists, by the first method that
// the file system has, from `first` on. Returns 0, or the errno (EEXIST when
// the name is taken).
int placeWithoutReplacing(const QByteArray &temp, const QByteArray &target, const QByteArray &content, mode_t mode,
                          NoReplace first)
{
    if (first == NoReplace::Rename) {
        if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
    }
    if (first != NoReplace::ExclusiveCreate) {
        // No atomic no-replace rename on this file system: a hard link is one too.
        if (::link(temp.constData(), target.constData()) == 0) {
            ::unlink(temp.constData());
            return 0;
        }
        if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
            return errno;
    }
    // Nor hard links (FAT and the like): an exclusive create, written in place.
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        return errno;
    const bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(target.constData());
        return saved;
    }
    ::unlink(temp.constData());
    return 0;
}

} // namespace

bool writeFileSafely(const QString &path, const QByteArray &content, QString *error, bool ownerOnly)
{
    const QFileInfo info(path);
    const QByteArray folder = nativePath(info.absolutePath());
    const QByteArray target = nativePath(info.absoluteFilePath());
    struct stat existing {};
    const mode_t mode = ownerOnly ? static_cast<mode_t>(0600)
                        : ::stat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode)
                            ? static_cast<mode_t>(existing.st_mode & 07777)
                            : newFileMode();
    const QByteArray temp = writeTemporary(folder, nativePath(info.fileName()), content, mode);
    if (temp.isEmpty())
        return fail(error, errno);
    if (::rename(temp.constData(), target.constData()) != 0) {
        const int saved = errno;
        ::unlink(temp.constData());
        return fail(error, saved);
    }
    if (const int result = syncFolder(folder))
        return fail(error, result);
    return true;
}

QString writeNewFileSafely(const QString &path, const QByteArray &content, QString *error, NoReplace first)
{
    const QFileInfo info(path);
    const QByteArray folder = nativePath(info.absolutePath());
    const QByteArray temp = writeTemporary(folder, nativePath(info.fileName()), content, newFileMode());
    if (temp.isEmpty()) {
        fail(error, errno);
        return {};
    }
    for (int k = 1; k <= MaxNameTries; ++k) {
        const QString candidate = numberedName(info.absoluteFilePath(), k);
        const int result = placeWithoutReplacing(temp, nativePath(candidate), content, newFileMode(), first);
        if (result == 0) {
            // Until the folder is on disk the new name could vanish with the
            // power: nothing may depend on the file before that.
            if (const int synced = syncFolder(folder)) {
                fail(error, synced);
                return {};
            }
            return candidate;
        }
        if (result != EEXIST) {
            ::unlink(temp.constData());
            fail(error, result);
            return {};
        }
    }
    ::unlink(temp.constData());
    fail(error, EEXIST);
    return {};
}

StagedFile::StagedFile(const QString &path) : path_(path)
{
    const QFileInfo info(path);
    folder_ = nativePath(info.absolutePath());
    target_ = nativePath(info.absoluteFilePath());
}

StagedFile::~StagedFile()
{
    discard();
}

void StagedFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty() && !committed_)
        ::unlink(temp_.constData());
    temp_.clear();
}

bool StagedFile::open(QString *error)
{
    discard();
    committed_ = false;
    QByteArray temp = folder_ + "/." + nativePath(QFileInfo(path_).fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(error, errno);
    temp_ = temp;
    fd_ = fd;
    struct stat existing {};
    const mode_t mode = ::stat(target_.constData(), &existing) == 0 && S_ISREG(existing.st_mode)
                            ? static_cast<mode_t>(existing.st_mode & 07777)
                            : newFileMode();
    if (::fchmod(fd_, mode) != 0) {
        const int saved = errno;
        discard();
        return fail(error, saved);
    }
    return true;
}

bool StagedFile::flushBuffer(QString *error)
{
    if (buffer_.isEmpty())
        return true;
    if (fd_ < 0 || !writeAll(fd_, buffer_)) {
        const int saved = fd_ < 0 ? EBADF : errno;
        buffer_.clear();
        discard();
        return fail(error, saved);
    }
    buffer_.clear();
    return true;
}

bool StagedFile::append(QByteArrayView bytes, QString *error)
{
    if (fd_ < 0)
        return fail(error, EBADF);
    buffer_ += bytes;
    return buffer_.size() < (1 << 18) || flushBuffer(error);
}

bool StagedFile::finish(QString *error)
{
    if (!flushBuffer(error))
        return false;
    if (fd_ < 0)
        return fail(error, EBADF);
    const bool synced = ::fsync(fd_) == 0;
    const int saved = errno;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed) {
        const int code = synced ? errno : saved;
        discard();
        return fail(error, code);
    }
    return true;
}

bool StagedFile::commit(QString *error)
{
    if (fd_ >= 0 && !finish(error))
        return false;
    if (temp_.isEmpty())
        return fail(error, EBADF);
    if (::rename(temp_.constData(), target_.constData()) != 0) {
        const int saved = errno;
        discard();
        return fail(error, saved);
    }
    committed_ = true;
    temp_.clear();
    if (const int result = syncFolder(folder_))
        return fail(error, result);
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
