#include "archive/MonthlyArchive.h"

#include "common/SafeFile.h"
#include "common/SystemErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace k71t {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

bool isDigits(const QString &text, qsizetype from, qsizetype n)
{
    for (qsizetype i = from; i < from + n; ++i)
        if (!text.at(i).isDigit() || text.at(i).unicode() > '9')
            return false;
    return true;
}

// Reads a file in pieces and hands out its lines (ended by CR LF, LF or CR;
// a last line without an end counts). Lines are kept byte for byte; a line
// is a view into the reader's buffer, valid until the next call.
class LineReader {
public:
    explicit LineReader(const QString &path)
    {
        // Without blocking, so a FIFO in a daily file's place cannot hang the run.
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        error_ = fd_ < 0 ? errno : 0;
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            notRegular_ = true;
            error_ = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        }
    }
    ~LineReader()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    static constexpr qsizetype MaxLine = 1 << 20;

    // The next line; false at the end or on a read error (error()). A line
    // longer than MaxLine comes cut, with overlong() set.
    bool next(QByteArrayView &line)
    {
        carry_.truncate(0);
        overlong_ = false;
        for (;;) {
            if (skipLf_ && pos_ < buffer_.size()) {
                // A CR ended the last line: an LF right after it belongs to it.
                skipLf_ = false;
                if (buffer_[pos_] == '\n')
                    ++pos_;
            }
            const char *begin = buffer_.constData() + pos_;
            const char *stop = buffer_.constData() + buffer_.size();
            const char *end = begin;
            while (end != stop && *end != '\n' && *end != '\r')
                ++end;
            if (end != stop) {
                if (carry_.isEmpty()) {
                    line = QByteArrayView(begin, end - begin);
                } else {
                    if (carry_.size() < MaxLine)
                        carry_.append(begin, std::min<qsizetype>(end - begin, MaxLine - carry_.size()));
                    line = carry_;
                }
                skipLf_ = *end == '\r';
                pos_ = end + 1 - buffer_.constData();
                return true;
            }
            // The line goes on in the next piece. No line of a daily file is
            // anywhere near MaxLine long: the rest of such a line is left out.
            if (carry_.size() < MaxLine)
                carry_.append(begin, std::min<qsizetype>(stop - begin, MaxLine - carry_.size()));
            if (carry_.size() >= MaxLine)
                overlong_ = true;
            pos_ = buffer_.size();
            if (!fill()) {
                if (error_ != 0 || carry_.isEmpty())
                    return false;
                line = carry_;
                return true;
            }
        }
    }
    int error() const { return error_; }
    bool notRegular() const { return notRegular_; }
    bool overlong() const { return overlong_; }

private:
    bool fill()
    {
        if (fd_ < 0 || eof_)
            return false;
        buffer_.resize(1 << 20);
        for (;;) {
            const ssize_t n = ::read(fd_, buffer_.data(), static_cast<std::size_t>(buffer_.size()));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error_ = errno;
                buffer_.clear();
                pos_ = 0;
                return false;
            }
            buffer_.resize(n);
            pos_ = 0;
            if (n == 0)
                eof_ = true;
            return n > 0;
        }
    }

    int fd_ = -1;
    int error_ = 0;
    bool eof_ = false;
    bool skipLf_ = false;
    bool notRegular_ = false;
    bool overlong_ = false;
    QByteArray buffer_, carry_;
    qsizetype pos_ = 0;
};

} // namespace

QString monthlyFilePrefix(const QString &sourceFolder)
{
    const qsizetype at = sourceFolder.lastIndexOf(QStringLiteral("ARCHIVES"));
    if (at < 0 || (at > 0 && !isSeparator(sourceFolder.at(at - 1))))
        return {};
    const qsizetype y = at + 9, m = at + 14;
    // The month folder itself: nothing after the month but one separator.
    if (sourceFolder.size() < m + 2 || sourceFolder.size() > m + 3 || !isSeparator(sourceFolder.at(at + 8)) ||
        !isDigits(sourceFolder, y, 4) || !isSeparator(sourceFolder.at(at + 13)) || !isDigits(sourceFolder, m, 2) ||
        (sourceFolder.size() == m + 3 && !isSeparator(sourceFolder.at(m + 2))))
        return {};
    const int year = sourceFolder.mid(y, 4).toInt(), month = sourceFolder.mid(m, 2).toInt();
    if (year < 1 || month < 1 || month > 12)
        return {};
    return QStringLiteral("K71T_") + sourceFolder.mid(y, 4) + sourceFolder.mid(m, 2) + QLatin1Char('_');
}

QString monthlyFileName(const QString &prefix, int device)
{
    return prefix + QStringLiteral("D%1.DAT").arg(device);
}

// `entries` is the folder's listing, taken the first time a day's exact name
// is missing, so a month is listed once, not once a day.
static QString dailyFilePath(const QDir &dir, int day, std::optional<QStringList> &entries)
{
    const QString name = QStringLiteral("DAY_%1.DAT").arg(day, 2, 10, QLatin1Char('0'));
    const QFileInfo exact(dir.filePath(name));
    if (exact.isFile())
        return exact.filePath();
    if (!entries)
        entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &entry : *entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return {};
}

QString dailyFilePath(const QString &folder, int day)
{
    std::optional<QStringList> entries;
    return dailyFilePath(QDir(folder), day, entries);
}

MonthlyOutcome createMonthlyArchive(const QString &source, const QString &destination, const QString &prefix,
                                    const MonthlyProgress &progress)
{
    MonthlyOutcome out;
    std::array<std::unique_ptr<StagedFile>, MonthlyDevices> staged;
    const QDir to(destination);
    auto fail = [&out](const QString &path, const QString &reason) {
        out.error = QFileInfo(path).fileName() + QStringLiteral(": ") + reason;
        out.wrote = false;
        out.files.clear();
        out.lastFile.clear();
        return out;
    };
    // A month folder that cannot be listed would hide daily files named in
    // another case.
    const QFileInfo folder(source);
    if (folder.isDir() && !QDir(source).isReadable())
        return fail(source, systemErrorText(EACCES));
    const QByteArray crlf("\r\n");
    QByteArray heading;
    QByteArrayView line;
    const QDir month(source);
    std::optional<QStringList> entries;
    for (int day = 1; day <= 31; ++day) {
        const QString path = dailyFilePath(month, day, entries);
        if (path.isEmpty())
            continue;
        if (progress)
            progress(path);
        ++out.dailyFiles;
        LineReader reader(path);
        if (reader.notRegular() && reader.error() != EISDIR)
            return fail(path, QStringLiteral("to nie jest zwykły plik"));
        if (reader.error() != 0)
            return fail(path, systemErrorText(reader.error()));
        int lineNo = 0;
        int lastDevice = -1;
        while (reader.next(line)) {
            if (lineNo++ == 0) {
                heading = line.toByteArray();
                continue;
            }
            if (reader.overlong()) {
                ++out.droppedLong;
                continue;
            }
            if (line.contains("E+020")) {
                ++out.droppedNoValue;
                continue;
            }
            if (line.size() < 21)
                continue;
            const char c = line[20];
            if (c < '0' || c > '9') {
                ++out.droppedDevice;
                continue;
            }
            const int d = c - '0';
            QString error;
            if (!staged[d]) {
                // The device's first line of the run: its file starts with this day's heading.
                staged[d] = std::make_unique<StagedFile>(to.filePath(monthlyFileName(prefix, d)));
                if (!staged[d]->open(&error) || !staged[d]->append(heading, &error) ||
                    !staged[d]->append(crlf, &error))
                    return fail(staged[d]->path(), error);
            }
            if (!staged[d]->append(line, &error) || !staged[d]->append(crlf, &error))
                return fail(staged[d]->path(), error);
            ++out.lines[d];
            lastDevice = std::max(lastDevice, d);
        }
        if (reader.error() != 0)
            return fail(path, systemErrorText(reader.error()));
        if (lastDevice >= 0)
            out.lastFile = monthlyFileName(prefix, lastDevice);
    }
    // Every file written in full, and every name free or a plain file,
    // before any old one is replaced.
    for (auto &file : staged) {
        QString error;
        if (file && !file->finish(&error))
            return fail(file->path(), error);
        const QFileInfo target(file ? file->path() : QString());
        if (file && target.exists() && (!target.isFile() || target.isSymLink()))
            return fail(file->path(), target.isDir() ? systemErrorText(EISDIR)
                                                     : QStringLiteral("to nie jest zwykły plik"));
    }
    for (int d = 0; d < MonthlyDevices; ++d) {
        auto &file = staged[static_cast<std::size_t>(d)];
        if (!file)
            continue;
        QString error;
        if (!file->commit(&error))
            return fail(file->path(), error);
        out.files << file->path();
        out.wrote = true;
    }
    return out;
}

} // namespace k71t
