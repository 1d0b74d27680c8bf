#pragma once
// A clock the test sets: it shows `at`, and moves on by `step` seconds each
// time it is read (0: it stands still). The link worker reads it too (the
// time a download took, the name of its file), so a reading holds a lock;
// a test sets `at` and `step` while no work runs.
#include "common/Clock.h"

#include <mutex>

namespace k71t::test {

struct FakeClock : Clock {
    mutable QDateTime at{QDate(2026, 12, 8), QTime(10, 0, 0)};
    int step = 0;
    QDateTime now() const override
    {
        const std::lock_guard lock(mutex_);
        const QDateTime shown = at;
        at = at.addSecs(step);
        return shown;
    }

private:
    mutable std::mutex mutex_;
};

} // namespace k71t::test
