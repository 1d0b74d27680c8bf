#include "app/PortChoices.h"

#include "common/TextFormats.h"

#include <cmath>

namespace k71t {

namespace {
const int ModeKinds[] = {1, 2, 3, 0};
const int SpeedIndices[] = {1, 2, 4, 5, 6, 7};
} // namespace

QStringList modeItems()
{
    return {QStringLiteral("8N2"), QStringLiteral("8E1"), QStringLiteral("8O1"), QStringLiteral("8N1")};
}

QStringList speedItems()
{
    return {QStringLiteral("4.8k"),  QStringLiteral("9.6k"),  QStringLiteral("19.2k"),
            QStringLiteral("38.4k"), QStringLiteral("57.6k"), QStringLiteral("115.2k")};
}

int modeKindForPosition(int position)
{
    return position >= 0 && position < 4 ? ModeKinds[position] : -1;
}

int positionForModeKind(int modeKind)
{
    for (int p = 0; p < 4; ++p)
        if (ModeKinds[p] == modeKind)
            return p;
    return -1;
}

int speedIndexForPosition(int position)
{
    return position >= 0 && position < 6 ? SpeedIndices[position] : -1;
}

int positionForSpeedIndex(int speedIndex)
{
    for (int p = 0; p < 6; ++p)
        if (SpeedIndices[p] == speedIndex)
            return p;
    return -1;
}

std::optional<int> parseMeterAddress(const QString &text)
{
    const auto value = parseDecimal(text);
    if (!value || *value < 1.0 || *value > 247.0)
        return std::nullopt;
    return static_cast<int>(std::trunc(*value));
}

} // namespace k71t
