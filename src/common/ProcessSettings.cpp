#include "common/ProcessSettings.h"

#include <QLocale>
#include <sys/prctl.h>

namespace k71t {

void applyProcessSettings()
{
    QLocale::setDefault(QLocale::c());
    // The default 50 us slack would stretch each 1 ms poll of the link.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

} // namespace k71t
