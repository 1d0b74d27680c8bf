#pragma once
// The meter's archive: a ring of 7000 pages of 528 bytes, 44 records a page,
// with the pointers the meter reports in 4046 .. 4049.
#include "archive/ArchiveRecord.h"

#include <vector>

namespace k71t::sim {

class SimArchive {
public:
    SimArchive();

    // Empties the ring so that the next record goes to `offset` of `page`.
    void reset(int page, int offset);
    // Deletes every record; the pointers stay where the ring ends.
    void clear();
    void append(const ArchiveRecord &record);
    int count() const;
    // The records, oldest first.
    std::vector<ArchiveRecord> records() const;
    const std::uint8_t *page(int p) const { return ring_.data() + static_cast<std::size_t>(p) * PageBytes; }

    int firstPage = 0;
    int firstOffset = 0;
    int lastPage = 0;
    int lastOffset = 0;

private:
    std::vector<std::uint8_t> ring_;
};

} // namespace k71t::sim
