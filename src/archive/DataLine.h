#pragma once
// One data line of a .dat export: date, time, device and R0 .. R9 separated
// by single TABs. The database import and the chart read .dat files with it.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

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

// "2013-09-16" as 20130916: a date that exists (year 1 on); "14:05:09" as
// 140509: hours 0 .. 23, minutes and seconds 0 .. 59. False for anything else.
bool parseDateKey(QByteArrayView date, int &key);
bool parseTimeKey(QByteArrayView time, int &key);

} // namespace k71t
