#pragma once
// A full archive for the benchmarks: 616,000 records, ten devices by ten
// registers a moment, a moment every 10 s from 2013-09-01.
#include "archive/ArchiveRecord.h"

#include <cmath>

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

// 616,000 records of ten devices archiving one register each (DEVd's Rd), a
// moment every 10 s from 2013-09-01: 61,600 rows a device over about seven
// days, the values slow waves with a ripple.
inline void fillOneRegisterArchive(RecordStore &store)
{
    for (int i = 0; i < RecordStoreCapacity; ++i) {
        const int d = i % 10;
        const int moment = i / 10;
        const int second = moment * 10;
        const float v = static_cast<float>(20 * d + 15 * std::sin(moment / 900.0 + d) + 2 * std::sin(moment / 7.0));
        store[i] = ArchiveRecord::make(d + 1, d, 2013, 9, 1 + second / 86400, second / 3600 % 24, second / 60 % 60,
                                       second % 60, v);
    }
}

} // namespace k71t::bench
