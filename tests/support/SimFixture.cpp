#include "support/SimFixture.h"

#include <stdexcept>

namespace k71t::test {

SimHarness::SimHarness(int address, int speedCode, int modeCode)
    : meter(address, speedCode, modeCode), line(meter)
{
    if (!line.openPty())
        throw std::runtime_error("cannot create a pseudo-terminal");
    path = line.slavePath();
    line.setRecordArrivals(true);
    line.start();
}

SimHarness::~SimHarness()
{
    line.stop();
}

void SimHarness::fault(sim::Fault f, int nth, int exceptionCode, int lateMs, int onlyStart, bool onwards)
{
    sim::FaultPlan plan;
    plan.onwards = onwards;
    plan.onlyStart = onlyStart;
    plan.fault = f;
    plan.nth = nth;
    plan.exceptionCode = exceptionCode;
    plan.lateMs = lateMs;
    meter.setFault(plan);
}

std::vector<sim::Bytes> SimHarness::validFrames() const
{
    std::vector<sim::Bytes> out;
    for (const auto &f : meter.receivedFrames())
        if (sim::crcMatches(f))
            out.push_back(f);
    return out;
}

std::vector<SimHarness::Request> SimHarness::requests() const
{
    std::vector<Request> out;
    for (const sim::Bytes &f : validFrames())
        out.emplace_back(f[1], f[2] << 8 | f[3], f[4] << 8 | f[5]);
    return out;
}

LinkHarness::LinkHarness(const QString &com3Path)
{
    portMap.setPath(2, com3Path);
    link.settleMs = 0;
}

std::vector<int> SimHarness::pagesSelected() const
{
    std::vector<int> pages;
    for (const sim::Bytes &f : validFrames())
        if (f[1] == 16 && (f[2] << 8 | f[3]) == 4500)
            pages.push_back(f[7] << 8 | f[8]);
    return pages;
}

bool SimHarness::deleteSent() const
{
    for (const sim::Bytes &f : validFrames())
        if (f[1] == 16 && (f[2] << 8 | f[3]) == 4045)
            return true;
    return false;
}

} // namespace k71t::test
