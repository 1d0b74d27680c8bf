// series.conf, the chart's series.
#include "FuzzSupport.h"
#include "chart/Series.h"

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SeriesModel model;
    (void)parseSeriesConf(fuzz::bytesOf(data, size), model);
    (void)seriesConfText(model);
    (void)chartInfoText(model);
    return 0;
}
