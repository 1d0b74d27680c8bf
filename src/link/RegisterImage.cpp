#include "link/RegisterImage.h"

#include "common/ByteOrder.h"

namespace k71t {

void RegisterImage::storeReply(int start, const std::uint8_t *data, int byteCount)
{
    const int words = byteCount / 2;
    if (is16(start)) {
        for (int i = 0; i < words; ++i) {
            const int slot = start - Regs16First + i;
            if (slot >= Regs16Count)
                break;
            Regs16[slot] = get16be(data + 2 * i);
        }
    } else if (is32(start)) {
        for (int i = 0; i < words / 2; ++i) {
            const int slot = start - Regs32First + i;
            if (slot >= Regs32Count)
                break;
            setBits32(slot, get32be(data + 4 * i));
        }
    }
}

void RegisterImage::clear()
{
    Regs16.fill(0);
    Regs32.fill(0.0f);
}

} // namespace k71t
