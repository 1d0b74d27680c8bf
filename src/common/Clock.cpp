#include "common/Clock.h"

namespace k71t {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

} // namespace k71t
