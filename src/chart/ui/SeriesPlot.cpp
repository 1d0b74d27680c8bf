#include "chart/ui/SeriesPlot.h"

#include "widgets/PlotAxes.h"

#include <QPrinter>
#include <algorithm>

namespace k71t
{

SeriesPlot::SeriesPlot(QWidget *parent) : QCustomPlot(parent)
{
    setObjectName(QStringLiteral("chart"));
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, QColor(192, 192, 192));
    gradient.setColorAt(1, Qt::white);
    setBackground(QBrush(gradient));
    axisRect()->setBackground(Qt::NoBrush);
    plotLayout()->insertRow(0);
    title_ = new QCPTextElement(this, QString(), QFont(font().family(), -1, QFont::Bold));
    QFont titleFont = title_->font();
    titleFont.setPixelSize(13);
    title_->setFont(titleFont);
    title_->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
    title_->setObjectName(QStringLiteral("title"));
    plotLayout()->addElement(0, 0, title_);
    // The legend in a row of its own above the plot, five series a line.
    legend->setVisible(true);
    axisRect()->insetLayout()->take(legend);
    plotLayout()->insertRow(1);
    plotLayout()->addElement(1, 0, legend);
    plotLayout()->setRowStretchFactor(0, 0.001);
    plotLayout()->setRowStretchFactor(1, 0.001);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setWrap(5);
    legend->setBrush(QColor(255, 255, 255, 160));
    legend->setBorderPen(QPen(Qt::gray));
    legend->setMargins(QMargins(6, 2, 6, 2));
    useDateTimeAxis(this, xAxis, Qt::UTC); // the points carry the archive's wall-clock time
    // Long series names are shown whole: the legend has as many columns
    // (five at most) as its widest name leaves room for.
    connect(this, &QCustomPlot::beforeReplot, this, &SeriesPlot::fitLegend);
    for (int s = 0; s < SeriesCount; ++s) {
        QCPGraph *g = addGraph();
        g->setAdaptiveSampling(true);
        g->setAntialiased(false);
        g->setLineStyle(QCPGraph::lsLine);
    }
    setNoAntialiasingOnDrag(true);
    setPlottingHint(QCP::phFastPolylines, true);
    setSelectionRectMode(QCP::srmCustom);
    selectionRect()->setPen(QPen(Qt::red, 1, Qt::DashLine));
    connect(this, &QCustomPlot::mousePress, this, [this](QMouseEvent *event) { pressedAt_ = event->pos(); });
    connect(selectionRect(), &QCPSelectionRect::accepted, this, &SeriesPlot::selectionDone);
}

void SeriesPlot::fitLegend()
{
    int widest = 0;
    for (int i = 0; i < legend->itemCount(); ++i)
        widest = std::max(widest, legend->item(i)->minimumOuterSizeHint().width());
    const int room = width() - legend->margins().left() - legend->margins().right();
    const int columns = std::clamp(room / std::max(1, widest + legend->columnSpacing()), 1, 5);
    if (legend->wrap() != columns) {
        legend->setWrap(columns);
        legend->setFillOrder(QCPLayoutGrid::foColumnsFirst, true);
    }
}

QString SeriesPlot::title() const
{
    return title_->text();
}

void SeriesPlot::setTitle(const QString &text)
{
    title_->setText(text);
}

void SeriesPlot::setColour(int s, const QColor &colour)
{
    graph(s)->setPen(QPen(colour, 2));
    if (QCPPlottableLegendItem *item = legend->itemWithPlottable(graph(s)))
        item->setTextColor(colour);
}

void SeriesPlot::addPoints(int s, std::vector<SeriesPoint> &points)
{
    if (points.empty())
        return;
    std::stable_sort(points.begin(), points.end(),
                     [](const SeriesPoint &a, const SeriesPoint &b) { return a.x < b.x; });
    QVector<QCPGraphData> bulk;
    bulk.reserve(static_cast<qsizetype>(points.size()));
    for (const SeriesPoint &p : points)
        bulk.append(QCPGraphData(p.x, p.y));
    graph(s)->data()->add(bulk, true);
    std::vector<SeriesPoint>().swap(points);
}

bool SeriesPlot::empty() const
{
    for (int s = 0; s < SeriesCount; ++s)
        if (!graph(s)->data()->isEmpty())
            return false;
    return true;
}

void SeriesPlot::fullView(double from, double to)
{
    if (empty()) {
        xAxis->setRange(from, to);
    } else {
        rescaleAxes(true);
        // A flat line or a single point still gets a visible span.
        for (QCPAxis *axis : {xAxis, yAxis}) {
            const QCPRange r = axis->range();
            if (r.size() <= 0)
                axis->setRange(r.lower - 1, r.upper + 1);
        }
        fitWithRoom(yAxis);
    }
    replot();
}

void SeriesPlot::zoomTo(const QCPRange &x, const QCPRange &y)
{
    xAxis->setRange(x);
    yAxis->setRange(y);
    replot();
}

void SeriesPlot::selectionDone(const QRect &rect, QMouseEvent *event)
{
    // Dragged to the left: back to every point. Dragged to the right: the
    // rectangle becomes the view.
    if (event->pos().x() < pressedAt_.x()) {
        emit fullViewWanted();
        return;
    }
    if (rect.normalized().width() < 3 || rect.normalized().height() < 3)
        return;
    zoomTo(selectionRect()->range(xAxis), selectionRect()->range(yAxis));
}

bool SeriesPlot::printOn(QPrinter &p)
{
    const QPageLayout::Orientation previous = p.pageLayout().orientation();
    const int resolution = p.resolution();
    p.setPageOrientation(QPageLayout::Landscape);
    // The chart is laid out at the screen's resolution (its fonts and pens
    // keep their proportions) and drawn as vectors, so the page stays sharp.
    p.setResolution(logicalDpiX());
    bool ok = false;
    {
        QCPPainter painter;
        if (painter.begin(&p)) {
            const QRectF page = p.pageRect(QPrinter::DevicePixel);
            // Margins 3 % left, 4 % top, 3 % right, 2 % bottom; the chart is
            // stretched to fill what is inside them.
            const QRectF area(page.width() * 0.03, page.height() * 0.04, page.width() * 0.94, page.height() * 0.94);
            const int w = std::max(width(), 800);
            const int h = std::max(height(), 500);
            painter.setMode(QCPPainter::pmVectorized);
            painter.setMode(QCPPainter::pmNoCaching);
            painter.translate(area.topLeft());
            painter.scale(area.width() / w, area.height() / h);
            toPainter(&painter, w, h);
            ok = painter.end();
        }
    }
    ok = ok && p.printerState() != QPrinter::Error && p.printerState() != QPrinter::Aborted;
    p.setPageOrientation(previous);
    p.setResolution(resolution);
    return ok;
}

} // namespace k71t
