#pragma once
// The program's one copy of the meter's holding registers. Reads from the
// meter land here, pages fill their controls from here, and every write
// request takes its data from here.
#include <array>
#include <bit>
#include <cstdint>

namespace k71t {

constexpr int Regs16First = 4000;
constexpr int Regs16Count = 2000; // registers 4000 .. 5999
constexpr int Regs32First = 7500;
constexpr int Regs32Count = 600;  // registers 7500 .. 8099

// The float the meter uses for "no value".
constexpr float NoValue = 1.0e20f;

class RegisterImage {
public:
    std::array<std::uint16_t, Regs16Count> Regs16{};
    // Floats held natively; the wire and the files convert.
    std::array<float, Regs32Count> Regs32{};

    static bool is16(int reg) { return reg >= Regs16First && reg < Regs16First + Regs16Count; }
    static bool is32(int reg) { return reg >= Regs32First && reg < Regs32First + Regs32Count; }

    // Access by register number (the caller makes sure it is in range).
    std::uint16_t &reg16(int reg) { return Regs16[reg - Regs16First]; }
    std::uint16_t reg16(int reg) const { return Regs16[reg - Regs16First]; }
    float &reg32(int reg) { return Regs32[reg - Regs32First]; }
    float reg32(int reg) const { return Regs32[reg - Regs32First]; }

    // The 32-bit pattern of a slot, as it travels (most significant byte first).
    std::uint32_t bits32(int slot) const { return std::bit_cast<std::uint32_t>(Regs32[slot]); }
    void setBits32(int slot, std::uint32_t bits) { Regs32[slot] = std::bit_cast<float>(bits); }

    // Stores the data of a function-3 reply for a block that starts at
    // `start`. `data` holds `byteCount` bytes: 16-bit words high byte first
    // for 4000 .. 5999, 4-byte values most significant byte first for
    // 7500 .. 8099. Values whose register falls outside its array, and
    // blocks starting anywhere else, are not stored.
    void storeReply(int start, const std::uint8_t *data, int byteCount);

    void clear();
};

} // namespace k71t
