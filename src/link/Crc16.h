#pragma once
#include <cstddef>
#include <cstdint>

namespace k71t {

// Modbus CRC-16, table-driven. The result's high byte is the one that goes on
// the wire first (the standard CRC's low byte): for 01 03 00 00 00 01 the
// result is 0x840A and the frame ends 84 0A.
std::uint16_t crc16(const std::uint8_t *bytes, std::size_t length);

} // namespace k71t
