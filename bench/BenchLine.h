#pragma once
// What the meter-traffic benchmarks share: the wire time of frames at
// 115200 baud 8N2, the time of one block read or written with the pauses the
// protocol prescribes, and the median of repeated runs.
#include "config/PageBlocks.h"
#include "link/RegisterImage.h"

#include <QElapsedTimer>
#include <algorithm>
#include <vector>

namespace k71t::bench {

constexpr double BitsPerByte = 11.0; // 8N2 with the start bit
constexpr int Baud = 115200;

inline double wireMs(int bytes)
{
    return 1000.0 * bytes * BitsPerByte / Baud;
}

// A read request and its answer.
inline double readMs(const PageBlock &b)
{
    return wireMs(8) + wireMs(5 + (RegisterImage::is32(b.start) ? 4 : 2) * b.count);
}

// A block write with its 10 ms pauses before and after and the acknowledge.
inline double writeMs(const PageBlock &b)
{
    return 10 + wireMs(9 + (RegisterImage::is32(b.start) ? 4 : 2) * b.count) + wireMs(8) + 10;
}

// The median time of `rounds` runs; `failures` counts the runs that returned false.
template <typename Run> double medianMs(Run run, int rounds, int &failures)
{
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        if (!run())
            ++failures;
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace k71t::bench
