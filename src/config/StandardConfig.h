#pragma once
// The meter's standard configuration: what the image holds at start-up before
// the last configuration file is loaded over it, and what the simulated meter
// holds at power-up. The values come from the register map.
#include "link/RegisterImage.h"

namespace k71t {

// 4000 .. 4059, 4300 .. 4379 and 7600 .. 7689: the registers a configuration file holds.
bool isConfigurationRegister(int address);

// Puts the standard values into those registers.
void loadStandardConfiguration(RegisterImage &image);

} // namespace k71t
