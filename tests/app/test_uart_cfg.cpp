#include "link/LineCodes.h"
#include "shell/PortChoices.h"
#include "shell/UartCfg.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace k71t;

namespace {
struct Expect {
    bool ok;
    int port, mode, speed;
};
} // namespace

TEST(UartCfg, BytesAreTakenOneByOne)
{
    struct Case {
        QByteArray bytes;
        Expect e;
    };
    const Case cases[] = {
        {QByteArray::fromHex("000307"), {true, 0, 3, 7}},
        {QByteArray::fromHex("070000"), {true, 7, 0, 0}},
        {QByteArray::fromHex("090000"), {false, 2, 1, 7}}, // rejected at byte 0
        {QByteArray::fromHex("010702"), {false, 1, 1, 7}}, // port taken, mode rejected
        {QByteArray::fromHex("010208"), {false, 1, 2, 7}}, // port and mode taken
        {QByteArray::fromHex("0102"), {false, 2, 1, 7}},   // too short
        {QByteArray::fromHex("01020300"), {false, 2, 1, 7}}, // too long
        {QByteArray(), {false, 2, 1, 7}},
    };
    for (const Case &c : cases) {
        test::TempDir dir;
        dir.write("uart.cfg", c.bytes);
        PortSettings s;
        EXPECT_EQ(loadUartCfg(dir.file("uart.cfg"), s), c.e.ok) << c.bytes.toHex().constData();
        EXPECT_EQ(s.portIndex, c.e.port) << c.bytes.toHex().constData();
        EXPECT_EQ(s.modeKind, c.e.mode) << c.bytes.toHex().constData();
        EXPECT_EQ(s.speedIndex, c.e.speed) << c.bytes.toHex().constData();
    }
}

TEST(UartCfg, MissingFileOrFolderChangesNothing)
{
    test::TempDir dir;
    PortSettings s;
    EXPECT_FALSE(loadUartCfg(dir.file("uart.cfg"), s));
    QDir(dir.path()).mkdir("uart.cfg");
    EXPECT_FALSE(loadUartCfg(dir.file("uart.cfg"), s));
    EXPECT_EQ(s.portIndex, 2);
    EXPECT_EQ(s.modeKind, 1);
    EXPECT_EQ(s.speedIndex, 7);
}

TEST(UartCfg, SaveWritesThreeBytes)
{
    test::TempDir dir;
    PortSettings s{4, 2, 3};
    ASSERT_TRUE(saveUartCfg(dir.file("uart.cfg"), s));
    EXPECT_EQ(dir.read("uart.cfg"), QByteArray::fromHex("040203"));
    PortSettings back;
    EXPECT_TRUE(loadUartCfg(dir.file("uart.cfg"), back));
    EXPECT_EQ(back.speedIndex, 3);
    EXPECT_FALSE(saveUartCfg(dir.file("no-such-folder/uart.cfg"), s));
}

TEST(PortChoices, ListPositionsAreNotStoredValues)
{
    EXPECT_EQ(meterModeItems(), (QStringList{"8N2", "8E1", "8O1", "8N1"}));
    EXPECT_EQ(meterSpeedItems(), (QStringList{"4.8k", "9.6k", "19.2k", "38.4k", "57.6k", "115.2k"}));
    const int modes[] = {1, 2, 3, 0};
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(modeKindForMeterCode(p), modes[p]);
        EXPECT_EQ(meterCodeForModeKind(modes[p]), p);
    }
    const int speeds[] = {1, 2, 4, 5, 6, 7};
    for (int p = 0; p < 6; ++p) {
        EXPECT_EQ(speedIndexForMeterCode(p), speeds[p]);
        EXPECT_EQ(meterCodeForSpeedIndex(speeds[p]), p);
    }
    EXPECT_EQ(meterCodeForSpeedIndex(0), -1);
    EXPECT_EQ(meterCodeForSpeedIndex(3), -1);
    EXPECT_EQ(speedIndexForMeterCode(-1), -1);
    EXPECT_EQ(modeKindForMeterCode(-1), -1);
}

TEST(PortChoices, MeterAddress)
{
    EXPECT_EQ(parseMeterAddress("12.7"), 12);
    EXPECT_EQ(parseMeterAddress("1"), 1);
    EXPECT_EQ(parseMeterAddress("247"), 247);
    EXPECT_EQ(parseMeterAddress("1.99"), 1);
    for (const char *bad : {"0", "0.5", "248", "247.01", "247.9", "-3", "abc", "", " ", "12,7", "1e9"})
        EXPECT_FALSE(parseMeterAddress(QString::fromLatin1(bad)).has_value()) << bad;
}
