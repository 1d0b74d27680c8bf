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
    explicit DateTimeTicker(Qt::TimeSpec keyTime) : keyTime_(keyTime) { setDateTimeSpec(keyTime); }

protected:
    QVector<double> createTickVector(double tickStep, const QCPRange &range) override
    {
        if (tickStep < 86400.0 || keyTime_ != Qt::UTC)
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
    Qt::TimeSpec keyTime_;
};

} // namespace

void useDateTimeAxis(QCustomPlot *plot, QCPAxis *axis, Qt::TimeSpec keyTime)
{
    auto ticker = QSharedPointer<DateTimeTicker>::create(keyTime);
    ticker->setDateTimeFormat(QStringLiteral("hh:mm:ss & dd-MM-yyyy"));
    axis->setTicker(ticker);
    QObject::connect(plot, &QCustomPlot::beforeReplot, plot, [plot, ticker] {
        ticker->setTickCount(std::max(2, plot->axisRect()->width() / DateTimeLabelWidth));
    });
}

void fitWithRoom(QCPAxis *axis)
{
    const QCPRange data = axis->range();
    if (!(data.size() > 0) || !std::isfinite(data.size()))
        return;
    QCPRange range(data.lower - data.size() / 20.0, data.upper + data.size() / 20.0);
    // The ticker's step depends on the range it is given: widened to whole
    // steps, the range is asked again until the step stays.
    for (int round = 0; round < 4; ++round) {
        QVector<double> ticks;
        axis->ticker()->generate(range, QLocale::c(), 'g', 6, ticks, nullptr, nullptr);
        if (ticks.size() < 2)
            break;
        const double step = ticks[1] - ticks[0];
        const QCPRange whole(std::floor(range.lower / step + 1e-9) * step, std::ceil(range.upper / step - 1e-9) * step);
        if (whole.lower == range.lower && whole.upper == range.upper)
            break;
        range = whole;
    }
    axis->setRange(range);
}

} // namespace k71t
