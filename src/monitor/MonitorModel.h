#pragma once
// The live monitor without its windows: the once-a-second read of the
// meter's live values, the monitor's state (precisions, tick counter,
// monitored channel, heartbeat) and the rolling chart of the monitored
// channel and the four alarms. The windows only draw it.
#include "link/ModbusLink.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>

namespace k71t {

// A live float holds a value when it is above -1e20 and below 1e10; NaN
// holds none.
bool liveValueValid(float value);

// A chart point: the time as seconds since the epoch (the key of a
// date-time axis) and the value.
struct MonitorPoint {
    double key;
    double value;
};

class MonitorModel {
public:
    static constexpr int MaxPoints = 8640;       // 24 hours of one point every 10 s
    static constexpr int DisplayedChannel = 100; // the displayed value, 7505
    static constexpr int PollLimit = 1000;

    enum class Led { Black, Green, Red };
    enum class Quality { Red, Yellow, Green };

    MonitorModel(ModbusLink &link, RegisterImage &image);

    // The monitor read: input drained once, then 8000 x50, 8050 x50 and
    // 7500 x30 (floats) and 4050 x5, 1 ms polls up to 1001, 10 ms after each
    // block; the first failing block ends it. A failed read leaves every
    // device value 8000 .. 8099 without a value, so nothing from an earlier
    // poll passes for current.
    bool read();

    enum class TickResult { Read, Failed, Skipped };
    // One tick of the timer: the counter, the read, and on failure 7500 ..
    // 7549 without a value; the heartbeat and the window's translucency
    // follow. While another operation holds the link, the tick is skipped
    // altogether (nothing counted, read or changed).
    TickResult tick();
    // A tick in two halves, for the program, whose link worker reads while
    // the window goes on: `exchange` the read (the image only; Skipped while
    // another operation holds the link), `took` the rest on the window's
    // thread (the counter, the heartbeat, 7500 .. 7549 after a failure).
    TickResult exchange();
    void took(TickResult result);
    // The two halves of a tick around the read, for a caller that reads
    // otherwise (or a test that runs a day of ticks without a meter).
    void countTick() { ++tickCounter_; }
    void readDone(bool ok);

    // The chart sample of a redraw at `now`: a point of the monitored
    // channel and of each alarm, when the channel holds a value and the tick
    // counter is a multiple of 10. True when a point was added.
    bool sample(const QDateTime &now);
    void clearChart();
    // Sets the monitored channel (100, or 10 * device + register); when it
    // changed, the chart is cleared and true returned.
    bool setChannel(int channel);
    int channel() const { return channel_; }
    // "Wartość wyświetlana", or "Urządzenie: DEV2 Rejestr: R5".
    QString chartTitle() const;

    // Decimals of the displayed value (0), the minimum (1) and the maximum
    // (2): 4, 3, 2, 1, 0, 4 ...
    void cyclePrecision(int which);
    int precision(int which) const { return precision_.at(static_cast<std::size_t>(which)); }

    std::uint8_t tickCounter() const { return tickCounter_; }
    int pointCount() const { return pointCount_; }
    // Series 0 is the monitored channel, 1 .. 4 the alarms.
    const std::deque<MonitorPoint> &series(int index) const { return series_.at(static_cast<std::size_t>(index)); }

    // The heartbeat LED and whether the window shows translucent.
    Led heartbeat() const { return heartbeat_; }
    bool translucent() const { return heartbeat_ == Led::Red; }
    // Stopping the polling turns the heartbeat black.
    void stop() { heartbeat_ = Led::Black; }

    // Texts and gauges of the redraw.
    static QString labelText(float value, int decimals); // "^^^^^" for no value
    static QString gridText(float value);                // "*****" for no value
    // A 0 .. 1000 gauge from a percentage: round(value * 10) clamped, or
    // nothing (the gauge keeps what it shows) from 200 on or for NaN.
    static std::optional<int> permilleGauge(float percent);
    // A 0 .. 100 gauge: the integer part clamped, under the same rule.
    static std::optional<int> percentGauge(float percent);
    static Quality quality(float percent);

private:
    ModbusLink &link_;
    RegisterImage &image_;
    std::array<int, 3> precision_{4, 4, 4};
    std::uint8_t tickCounter_ = 0;
    int channel_ = DisplayedChannel;
    int pointCount_ = 0;
    std::array<std::deque<MonitorPoint>, 5> series_;
    Led heartbeat_ = Led::Black;
};

} // namespace k71t
