// The chart's series model: series.conf byte by byte, damaged and hostile
// files, the statistics' rules, the description texts.
#include "chart/Series.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace k71t;

TEST(SeriesConf, ByteVectorsByHand)
{
    SeriesModel m;
    m.series[0] = SeriesAssignment{5, 2, 7, QStringLiteral("Hala")};
    m.series[9] = SeriesAssignment{247, 9, 9, QStringLiteral("Kocioł")};
    QByteArray expected = "\t5\t2\t7\tHala\t";
    for (int s = 2; s <= 9; ++s)
        expected += "0\t0\t0\tSeria " + QByteArray::number(s) + '\t';
    expected += "247\t9\t9\tKocio\xb3\t";
    EXPECT_EQ(seriesConfText(m), expected);
    SeriesModel back;
    EXPECT_TRUE(parseSeriesConf(expected, back));
    EXPECT_EQ(back.series, m.series);

    test::TempDir dir;
    ASSERT_TRUE(saveSeriesConf(dir.file("series.conf"), m));
    EXPECT_EQ(dir.read("series.conf"), expected);
    SeriesModel loaded;
    EXPECT_TRUE(loadSeriesConf(dir.file("series.conf"), loaded));
    EXPECT_EQ(loaded.series, m.series);
    // Missing: nothing changes.
    EXPECT_FALSE(loadSeriesConf(dir.file("brak.conf"), loaded));
    EXPECT_EQ(loaded.series, m.series);
}

TEST(SeriesConf, DamagedFilesKeepWhatCameBefore)
{
    SeriesModel full;
    for (int s = 0; s < SeriesCount; ++s)
        full.series[static_cast<std::size_t>(s)] =
            SeriesAssignment{static_cast<std::uint8_t>(10 + s), static_cast<std::uint8_t>(s),
                             static_cast<std::uint8_t>(9 - s), QStringLiteral("S%1").arg(s)};
    const QByteArray good = seriesConfText(full);
    struct Case {
        const char *what;
        QByteArray from, to;
        int whole;        // series read whole
        bool addressKept; // the next one's address read
        int device;       // and its device
    };
    const Case cases[] = {
        {"device of the third series \"x\"", "\t12\t2\t", "\t12\tx\t", 2, true, 0},
        {"device 10", "\t12\t2\t", "\t12\t10\t", 2, true, 0},
        {"register 10", "\t12\t2\t7\t", "\t12\t2\t10\t", 2, true, 2},
        {"address 248", "\t12\t2\t", "\t248\t2\t", 2, false, 0},
        {"address -1", "\t12\t2\t", "\t-1\t2\t", 2, false, 0},
        {"address empty", "\t12\t2\t", "\t\t2\t", 2, false, 0},
    };
    for (const Case &c : cases) {
        QByteArray f = good;
        f.replace(f.indexOf(c.from), c.from.size(), c.to);
        SeriesModel m;
        EXPECT_FALSE(parseSeriesConf(f, m)) << c.what;
        for (int s = 0; s < c.whole; ++s)
            EXPECT_EQ(m.series[static_cast<std::size_t>(s)], full.series[static_cast<std::size_t>(s)]) << c.what;
        const SeriesAssignment &broken = m.series[static_cast<std::size_t>(c.whole)];
        EXPECT_EQ(broken.address, c.addressKept ? full.series[static_cast<std::size_t>(c.whole)].address : 0) << c.what;
        EXPECT_EQ(broken.device, c.device) << c.what;
        EXPECT_EQ(broken.name, defaultSeriesName(c.whole)) << c.what;
        for (int s = c.whole + 1; s < SeriesCount; ++s)
            EXPECT_EQ(m.series[static_cast<std::size_t>(s)], (SeriesAssignment{0, 0, 0, defaultSeriesName(s)}))
                << c.what;
    }
    // Truncated, empty, binary and oversized files never crash or invent series.
    QByteArray noise(5000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>(i * 131 + 7);
    for (const QByteArray &f : {good.left(good.size() / 2), QByteArray(), QByteArray("\t"), noise}) {
        SeriesModel m;
        parseSeriesConf(f, m);
        for (const SeriesAssignment &w : m.series)
            EXPECT_TRUE(w.address <= 247 && w.device <= 9 && w.registerNo <= 9);
    }
    test::TempDir dir;
    dir.write("series.conf", QByteArray(2 << 20, '\t'));
    SeriesModel m;
    EXPECT_FALSE(loadSeriesConf(dir.file("series.conf"), m));
    EXPECT_EQ(m.series[0].name, QStringLiteral("Seria 1"));
}

TEST(SeriesModelTest, NamesStatisticsAndTexts)
{
    SeriesModel m;
    // A name with a TAB, CR or LF is stored without them.
    m.series[2] = SeriesAssignment{5, 2, 7, QStringLiteral("Ha\tla\r\n")};
    const QByteArray text = seriesConfText(m);
    SeriesModel back;
    ASSERT_TRUE(parseSeriesConf(text, back));
    EXPECT_EQ(back.series[2].name, QStringLiteral("Hala"));
    back.series[2].name = QStringLiteral("Hala");
    EXPECT_EQ(seriesDescription(back, 2), QStringLiteral("Seria3: Hala K71T Adres: 5 Urządzenie: DEV2"));
    EXPECT_EQ(seriesDescription(back, 9), QStringLiteral("Seria10: Seria 10 K71T Adres: 0 Urządzenie: DEV0"));
    back.series[2].name = QStringLiteral("P%3 %1"); // shown as typed
    EXPECT_EQ(seriesDescription(back, 2), QStringLiteral("Seria3: P%3 %1 K71T Adres: 5 Urządzenie: DEV2"));
    back.unlink();
    EXPECT_EQ(back.series[2], (SeriesAssignment{0, 0, 0, QStringLiteral("Seria 3")}));

    // Ties: the last extreme gives the time; the average over all counted.
    SeriesStatistics i;
    EXPECT_EQ(i.minValue, 2.0e20f);
    EXPECT_EQ(i.maxValue, -2.0e20f);
    EXPECT_EQ(i.minTime, QStringLiteral("Brak danych"));
    i.count(5, QStringLiteral("2013-09-16 08:00:00"));
    i.count(1, QStringLiteral("2013-09-16 08:01:00"));
    i.count(5, QStringLiteral("2013-09-16 08:02:00"));
    i.count(1, QStringLiteral("2013-09-16 08:03:00"));
    EXPECT_EQ(i.minValue, 1.0f);
    EXPECT_EQ(i.minTime, QStringLiteral("2013-09-16 08:03:00"));
    EXPECT_EQ(i.maxTime, QStringLiteral("2013-09-16 08:02:00"));
    EXPECT_EQ(i.pointCount, 4u);
    EXPECT_EQ(i.average, 3.0f);
    // Many values: no drift in the average.
    for (int k = 0; k < 600000; ++k)
        i.count(0.1f, QString());
    EXPECT_FLOAT_EQ(i.average, static_cast<float>((12.0 + 600000 * static_cast<double>(0.1f)) / 600004));
    m.statistics[3] = i;
    m.clearStatistics();
    EXPECT_EQ(m.statistics[3], SeriesStatistics{});
}

TEST(SeriesModelTest, ValuesAndTheInformationText)
{
    const std::pair<float, const char *> values[] = {
        {0.0f, "0.000000"},          {1.5f, "1.500000"},         {0.1f, "0.100000"},
        {123.456789f, "123.457000"}, {-2.5f, "-2.500000"},       {999999.4f, "999999.000000"},
        {999999.6f, "1.00000E+06"},  {1234567.0f, "1.23457E+06"}, {2.0e20f, "2.00000E+20"},
        {-2.0e20f, "-2.00000E+20"},  {-0.0000001f, "-0.000000"},
    };
    for (const auto &[v, text] : values)
        EXPECT_EQ(formatSeriesValue(v), QString::fromLatin1(text)) << v;

    SeriesModel m;
    m.series[1] = SeriesAssignment{5, 2, 7, QStringLiteral("Hala")};
    const QStringList lines = chartInfoText(m).split(QLatin1Char('\n'));
    const QString rule(31, QLatin1Char('-'));
    EXPECT_EQ(lines.mid(0, 14), (QStringList{"Seria 1 jest wyłączona.", "", rule, "", "Seria 2", "Nazwa: Hala",
                                             "Adres K71T: 5   Urządzenie: DEV2   Rejestr: R7",
                                             "MIN: 2.00000E+20   Czas: Brak danych",
                                             "MAX: -2.00000E+20   Czas: Brak danych", "Średnia: 2.00000E+20",
                                             "Liczba punktów: 0", "", rule, ""}));
    EXPECT_EQ(lines.size(), 4 * 9 + 10);
}
