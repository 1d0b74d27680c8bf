// The link's reply checking: the meter's side of a pseudo-terminal answers
// each request with the input's bytes; the first byte chooses the request.
#include "FuzzSupport.h"
#include "link/ModbusLink.h"
#include "link/PortMap.h"
#include "link/RegisterImage.h"

#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace k71t;

namespace {

struct Line {
    int master = -1, slave = -1;
    RegisterImage image;
    PortSettings settings;
    std::uint8_t address = 1;
    PortMap ports;
    std::unique_ptr<ModbusLink> link;
    Line()
    {
        char name[256];
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            std::abort();
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        ports.setPath(0, QString::fromLocal8Bit(name));
        settings.portIndex = 0;
        link = std::make_unique<ModbusLink>(image, settings, address, ports);
        link->settleMs = 0;
        if (link->openPort(0, 1, 7) < 0)
            std::abort();
    }
    void drainMaster()
    {
        char buf[4096];
        while (::read(master, buf, sizeof buf) > 0) {
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Line line;
    if (size < 1)
        return 0;
    const int op = data[0];
    line.link->drainInput();
    line.drainMaster();
    if (size > 1 && ::write(line.master, data + 1, size - 1) < 0)
        return 0;
    const int n = 1 + (op >> 2) % 40;
    switch (op & 3) {
    case 0: (void)line.link->readBlock16(4000, n, 0, 3); break;
    case 1: (void)line.link->readBlock32(7500, n, 0, 3); break;
    case 2: (void)line.link->writeBlock16(4000, n, 0, 3, false); break;
    default: (void)line.link->writeBlock32(7500, n, 0, 3, false); break;
    }
    line.drainMaster();
    return 0;
}
