// Loading the chart's series from .dat and .bin files: which lines count,
// the statistics, the markers, the line rules of the reader.
#include "archive/ArchiveFiles.h"
#include "archive/DataLine.h"
#include "common/DateFormats.h"
#include "chart/SeriesLoad.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
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
    dat += line("2013-09-16", "09:30:00", 2, "1.000000E+020") + "\r\n"; // a memory card's no-value
    dat += line("2013-09-16", "09:45:00", 2, "1,500000E+000") + "\r\n"; // a decimal comma: refused
    dat += line("2013-09-17", "23:59:59", 2, "-4.000000E+000") + "\r\n"; // on the to-date
    dat += line("2013-09-17", "10:00:00", 2, "-4.000000E+000") + "\n";  // a tie for the minimum
    dat += line("2013-09-18", "00:00:00", 2, "7.000000E+000") + "\r\n";  // after the range
    dat += line("2013-09-17", "11:00:00", 2, "3.000000E+000");           // no line end: not a line
    dir.write("a.dat", dat);

    Load l;
    l.model.series[0] = SeriesAssignment{5, 2, 0, QStringLiteral("R0")};
    l.model.series[1] = SeriesAssignment{5, 2, 5, QStringLiteral("R5")};
    l.model.series[2] = SeriesAssignment{6, 2, 0, QStringLiteral("inny")};
    l.model.series[3] = SeriesAssignment{0, 2, 0, QStringLiteral("wył")};
    const FileLoadOutcome out = l.run(dir.file("a.dat"));
    EXPECT_EQ(out.kind, FileLoadOutcome::Kind::Dat);
    EXPECT_TRUE(out.opened);
    // Five rows of DEV 2 in the range, for both series of the meter.
    EXPECT_EQ(l.data[0].rows.size(), 5u);
    EXPECT_EQ(l.data[1].rows.size(), 5u);
    EXPECT_EQ(out.refused.count, 1);
    EXPECT_EQ(out.refused.firstLineNumber, 12); // the heading's LF CR pairs are two line ends each
    EXPECT_TRUE(out.refused.report().endsWith(QStringLiteral("wiersz 12: 2013-09-16 09:45:00 2 1,500000E+000 "
                                                             "2.000000E+000 * * * * * * * *)")))
        << out.refused.report().toStdString();
    EXPECT_TRUE(l.data[2].rows.empty());
    EXPECT_TRUE(l.data[3].rows.empty());
    // R0 "*" and 1.0E+20 are rows but no points; R5 has one value.
    ASSERT_EQ(l.data[0].points.size(), 3u);
    EXPECT_EQ(l.data[0].points[0].x, QDateTime(QDate(2013, 9, 16), QTime(0, 0), Qt::UTC).toSecsSinceEpoch());
    EXPECT_EQ(l.data[0].points[2].y, -4.0);
    EXPECT_EQ(l.data[1].points.size(), 1u);
    const SeriesStatistics &i = l.model.statistics[0];
    EXPECT_EQ(i.pointCount, 3u);
    EXPECT_EQ(i.maxValue, 2.0f);
    EXPECT_EQ(i.maxTime, QStringLiteral("2013-09-16 00:00:00"));
    EXPECT_EQ(i.minValue, -4.0f);
    EXPECT_EQ(i.minTime, QStringLiteral("2013-09-17 10:00:00")); // the last of the tie
    EXPECT_FLOAT_EQ(i.average, -2.0f);
    EXPECT_EQ(l.model.statistics[1].average, 5.5f);
    // Loading again doubles everything.
    l.run(dir.file("a.dat"));
    EXPECT_EQ(l.model.statistics[0].pointCount, 6u);
    EXPECT_EQ(l.data[0].rows.size(), 10u);
    // Another date range: nothing added, the statistics as they were.
    const SeriesStatistics before = l.model.statistics[0];
    l.run(dir.file("a.dat"), 5, 20140101, 20141231);
    EXPECT_EQ(l.model.statistics[0], before);
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
        {"a line of 100 kB, then a data line", QByteArray(100000, 'q') + "\n" + good + "\n" + QByteArray(1500, '\n'), 1},
        {"wrong TAB counts, impossible dates and times",
         good + "\t\n" + good.left(good.lastIndexOf('\t')) + "\n" + line("2013-02-29", "08:00:00", 2, "1") + "\n" +
             line("2013-09-16", "24:00:00", 2, "1") + "\n" + good + "\n",
         1},
        {"lines the parser refuses (nan, a decimal comma) are skipped",
         line("2013-09-16", "08:00:00", 2, "nan") + "\n" + line("2013-09-16", "08:00:00", 2, "1,5") + "\n" + good + "\n",
         1},
    };
    for (const Case &c : cases) {
        dir.write("c.dat", c.file);
        Load l;
        l.model.series[0] = SeriesAssignment{5, 2, 0, QStringLiteral("a")};
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
    ASSERT_FALSE(saveNewBin(dir.file("a.bin"), *store, n, RegisterImage{}).isEmpty());
    QDir(dir.path()).mkpath(QStringLiteral("x.dat.d"));
    QFile::copy(dir.file("a.bin"), dir.file("x.dat.d/A.BIN"));

    for (const QString &path : {dir.file("a.bin"), dir.file("x.dat.d/A.BIN")}) {
        Load l;
        l.model.series[0] = SeriesAssignment{5, 2, 0, QStringLiteral("R0")};
        l.model.series[1] = SeriesAssignment{5, 0, 0, QStringLiteral("DEV0")};
        const FileLoadOutcome out = l.run(path);
        EXPECT_EQ(out.kind, FileLoadOutcome::Kind::Bin) << path.toStdString();
        ASSERT_EQ(l.data[0].rows.size(), 3u);
        EXPECT_EQ(l.data[0].rows[0].R[5], 2.5f);
        EXPECT_EQ(l.data[0].rows[1].R[0], 2.0e20f); // above 1.0E+10: no value
        EXPECT_EQ(l.data[0].rows[2].R[0], 3.5f);
        EXPECT_EQ(l.data[0].rows[2].R[5], 2.0e20f); // no record: "*" in an export, no value
        EXPECT_EQ(l.data[0].points.size(), 2u);
        EXPECT_EQ(l.model.statistics[1].maxValue, 99.0f);
    }
    // Wrong sizes and missing files add nothing and say so.
    dir.write("short.bin", QByteArray(250, '\0'));
    for (const char *name : {"short.bin", "none.bin", "none.dat", "a.txt"}) {
        Load l;
        l.model.series[0] = SeriesAssignment{5, 2, 0, QStringLiteral("R0")};
        const FileLoadOutcome out = l.run(dir.file(name));
        EXPECT_FALSE(out.opened) << name;
        EXPECT_EQ(out.wrongSize, QByteArray(name) == "short.bin") << name;
        EXPECT_TRUE(l.data[0].rows.empty()) << name;
    }
    // An archive without records is read and holds nothing.
    dir.write("empty.bin", QByteArray(240, '\0'));
    Load empty;
    empty.model.series[0] = SeriesAssignment{5, 2, 0, QStringLiteral("R0")};
    const FileLoadOutcome out = empty.run(dir.file("empty.bin"));
    EXPECT_TRUE(out.opened);
    EXPECT_FALSE(out.wrongSize);
    EXPECT_EQ(out.rowsTaken, 0);
}

// The loader reads a file once for all series. Here each series is read the
// long way instead: the file read again per series with the 1000-byte block
// rule written out step by step, and a .bin first written out as text, one
// line per group of records of one device and moment, devices in order. Both
// must give the same rows, points and statistics.
namespace {

struct Literal {
    const SeriesModel &assign;
    int from, to;
    std::uint8_t address;
    SeriesModel model;
    std::array<SeriesData, SeriesCount> data;

    void line(int s, const QByteArray &text)
    {
        DataLine p;
        if (!parseDataLine(text, p))
            return;
        const SeriesAssignment &w = assign.series[s];
        if (address != w.address || p.device != w.device || p.dateKey < from || p.dateKey > to)
            return;
        SeriesRow row{p.dateKey, p.timeKey, {}};
        std::copy(std::begin(p.R), std::end(p.R), row.R);
        data[s].rows.push_back(row);
        const float v = p.R[w.registerNo];
        if (isSeriesValue(v)) {
            data[s].points.push_back({seriesX(p.dateKey, p.timeKey), v});
            char stamp[32];
            writeDateTimeKeys(p.dateKey, p.timeKey, ' ', stamp);
            model.statistics[s].count(v, QString::fromLatin1(stamp));
        }
    }

    void readDat(int s, const QByteArray &file)
    {
        const qint64 size = file.size();
        qint64 position = 0;
        while (position + 1000 < size) {
            const QByteArray block = file.mid(position, 1000);
            qint64 i = 0;
            while (i < 1000 && block[i] != '\r' && block[i] != '\n')
                ++i;
            line(s, block.left(i));
            position += i < 1000 ? i + 1 : 1000;
        }
        QByteArray current;
        for (qint64 k = position; k < size; ++k) {
            if (file[k] == '\r' || file[k] == '\n') {
                line(s, current);
                current.clear();
            } else {
                current += file[k];
            }
        }
    }

    static QByteArray binAsText(const QByteArray &bin)
    {
        const int n = static_cast<int>((bin.size() - 240) / 12);
        QByteArray text;
        for (int k = 0; k < 10; ++k) {
            struct Row { int date, time; float R[10]; };
            std::vector<Row> rows;
            for (int r = 0; r < n; ++r) {
                const auto *b = reinterpret_cast<const std::uint8_t *>(bin.constData()) + 12 * r;
                if (b[0] != k + 1)
                    continue;
                const int date = (2000 + b[2]) * 10000 + b[3] * 100 + b[4];
                const int time = b[5] * 10000 + b[6] * 100 + b[7];
                if (rows.empty() || rows.back().date != date || rows.back().time != time)
                    rows.push_back({date, time, {1e20f, 1e20f, 1e20f, 1e20f, 1e20f, 1e20f, 1e20f, 1e20f, 1e20f, 1e20f}});
                float v;
                std::memcpy(&v, b + 8, 4);
                rows.back().R[b[1] % 10] = v;
            }
            for (const Row &row : rows) {
                char stamp[32];
                writeDateTimeKeys(row.date, row.time, '\t', stamp);
                text += stamp;
                text += '\t' + QByteArray::number(k);
                for (float v : row.R) {
                    text += '\t';
                    if (v > 1.0e10f || !std::isfinite(v)) {
                        text += '*'; // a record that holds no number has no value
                        continue;
                    }
                    // Ten significant digits and a three-digit exponent.
                    char printed[64];
                    std::snprintf(printed, sizeof printed, "%.9E", static_cast<double>(v));
                    QByteArray e(printed);
                    const qsizetype x = e.indexOf('E');
                    QByteArray digits = e.mid(x + 2);
                    while (digits.size() < 3)
                        digits.prepend('0');
                    text += e.left(x + 2) + digits;
                }
                text += '\n';
            }
        }
        return text;
    }
};

} // namespace

TEST(SeriesLoad, OnePassGivesWhatAReadingPerSeriesGives)
{
    test::TempDir dir;
    std::mt19937 random(71);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    // A .bin: records of devices 0..4, some moments repeated, some values
    // above 1.0E+10, dates around the range.
    auto store = std::make_unique<RecordStore>();
    const int n = 6000;
    int second = 0;
    for (int r = 0; r < n; ++r) {
        if (pick(0, 3) == 0)
            second += pick(1, 600);
        const int day = 15 + second / 86400;
        const float v = pick(0, 40) == 0 ? 3e10f : static_cast<float>(pick(-5000, 5000)) / 7.0f;
        (*store)[r] = ArchiveRecord::make(pick(1, 5), pick(0, 11), 2013, 9, std::min(day, 28), second / 3600 % 24,
                                          second / 60 % 60, second % 60, v);
    }
    // Records no export line could hold: a day that does not exist, hour
    // 24, minute 60; and values that are not numbers.
    (*store)[100] = ArchiveRecord::make(2, 3, 2013, 9, 31, 10, 0, 0, 1.0f);
    (*store)[200] = ArchiveRecord::make(2, 3, 2013, 9, 17, 24, 0, 0, 2.0f);
    (*store)[300] = ArchiveRecord::make(1, 0, 2013, 9, 17, 10, 60, 0, 3.0f);
    (*store)[400] = ArchiveRecord::make(2, 3, 2013, 9, 17, 10, 0, 1, std::nanf(""));
    (*store)[500] = ArchiveRecord::make(4, 1, 2013, 9, 17, 10, 0, 2, -HUGE_VALF);
    ASSERT_TRUE(saveBin(dir.file("a.bin"), *store, n, RegisterImage{}));
    // A .dat: the program's export of the same records with foreign lines,
    // CR LF and LF ends, a long line and a last line without an end.
    ASSERT_TRUE(exportDat(dir.file("e.dat"), *store, n, 20130901, 20130930, 0, 235959,
                          QDateTime(QDate(2013, 10, 1), QTime(6, 0))));
    QByteArray dat = dir.read("e.dat");
    dat.replace("\r\n", "\n");
    QByteArray mixed;
    for (const QByteArray &l : dat.split('\n')) {
        mixed += l + (pick(0, 1) ? "\r\n" : "\n");
        if (pick(0, 200) == 0)
            mixed += QByteArray(pick(900, 2100), 'z') + "\n";
        if (pick(0, 100) == 0)
            mixed += "2013-09-16\t08:00:00\t2\tnan\t1e400\t*\t*\t*\t*\t*\t*\t*\t*\n";
    }
    mixed += "2013-09-16\t08:00:00\t2\t1.0\t*\t*\t*\t*\t*\t*\t*\t*\t*";
    dir.write("m.dat", mixed);

    SeriesModel assign;
    assign.series[0] = SeriesAssignment{5, 0, 0, QStringLiteral("a")};
    assign.series[1] = SeriesAssignment{5, 1, 3, QStringLiteral("b")};
    assign.series[2] = SeriesAssignment{5, 1, 3, QStringLiteral("b again")};
    assign.series[4] = SeriesAssignment{5, 4, 9, QStringLiteral("e")};
    assign.series[5] = SeriesAssignment{6, 2, 1, QStringLiteral("another meter")};
    assign.series[7] = SeriesAssignment{5, 3, 1, QStringLiteral("h")};
    assign.series[9] = SeriesAssignment{5, 2, 7, QStringLiteral("j")};

    const QByteArray binText = Literal::binAsText(dir.read("a.bin"));
    for (const char *name : {"a.bin", "m.dat"}) {
        SCOPED_TRACE(name);
        Load one;
        one.model = assign;
        one.run(dir.file(name), 5, 20130916, 20131001);
        Literal each{assign, 20130916, 20131001, 5, assign, {}};
        const QByteArray content = QByteArray(name).endsWith(".bin") ? binText : dir.read(name);
        for (int s = 0; s < SeriesCount; ++s)
            if (assign.series[s].on())
                each.readDat(s, content);
        int rows = 0;
        for (int s = 0; s < SeriesCount; ++s) {
            SCOPED_TRACE(s);
            const auto &a = one.data[s];
            const auto &b = each.data[s];
            ASSERT_EQ(a.rows.size(), b.rows.size());
            rows += static_cast<int>(a.rows.size());
            for (std::size_t r = 0; r < a.rows.size(); ++r)
                ASSERT_EQ(std::memcmp(&a.rows[r], &b.rows[r], sizeof(SeriesRow)), 0) << r;
            ASSERT_EQ(a.points.size(), b.points.size());
            for (std::size_t p = 0; p < a.points.size(); ++p)
                ASSERT_TRUE(a.points[p].x == b.points[p].x && a.points[p].y == b.points[p].y) << p;
            EXPECT_EQ(one.model.statistics[s], each.model.statistics[s]);
        }
        EXPECT_GT(rows, 1000); // the files do reach the series
    }
}
