#pragma once
// A simulated meter on a real pseudo-terminal, and a link wired to it on COM3.
#include "SimLine.h"
#include "SimMeter.h"
#include "link/MeterLink.h"

#include <QString>
#include <memory>
#include <tuple>
#include <vector>

namespace k71t::test {

struct SimHarness {
    explicit SimHarness(int address = 1, int speedCode = 5, int modeCode = 0);
    ~SimHarness();
    sim::SimMeter meter;
    sim::SimLine line;
    QString path;
    // Makes the meter misbehave for every request (nth 0) or the nth one;
    // with `onlyStart`, only requests for the block starting there count.
    // With `onwards`, the nth request and every one after it.
    void fault(sim::Fault f, int nth = 0, int exceptionCode = 4, int lateMs = 1500, int onlyStart = -1,
               bool onwards = false);
    void fault(const sim::FaultPlan &plan) { meter.setFault(plan); }
    // Valid frames the meter received (CRC correct), oldest first.
    std::vector<sim::Bytes> validFrames() const;
    // The same as (function, start register, count), for comparing with a block list.
    using Request = std::tuple<int, int, int>;
    std::vector<Request> requests() const;
    // The archive pages selected through register 4500, in order, and
    // whether the delete command (4045) was sent.
    std::vector<int> pagesSelected() const;
    bool deleteSent() const;
};

// The program's side: the meter link bundle with COM3 mapped to the
// simulator's pseudo-terminal. The link does not wait to settle.
struct LinkHarness : MeterLink {
    explicit LinkHarness(const QString &com3Path);
};

} // namespace k71t::test
