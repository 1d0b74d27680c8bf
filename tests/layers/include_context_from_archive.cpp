// Must not build: the archive logic lies below the application context.
#include "archive/ArchiveRecord.h"
#include "context/AppContext.h"

int layerProbeUp()
{
    return k71t::RecordsPerPage;
}
