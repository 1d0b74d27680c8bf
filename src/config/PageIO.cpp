#include "config/PageIO.h"

#include "common/TextFormats.h"

namespace k71t {

bool pageRead(ModbusLink &link, std::span<const PageBlock> blocks)
{
    if (!link.openIfClosed())
        return false;
    for (const PageBlock &b : blocks) {
        if (!blockRead(link, b))
            return false;
        sleepMs(10);
    }
    return true;
}

bool pageRead(ModbusLink &link, std::initializer_list<PageBlock> blocks)
{
    return pageRead(link, std::span<const PageBlock>(blocks.begin(), blocks.size()));
}

bool pageWrite(ModbusLink &link, std::span<const PageBlock> blocks)
{
    if (!link.openIfClosed())
        return false;
    link.drainInput();
    sleepMs(10);
    for (const PageBlock &b : blocks) {
        if (!blockWrite(link, b))
            return false;
    }
    return true;
}

bool pageWrite(ModbusLink &link, std::initializer_list<PageBlock> blocks)
{
    return pageWrite(link, std::span<const PageBlock>(blocks.begin(), blocks.size()));
}

bool blockRead(ModbusLink &link, const PageBlock &b)
{
    if (!link.openIfClosed())
        return false;
    return link.readRegisters(b.start, b.count, 1, 500, false);
}

bool blockWrite(ModbusLink &link, const PageBlock &b)
{
    if (!link.openIfClosed())
        return false;
    return link.writeRegisters(b.start, b.count, 1, 500, true);
}

std::optional<double> checkNumber(const QString &text, double low, double high)
{
    const auto v = parseDecimal(text);
    if (!v || *v < low || *v > high)
        return std::nullopt;
    return v;
}

} // namespace k71t
