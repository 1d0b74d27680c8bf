// uart.cfg, the start panel's port settings.
#include "FuzzSupport.h"
#include "shell/UartCfg.h"

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    PortSettings settings;
    (void)loadUartCfg(fuzz::inputFile(QStringLiteral("uart.cfg"), data, size), settings);
    return 0;
}
