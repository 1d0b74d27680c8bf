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

// Puts the standard values into what the attached-devices page edits: the
// primary interface 4035 .. 4037, the device table 4300 .. 4379 and the
// device thresholds 7664 .. 7683.
void loadStandardDeviceConfiguration(RegisterImage &image);

} // namespace k71t
