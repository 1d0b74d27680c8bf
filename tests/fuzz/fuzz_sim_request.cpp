// The simulator's request parsing: a frame as the line delivers it.
#include "FuzzSupport.h"
#include "SimMeter.h"

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static sim::SimMeter meter;
    (void)sim::SimMeter::requestLength(data, size);
    (void)meter.handle(sim::Bytes(data, data + size));
    return 0;
}
