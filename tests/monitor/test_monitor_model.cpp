// The monitor without its windows: the read against the simulated meter over
// the pseudo-terminal, a day of ticks on the fake clock, and the redraw's
// texts and gauges.
#include "monitor/MonitorModel.h"
#include "support/FakeClock.h"
#include "support/SimFixture.h"
#include "support/Wait.h"

#include <cmath>
#include <unistd.h>
#include <gtest/gtest.h>
#include <limits>

using namespace k71t;
using k71t::sim::Bytes;
using k71t::sim::Fault;

namespace {

using Request = std::tuple<int, int, int>; // function, start, count

std::vector<Request> requests(const test::SimHarness &sim)
{
    return sim.requests();
}

bool allWithoutValue(const RegisterImage &image, int first, int last)
{
    for (int r = first; r <= last; ++r)
        if (image.reg32(r) != NoValue)
            return false;
    return true;
}

const std::vector<Request> FourBlocks = {{3, 8000, 50}, {3, 8050, 50}, {3, 7500, 30}, {3, 4050, 5}};

} // namespace

TEST(MonitorRead, FourBlocksThenBlinkingFailureAndRecovery)
{
    test::SimHarness sim;
    test::LinkHarness pc(sim.path);
    MonitorModel monitor(pc.link, pc.image);
    sim.meter.pin(8000, 4.5f); // DEV 0 R0 holds a value
    sim.meter.setReg16(4052, 0x05);

    ASSERT_EQ(monitor.tick(), MonitorModel::TickResult::Read);
    EXPECT_EQ(requests(sim), FourBlocks);
    EXPECT_EQ(monitor.tickCounter(), 1);
    EXPECT_EQ(monitor.heartbeat(), MonitorModel::Led::Green);
    EXPECT_TRUE(liveValueValid(pc.image.reg32(7505)));
    EXPECT_EQ(pc.image.reg32(8000), 4.5f);
    EXPECT_EQ(pc.image.reg16(4052), 0x05);
    ASSERT_EQ(monitor.tick(), MonitorModel::TickResult::Read);
    EXPECT_EQ(monitor.heartbeat(), MonitorModel::Led::Black);

    // Silent: the first block gives up, nothing after it is asked; no device
    // value and no live value survives; the heartbeat blinks red/black with
    // the window translucent on red.
    sim.meter.clearReceived();
    sim.fault(Fault::Silence);
    EXPECT_EQ(monitor.tick(), MonitorModel::TickResult::Failed);
    EXPECT_EQ(requests(sim), (std::vector<Request>{{3, 8000, 50}}));
    EXPECT_TRUE(allWithoutValue(pc.image, 8000, 8099));
    EXPECT_TRUE(allWithoutValue(pc.image, 7500, 7549));
    EXPECT_EQ(monitor.heartbeat(), MonitorModel::Led::Red);
    EXPECT_TRUE(monitor.translucent());
    EXPECT_EQ(monitor.tick(), MonitorModel::TickResult::Failed);
    EXPECT_EQ(monitor.heartbeat(), MonitorModel::Led::Black);
    EXPECT_FALSE(monitor.translucent());
    EXPECT_EQ(monitor.tick(), MonitorModel::TickResult::Failed);
    EXPECT_EQ(monitor.heartbeat(), MonitorModel::Led::Red);

    // Corrupt and foreign answers fail the read the same way.
    for (Fault f : {Fault::BadCrc, Fault::WrongSlave, Fault::Truncated, Fault::ByteCount}) {
        sim.fault(f);
        EXPECT_EQ(monitor.tick(), MonitorModel::TickResult::Failed) << int(f);
        EXPECT_TRUE(allWithoutValue(pc.image, 8000, 8099));
    }

    // A later block failing (the alarm bits) still clears every device value.
    sim.fault(Fault::Exception, 0, 4, 1500, 4050);
    EXPECT_EQ(monitor.tick(), MonitorModel::TickResult::Failed);
    EXPECT_TRUE(allWithoutValue(pc.image, 8000, 8099));

    // While another operation holds the link, a tick is skipped, not nested.
    {
        sim.meter.clearReceived();
        const ModbusLink::Session download(pc.link);
        const std::uint8_t before = monitor.tickCounter();
        EXPECT_EQ(monitor.tick(), MonitorModel::TickResult::Skipped);
        EXPECT_EQ(monitor.tickCounter(), before);
        EXPECT_TRUE(requests(sim).empty());
    }
    EXPECT_FALSE(pc.link.busy());

    // It recovers by itself.
    sim.fault(Fault::None);
    EXPECT_EQ(monitor.tick(), MonitorModel::TickResult::Read);
    EXPECT_EQ(monitor.heartbeat(), MonitorModel::Led::Green);
    EXPECT_TRUE(liveValueValid(pc.image.reg32(8000)));
}

TEST(MonitorRead, DrainsFirstAndWaitsLongerThanAPage)
{
    test::SimHarness sim;
    test::LinkHarness pc(sim.path);
    MonitorModel monitor(pc.link, pc.image);
    // Three stray bytes on the line before the monitor asks.
    ASSERT_TRUE(pc.link.openIfClosed());
    const std::uint8_t noise[] = {0x55, 0xAA, 0x01};
    ASSERT_EQ(::write(sim.line.masterFd(), noise, sizeof noise), 3);
    ASSERT_TRUE(test::waitUntil([&] { return pc.link.inputQueueCount() == 3; }));
    EXPECT_TRUE(monitor.read());

    // A reply 700 ms late: more than a page's 500 polls of at least 1 ms
    // wait for, within the monitor's 1000.
    sim.fault(Fault::Late, 1, 4, 700);
    EXPECT_TRUE(monitor.read());
}

TEST(MonitorChart, ADayOfTicksOnTheFakeClock)
{
    test::SimHarness sim; // the link is never used here
    test::LinkHarness pc(sim.path);
    MonitorModel monitor(pc.link, pc.image);
    test::FakeClock clock;
    const QDateTime start = clock.at;
    pc.image.reg32(7505) = 12.5f;
    pc.image.reg16(4052) = 0x09; // AL1 and AL4 on

    // A point every tenth tick, and only for a value.
    int points = 0;
    for (int t = 1; t <= 30; ++t) {
        monitor.countTick();
        monitor.readDone(true);
        pc.image.reg32(7505) = t == 20 ? NoValue : 12.5f;
        points += monitor.sample(clock.at = start.addSecs(t)) ? 1 : 0;
    }
    EXPECT_EQ(points, 2); // ticks 10 and 30
    EXPECT_EQ(monitor.pointCount(), 2);
    EXPECT_EQ(monitor.series(0).back().key, start.addSecs(30).toMSecsSinceEpoch() / 1000.0);
    EXPECT_EQ(monitor.series(1).back().value, 1.0);
    EXPECT_EQ(monitor.series(2).back().value, 0.0);
    EXPECT_EQ(monitor.series(4).back().value, 1.0);

    // A day and more: the count stays at 8640 and the oldest point of all
    // five series goes. After the 8-bit counter wraps, one interval is 6 ticks.
    monitor.clearChart();
    int ticks = 0;
    while (monitor.pointCount() < MonitorModel::MaxPoints || ticks < 100000) {
        monitor.countTick();
        ++ticks;
        monitor.sample(start.addSecs(ticks));
    }
    EXPECT_EQ(monitor.pointCount(), MonitorModel::MaxPoints);
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(monitor.series(s).size(), static_cast<std::size_t>(MonitorModel::MaxPoints)) << s;
    // Points every 10 ticks for 250 of each 256, then 6: 26 points per 256 ticks.
    const double newest = monitor.series(0).back().key;
    const double oldest = monitor.series(0).front().key;
    EXPECT_EQ(monitor.series(1).front().key, oldest);
    EXPECT_NEAR(newest - oldest, (MonitorModel::MaxPoints - 1) * 256.0 / 26.0, 256.0);

    // The monitored channel: the same one keeps the chart, another clears it.
    EXPECT_FALSE(monitor.setChannel(100));
    EXPECT_EQ(monitor.pointCount(), MonitorModel::MaxPoints);
    EXPECT_EQ(monitor.chartTitle(), QStringLiteral("Wartość wyświetlana"));
    EXPECT_TRUE(monitor.setChannel(25));
    EXPECT_EQ(monitor.pointCount(), 0);
    EXPECT_TRUE(monitor.series(3).empty());
    EXPECT_EQ(monitor.chartTitle(), QStringLiteral("Urządzenie: DEV2 Rejestr: R5"));
    // Channel 25 follows register 8025.
    pc.image.reg32(8025) = 3.0f;
    while (monitor.tickCounter() % 10 != 9)
        monitor.countTick();
    monitor.countTick();
    ASSERT_TRUE(monitor.sample(start));
    EXPECT_EQ(monitor.series(0).back().value, 3.0);

    // Precision: 4, 3, 2, 1, 0, 4, each label on its own.
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        monitor.cyclePrecision(1);
        seen.push_back(monitor.precision(1));
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1, 0, 4, 3}));
    EXPECT_EQ(monitor.precision(0), 4);
    EXPECT_EQ(monitor.precision(2), 4);
}

TEST(MonitorRedraw, TextsAndGauges)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Text {
        float value;
        int decimals;
        const char *label, *grid;
    };
    for (const Text &t : {Text{1e10f, 4, "^^^^^", "*****"}, Text{NoValue, 4, "^^^^^", "*****"},
                          Text{nan, 4, "^^^^^", "*****"}, Text{inf, 4, "^^^^^", "*****"},
                          Text{-inf, 4, "^^^^^", "*****"}, Text{-1e20f, 4, "^^^^^", "*****"},
                          Text{12.345678f, 2, "12.35", "12.3457"}, Text{-3.75f, 0, "-4", "-3.7500"},
                          Text{100.0f, 4, "100.0000", "100.0000"}})
        EXPECT_EQ(MonitorModel::labelText(t.value, t.decimals), QString::fromUtf8(t.label)) << t.value;
    for (const Text &t : {Text{1e10f, 4, "", "*****"}, Text{12.345678f, 4, "", "12.3457"}})
        EXPECT_EQ(MonitorModel::gridText(t.value), QString::fromUtf8(t.grid)) << t.value;

    struct Gauge {
        float value;
        std::optional<int> permille, percent;
    };
    for (const Gauge &g : {Gauge{200.0f, std::nullopt, std::nullopt}, Gauge{1e20f, std::nullopt, std::nullopt},
                           Gauge{nan, std::nullopt, std::nullopt}, Gauge{199.9f, 1000, 100},
                           Gauge{100.0f, 1000, 100}, Gauge{12.34f, 123, 12}, Gauge{12.36f, 124, 12},
                           Gauge{-5.0f, 0, 0}, Gauge{-inf, 0, 0}}) {
        EXPECT_EQ(MonitorModel::permilleGauge(g.value), g.permille) << g.value;
        EXPECT_EQ(MonitorModel::percentGauge(g.value), g.percent) << g.value;
    }
    using Q = MonitorModel::Quality;
    for (const auto &[value, q] : {std::pair{49.9f, Q::Red}, std::pair{50.0f, Q::Yellow}, std::pair{80.0f, Q::Yellow},
                                   std::pair{80.5f, Q::Green}, std::pair{0.0f, Q::Red}})
        EXPECT_EQ(MonitorModel::quality(value), q) << value;
}
