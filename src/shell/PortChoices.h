#pragma once
// What the start panel's lists show and what they stand for: the list
// position is not the stored value.
#include <QString>
#include <QStringList>
#include <optional>

namespace k71t {

QStringList modeItems();  // "8N2", "8E1", "8O1", "8N1"
QStringList speedItems(); // "4.8k" .. "115.2k"

int modeKindForPosition(int position);   // -1 for no item
int positionForModeKind(int modeKind);   // -1 when no item shows it
int speedIndexForPosition(int position); // -1 for no item
int positionForSpeedIndex(int speedIndex); // -1 for 2400 and 14400 baud

// The meter address typed by the operator: a decimal number with "." as the
// point, 1 to 247, truncated toward zero ("12.7" gives 12).
std::optional<int> parseMeterAddress(const QString &text);

} // namespace k71t
