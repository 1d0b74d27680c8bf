#include "widgets/PlotAxes.h"

#include <algorithm>
#include <cmath>

namespace k71t {

namespace {

// Room for one label "hh:mm:ss & dd-MM-yyyy" and the gap beside it.
constexpr int DateTimeLabelWidth = 230;

// QCustomPlot aligns day and month ticks in the machine's local time; keys
// that count another time (the archive's wall clock counted as UTC) would
// get ticks at 23:00 or 01:00 in summer. Here they are aligned in the
// axis's own time.
class DateTimeTicker : public QCPAxisTickerDateTime {
public:
    explicit DateTimeTicker(Qt::TimeSpec spec) : spec_(spec) { setDateTimeSpec(spec); }

protected:
    QVector<double> createTickVector(double tickStep, const QCPRange &range) override
    {
        if (tickStep < 86400.0 || spec_ != Qt::UTC)
            return QCPAxisTickerDateTime::createTickVector(tickStep, range);
        // Whole days from the epoch's midnight are midnights of this time.
        QVector<double> ticks = QCPAxisTicker::createTickVector(tickStep, range);
        if (tickStep >= 28 * 86400.0) {
            // Months: the first of each month the steps land in.
            for (double &t : ticks) {
                const QDate d = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(t)), Qt::UTC).date();
                t = static_cast<double>(QDateTime(QDate(d.year(), d.month(), 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch());
            }
            ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
        }
        return ticks;
    }

private:
    Qt::TimeSpec spec_;
};

double roundStep(double rough)
{
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= rough)
            return m * power;
    return 10.0 * power;
}

} // namespace

void useDateTimeAxis(QCustomPlot *plot, QCPAxis *axis, Qt::TimeSpec spec)
{
    auto ticker = QSharedPointer<DateTimeTicker>::create(spec);
    ticker->setDateTimeFormat(QStringLiteral("hh:mm:ss & dd-MM-yyyy"));
    axis->setTicker(ticker);
    QObject::connect(plot, &QCustomPlot::beforeReplot, plot, [plot, ticker] {
        ticker->setTickCount(std::max(2, plot->axisRect()->width() / DateTimeLabelWidth));
    });
}

QCPRange roomyRange(const QCPRange &range, int ticks)
{
    const double size = range.size();
    if (!(size > 0) || !std::isfinite(size))
        return range;
    const double margin = size / 20.0;
    const double step = roundStep((size + 2 * margin) / std::max(1, ticks));
    return QCPRange(std::floor((range.lower - margin) / step) * step, std::ceil((range.upper + margin) / step) * step);
}

} // namespace k71t
