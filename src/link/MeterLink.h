#pragma once
// Everything one connection to a meter needs, in one bundle: the register
// image the link reads into and writes from, the PC port settings, the meter
// address, the COM port map and the link itself (which owns the serial port).
// The program's context, the command-line tool and the tests all use it.
#include "link/ModbusLink.h"
#include "link/PortMap.h"
#include "link/RegisterImage.h"

#include <cstdint>

namespace k71t {

struct MeterLink {
    MeterLink() = default;
    MeterLink(const MeterLink &) = delete;
    MeterLink &operator=(const MeterLink &) = delete;

    RegisterImage image;
    PortSettings portSettings;
    std::uint8_t meterAddress = 1;
    PortMap portMap;
    ModbusLink link{image, portSettings, meterAddress, portMap};
};

} // namespace k71t
