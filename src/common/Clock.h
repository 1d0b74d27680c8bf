#pragma once
// The one clock of the program: everything that needs the date or the time of
// day asks it, so tests can run hours of schedule in a moment.
#include <QDateTime>

namespace k71t {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
};

} // namespace k71t
