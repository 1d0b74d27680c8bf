#include "config/RegisterMap.h"
#include "config/StandardConfig.h"
#include "link/LineCodes.h"

#include <gtest/gtest.h>
#include <set>

using namespace k71t;

TEST(RegisterMap, EveryRegisterOnceInAddressOrder)
{
    std::set<int> seen;
    int previous = 0;
    for (const RegisterInfo &r : registerMap()) {
        EXPECT_TRUE(seen.insert(r.address).second) << r.address;
        EXPECT_GT(r.address, previous);
        previous = r.address;
        EXPECT_LE(r.low, r.high) << r.address;
        EXPECT_EQ(r.kind == RegKind::F32, RegisterImage::is32(r.address)) << r.address;
    }
    int configuration = 0;
    for (int a : seen)
        configuration += isConfigurationRegister(a) ? 1 : 0;
    EXPECT_EQ(configuration, 60 + 80 + 90);
    EXPECT_NE(registerInfo(4033), nullptr);
    EXPECT_EQ(registerInfo(4033)->high, 247);
    EXPECT_EQ(registerInfo(7664)->low, -9999);
    EXPECT_EQ(registerInfo(4100), nullptr);
}

TEST(RegisterMap, StandardConfiguration)
{
    RegisterImage im;
    im.Regs16.fill(0xFFFF);
    im.Regs32.fill(-1.0f);
    loadStandardConfiguration(im);
    const int words[60] = {0, 0, 0, 1, 0, 0, 0, 0, 1, 3, 1, 2, 0, 0, 5, 0, 0, 0, 5, 0,
                           0, 0, 5, 0, 0, 0, 5, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0, 500, 0, 0,
                           0, 101, 2009, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(im.reg16(4000 + i), words[i]) << 4000 + i;
    const int device[8] = {0, 7505, 1, 6, 1, 0, 1, 0};
    for (int i = 0; i < 80; ++i)
        EXPECT_EQ(im.reg16(4300 + i), device[i % 8]) << 4300 + i;
    const float head[22] = {50, 80, -19999, 99999, 100, 200, 100, 200, 100, 200, 100,
                            200, 0, 99999, 100, 0.1f, 0.1f, 99999, 1, 0.1f, 0.1f, 99999};
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(im.reg32(7600 + i), head[i]) << 7600 + i;
    EXPECT_EQ(im.reg32(7622), 0.0f);
    EXPECT_EQ(im.reg32(7662), 2000.0f);
    EXPECT_EQ(im.reg32(7663), 2000.0f);
    EXPECT_EQ(im.reg32(7664), 100.0f);
    EXPECT_EQ(im.reg32(7683), 200.0f);
    EXPECT_EQ(im.reg32(7689), 0.0f);
    // Registers outside the configuration are left alone.
    EXPECT_EQ(im.reg16(4500), 0xFFFF);
    EXPECT_EQ(im.reg32(7505), -1.0f);
}

TEST(RegisterMap, QuantitySelectors)
{
    const QStringList display = displayQuantityItems();
    ASSERT_EQ(display.size(), 101);
    EXPECT_EQ(display[25], QStringLiteral("Urządzenie 2 rejestr 5"));
    EXPECT_EQ(display[100], QStringLiteral("Czas"));
    const QStringList alarm = alarmQuantityItems();
    ASSERT_EQ(alarm.size(), 102);
    EXPECT_EQ(alarm[25], QStringLiteral("Dev 2 R 5 - Urządzenie 2 rejestr 5"));
    EXPECT_EQ(alarm[100], QStringLiteral("Zegar czasu rzeczywistego"));
    EXPECT_EQ(alarm[101], QStringLiteral("Wartość wyświetlana"));
    const QStringList analog = analogQuantityItems();
    ASSERT_EQ(analog.size(), 102);
    EXPECT_EQ(analog[99], QStringLiteral("Dev 9 R 9 - Urządzenie 9 rejestr 9"));
    EXPECT_EQ(analog[100], QStringLiteral("Wartość wyświetlana"));
    EXPECT_EQ(analog[101], QStringLiteral("Zegar czasu rzeczywistego"));
}

TEST(RegisterMap, CodedLists)
{
    const QStringList types = registerTypeItems();
    ASSERT_EQ(types.size(), 26);
    EXPECT_EQ(types[0], QStringLiteral("fun. 3 - char"));
    EXPECT_EQ(types[12], QStringLiteral("fun. 3 - unsigned long 1032"));
    EXPECT_EQ(types[13], QStringLiteral("fun. 4 - char"));
    EXPECT_EQ(types[19], QStringLiteral("fun. 4 - float"));
    const QStringList kinds = archivingKindItems();
    ASSERT_EQ(kinds.size(), 11);
    EXPECT_EQ(kinds[0], QStringLiteral("Ciągła"));
    EXPECT_EQ(kinds[10], QStringLiteral("R9 - warunkowa"));
    EXPECT_EQ(operatingModeItems()[4], QStringLiteral("MASTER Archiwizaja uruchomiona"));
    EXPECT_EQ(alarmTypeItems()[4], QStringLiteral("zawsze właczony"));
    EXPECT_EQ(baudForSpeedCode(0), 4800);
    EXPECT_EQ(baudForSpeedCode(5), 115200);
    EXPECT_EQ(baudForSpeedCode(6), -1);
    EXPECT_EQ(colourForCode(0), QColor(255, 0, 0));
    EXPECT_EQ(colourForCode(1), QColor(0, 255, 0));
    EXPECT_EQ(colourForCode(2), QColor(255, 255, 0));
    EXPECT_FALSE(colourForCode(3).isValid());
}
