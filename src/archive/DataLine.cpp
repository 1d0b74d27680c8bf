#include "archive/DataLine.h"

#include <QFile>
#include <QList>
#include <cfloat>
#include <charconv>
#include <cmath>

namespace k71t {

namespace {

enum class Number { Value, NotANumber, OutOfRange };

// A decimal number with '.' and an optional exponent, the whole field.
Number number(QByteArrayView field, double &out)
{
    const char *first = field.constData(), *last = first + field.size();
    const auto [end, error] = std::from_chars(first, last, out, std::chars_format::general);
    if (field.isEmpty() || end != last)
        return Number::NotANumber;
    if (error == std::errc::result_out_of_range)
        return Number::OutOfRange;
    if (error != std::errc() || !std::isfinite(out))
        return Number::NotANumber;
    return Number::Value;
}

bool digits(QByteArrayView s, int from, int n, int &out)
{
    out = 0;
    for (int i = from; i < from + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

bool daysInMonthOk(int y, int m, int d)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

} // namespace

bool parseDateKey(QByteArrayView date, int &key)
{
    int y, mo, d;
    if (date.size() != 10 || date[4] != '-' || date[7] != '-' || !digits(date, 0, 4, y) || !digits(date, 5, 2, mo) ||
        !digits(date, 8, 2, d) || y < 1 || !daysInMonthOk(y, mo, d))
        return false;
    key = y * 10000 + mo * 100 + d;
    return true;
}

bool parseTimeKey(QByteArrayView time, int &key)
{
    int h, mi, s;
    if (time.size() != 8 || time[2] != ':' || time[5] != ':' || !digits(time, 0, 2, h) || !digits(time, 3, 2, mi) ||
        !digits(time, 6, 2, s) || h > 23 || mi > 59 || s > 59)
        return false;
    key = h * 10000 + mi * 100 + s;
    return true;
}

LineVerdict readDataLine(QByteArrayView line, DataLine &out)
{
    // Meant as data: the first field has a date's shape.
    const qsizetype firstTab = line.indexOf('\t');
    const QByteArrayView first = firstTab < 0 ? line : line.first(firstTab);
    if (first.size() != 10 || first[4] != '-' || first[7] != '-')
        return LineVerdict::NotData;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (first[i] < '0' || first[i] > '9')
            return LineVerdict::NotData;
    // The thirteen fields between the TABs, without copying them.
    QByteArrayView f[13];
    qsizetype start = 0;
    int n = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != '\t')
            continue;
        if (n == 12)
            return LineVerdict::Refused; // a thirteenth TAB
        f[n++] = line.sliced(start, i - start);
        start = i + 1;
    }
    if (n != 12)
        return LineVerdict::Refused;
    f[12] = line.sliced(start);
    DataLine r;
    if (!parseDateKey(f[0], r.dateKey) || !parseTimeKey(f[1], r.timeKey))
        return LineVerdict::Refused;
    if (f[2].size() != 1 || f[2][0] < '0' || f[2][0] > '9')
        return LineVerdict::Refused;
    r.device = static_cast<std::uint8_t>(f[2][0] - '0');
    for (int k = 0; k < 10; ++k) {
        const QByteArrayView field = f[3 + k];
        if (field == "*") {
            r.R[k] = DataLineNoValue;
            continue;
        }
        double v = 0;
        if (number(field, v) != Number::Value || std::fabs(v) > FLT_MAX)
            return LineVerdict::Refused;
        r.R[k] = static_cast<float>(v);
    }
    out = r;
    return LineVerdict::Data;
}

bool parseDataLine(QByteArrayView line, DataLine &out)
{
    return readDataLine(line, out) == LineVerdict::Data;
}

void RefusedLines::add(qint64 lineNumber, QByteArrayView text)
{
    if (count++ == 0) {
        firstLineNumber = lineNumber;
        firstText = text.first(std::min<qsizetype>(text.size(), 200)).toByteArray();
    }
}

QString RefusedLines::report() const
{
    if (count == 0)
        return {};
    QString text = QString::fromLatin1(firstText);
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return QStringLiteral("Odrzucono błędnych wierszy pliku: %1 (pierwszy, wiersz %2: %3)")
        .arg(count)
        .arg(firstLineNumber)
        .arg(text);
}

namespace
{

constexpr qint64 Block = 1000;
constexpr qint64 ReadChunk = 1 << 16;

} // namespace

DatLineReader::DatLineReader(const QString &path, Rule rule) : file_(std::make_unique<QFile>(path)), rule_(rule)
{
    opened_ = file_->open(QIODevice::ReadOnly);
    size_ = opened_ ? file_->size() : 0;
}

DatLineReader::~DatLineReader() = default;

bool DatLineReader::next(QByteArray &line)
{
    QByteArrayView view;
    if (!next(view))
        return false;
    line = view.toByteArray();
    return true;
}

bool DatLineReader::next(QByteArrayView &line)
{
    if (!opened_)
        return false;
    return rule_ == Rule::EveryLine ? nextLine(line) : nextBlockLine(line);
}

void DatLineReader::compact()
{
    if (at_ > 0) {
        buffer_.remove(0, at_);
        pos_ += at_;
        at_ = 0;
    }
}

bool DatLineReader::nextLine(QByteArrayView &line)
{
    for (;;) {
        const char *bytes = buffer_.constData();
        qsizetype end = at_;
        while (end < buffer_.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        if (end < buffer_.size()) {
            const qsizetype from = at_;
            at_ = end + 1;
            const bool crlf = end == from && bytes[end] == '\n' && afterCR_;
            afterCR_ = bytes[end] == '\r';
            if (crlf)
                continue; // the LF of a CR LF line end
            ++lineNumber_;
            if (std::exchange(skipping_, false) || end - from > MaxLineLength)
                continue;
            line = QByteArrayView(bytes + from, end - from);
            return true;
        }
        // No line end in the buffer: a line that grew too long is dropped
        // as it is read.
        if (buffer_.size() - at_ > MaxLineLength) {
            skipping_ = true;
            at_ = buffer_.size();
        }
        compact();
        const QByteArray more = file_->read(ReadChunk);
        if (more.isEmpty()) {
            if (ended_ || skipping_ || buffer_.isEmpty())
                return false;
            ended_ = true; // the last line, without a line end
            ++lineNumber_;
            line = QByteArrayView(buffer_);
            at_ = buffer_.size();
            return true;
        }
        buffer_ += more;
    }
}

void DatLineReader::countLine(char end, bool empty)
{
    // The empty line between the CR and the LF of a CR LF is no line.
    if (!(empty && end == '\n' && afterCR_))
        ++lineNumber_;
    afterCR_ = end == '\r';
}

bool DatLineReader::fill(qint64 upTo)
{
    // Keeps the bytes from the file position `upTo` covers in the buffer.
    while (pos_ + buffer_.size() < std::min(upTo, size_)) {
        compact();
        const QByteArray more = file_->read(ReadChunk);
        if (more.isEmpty())
            return false;
        buffer_ += more;
    }
    return true;
}

bool DatLineReader::nextBlockLine(QByteArrayView &line)
{
    const qint64 position = pos_ + at_;
    if (position + Block < size_) {
        if (!fill(position + Block))
            return false;
        const char *start = buffer_.constData() + at_;
        qsizetype i = 0;
        while (i < Block && start[i] != '\r' && start[i] != '\n')
            ++i;
        line = QByteArrayView(start, i);
        at_ += i < Block ? i + 1 : Block;
        countLine(i < Block ? start[i] : 0, i == 0);
        return true;
    }
    // The tail: lines that end with CR or LF.
    if (!fill(size_))
        return false;
    const qsizetype end = static_cast<qsizetype>(size_ - pos_);
    const char *bytes = buffer_.constData();
    qsizetype i = at_;
    while (i < end && bytes[i] != '\r' && bytes[i] != '\n')
        ++i;
    if (i >= end)
        return false; // the last line has no line end
    line = QByteArrayView(bytes + at_, i - at_);
    countLine(bytes[i], i == at_);
    at_ = i + 1;
    return true;
}

} // namespace k71t
