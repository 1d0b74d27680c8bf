#pragma once
// One data line of a .dat export: date, time, device and R0 .. R9 separated
// by single TABs. The database import and the chart read .dat files with it.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>

class QFile;

namespace k71t {

// The database table's no-value marker, the single-precision 2E+20: what a
// register without a number ("*") holds after parsing.
constexpr float DataLineNoValue = 2.0e20f;

struct DataLine {
    int dateKey = 0; // yyyymmdd
    int timeKey = 0; // hhmmss
    std::uint8_t device = 0;
    float R[10]{};
};

// True when `line` (without its line end) is a data line: longer than 38
// characters, exactly 12 TABs, a date YYYY-MM-DD that exists, a time
// HH:MM:SS, a device 0 .. 255, and ten register fields each either a number
// ("." as the point, optional exponent) within the single-precision range or
// something else ("*"), which leaves DataLineNoValue. A number beyond the
// single-precision range refuses the line: it cannot be stored unchanged.
bool parseDataLine(QByteArrayView line, DataLine &out);

// The lines of a .dat file, in one of two rules:
//  - EveryLine (the database import): every line ended by CR or LF, and a
//    last line without one; a line over 4096 bytes is passed over (no data
//    line comes near it), so a file of any size, a binary one too, costs no
//    more memory than that.
//  - ThousandByteBlocks (the chart): while more than 1000 bytes are left, one
//    line per 1000-byte block (up to its first CR or LF, or the whole block
//    when it has none); the last 1000 bytes or less are split at every CR
//    and LF, and a last line without one is not a line.
class DatLineReader
{
public:
    enum class Rule { EveryLine, ThousandByteBlocks };
    static constexpr qsizetype MaxLineLength = 4096;

    explicit DatLineReader(const QString &path, Rule rule = Rule::EveryLine);
    ~DatLineReader();
    bool opened() const { return opened_; }
    // The next line, false at the end. The view stays valid until the next
    // call.
    bool next(QByteArrayView &line);
    bool next(QByteArray &line);

private:
    bool nextLine(QByteArrayView &line);
    bool nextBlockLine(QByteArrayView &line);
    bool fill(qint64 upTo);
    // Drops the bytes before at_ from the buffer.
    void compact();

    std::unique_ptr<QFile> file_;
    Rule rule_;
    bool opened_ = false;
    qint64 size_ = 0;
    qint64 pos_ = 0; // the file position of buffer_[0]
    QByteArray buffer_;
    qsizetype at_ = 0;      // the next unread byte in buffer_
    bool skipping_ = false; // EveryLine: inside a line over MaxLineLength
    bool ended_ = false;    // EveryLine: the last line has been handed out
};

// "2013-09-16" as 20130916: a date that exists (year 1 on); "14:05:09" as
// 140509: hours 0 .. 23, minutes and seconds 0 .. 59. False for anything else.
bool parseDateKey(QByteArrayView date, int &key);
bool parseTimeKey(QByteArrayView time, int &key);

} // namespace k71t
