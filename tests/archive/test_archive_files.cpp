// Archive records, .bin files and the .dat export, byte for byte.
#include "archive/ArchiveFiles.h"
#include "common/TextFormats.h"
#include "support/DiskLimits.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

const QDateTime ExportTime(QDate(2026, 12, 8), QTime(17, 45, 3));

QByteArray heading()
{
    return QByteArray("\n\rArchiwum odczytano: 2026-12-08 o godzinie 17:45:03\n\r");
}

QByteArray deviceHeading(int oneBased)
{
    return QByteArray("\n\rUrz\xb9") + "dzenie " + QByteArray::number(oneBased) + "\n\r" +
           "Data\tCzas\tDEV\tR0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tR9\n\r";
}

struct Store {
    RecordStore store;
    int n = 0;
    void add(int device, int reg, int y, int mo, int d, int h, int mi, int s, float v)
    {
        store[n++] = ArchiveRecord::make(device, reg, y, mo, d, h, mi, s, v);
    }
};

} // namespace

TEST(ArchiveRecord, TwelveBytesAsTheMeterWritesThem)
{
    const ArchiveRecord r = ArchiveRecord::make(1, 2, 2013, 9, 16, 12, 5, 9, 1.5f);
    const QByteArray bytes(reinterpret_cast<const char *>(r.bytes.data()), 12);
    EXPECT_EQ(bytes, QByteArray::fromHex("01020d09100c05090000c03f"));
    EXPECT_EQ(r.dateKey(), 20130916);
    EXPECT_EQ(r.timeKey(), 120509);
    EXPECT_EQ(r.value(), 1.5f);
    EXPECT_EQ(ArchiveRecord::make(1, 0, 2013, 1, 1, 0, 0, 0, NoValue).valueBits(), 0x60AD78ECu);
}

TEST(BinFile, LayoutAndRoundTrip)
{
    test::TempDir dir;
    Store s;
    s.add(1, 0, 2013, 9, 16, 12, 0, 0, 1.5f);
    s.add(3, 9, 2013, 9, 17, 23, 59, 59, -2.0f);
    RegisterImage image;
    image.reg16(4300) = 0x1234;
    image.reg16(4379) = 0xBEEF;
    image.reg32(7664) = 1.0f;
    image.reg32(7683) = 200.0f;
    ASSERT_TRUE(saveBin(dir.file("a.bin"), s.store, 2, image));
    const QByteArray b = dir.read("a.bin");
    ASSERT_EQ(b.size(), 12 * 2 + 240);
    EXPECT_EQ(b.left(12), QByteArray::fromHex("01000d09100c00000000c03f"));
    EXPECT_EQ(b.mid(12, 12), QByteArray::fromHex("03090d0911173b3b000000c0"));
    EXPECT_EQ(b.mid(24, 2), QByteArray::fromHex("1234"));
    EXPECT_EQ(b.mid(24 + 158, 2), QByteArray::fromHex("beef"));
    EXPECT_EQ(b.mid(24 + 160, 4), QByteArray::fromHex("0000803f"));
    EXPECT_EQ(b.mid(24 + 236, 4), QByteArray::fromHex("00004843"));

    RecordStore loaded;
    RegisterImage back;
    ASSERT_EQ(loadBin(dir.file("a.bin"), loaded, back), 2);
    EXPECT_EQ(loaded[1].bytes, s.store[1].bytes);
    EXPECT_EQ(back.reg16(4300), 0x1234);
    EXPECT_EQ(back.reg16(4379), 0xBEEF);
    EXPECT_EQ(back.reg32(7664), 1.0f);
    EXPECT_EQ(back.reg32(7683), 200.0f);
}

TEST(BinFile, SizeRules)
{
    test::TempDir dir;
    RecordStore store;
    RegisterImage image;
    struct Case {
        int size;
        int records;
    };
    for (const Case c : {Case{240, 0}, Case{251, 0}, Case{239, 0}, Case{0, 0}, Case{252, 1}, Case{264, 2}}) {
        dir.write("x.bin", QByteArray(c.size, '\x01'));
        EXPECT_EQ(loadBin(dir.file("x.bin"), store, image), c.records) << c.size;
    }
    EXPECT_EQ(loadBin(dir.file("missing.bin"), store, image), 0);
    QDir(dir.path()).mkdir("folder.bin");
    EXPECT_EQ(loadBin(dir.file("folder.bin"), store, image), 0);
}

TEST(BinFile, MoreRecordsThanTheStoreHoldsAreRefused)
{
    test::TempDir dir;
    QFile big(dir.file("big.bin"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(12LL * (RecordStoreCapacity + 1) + 240)); // sparse
    big.close();
    RecordStore store;
    store[0] = ArchiveRecord::make(5, 5, 2020, 5, 5, 5, 5, 5, 5.0f);
    RegisterImage image;
    bool tooLarge = false;
    EXPECT_EQ(loadBin(dir.file("big.bin"), store, image, &tooLarge), 0);
    EXPECT_TRUE(tooLarge);
    EXPECT_EQ(store[0].device(), 5); // nothing was read
}

TEST(BinFile, NameFromTheClockAndAddress)
{
    EXPECT_EQ(binFileName(QDateTime(QDate(2013, 9, 16), QTime(14, 5, 9)), 1),
              QStringLiteral("2013-09-16_14_05_09_1.bin"));
    EXPECT_EQ(binFileName(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), 247),
              QStringLiteral("2026-01-02_03_04_05_247.bin"));
}

TEST(ExportRows, GroupingOfAdjacentRecordsOfOneMoment)
{
    Store s;
    s.add(1, 0, 2013, 9, 16, 12, 0, 0, 1.0f);
    s.add(2, 0, 2013, 9, 16, 12, 0, 0, 9.0f); // another device in between
    s.add(1, 13, 2013, 9, 16, 12, 0, 0, 3.0f); // register byte mod 10
    s.add(1, 0, 2013, 9, 16, 12, 0, 10, 4.0f);
    s.add(1, 1, 2013, 9, 16, 12, 0, 0, 5.0f);  // the earlier moment again: a new row
    s.add(1, 1, 2013, 9, 16, 12, 0, 0, 6.0f);  // overwrites
    s.add(1, 0, 2013, 9, 18, 12, 0, 0, 7.0f);  // outside the range
    std::vector<ExportRow> rows;
    ASSERT_EQ(buildExportRows(s.store, s.n, 0, 20130916, 20130917, rows), 3);
    EXPECT_EQ(rows[0].R[0], 1.0f);
    EXPECT_EQ(rows[0].R[3], 3.0f);
    EXPECT_EQ(rows[0].R[1], NoValue);
    EXPECT_EQ(rows[1].timeKey, 120010);
    EXPECT_EQ(rows[2].timeKey, 120000);
    EXPECT_EQ(rows[2].R[1], 6.0f);
    EXPECT_EQ(rows[2].R[0], NoValue);
    ASSERT_EQ(buildExportRows(s.store, s.n, 1, 20130916, 20130916, rows), 1);
    EXPECT_EQ(rows[0].R[0], 9.0f);
    EXPECT_EQ(buildExportRows(s.store, s.n, 2, 20130916, 20130918, rows), 0);
    // Only the first `count` records take part.
    EXPECT_EQ(buildExportRows(s.store, 1, 0, 20130916, 20130918, rows), 1);
}

TEST(DatExport, OneDayByteForByte)
{
    test::TempDir dir;
    Store s;
    s.add(1, 0, 2013, 9, 16, 12, 0, 0, 1.5f);
    s.add(1, 1, 2013, 9, 16, 12, 0, 0, 2.0f);
    s.add(1, 0, 2013, 9, 16, 12, 10, 0, 1.25f);
    s.add(4, 0, 2013, 9, 20, 12, 0, 0, 3.0f); // device 3 only outside the range
    s.add(10, 9, 2013, 9, 16, 23, 0, 0, -0.5f);
    ASSERT_TRUE(exportDat(dir.file("out"), s.store, s.n, 20130916, 20130916, 0, 235959, ExportTime));
    const QByteArray expected =
        heading() + deviceHeading(1) +
        "2013-09-16\t12:00:00\t0\t1.500000E+000\t2.000000E+000\t*\t*\t*\t*\t*\t*\t*\t*\n"
        "2013-09-16\t12:10:00\t0\t1.250000E+000\t*\t*\t*\t*\t*\t*\t*\t*\t*\n" +
        deviceHeading(10) + "2013-09-16\t23:00:00\t9\t*\t*\t*\t*\t*\t*\t*\t*\t*\t-5.000000E-001\n";
    EXPECT_EQ(dir.read("out.dat"), expected);
}

TEST(DatExport, SeveralDaysUseTenDigitsAndEveryTime)
{
    test::TempDir dir;
    Store s;
    s.add(1, 0, 2013, 9, 16, 0, 0, 1, 123.456f);
    s.add(1, 0, 2013, 9, 17, 23, 59, 59, 1.0e10f);
    s.add(1, 0, 2013, 9, 17, 23, 59, 59, 1.0e20f); // same moment: overwrites
    ASSERT_TRUE(exportDat(dir.file("multi.dat"), s.store, s.n, 20130916, 20130917, 0, 235959, ExportTime));
    const QByteArray expected = heading() + deviceHeading(1) +
                                "2013-09-16\t00:00:01\t0\t1.234560013E+002\t*\t*\t*\t*\t*\t*\t*\t*\t*\n"
                                "2013-09-17\t23:59:59\t0\t*\t*\t*\t*\t*\t*\t*\t*\t*\t*\n";
    EXPECT_EQ(dir.read("multi.dat"), expected);
}

TEST(DatExport, ValueTexts)
{
    char buf[32];
    const auto text = [&](float v, int digits) { return std::string(buf, static_cast<std::size_t>(exportValueText(v, digits, buf))); };
    EXPECT_EQ(text(123.456f, 7), "1.234560E+002");
    EXPECT_EQ(text(123.456f, 10), "1.234560013E+002");
    EXPECT_EQ(text(1.0e10f, 7), "1.000000E+010");
    EXPECT_EQ(text(1.0e20f, 7), "*");
    EXPECT_EQ(text(1.0001e10f, 7), "*");
    EXPECT_EQ(text(0.0f, 7), "0.000000E+000");
    EXPECT_EQ(text(-1.0e-30f, 7), "-1.000000E-030");
    EXPECT_EQ(text(-1.0e20f, 7), "-1.000000E+020"); // only values above 1.0E+10 are "*"
}

TEST(DatExport, TimeWindowOfOneDay)
{
    test::TempDir dir;
    Store s;
    s.add(1, 0, 2013, 9, 16, 9, 59, 59, 1.0f);
    s.add(1, 0, 2013, 9, 16, 10, 0, 0, 2.0f);
    s.add(1, 0, 2013, 9, 16, 10, 30, 0, 3.0f);
    s.add(1, 0, 2013, 9, 16, 10, 30, 1, 4.0f);
    ASSERT_TRUE(exportDat(dir.file("t.dat"), s.store, s.n, 20130916, 20130916, 100000, 103000, ExportTime));
    const QByteArray out = dir.read("t.dat");
    EXPECT_FALSE(out.contains("09:59:59"));
    EXPECT_TRUE(out.contains("10:00:00\t0\t2.000000E+000"));
    EXPECT_TRUE(out.contains("10:30:00\t0\t3.000000E+000"));
    EXPECT_FALSE(out.contains("10:30:01"));
}

TEST(DatExport, AppendsAndNamesAndRefusals)
{
    test::TempDir dir;
    Store s;
    s.add(1, 0, 2013, 9, 16, 12, 0, 0, 1.0f);
    ASSERT_TRUE(exportDat(dir.file("twice.dat"), s.store, s.n, 20130916, 20130916, 0, 235959, ExportTime));
    ASSERT_TRUE(exportDat(dir.file("twice.dat"), s.store, s.n, 20130916, 20130916, 0, 235959, ExportTime));
    EXPECT_EQ(dir.read("twice.dat").count("Archiwum odczytano: "), 2);
    EXPECT_EQ(datFileName("dane"), QStringLiteral("dane.dat"));
    EXPECT_EQ(datFileName("dane.dat"), QStringLiteral("dane.dat"));
    EXPECT_EQ(datFileName("dane.DAT"), QStringLiteral("dane.DAT.dat"));
    QDir(dir.path()).mkdir("folder.dat");
    QString error;
    EXPECT_FALSE(exportDat(dir.file("folder.dat"), s.store, s.n, 20130916, 20130916, 0, 235959, ExportTime, &error));
    EXPECT_FALSE(exportDat(dir.file("no/such/dir/x.dat"), s.store, s.n, 20130916, 20130916, 0, 235959, ExportTime));
    // An export with nothing in range still writes its heading.
    ASSERT_TRUE(exportDat(dir.file("empty.dat"), s.store, s.n, 20200101, 20200102, 0, 235959, ExportTime));
    EXPECT_EQ(dir.read("empty.dat"), heading());
}

namespace {

// Two devices, one record a minute over three days.
Store manyRows()
{
    Store s;
    for (int day = 16; day <= 18; ++day)
        for (int minute = 0; minute < 24 * 60; minute += 2) {
            s.add(1, 0, 2013, 9, day, minute / 60, minute % 60, 0, 1.5f * minute);
            s.add(4, 3, 2013, 9, day, minute / 60, minute % 60, 0, -0.25f * minute);
        }
    return s;
}

} // namespace

TEST(DatExport, FailedExportLeavesTheFileAsItWas)
{
    test::TempDir dir;
    const Store s = manyRows();
    int rows = -1;
    ASSERT_TRUE(exportDat(dir.file("a.dat"), s.store, s.n, 20130916, 20130918, 0, 235959, ExportTime, nullptr, &rows));
    EXPECT_EQ(rows, s.n); // one row per record: the two devices never share a row
    const QByteArray before = dir.read("a.dat");
    QString error;
    {
        // Room for a little more than the heading: the export fails halfway.
        const test::FileSizeLimit limit(static_cast<rlim_t>(before.size()) + 300);
        EXPECT_FALSE(
            exportDat(dir.file("a.dat"), s.store, s.n, 20130916, 20130918, 0, 235959, ExportTime, &error, &rows));
    }
    EXPECT_EQ(dir.read("a.dat"), before);
    EXPECT_EQ(error, QStringLiteral("plik zbyt duży"));
    EXPECT_EQ(rows, 0);
    // A file the failed export created is not left behind, not even empty.
    {
        const test::FileSizeLimit limit(300);
        EXPECT_FALSE(exportDat(dir.file("new.dat"), s.store, s.n, 20130916, 20130918, 0, 235959, ExportTime));
    }
    EXPECT_FALSE(QFile::exists(dir.file("new.dat")));
    // Nor does an export wait on a pipe, or take a device for a file.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("pipe.dat")).constData(), 0600), 0);
    EXPECT_FALSE(exportDat(dir.file("pipe.dat"), s.store, s.n, 20130916, 20130918, 0, 235959, ExportTime, &error));
    EXPECT_EQ(error, QStringLiteral("to nie jest zwykły plik"));
}

TEST(DatExport, FullDiskIsReportedAsSuch)
{
    test::SmallDisk disk(64 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "a small file system needs root to mount";
    const Store s = manyRows();
    QFile small(disk.file("a.dat"));
    ASSERT_TRUE(small.open(QIODevice::WriteOnly));
    small.write("earlier export\n");
    small.close();
    QString error;
    EXPECT_FALSE(exportDat(disk.file("a.dat"), s.store, s.n, 20130916, 20130918, 0, 235959, ExportTime, &error));
    EXPECT_EQ(error, QStringLiteral("brak miejsca na dysku"));
    ASSERT_TRUE(small.open(QIODevice::ReadOnly));
    EXPECT_EQ(small.readAll(), QByteArray("earlier export\n"));
}
