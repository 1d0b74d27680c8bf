#include "shell/PortChoices.h"

#include "common/TextFormats.h"

#include <cmath>

namespace k71t {

std::optional<int> parseMeterAddress(const QString &text)
{
    const auto value = parseDecimal(text);
    if (!value || *value < 1.0 || *value > 247.0)
        return std::nullopt;
    return static_cast<int>(std::trunc(*value));
}

} // namespace k71t
