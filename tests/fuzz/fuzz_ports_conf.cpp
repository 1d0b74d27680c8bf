// ports.conf, the COM port mapping.
#include "FuzzSupport.h"
#include "link/PortMap.h"

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::inputFile(QStringLiteral("ports.conf"), data, size, QStringLiteral("ports"));
    PortMap map;
    (void)map.load(fuzz::workDir().filePath(QStringLiteral("ports")));
    return 0;
}
