#include "common/ProcessSettings.h"

#include <QLocale>
#include <clocale>
#include <sys/prctl.h>

namespace k71t {

void applyProcessSettings()
{
    // Qt's application object hands the environment's locale to the C
    // library as well; on a Polish desktop printf would then write
    // "-4,487020493E+000" into .dat exports and strtod would stop at a ".".
    // Numbers keep the "." of the files and the meter.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    applyLinkThreadSettings();
}

void applyLinkThreadSettings()
{
    // The default 50 us slack would stretch each 1 ms poll of the link.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

} // namespace k71t
