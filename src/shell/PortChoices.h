#pragma once
// The meter address as the start panel's field takes it. (Its lists show the
// meter's interface codes in their order, so a list position is a code: see
// link/LineCodes.h.)
#include <QString>
#include <optional>

namespace k71t {

// The meter address typed by the operator: a decimal number with "." as the
// point, 1 to 247, truncated toward zero ("12.7" gives 12).
std::optional<int> parseMeterAddress(const QString &text);

} // namespace k71t
