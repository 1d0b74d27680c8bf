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

// What a line of a .dat file is. A line that begins with a field shaped as
// a date (NNNN-NN-NN) is meant as data: it is Data when it has exactly 12
// TABs, a date YYYY-MM-DD that exists, a time HH:MM:SS, a device 0 .. 9 and
// ten register fields each either a number ("." as the point, optional
// exponent) within the single-precision range or the no-value marker "*"
// (which leaves DataLineNoValue), and Refused otherwise: a decimal comma, a
// word, a number that cannot be stored unchanged. Every other line (headings,
// blank lines) is NotData.
enum class LineVerdict { NotData, Data, Refused };
LineVerdict readDataLine(QByteArrayView line, DataLine &out);
// readDataLine(...) == LineVerdict::Data.
bool parseDataLine(QByteArrayView line, DataLine &out);

// The refused lines of a file: how many, and the first one.
struct RefusedLines {
    int count = 0;
    qint64 firstLineNumber = 0; // 1-based
    QByteArray firstText;       // at most 200 bytes of it
    void add(qint64 lineNumber, QByteArrayView text);
    // "Odrzucono wierszy pliku: N (pierwszy, wiersz L: TEXT)"; empty for none.
    QString report() const;
};

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
    // The 1-based number of the line last handed out, CR LF ending one line
    // (a 1000-byte piece of a longer line counts as a line of its own).
    qint64 lineNumber() const { return lineNumber_; }
    // Bytes of the file read past so far, and the file's size.
    qint64 position() const { return pos_ + at_; }
    qint64 size() const { return size_; }

private:
    bool nextLine(QByteArrayView &line);
    bool nextBlockLine(QByteArrayView &line);
    bool fill(qint64 upTo);
    // Drops the bytes before at_ from the buffer.
    void compact();
    // Counts the line handed out, which ended with `end` (0: none).
    void countLine(char end, bool empty);

    std::unique_ptr<QFile> file_;
    Rule rule_;
    bool opened_ = false;
    qint64 size_ = 0;
    qint64 pos_ = 0; // the file position of buffer_[0]
    QByteArray buffer_;
    qsizetype at_ = 0;      // the next unread byte in buffer_
    bool skipping_ = false; // EveryLine: inside a line over MaxLineLength
    bool ended_ = false;    // EveryLine: the last line has been handed out
    bool afterCR_ = false;  // the last line ended with CR
    qint64 lineNumber_ = 0;
};

// "2013-09-16" as 20130916: a date that exists (year 1 on); "14:05:09" as
// 140509: hours 0 .. 23, minutes and seconds 0 .. 59. False for anything else.
bool parseDateKey(QByteArrayView date, int &key);
bool parseTimeKey(QByteArrayView time, int &key);

} // namespace k71t
