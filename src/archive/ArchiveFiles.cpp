#include "archive/ArchiveFiles.h"

#include "common/ByteOrder.h"
#include "common/DateFormats.h"
#include "common/SafeFile.h"
#include "common/SystemErrors.h"
#include "common/TextFormats.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace k71t {

namespace {
constexpr int TrailerBytes = 240;
} // namespace

QByteArray buildBin(const RecordStore &store, int n, const RegisterImage &image)
{
    QByteArray b(12 * n + TrailerBytes, '\0');
    std::uint8_t *p = bytes(b.data());
    std::memcpy(p, store.data(), static_cast<std::size_t>(12) * static_cast<std::size_t>(n));
    p += 12 * n;
    for (int i = 0; i < 80; ++i, p += 2)
        put16be(p, image.reg16(4300 + i));
    for (int i = 0; i < 20; ++i, p += 4)
        putFloatLe(p, image.reg32(7664 + i));
    return b;
}

bool saveBin(const QString &path, const RecordStore &store, int n, const RegisterImage &image, QString *error)
{
    if (n < 0 || n > RecordStoreCapacity)
        return false;
    return writeFileSafely(path, buildBin(store, n, image), error);
}

QString saveNewBin(const QString &path, const RecordStore &store, int n, const RegisterImage &image, QString *error)
{
    if (n < 0 || n > RecordStoreCapacity)
        return {};
    return writeNewFileSafely(path, buildBin(store, n, image), error);
}

int loadBin(const QString &path, RecordStore &store, RegisterImage &image, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return 0;
    const qint64 size = info.size();
    if (size < TrailerBytes || (size - TrailerBytes) % 12 != 0)
        return 0;
    const qint64 n = (size - TrailerBytes) / 12;
    if (n > RecordStoreCapacity) {
        if (tooLarge)
            *tooLarge = true;
        return 0;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray b = file.readAll();
    if (b.size() != size)
        return 0;
    std::memcpy(store.data(), b.constData(), static_cast<std::size_t>(12 * n));
    const std::uint8_t *t = bytes(b.constData()) + 12 * n;
    for (int i = 0; i < 80; ++i, t += 2)
        image.reg16(4300 + i) = get16be(t);
    for (int i = 0; i < 20; ++i, t += 4)
        image.reg32(7664 + i) = getFloatLe(t);
    return static_cast<int>(n);
}

QString binFileName(const QDateTime &now, int address)
{
    const QTime t = now.time();
    return dateText(now.date()) + QString::asprintf("_%.2d_%.2d_%.2d_", t.hour(), t.minute(), t.second()) +
           QString::number(address) + QStringLiteral(".bin");
}

QString datFileName(const QString &name)
{
    return name.indexOf(QLatin1String(".dat"), 1) >= 1 ? name : name + QLatin1String(".dat");
}

int exportValueText(float value, int digits, char *out)
{
    if (value > 1.0e10f) {
        out[0] = '*';
        return 1;
    }
    return writeExponent(static_cast<double>(value), digits, out);
}

namespace {

// Appends to a file through large writes; remembers the first failure.
class DatWriter {
public:
    explicit DatWriter(int fd) : fd_(fd) { buffer_.reserve(1 << 20); }
    void put(const char *s, int n)
    {
        buffer_.append(s, n);
        if (buffer_.size() >= (1 << 20))
            flush();
    }
    void put(const QByteArray &b) { put(b.constData(), static_cast<int>(b.size())); }
    bool flush()
    {
        const char *p = buffer_.constData();
        qint64 left = buffer_.size();
        while (ok() && left > 0) {
            const ssize_t n = ::write(fd_, p, static_cast<std::size_t>(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                error_ = n < 0 ? errno : EIO;
            else
                p += n, left -= n;
        }
        buffer_.clear();
        return ok();
    }
    bool ok() const { return error_ == 0; }
    int error() const { return error_; }

private:
    int fd_;
    QByteArray buffer_;
    int error_ = 0;
};

} // namespace

bool exportDat(const QString &path, const RecordStore &store, int count, int start, int stop, int tstart, int tstop,
               const QDateTime &now, QString *error, int *rows)
{
    if (rows)
        *rows = 0;
    const QByteArray native = QFile::encodeName(datFileName(path));
    // Created here or appended to: a failed export removes what it created
    // and cuts what it appended to back to its previous length. Opened without
    // blocking, so a FIFO in its place cannot hang the program.
    bool created = true;
    int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0) {
        // ENXIO: a FIFO nobody reads, a device without its hardware.
        if (error)
            *error = errno == ENXIO ? QStringLiteral("to nie jest zwykły plik") : systemErrorText(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error)
            *error = S_ISDIR(st.st_mode) ? systemErrorText(EISDIR) : QStringLiteral("to nie jest zwykły plik");
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, O_APPEND);
    const off_t previousLength = st.st_size;

    const bool oneDay = start == stop;
    const int digits = oneDay ? 7 : 10;
    DatWriter out(fd);
    out.put(toWindows1250(QStringLiteral("\n\rArchiwum odczytano: ") + dateText(now.date()) +
                          QStringLiteral(" o godzinie ") + timeText(now.time()) + QStringLiteral("\n\r")));
    static const QByteArray columns("Data\tCzas\tDEV\tR0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tR9\n\r");
    std::vector<ExportRow> deviceRows;
    char line[512];
    int written = 0;
    for (int d = 0; d < 10 && out.ok(); ++d) {
        if (buildExportRows(store, count, d, start, stop, deviceRows) == 0)
            continue;
        out.put(toWindows1250(QStringLiteral("\n\rUrządzenie %1\n\r").arg(d + 1)));
        out.put(columns);
        for (const ExportRow &row : deviceRows) {
            if (oneDay && (row.timeKey < tstart || row.timeKey > tstop))
                continue;
            int n = writeDateTimeKeys(row.dateKey, row.timeKey, '\t', line);
            line[n++] = '\t';
            line[n++] = static_cast<char>('0' + d);
            for (float v : row.R) {
                line[n++] = '\t';
                n += exportValueText(v, digits, line + n);
            }
            line[n++] = '\n';
            out.put(line, n);
            ++written;
        }
    }
    bool ok = out.flush() && ::fsync(fd) == 0;
    int failure = out.ok() ? errno : out.error();
    if (!ok && !created && (::ftruncate(fd, previousLength) != 0 || ::fsync(fd) != 0))
        qWarning("%s: %s", native.constData(), qUtf8Printable(systemErrorText(errno)));
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        if (created)
            ::unlink(native.constData());
        if (error)
            *error = systemErrorText(failure);
        return false;
    }
    if (rows)
        *rows = written;
    return true;
}

} // namespace k71t
