#pragma once
// The register blocks of every configuration page, in the order the page
// reads and writes them. The pages, the bulk transfer and the tests use
// these lists; nothing else spells the blocks out.
#include "config/RegisterMap.h"

#include <span>

namespace k71t {

struct PageBlock {
    int start;
    int count;
    bool is32;
};

struct PageBlockLists {
    std::span<const PageBlock> read;
    std::span<const PageBlock> write;
};

// The blocks of a page (keyed by the owner of its registers), or nullptr for
// a page this program does not have.
const PageBlockLists *pageBlocks(Owner page);

} // namespace k71t
