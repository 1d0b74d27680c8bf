#pragma once
// A clock the test sets: it shows `at`, and moves on by `step` seconds each
// time it is read (0: it stands still).
#include "common/Clock.h"

namespace k71t::test {

struct FakeClock : Clock {
    mutable QDateTime at{QDate(2026, 12, 8), QTime(10, 0, 0)};
    int step = 0;
    QDateTime now() const override
    {
        const QDateTime shown = at;
        at = at.addSecs(step);
        return shown;
    }
};

} // namespace k71t::test
