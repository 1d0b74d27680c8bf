// Page read and page write over the pseudo-terminal.
#include "config/PageIO.h"
#include "support/SimFixture.h"

#include <gtest/gtest.h>

using namespace k71t;
using k71t::sim::Fault;

TEST(PageIO, NumericFieldCheck)
{
    EXPECT_EQ(checkNumber("3600", 1, 3600), 3600.0);
    EXPECT_EQ(checkNumber("1", 1, 3600), 1.0);
    EXPECT_FALSE(checkNumber("0", 1, 3600));
    EXPECT_FALSE(checkNumber("3600.01", 1, 3600));
    EXPECT_FALSE(checkNumber("2,9", 1, 3600));
    EXPECT_EQ(checkNumber("2.9", 1, 3600), 2.9);
    EXPECT_EQ(checkNumber("-19999", -19999, 99999), -19999.0);
    EXPECT_FALSE(checkNumber("", -19999, 99999));
}

TEST(PageIO, ReadStopsAtTheFirstFailingBlock)
{
    test::SimHarness sim;
    test::LinkHarness pc(sim.path);
    sim.meter.setReg16(4013, 77);
    sim.meter.setReg32(7604, 12.5f);
    sim::FaultPlan plan;
    plan.fault = Fault::BadCrc;
    plan.nth = 2;
    sim.meter.setFault(plan);
    EXPECT_FALSE(pageRead(pc.link, {{4013, 16}, {7604, 8}, {4044, 1}}));
    EXPECT_EQ(pc.image.reg16(4013), 77);    // the first block stays
    EXPECT_EQ(pc.image.reg32(7604), 0.0f);  // the failing one stored nothing
    EXPECT_EQ(sim.validFrames().size(), 2u); // the third was never asked
    EXPECT_TRUE(pageRead(pc.link, {{4013, 16}, {7604, 8}}));
    EXPECT_EQ(pc.image.reg32(7604), 12.5f);
}

TEST(PageIO, WriteStopsAtTheFirstFailingBlock)
{
    test::SimHarness sim;
    test::LinkHarness pc(sim.path);
    pc.image.reg16(4013) = 9;
    pc.image.reg32(7604) = 3.5f;
    pc.image.reg16(4044) = 1;
    sim::FaultPlan plan;
    plan.fault = Fault::Silence;
    plan.nth = 2;
    sim.meter.setFault(plan);
    EXPECT_FALSE(pageWrite(pc.link, {{4013, 16}, {7604, 8}, {4044, 1}}));
    EXPECT_EQ(sim.meter.reg16(4013), 9);
    EXPECT_EQ(sim.meter.reg32(7604), 100.0f); // lost on the line
    EXPECT_EQ(sim.meter.reg16(4044), 0);      // never sent
    EXPECT_EQ(sim.validFrames().size(), 2u);
}

TEST(PageIO, UnopenablePortFailsAtOnce)
{
    test::LinkHarness pc(QStringLiteral("/dev/does-not-exist"));
    EXPECT_FALSE(pageRead(pc.link, {{4000, 1}}));
    EXPECT_FALSE(pageWrite(pc.link, {{4000, 1}}));
}
