#pragma once
// The chart's plot: ten graphs with a date-time axis of the archive's
// wall-clock time, the title above, the legend in a row of its own, a
// rectangle dragged to the right to zoom (to the left: every point), and
// printing on a landscape page.
#include "chart/SeriesLoad.h"

#include <QPoint>
#include <qcustomplot.h>
#include <vector>

class QPrinter;

namespace k71t
{

class SeriesPlot : public QCustomPlot
{
    Q_OBJECT
public:
    explicit SeriesPlot(QWidget *parent = nullptr);

    QString title() const;
    void setTitle(const QString &text);
    // Series s's pen and the colour of its legend text.
    void setColour(int s, const QColor &colour);
    // Hands a load's points to series s's graph: sorted once, added in one
    // piece, and the vector's memory given back.
    void addPoints(int s, std::vector<SeriesPoint> &points);
    bool empty() const;
    // Every point in view; with nothing loaded the time axis shows `from` ..
    // `to` (seconds as seriesX gives them).
    void fullView(double from, double to);
    void zoomTo(const QCPRange &x, const QCPRange &y);
    // Prints on a printer already set up (the dialog was answered):
    // landscape, scaled to the page inside the margins, the printer's
    // orientation and resolution restored afterwards. False when nothing
    // came out.
    bool printOn(QPrinter &printer);

signals:
    // A rectangle dragged to the left: back to every point.
    void fullViewWanted();

private:
    void selectionDone(const QRect &rect, QMouseEvent *event);
    // As many legend columns (five at most) as the widest name leaves room for.
    void fitLegend();

    QCPTextElement *title_ = nullptr;
    QPoint pressedAt_; // where the last drag over the plot began
};

} // namespace k71t
