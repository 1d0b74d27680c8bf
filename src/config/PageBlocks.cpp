#include "config/PageBlocks.h"

namespace k71t {

namespace {

// Display and operating mode: the write leaves 4001, 4002 and 4005 .. 4008
// alone, they belong to other pages or to none.
constexpr PageBlock DisplayRead[] = {{4000, 13, false}, {4044, 1, false}, {7600, 4, true}};
constexpr PageBlock DisplayWrite[] = {
    {4000, 1, false}, {4003, 2, false}, {4009, 4, false}, {4044, 1, false}, {7600, 4, true}};

constexpr PageBlockLists Display{DisplayRead, DisplayWrite};

// The other pages read and write the same blocks.
constexpr PageBlock Alarms[] = {{4013, 16, false}, {7604, 8, true}};
constexpr PageBlock Devices[] = {{4300, 80, false}, {4035, 3, false}, {7664, 20, true}};
constexpr PageBlock Analog[] = {{4029, 2, false}, {7612, 2, true}};
constexpr PageBlock Characteristic[] = {{4008, 1, false}, {7622, 42, true}};

// The system page reads its status blocks; each of its commands writes its
// own register.
constexpr PageBlock SystemStatus[] = {{4039, 16, false}, {4005, 1, false}};
// Both serial interfaces of the meter, 4031 .. 4037, as one block.
constexpr PageBlock Interface[] = {{4031, 7, false}};

constexpr PageBlockLists SystemPage{SystemStatus, {}};
constexpr PageBlockLists InterfacePage{Interface, Interface};
constexpr PageBlockLists AlarmsPage{Alarms, Alarms};
constexpr PageBlockLists DevicesPage{Devices, Devices};
constexpr PageBlockLists AnalogPage{Analog, Analog};
constexpr PageBlockLists CharacteristicPage{Characteristic, Characteristic};

} // namespace

const PageBlockLists *pageBlocks(Owner page)
{
    switch (page) {
    case Owner::Display: return &Display;
    case Owner::Alarms: return &AlarmsPage;
    case Owner::Devices: return &DevicesPage;
    case Owner::Analog: return &AnalogPage;
    case Owner::Characteristic: return &CharacteristicPage;
    case Owner::System: return &SystemPage;
    case Owner::Interface: return &InterfacePage;
    default: return nullptr;
    }
}

} // namespace k71t
