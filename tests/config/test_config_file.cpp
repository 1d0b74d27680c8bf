// The 650-byte configuration file, byte for byte.
#include "config/ConfigFile.h"
#include "config/StandardConfig.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

#include <QDir>
#include <cstring>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

RegisterImage patterned()
{
    RegisterImage im;
    for (int i = 0; i < 60; ++i)
        im.reg16(4000 + i) = static_cast<std::uint16_t>(0x0101 * i + 0x1000);
    for (int i = 0; i < 80; ++i)
        im.reg16(4300 + i) = static_cast<std::uint16_t>(0xF000 - i);
    for (int i = 0; i < 90; ++i)
        im.reg32(7600 + i) = static_cast<float>(i) * -1.25f + 0.1f;
    return im;
}

bool sameConfiguration(const RegisterImage &a, const RegisterImage &b)
{
    for (int r = 4000; r < 6000; ++r)
        if (a.reg16(r) != b.reg16(r))
            return false;
    for (int s = 0; s < Regs32Count; ++s)
        if (a.bits32(s) != b.bits32(s))
            return false;
    return true;
}

} // namespace

TEST(ConfigFile, LayoutByteForByte)
{
    RegisterImage im;
    im.reg16(4000) = 0x1234;
    im.reg16(4059) = 0xABCD;
    im.reg16(4300) = 0x0102;
    im.reg16(4379) = 0xFFFE;
    im.reg32(7600) = 1.0f;
    im.reg32(7689) = -2.0f;
    const QByteArray b = buildConfigFile(im);
    ASSERT_EQ(b.size(), 650);
    EXPECT_EQ(b.left(10), QByteArray("K71T-001\0\0", 10));
    EXPECT_EQ(b.mid(10, 2), QByteArray::fromHex("1234"));
    EXPECT_EQ(b.mid(128, 2), QByteArray::fromHex("abcd"));
    EXPECT_EQ(b.mid(130, 2), QByteArray::fromHex("0102"));
    EXPECT_EQ(b.mid(288, 2), QByteArray::fromHex("fffe"));
    EXPECT_EQ(b.mid(290, 4), QByteArray::fromHex("0000803f"));
    EXPECT_EQ(b.mid(646, 4), QByteArray::fromHex("000000c0"));
}

TEST(ConfigFile, RoundTripRestoresEveryRegisterOfTheThreeBlocks)
{
    test::TempDir dir;
    const RegisterImage original = patterned();
    ASSERT_EQ(saveConfigFile(dir.file("a"), original), dir.file("a.k71t"));
    RegisterImage loaded;
    ASSERT_EQ(loadConfigFile(dir.file("a.k71t"), loaded), ConfigLoad::Loaded);
    EXPECT_TRUE(sameConfiguration(original, loaded));
}

TEST(ConfigFile, RefusedFilesLeaveTheImageUnchanged)
{
    test::TempDir dir;
    const QByteArray good = buildConfigFile(patterned());
    QByteArray header = good;
    header[4] = '_';
    QByteArray lowerCase = good;
    lowerCase[0] = 'k';
    const QList<QPair<const char *, QByteArray>> cases = {
        {"651 bytes", good + QByteArray(1, '\0')},
        {"649 bytes", good.left(649)},
        {"one header character", header},
        {"lower-case header", lowerCase},
        {"empty", QByteArray()},
        {"another program's file", QByteArray(650, 'x')},
        {"oversized", good + QByteArray(100000, 'y')},
    };
    for (const auto &c : cases) {
        dir.write("bad.k71t", c.second);
        RegisterImage im;
        loadStandardConfiguration(im);
        const RegisterImage before = im;
        EXPECT_EQ(loadConfigFile(dir.file("bad.k71t"), im), ConfigLoad::Invalid) << c.first;
        EXPECT_TRUE(sameConfiguration(before, im)) << c.first;
    }
    // A folder where the file should be, and no file at all.
    QDir(dir.path()).mkdir("folder.k71t");
    RegisterImage im;
    EXPECT_EQ(loadConfigFile(dir.file("folder.k71t"), im), ConfigLoad::Invalid);
    EXPECT_EQ(loadConfigFile(dir.file("def.k71t"), im), ConfigLoad::Missing);
}

TEST(ConfigFile, NameRule)
{
    EXPECT_EQ(configFileName("konfiguracja"), QStringLiteral("konfiguracja.k71t"));
    EXPECT_EQ(configFileName("konfiguracja.k71t"), QStringLiteral("konfiguracja.k71t"));
    EXPECT_EQ(configFileName("konfiguracja.K71T"), QStringLiteral("konfiguracja.K71T.k71t"));
    EXPECT_EQ(configFileName("/x/a.k71t.old"), QStringLiteral("/x/a.k71t.old"));
    EXPECT_EQ(configFileName(".k71t"), QStringLiteral(".k71t.k71t"));
}

TEST(ConfigFile, FailedSaveKeepsThePreviousFile)
{
    test::TempDir dir;
    const QByteArray previous = buildConfigFile(patterned());
    dir.write("keep.k71t", previous);
    EXPECT_TRUE(saveConfigFile(dir.file("missing/x"), RegisterImage()).isEmpty());
    QDir(dir.path()).mkdir("folder.k71t");
    EXPECT_TRUE(saveConfigFile(dir.file("folder.k71t"), RegisterImage()).isEmpty());
    EXPECT_EQ(dir.read("keep.k71t"), previous);
}
