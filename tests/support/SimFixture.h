#pragma once
// A simulated meter on a real pseudo-terminal, and a link wired to it on COM3.
#include "SimLine.h"
#include "SimMeter.h"
#include "link/Modbus.h"

#include <QString>
#include <memory>

namespace k71t::test {

struct SimHarness {
    explicit SimHarness(int address = 1, int speedCode = 5, int modeCode = 0);
    ~SimHarness();
    sim::SimMeter meter;
    sim::SimLine line;
    QString path;
    // Makes the meter misbehave for every request (nth 0) or the nth one.
    void fault(sim::Fault f, int nth = 0, int exceptionCode = 4, int lateMs = 1500);
    // Valid frames the meter received (CRC correct), oldest first.
    std::vector<sim::Bytes> validFrames() const;
};

// The program's side: register image, port settings and a link whose COM3
// is the simulator's pseudo-terminal. The link does not wait to settle.
struct LinkHarness {
    explicit LinkHarness(const QString &com3Path);
    RegisterImage image;
    PortSettings settings;
    std::uint8_t address = 1;
    PortMap ports;
    ModbusLink link;
};

} // namespace k71t::test
