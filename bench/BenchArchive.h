#pragma once
// A full archive for the benchmarks: 616,000 records, ten devices by ten
// registers a moment, a moment every 10 s from 2013-09-01.
#include "archive/ArchiveRecord.h"

namespace k71t::bench {

inline void fillFullArchive(RecordStore &store)
{
    for (int i = 0; i < RecordStoreCapacity; ++i) {
        const int moment = i / 100;
        const int second = moment * 10;
        store[i] = ArchiveRecord::make(i / 10 % 10 + 1, i % 10, 2013, 9, 1 + second / 86400 % 28, second / 3600 % 24,
                                       second / 60 % 60, second % 60, static_cast<float>(i) * 0.37f);
    }
}

} // namespace k71t::bench
