#include "config/StandardConfig.h"

#include "config/RegisterMap.h"

namespace k71t {

bool isConfigurationRegister(int address)
{
    return (address >= 4000 && address <= 4059) || (address >= 4300 && address <= 4379) ||
           (address >= 7600 && address <= 7689);
}

void loadStandardConfiguration(RegisterImage &image)
{
    for (const RegisterInfo &r : registerMap()) {
        if (!isConfigurationRegister(r.address))
            continue;
        if (r.kind == RegKind::U16)
            image.reg16(r.address) = static_cast<std::uint16_t>(r.standard);
        else
            image.reg32(r.address) = static_cast<float>(r.standard);
    }
}

} // namespace k71t
