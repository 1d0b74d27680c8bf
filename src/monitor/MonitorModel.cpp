#include "monitor/MonitorModel.h"

#include "common/TextFormats.h"

#include <algorithm>
#include <cmath>

namespace k71t {

namespace {

struct LiveBlock {
    int start;
    int count;
};

constexpr LiveBlock LiveBlocks[] = {{8000, 50}, {8050, 50}, {7500, 30}, {4050, 5}};

void clearValues(RegisterImage &image, int first, int last)
{
    for (int r = first; r <= last; ++r)
        image.reg32(r) = NoValue;
}

} // namespace

bool liveValueValid(float value)
{
    return value > -1e20f && value < 1e10f;
}

MonitorModel::MonitorModel(ModbusLink &link, RegisterImage &image) : link_(link), image_(image) {}

bool MonitorModel::read()
{
    bool ok = link_.openIfClosed();
    if (ok) {
        link_.drainInput();
        for (const LiveBlock &b : LiveBlocks) {
            ok = link_.readRegisters(b.start, b.count, 1, PollLimit, false);
            if (!ok) {
                if (RegisterImage::is32(b.start))
                    clearValues(image_, b.start, b.start + b.count - 1);
                break;
            }
            sleepMs(10);
        }
    }
    if (!ok)
        clearValues(image_, 8000, 8099);
    return ok;
}

MonitorModel::TickResult MonitorModel::tick()
{
    const TickResult result = exchange();
    took(result);
    return result;
}

MonitorModel::TickResult MonitorModel::exchange()
{
    if (link_.busy())
        return TickResult::Skipped;
    const ModbusLink::Session session(link_);
    return read() ? TickResult::Read : TickResult::Failed;
}

void MonitorModel::took(TickResult result)
{
    if (result == TickResult::Skipped)
        return;
    countTick();
    readDone(result == TickResult::Read);
}

void MonitorModel::readDone(bool ok)
{
    if (ok) {
        heartbeat_ = heartbeat_ == Led::Black ? Led::Green : Led::Black;
    } else {
        clearValues(image_, 7500, 7549);
        // A lasting failure blinks: red and translucent, then black and opaque.
        heartbeat_ = heartbeat_ == Led::Black ? Led::Red : Led::Black;
    }
}

bool MonitorModel::sample(const QDateTime &now)
{
    const float value = channel_ == DisplayedChannel ? image_.reg32(7505) : image_.reg32(8000 + channel_);
    if (!liveValueValid(value) || tickCounter_ % 10 != 0)
        return false;
    if (++pointCount_ > MaxPoints) {
        pointCount_ = MaxPoints;
        for (auto &s : series_)
            if (!s.empty())
                s.pop_front();
    }
    const double key = static_cast<double>(now.toMSecsSinceEpoch()) / 1000.0;
    series_[0].push_back({key, value});
    const std::uint16_t alarms = image_.reg16(4052);
    for (int k = 1; k <= 4; ++k)
        series_[static_cast<std::size_t>(k)].push_back({key, (alarms >> (k - 1)) & 1u ? 1.0 : 0.0});
    return true;
}

void MonitorModel::clearChart()
{
    for (auto &s : series_)
        s.clear();
    pointCount_ = 0;
}

bool MonitorModel::setChannel(int channel)
{
    if (channel == channel_)
        return false;
    channel_ = channel;
    clearChart();
    return true;
}

QString MonitorModel::chartTitle() const
{
    if (channel_ == DisplayedChannel)
        return QStringLiteral("Wartość wyświetlana");
    return QStringLiteral("Urządzenie: DEV%1 Rejestr: R%2").arg(channel_ / 10).arg(channel_ % 10);
}

void MonitorModel::cyclePrecision(int which)
{
    int &p = precision_.at(static_cast<std::size_t>(which));
    p = p == 0 ? 4 : p - 1;
}

QString MonitorModel::labelText(float value, int decimals)
{
    return liveValueValid(value) ? formatFloat(value, decimals, 6) : QStringLiteral("^^^^^");
}

QString MonitorModel::gridText(float value)
{
    return liveValueValid(value) ? formatFloat(value, 4, 6) : QStringLiteral("*****");
}

std::optional<int> MonitorModel::permilleGauge(float percent)
{
    if (!(percent < 200.0f))
        return std::nullopt;
    return static_cast<int>(std::clamp(std::round(static_cast<double>(percent) * 10.0), 0.0, 1000.0));
}

std::optional<int> MonitorModel::percentGauge(float percent)
{
    if (!(percent < 200.0f))
        return std::nullopt;
    return static_cast<int>(std::clamp(std::trunc(static_cast<double>(percent)), 0.0, 100.0));
}

MonitorModel::Quality MonitorModel::quality(float percent)
{
    if (percent < 50.0f)
        return Quality::Red;
    if (percent <= 80.0f)
        return Quality::Yellow;
    return Quality::Green;
}

} // namespace k71t
