// Builds: the configuration logic may use the link below it.
#include "config/PageIO.h"
#include "link/ModbusLink.h"

int layerProbeDown()
{
    return k71t::LinkBufferSize;
}
