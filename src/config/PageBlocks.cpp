#include "config/PageBlocks.h"

namespace k71t {

namespace {

// Display and operating mode: the write leaves 4001, 4002 and 4005 .. 4008
// alone, they belong to other pages or to none.
constexpr PageBlock DisplayRead[] = {{4000, 13, false}, {4044, 1, false}, {7600, 4, true}};
constexpr PageBlock DisplayWrite[] = {
    {4000, 1, false}, {4003, 2, false}, {4009, 4, false}, {4044, 1, false}, {7600, 4, true}};

constexpr PageBlockLists Display{DisplayRead, DisplayWrite};

} // namespace

const PageBlockLists *pageBlocks(Owner page)
{
    switch (page) {
    case Owner::Display: return &Display;
    default: return nullptr;
    }
}

} // namespace k71t
