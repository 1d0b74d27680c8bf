// A .k71t configuration file, and def.k71t at start-up.
#include "FuzzSupport.h"
#include "config/ConfigFile.h"

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    RegisterImage image;
    if (parseConfigFile(fuzz::bytesOf(data, size), image))
        (void)buildConfigFile(image);
    RegisterImage fromFile;
    (void)loadConfigFile(fuzz::inputFile(QStringLiteral("def.k71t"), data, size), fromFile);
    return 0;
}
