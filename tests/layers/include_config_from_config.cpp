// Builds: the configuration logic may use the link below it.
#include "config/PageIO.h"
#include "link/Modbus.h"

int layerProbeDown()
{
    return k71t::LinkBufferSize;
}
