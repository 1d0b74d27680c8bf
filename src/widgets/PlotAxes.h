#pragma once
// Axes the charts share: date-time labels that never overlap, ticks of a
// wall-clock time axis at whole days whatever the machine's time zone, and
// a value axis with room around the curves and a label at each end.
#include <qcustomplot.h>

namespace k71t {

// Labels "hh:mm:ss & dd-MM-yyyy" on `axis`: as many ticks as fit side by side
// at every replot, and `keyTime` the time the keys count in (Qt::UTC for keys
// that are a wall-clock time counted as if UTC). Day and month steps fall on
// midnight and the first of the month of that time.
void useDateTimeAxis(QCustomPlot *plot, QCPAxis *axis, Qt::TimeSpec keyTime);

// Widens the axis's range by a twentieth on each side, then out to whole
// steps of the ticks its own ticker gives, so the curves keep clear of the
// frame and both ends carry a label.
void fitWithRoom(QCPAxis *axis);

} // namespace k71t
