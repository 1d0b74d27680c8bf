#include "shell/PortChoices.h"

#include "common/TextFormats.h"
#include "link/ModbusLink.h"

#include <cmath>

namespace k71t {

QStringList modeItems()
{
    return {QStringLiteral("8N2"), QStringLiteral("8E1"), QStringLiteral("8O1"), QStringLiteral("8N1")};
}

QStringList speedItems()
{
    return {QStringLiteral("4.8k"),  QStringLiteral("9.6k"),  QStringLiteral("19.2k"),
            QStringLiteral("38.4k"), QStringLiteral("57.6k"), QStringLiteral("115.2k")};
}

// The lists show the meter's codes in their order, so a position is a code.
int modeKindForPosition(int position)
{
    return modeKindForMeterCode(position);
}

int positionForModeKind(int modeKind)
{
    return meterCodeForModeKind(modeKind);
}

int speedIndexForPosition(int position)
{
    return speedIndexForMeterCode(position);
}

int positionForSpeedIndex(int speedIndex)
{
    return meterCodeForSpeedIndex(speedIndex);
}

std::optional<int> parseMeterAddress(const QString &text)
{
    const auto value = parseDecimal(text);
    if (!value || *value < 1.0 || *value > 247.0)
        return std::nullopt;
    return static_cast<int>(std::trunc(*value));
}

} // namespace k71t
