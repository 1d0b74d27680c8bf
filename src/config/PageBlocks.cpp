#include "config/PageBlocks.h"

namespace k71t {

namespace {

// Display and operating mode: the write leaves 4001, 4002 and 4005 .. 4008
// alone, they belong to other pages or to none.
constexpr PageBlock DisplayRead[] = {{4000, 13}, {4044, 1}, {7600, 4}};
constexpr PageBlock DisplayWrite[] = {{4000, 1}, {4003, 2}, {4009, 4}, {4044, 1}, {7600, 4}};

constexpr PageBlockLists Display{DisplayRead, DisplayWrite};

// The other pages read and write the same blocks.
constexpr PageBlock Alarms[] = {{4013, 16}, {7604, 8}};
constexpr PageBlock Devices[] = {{4300, 80}, {4035, 3}, {7664, 20}};
constexpr PageBlock Analog[] = {{4029, 2}, {7612, 2}};
constexpr PageBlock Characteristic[] = {{4008, 1}, {7622, 42}};

// The system page reads its status blocks; each of its commands writes its
// own register.
constexpr PageBlock SystemStatus[] = {{4039, 16}, {4005, 1}};
// Both serial interfaces of the meter, 4031 .. 4037, as one block.
constexpr PageBlock Interface[] = {{4031, 7}};

constexpr PageBlockLists SystemPage{SystemStatus, {}};
constexpr PageBlockLists InterfacePage{Interface, Interface};
constexpr PageBlockLists AlarmsPage{Alarms, Alarms};
constexpr PageBlockLists DevicesPage{Devices, Devices};
constexpr PageBlockLists AnalogPage{Analog, Analog};
constexpr PageBlockLists CharacteristicPage{Characteristic, Characteristic};

// The whole configuration in one run. The read takes the live values too,
// for the monitor; the write leaves the access code, the clock, the
// commands, the states and 7684 .. 7689 alone, and sends the operating
// mode last, after the interface change.
constexpr BulkBlock BulkRead[] = {
    {{4000, 60}, 120}, {{4300, 80}, 160}, {{7600, 50}, 200}, {{7650, 34}, 136}, {{7500, 50}, 200},
};
constexpr BulkBlock BulkWrite[] = {
    {{4000, 4}, 8},    {{4005, 1}, 0},    {{4008, 23}, 46}, {{4043, 2}, 4},   {{4300, 80}, 160},
    {{7600, 50}, 200}, {{7650, 34}, 136}, {{4031, 0}, 131}, {{4004, 1}, 131},
};

} // namespace

std::span<const BulkBlock> bulkReadBlocks()
{
    return BulkRead;
}

std::span<const BulkBlock> bulkWriteBlocks()
{
    return BulkWrite;
}

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
