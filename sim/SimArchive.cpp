#include "SimArchive.h"

#include <cstring>

namespace k71t::sim {

SimArchive::SimArchive() : ring_(static_cast<std::size_t>(ArchivePages) * PageBytes, 0xFF) {}

void SimArchive::reset(int page, int offset)
{
    firstPage = lastPage = page;
    firstOffset = lastOffset = offset;
}

void SimArchive::clear()
{
    firstPage = lastPage;
    firstOffset = lastOffset;
}

void SimArchive::append(const ArchiveRecord &record)
{
    if (lastOffset + 12 > PageBytes) {
        lastPage = (lastPage + 1) % ArchivePages;
        lastOffset = 0;
        // A full ring gives up its oldest page.
        if (lastPage == firstPage) {
            firstPage = (firstPage + 1) % ArchivePages;
            firstOffset = 0;
        }
    }
    std::memcpy(ring_.data() + static_cast<std::size_t>(lastPage) * PageBytes + lastOffset, record.bytes.data(), 12);
    lastOffset += 12;
}

int SimArchive::count() const
{
    if (firstPage == lastPage && firstOffset <= lastOffset)
        return (lastOffset - firstOffset) / 12;
    int middle = (lastPage - firstPage + ArchivePages) % ArchivePages - 1;
    if (firstPage == lastPage)
        middle = ArchivePages - 1;
    return (PageBytes - firstOffset) / 12 + RecordsPerPage * middle + lastOffset / 12;
}

std::vector<ArchiveRecord> SimArchive::records() const
{
    std::vector<ArchiveRecord> out;
    const int n = count();
    out.reserve(static_cast<std::size_t>(n));
    int page = firstPage;
    int offset = firstOffset;
    for (int i = 0; i < n; ++i) {
        if (offset + 12 > PageBytes) {
            page = (page + 1) % ArchivePages;
            offset = 0;
        }
        ArchiveRecord r;
        std::memcpy(r.bytes.data(), ring_.data() + static_cast<std::size_t>(page) * PageBytes + offset, 12);
        out.push_back(r);
        offset += 12;
    }
    return out;
}

} // namespace k71t::sim
