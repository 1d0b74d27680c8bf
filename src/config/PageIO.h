#pragma once
// What every configuration page does the same way: move its register blocks
// between the meter and the image, and check the numbers the operator typed.
#include "link/Modbus.h"

#include <QString>
#include <initializer_list>
#include <optional>

namespace k71t {

struct PageBlock {
    int start;
    int count;
    bool is32;
};

// Reads the blocks in order (1 ms polls, limit 500, 10 ms after each block).
// Stops at the first block that fails; blocks already read stay in the image.
bool pageRead(ModbusLink &link, std::initializer_list<PageBlock> blocks);

// Writes the blocks in order from the image (input drained first, 10 ms
// pauses, any 8 bytes count as the acknowledge). Stops at the first failure.
bool pageWrite(ModbusLink &link, std::initializer_list<PageBlock> blocks);

// The numeric field check: a decimal number with "." within [low, high].
std::optional<double> checkNumber(const QString &text, double low, double high);

} // namespace k71t
