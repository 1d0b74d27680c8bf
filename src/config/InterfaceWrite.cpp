#include "config/InterfaceWrite.h"

#include "config/PageBlocks.h"
#include "config/PageIO.h"
#include "config/SystemStatus.h"

namespace k71t {

namespace {

constexpr int NewSettingsAttempts = 3;

struct PcLine {
    PortSettings settings;
    std::uint8_t address = 1;
};

void switchTo(MeterLink &meter, const FollowLine &follow, const PcLine &line)
{
    meter.link.closePort();
    if (follow) {
        follow(line.settings, line.address);
        return;
    }
    meter.portSettings = line.settings;
    meter.meterAddress = line.address;
}

} // namespace

bool interfaceRead(ModbusLink &link)
{
    return pageRead(link, pageBlocks(Owner::Interface)->read);
}

bool interfaceSettingsValid(const RegisterImage &im)
{
    const int address = im.reg16(4033);
    return address >= 1 && address <= 247 && speedIndexForMeterCode(im.reg16(4031)) >= 0 &&
           modeKindForMeterCode(im.reg16(4032)) >= 0 && speedIndexForMeterCode(im.reg16(4035)) >= 0 &&
           modeKindForMeterCode(im.reg16(4036)) >= 0;
}

bool returnTo(MeterLink &meter, const FollowLine &follow, const PortSettings &settings, std::uint8_t address)
{
    const PcLine here{meter.portSettings, meter.meterAddress};
    switchTo(meter, follow, PcLine{settings, address});
    if (interfaceRead(meter.link))
        return true;
    switchTo(meter, follow, here);
    return false;
}

InterfaceWriteResult writeInterface(MeterLink &meter, const FollowLine &follow)
{
    const ModbusLink::Session session(meter.link);
    RegisterImage &im = meter.image;
    if (!statusRead(meter.link))
        return InterfaceWriteResult::StatusFailed;

    // What the PC will use comes from the registers about to be written, so
    // a setting the meter cannot take is found before anything is sent.
    const bool additional = (im.reg16(4051) & OutputsBoardBit) != 0;
    const int modeKind = modeKindForMeterCode(im.reg16(additional ? 4032 : 4036));
    const int speedIndex = speedIndexForMeterCode(im.reg16(additional ? 4031 : 4035));
    const int address = im.reg16(4033);
    if (modeKind < 0 || speedIndex < 0 || address < 1 || address > 247)
        return InterfaceWriteResult::InvalidSettings;

    sleepMs(10);
    im.reg16(4034) = 0;
    if (!pageWrite(meter.link, pageBlocks(Owner::Interface)->write))
        return InterfaceWriteResult::BlockFailed;
    // The apply command: its answer does not decide anything, the read-back does.
    sendCommand(meter.link, im, 4034);

    const PcLine old{meter.portSettings, meter.meterAddress};
    PcLine next = old;
    next.settings.modeKind = static_cast<std::uint8_t>(modeKind);
    next.settings.speedIndex = static_cast<std::uint8_t>(speedIndex);
    next.address = static_cast<std::uint8_t>(address);
    switchTo(meter, follow, next);
    // A meter may take a moment to change over after its acknowledge: it is
    // asked more than once at the new settings before the PC gives them up.
    for (int attempt = 0; attempt < NewSettingsAttempts; ++attempt)
        if (interfaceRead(meter.link))
            return InterfaceWriteResult::Done;

    // The meter did not answer at the new settings. If it still answers at
    // the old ones, the PC goes back there rather than losing the link.
    switchTo(meter, follow, old);
    if (interfaceRead(meter.link))
        return InterfaceWriteResult::BackAtOld;
    switchTo(meter, follow, next);
    return InterfaceWriteResult::NoAnswer;
}

} // namespace k71t
