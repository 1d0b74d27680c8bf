// Loading the chart's series from .dat and .bin files: which lines count,
// the statistics, the markers, the line rules of the reader.
#include "archive/ArchiveFiles.h"
#include "chart/SeriesLoad.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

QByteArray line(const char *date, const char *time, int device, const char *r0, const char *r5 = "*")
{
    return QByteArray(date) + '\t' + time + '\t' + QByteArray::number(device) + '\t' + r0 +
           "\t2.000000E+000\t*\t*\t*\t" + r5 + "\t*\t*\t*\t*";
}

struct Load {
    SeriesModel model;
    std::array<SeriesData, SeriesCount> data;
    FileLoadOutcome run(const QString &path, int address = 5, int from = 20130916, int to = 20130917)
    {
        return loadSeriesFromFile(path, static_cast<std::uint8_t>(address), from, to, model, data);
    }
};

} // namespace

TEST(SeriesLoad, DatLinesDatesMetersAndDevices)
{
    test::TempDir dir;
    const QByteArray heading = "Archiwum odczytano: 2013-09-18 06:00:00\n\rDEV 2\n\rData\tCzas\tDEV\tR0\tR1\n\r";
    QByteArray dat = heading;
    dat += line("2013-09-15", "23:59:59", 2, "1.000000E+000") + "\r\n";  // before the range
    dat += line("2013-09-16", "00:00:00", 2, "2.000000E+000") + "\r\n";  // on the from-date
    dat += line("2013-09-16", "08:00:00", 3, "9.000000E+000") + "\r\n";  // another device
    dat += line("2013-09-16", "09:00:00", 2, "*", "5.500000E+000") + "\r\n"; // no R0, R5 there
    dat += line("2013-09-17", "23:59:59", 2, "-4.000000E+000") + "\r\n"; // on the to-date
    dat += line("2013-09-17", "10:00:00", 2, "-4.000000E+000") + "\n";  // a tie for the minimum
    dat += line("2013-09-18", "00:00:00", 2, "7.000000E+000") + "\r\n";  // after the range
    dat += line("2013-09-17", "11:00:00", 2, "3.000000E+000");           // no line end: not a line
    dir.write("a.dat", dat);

    Load l;
    l.model.series[0] = WYKRES{5, 2, 0, QStringLiteral("R0")};
    l.model.series[1] = WYKRES{5, 2, 5, QStringLiteral("R5")};
    l.model.series[2] = WYKRES{6, 2, 0, QStringLiteral("inny")};
    l.model.series[3] = WYKRES{0, 2, 0, QStringLiteral("wył")};
    const FileLoadOutcome out = l.run(dir.file("a.dat"));
    EXPECT_EQ(out.kind, FileLoadOutcome::Kind::Dat);
    EXPECT_TRUE(out.opened);
    // Four rows of DEV 2 in the range, for both series of the meter.
    EXPECT_EQ(l.data[0].rows.size(), 4u);
    EXPECT_EQ(l.data[1].rows.size(), 4u);
    EXPECT_TRUE(l.data[2].rows.empty());
    EXPECT_TRUE(l.data[3].rows.empty());
    // R0 "*" is a row but no point; R5 has one value.
    ASSERT_EQ(l.data[0].points.size(), 3u);
    EXPECT_EQ(l.data[0].points[0].x, QDateTime(QDate(2013, 9, 16), QTime(0, 0), Qt::UTC).toSecsSinceEpoch());
    EXPECT_EQ(l.data[0].points[2].y, -4.0);
    EXPECT_EQ(l.data[1].points.size(), 1u);
    const WYKRES_INFO &i = l.model.info[0];
    EXPECT_EQ(i.pointCount, 3u);
    EXPECT_EQ(i.maxValue, 2.0f);
    EXPECT_EQ(i.maxTime, QStringLiteral("2013-09-16 00:00:00"));
    EXPECT_EQ(i.minValue, -4.0f);
    EXPECT_EQ(i.minTime, QStringLiteral("2013-09-17 10:00:00")); // the last of the tie
    EXPECT_FLOAT_EQ(i.average, -2.0f);
    EXPECT_EQ(l.model.info[1].average, 5.5f);
    // Loading again doubles everything.
    l.run(dir.file("a.dat"));
    EXPECT_EQ(l.model.info[0].pointCount, 6u);
    EXPECT_EQ(l.data[0].rows.size(), 8u);
    // Another date range: nothing added, the statistics as they were.
    const WYKRES_INFO before = l.model.info[0];
    l.run(dir.file("a.dat"), 5, 20140101, 20141231);
    EXPECT_EQ(l.model.info[0], before);
}

TEST(SeriesLoad, TheReadersLineRules)
{
    test::TempDir dir;
    const QByteArray good = line("2013-09-16", "08:00:00", 2, "1.000000E+000");
    struct Case {
        const char *what;
        QByteArray file;
        int rows;
    };
    // In the block phase 1000 bytes without a line end are a line of their
    // own, so the data line right behind them is read.
    QByteArray cut = QByteArray(1000, 'x') + good + "\n" + QByteArray(1200, '\n');
    QByteArray longTail = QByteArray(1000, 'y');
    longTail += "\n" + good + "\n" + good + "\n";
    const Case cases[] = {
        {"a short file: all in the tail", good + "\r\n" + good + "\n", 2},
        {"no line end at the end", good + "\n" + good, 1},
        {"1000 bytes without a line end, then a data line", cut, 1},
        {"CR LF pairs", good + "\r\n\r\n" + good + "\r\n", 2},
        {"binary garbage", QByteArray(5000, '\t') + "\n\0\x01\xff" + good + "\n", 1},
        {"a data line of 1000 x 100", [&] {
             QByteArray many;
             for (int k = 0; k < 1000; ++k)
                 many += good + "\r\n";
             return many;
         }(),
         1000},
        {"a 1000-byte line then lines", longTail, 2},
    };
    for (const Case &c : cases) {
        dir.write("c.dat", c.file);
        Load l;
        l.model.series[0] = WYKRES{5, 2, 0, QStringLiteral("a")};
        l.run(dir.file("c.dat"));
        EXPECT_EQ(static_cast<int>(l.data[0].rows.size()), c.rows) << c.what;
    }
}

TEST(SeriesLoad, BinFilesGroupedAsTheExportAndTypesByTheSuffix)
{
    test::TempDir dir;
    auto store = std::make_unique<RecordStore>();
    int n = 0;
    // DEV 2: R0 and R5 at one moment, a value above 1.0E+10, a record of
    // another moment between two of one moment (two rows).
    (*store)[n++] = ArchiveRecord::make(3, 0, 2013, 9, 16, 8, 0, 0, 1.5f);
    (*store)[n++] = ArchiveRecord::make(3, 5, 2013, 9, 16, 8, 0, 0, 2.5f);
    (*store)[n++] = ArchiveRecord::make(3, 0, 2013, 9, 16, 8, 1, 0, 5e10f);
    (*store)[n++] = ArchiveRecord::make(3, 0, 2013, 9, 16, 8, 0, 0, 3.5f);
    (*store)[n++] = ArchiveRecord::make(1, 0, 2013, 9, 16, 8, 0, 0, 99.0f); // DEV 0
    ASSERT_FALSE(SaveNewBin(dir.file("a.bin"), *store, n, RegisterImage{}).isEmpty());
    QDir(dir.path()).mkpath(QStringLiteral("x.dat.d"));
    QFile::copy(dir.file("a.bin"), dir.file("x.dat.d/A.BIN"));

    for (const QString &path : {dir.file("a.bin"), dir.file("x.dat.d/A.BIN")}) {
        Load l;
        l.model.series[0] = WYKRES{5, 2, 0, QStringLiteral("R0")};
        l.model.series[1] = WYKRES{5, 0, 0, QStringLiteral("DEV0")};
        const FileLoadOutcome out = l.run(path);
        EXPECT_EQ(out.kind, FileLoadOutcome::Kind::Bin) << path.toStdString();
        ASSERT_EQ(l.data[0].rows.size(), 3u);
        EXPECT_EQ(l.data[0].rows[0].R[5], 2.5f);
        EXPECT_EQ(l.data[0].rows[1].R[0], 2.0e20f); // above 1.0E+10: no value
        EXPECT_EQ(l.data[0].rows[2].R[0], 3.5f);
        EXPECT_EQ(l.data[0].rows[2].R[5], 2.0e20f); // no record: "*" in an export, no value
        EXPECT_EQ(l.data[0].points.size(), 2u);
        EXPECT_EQ(l.model.info[1].maxValue, 99.0f);
    }
    // Wrong sizes and missing files add nothing and say so.
    dir.write("short.bin", QByteArray(250, '\0'));
    for (const char *name : {"short.bin", "none.bin", "none.dat", "a.txt"}) {
        Load l;
        l.model.series[0] = WYKRES{5, 2, 0, QStringLiteral("R0")};
        const FileLoadOutcome out = l.run(dir.file(name));
        EXPECT_FALSE(out.opened) << name;
        EXPECT_TRUE(l.data[0].rows.empty()) << name;
    }
}
