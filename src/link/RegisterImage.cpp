#include "link/RegisterImage.h"

namespace k71t {

void RegisterImage::storeReply(int start, const std::uint8_t *data, int byteCount)
{
    const int words = byteCount / 2;
    if (is16(start)) {
        for (int i = 0; i < words; ++i) {
            const int slot = start - Regs16First + i;
            if (slot >= Regs16Count)
                break;
            Regs16[slot] = static_cast<std::uint16_t>(data[2 * i] << 8 | data[2 * i + 1]);
        }
    } else if (is32(start)) {
        for (int i = 0; i < words / 2; ++i) {
            const int slot = start - Regs32First + i;
            if (slot >= Regs32Count)
                break;
            const std::uint8_t *b = data + 4 * i;
            setBits32(slot, std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 |
                                std::uint32_t(b[2]) << 8 | std::uint32_t(b[3]));
        }
    }
}

void RegisterImage::clear()
{
    Regs16.fill(0);
    Regs32.fill(0.0f);
}

} // namespace k71t
