#pragma once
// What every configuration page does the same way: move its register blocks
// between the meter and the image, and check the numbers the operator typed.
#include "config/PageBlocks.h"
#include "link/ModbusLink.h"

#include <QString>
#include <initializer_list>
#include <optional>
#include <span>

namespace k71t {

// Reads the blocks in order (1 ms polls, limit 500, 10 ms after each block).
// Stops at the first block that fails; blocks already read stay in the image.
bool pageRead(ModbusLink &link, std::span<const PageBlock> blocks);
bool pageRead(ModbusLink &link, std::initializer_list<PageBlock> blocks);

// Writes the blocks in order from the image (input drained first, 10 ms
// pauses, each write acknowledged by the meter). Stops at the first failure.
bool pageWrite(ModbusLink &link, std::span<const PageBlock> blocks);
bool pageWrite(ModbusLink &link, std::initializer_list<PageBlock> blocks);

// One block on its own, as the bulk transfer and the commands send them:
// the read is the request and up to 501 polls of 1 ms; the write drains the
// input, pauses 10 ms, sends, waits for the acknowledge (501 polls), drains
// and pauses 10 ms again. Both open the port first if it is closed.
bool blockRead(ModbusLink &link, const PageBlock &block);
bool blockWrite(ModbusLink &link, const PageBlock &block);

// The numeric field check: a decimal number with "." within [low, high].
std::optional<double> checkNumber(const QString &text, double low, double high);

} // namespace k71t
