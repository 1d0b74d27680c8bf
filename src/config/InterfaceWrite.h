#pragma once
// The change of the meter's serial interfaces, with the PC following it: the
// interface block written, the apply command, the PC switched to the new
// settings of the interface it is on, and the settings read back there.
#include "link/MeterLink.h"

#include <functional>

namespace k71t {

// Switches the PC side to `settings` and the meter address to `address`. The
// program's start panel does it through its lists, as if the operator had
// chosen them; without one the bundle's settings are set directly.
using FollowLine = std::function<void(const PortSettings &settings, std::uint8_t address)>;

enum class InterfaceWriteResult {
    Done,            // written, and the meter answered at the new settings
    StatusFailed,    // the status read failed: nothing was sent
    InvalidSettings, // the image holds a code or address no interface has: nothing was sent
    BlockFailed,     // the interface block was not acknowledged; the PC stays as it was
    BackAtOld,       // no answer at the new settings (asked three times), but at the old ones: the PC is back there
    NoAnswer,        // no answer at either: the PC stays at the new settings
};

constexpr bool succeeded(InterfaceWriteResult r)
{
    return r == InterfaceWriteResult::Done;
}

// The interface read: 4031 .. 4037 into the image.
bool interfaceRead(ModbusLink &link);

// Whether the image holds interface settings the meter can take: speed and
// mode codes of both interfaces that the PC has too, and an address 1 .. 247.
bool interfaceSettingsValid(const RegisterImage &image);

// Switches the PC to `settings` and `address` and asks the meter there; when
// it does not answer, the PC goes back to where it was. True when it answered.
bool returnTo(MeterLink &meter, const FollowLine &follow, const PortSettings &settings, std::uint8_t address);

// Writes 4031 .. 4037 from the image and applies them (4034, which is 0 in
// the image again afterwards). The interface the PC is on is the additional
// one when the status read finds the outputs board (bit 7 of 4051), else the
// primary one; its speed and mode and the address 4033 become the PC's.
InterfaceWriteResult writeInterface(MeterLink &meter, const FollowLine &follow = {});

} // namespace k71t
