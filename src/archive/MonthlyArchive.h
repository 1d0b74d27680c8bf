#pragma once
// The monthly archive: the meter's memory card holds a folder per month
// (.../ARCHIVES/2013/09/) with a text file per day, DAY_01.DAT .. DAY_31.DAT,
// each a heading line and then one line per moment and device. The
// conversion sorts a month's lines by device into K71T_201309_D0.DAT ..
// D9.DAT: each begins with the heading of the first daily file that had
// lines of its device, then the device's lines in day order (file order
// within a day), each ended by CR LF.
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace k71t {

constexpr int MonthlyDevices = 10;

// "K71T_201309_" for a month folder: the path ends with "ARCHIVES" (upper
// case, the whole name of a folder), a separator, four digits of a year, a
// separator, two digits of a month 01 .. 12 and at most one separator.
// Empty for any other path.
QString monthlyFilePrefix(const QString &sourceFolder);

// prefix + "D3.DAT" for device 3.
QString monthlyFileName(const QString &prefix, int device);

// Day `day`'s file in `folder`: DAY_%02u.DAT, found whatever the case of its
// letters (a FAT card may show it as day_05.dat); the exact name first.
// Empty when the folder holds no such file.
QString dailyFilePath(const QString &folder, int day);

struct MonthlyOutcome {
    bool wrote = false;                       // at least one monthly file was written
    std::array<int, MonthlyDevices> lines{};  // data lines written per device
    QStringList files;                        // the files written, by device
    QString lastFile;                         // the monthly file name written last
    int dailyFiles = 0;                       // daily files read
    int droppedNoValue = 0;                   // data lines with "E+020"
    int droppedDevice = 0;                    // data lines without a device digit at index 20
    int droppedLong = 0;                      // lines over a mebibyte (no daily file has such lines)
    QString error;                            // why the run failed (nothing was replaced then)
};

// Called with each daily file's path before it is read.
using MonthlyProgress = std::function<void(const QString &dailyPath)>;

// Converts the month in `source` into `destination` (both folders). The
// monthly files are built beside their final names and replace the old
// ones only after every daily file was read and every monthly file written
// in full; a failure leaves all old files as they were and sets `error`
// (the file and the system's reason).
MonthlyOutcome createMonthlyArchive(const QString &source, const QString &destination, const QString &prefix,
                                    const MonthlyProgress &progress = {});

} // namespace k71t
