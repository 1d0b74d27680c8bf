// k71t-cli against the simulated meter.
#include "Cli.h"
#include "support/SimFixture.h"

#include <gtest/gtest.h>

using namespace k71t;

namespace {

struct CliRun {
    int status;
    QString out, err;
};

CliRun cli(const QStringList &args)
{
    CliRun r;
    r.status = runCli(args, r.out, r.err);
    return r;
}

} // namespace

TEST(Cli, ReadsSixteenBitAndFloatRegisters)
{
    test::SimHarness sim;
    sim.meter.setReg16(4000, 42);
    sim.meter.setReg16(4002, 65535);
    auto r = cli({"--device", sim.path, "read", "4000", "3"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("4000\t42\n4001\t0\n4002\t65535\n"));

    sim.meter.setReg32(7601, 0.1f);
    r = cli({"--device", sim.path, "read", "7600", "2"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    // Nine significant digits: the float reads back exactly.
    EXPECT_EQ(r.out, QStringLiteral("7600\t50\n7601\t0.100000001\n"));
}

TEST(Cli, LongReadsAreSplitIntoBlocks)
{
    test::SimHarness sim;
    for (int i = 0; i < 250; ++i)
        sim.meter.setReg16(4100 + i, static_cast<std::uint16_t>(i));
    const auto r = cli({"--device", sim.path, "read", "4100", "250"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 250);
    EXPECT_EQ(lines[249], QStringLiteral("4349\t249"));
    EXPECT_EQ(sim.validFrames().size(), 3u);
}

TEST(Cli, WritesRegisters)
{
    test::SimHarness sim(3);
    auto r = cli({"--device", sim.path, "--address", "3", "write", "4003", "120", "2"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(sim.meter.reg16(4003), 120);
    EXPECT_EQ(sim.meter.reg16(4004), 2);
    r = cli({"--device", sim.path, "--address", "3", "write", "7600", "12.5", "-19999"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(sim.meter.reg32(7600), 12.5f);
    EXPECT_EQ(sim.meter.reg32(7601), -19999.0f);
}

TEST(Cli, MeterFailuresExitWithOne)
{
    test::SimHarness sim;
    auto r = cli({"--device", sim.path, "--address", "2", "read", "4000", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("nie odpowiada"))) << r.err.toStdString();
    r = cli({"--device", sim.path, "--speed", "9600", "read", "4000", "1"});
    EXPECT_EQ(r.status, 1);
    r = cli({"--device", "/dev/does-not-exist", "read", "4000", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("/dev/does-not-exist"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(Cli, UsageErrorsExitWithTwo)
{
    const QList<QStringList> bad = {
        {},
        {"read", "4000", "1"},
        {"--device", "/dev/null", "--port", "COM1", "read", "4000", "1"},
        {"--device", "/dev/null"},
        {"--device", "/dev/null", "read", "6000", "1"},
        {"--device", "/dev/null", "read", "5999", "2"},
        {"--device", "/dev/null", "read", "4000"},
        {"--device", "/dev/null", "read", "4000", "0"},
        {"--device", "/dev/null", "write", "4000", "70000"},
        {"--device", "/dev/null", "write", "7600", "1,5"},
        {"--device", "/dev/null", "--mode", "7N1", "read", "4000", "1"},
        {"--device", "/dev/null", "--speed", "1000", "read", "4000", "1"},
        {"--device", "/dev/null", "--address", "248", "read", "4000", "1"},
        {"--port", "COM9", "read", "4000", "1"},
        {"--device", "/dev/null", "erase"},
    };
    for (const QStringList &args : bad) {
        const auto r = cli(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    const auto help = cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("read START")));
}
