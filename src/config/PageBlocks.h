#pragma once
// The register blocks of every configuration page, in the order the page
// reads and writes them. The pages, the bulk transfer and the tests use
// these lists; nothing else spells the blocks out.
#include "config/RegisterMap.h"

#include <span>

namespace k71t {

struct PageBlock {
    int start;
    int count; // 16-bit registers or floats, as the range of `start` says
};

struct PageBlockLists {
    std::span<const PageBlock> read;
    std::span<const PageBlock> write;
};

// The blocks of a page (keyed by the owner of its registers), or nullptr for
// a page this program does not have.
const PageBlockLists *pageBlocks(Owner page);

// A step of the bulk transfer: a block, or for the interface write of the
// write direction a block of count 0, and the progress it adds when it
// succeeds (out of BulkProgressTotal).
struct BulkBlock {
    PageBlock block;
    int progress;
};

constexpr int BulkProgressTotal = 816;

// The bulk read, one block a step (steps 0 .. 4).
std::span<const BulkBlock> bulkReadBlocks();
// The bulk write: step 0 is the first two entries (the progress is set to
// the first one's value once it went), each later step one entry.
std::span<const BulkBlock> bulkWriteBlocks();

} // namespace k71t
