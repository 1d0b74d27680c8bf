#include "config/StandardConfig.h"

#include "config/RegisterMap.h"

namespace k71t {

bool isConfigurationRegister(int address)
{
    return (address >= 4000 && address <= 4059) || (address >= 4300 && address <= 4379) ||
           (address >= 7600 && address <= 7689);
}

namespace {

void loadStandard(RegisterImage &image, bool (*wanted)(int address))
{
    for (const RegisterInfo &r : registerMap()) {
        if (!wanted(r.address))
            continue;
        if (r.kind == RegKind::U16)
            image.reg16(r.address) = static_cast<std::uint16_t>(r.standard);
        else
            image.reg32(r.address) = static_cast<float>(r.standard);
    }
}

bool isDeviceRegister(int address)
{
    return (address >= 4035 && address <= 4037) || (address >= 4300 && address <= 4379) ||
           (address >= 7664 && address <= 7683);
}

} // namespace

void loadStandardConfiguration(RegisterImage &image)
{
    loadStandard(image, isConfigurationRegister);
}

void loadStandardDeviceConfiguration(RegisterImage &image)
{
    loadStandard(image, isDeviceRegister);
}

} // namespace k71t
