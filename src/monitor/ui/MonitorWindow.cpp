#include "monitor/ui/MonitorWindow.h"

#include <memory>

#include "common/TextFormats.h"
#include "widgets/PlotAxes.h"
#include "widgets/Widgets.h"
#include "monitor/ui/LiveValuesWindow.h"
#include "monitor/ui/RegisterChooserDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace k71t {

namespace {
// The shortest time the charts span.
constexpr double MinimumSpanS = 60.0;
} // namespace


namespace {

const QColor Red(255, 0, 0), Green(0, 255, 0), Yellow(255, 255, 0), Black(0, 0, 0);

// A label that reports clicks (the value labels change their precision).
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && onClick)
            onClick();
        QLabel::mouseReleaseEvent(event);
    }
};

QProgressBar *gauge(QWidget *parent, const char *name, int maximum)
{
    auto *g = named(new QProgressBar(parent), name);
    g->setRange(0, maximum);
    g->setValue(0);
    g->setTextVisible(false);
    return g;
}

void setGaugeColour(QProgressBar *g, const QColor &colour)
{
    // A new style sheet re-polishes the widget: only when the colour changes.
    if (g->property("colour").value<QColor>() == colour)
        return;
    g->setProperty("colour", colour);
    g->setStyleSheet(QStringLiteral("QProgressBar { background: #202020; border: 1px solid #606060; }"
                                    "QProgressBar::chunk { background: %1; }")
                         .arg(colour.name()));
}

MonitorLed *led(QWidget *parent, const QString &name)
{
    auto *l = new MonitorLed(parent);
    l->setObjectName(name);
    return l;
}

} // namespace

MonitorLed::MonitorLed(QWidget *parent) : QFrame(parent)
{
    setFixedSize(14, 14);
    setColour(Black);
}

void MonitorLed::setColour(const QColor &colour)
{
    if (colour == colour_ && !styleSheet().isEmpty())
        return;
    colour_ = colour;
    setStyleSheet(QStringLiteral("background: %1; border: 1px solid #808080; border-radius: 3px;").arg(colour.name()));
}

MonitorWindow::MonitorWindow(AppContext &context, QWidget *parent)
    : QDialog(parent), ctx_(context), model_(context.link, context.image)
{
    setObjectName(QStringLiteral("MonitorWindow"));
    setWindowTitle(QStringLiteral("Monitor"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(1024, 768);
    setStyleSheet(QStringLiteral("QDialog#MonitorWindow, QGroupBox { background: black; color: silver; }"
                                 "QLabel { color: silver; } QGroupBox { border: 1px solid #606060; margin-top: 14px; }"
                                 "QGroupBox::title { subcontrol-origin: margin; left: 8px; }"));

    QHBoxLayout *top = buildTopRow();
    QHBoxLayout *valuesRow = buildValuesRow();
    QGridLayout *gauges = buildGauges();
    QGroupBox *devices = buildDevices();
    QGroupBox *alarms = buildAlarms();
    buildCharts();

    statusBar = named(new QStatusBar(this), "statusBar");
    statusBar->setSizeGripEnabled(false);
    statusBar->setStyleSheet(QStringLiteral("QStatusBar { background: #202020; color: silver; }"));

    auto *side = new QVBoxLayout;
    side->addWidget(devices);
    side->addWidget(alarms, 1);
    auto *main = new QVBoxLayout;
    main->addLayout(top);
    main->addLayout(valuesRow);
    main->addLayout(gauges);
    main->addWidget(valueChart, 1);
    main->addWidget(alarmChart, 1);
    auto *body = new QHBoxLayout;
    body->addLayout(main, 1);
    body->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(statusBar);

    pollTimer = new QTimer(this);
    pollTimer->setObjectName(QStringLiteral("pollTimer"));
    pollTimer->setInterval(1000);
    connect(pollTimer, &QTimer::timeout, this, &MonitorWindow::onPollTimer);
    connect(showValuesButton, &QPushButton::clicked, this, &MonitorWindow::onShowValuesClicked);
    connect(startStopButton, &QPushButton::clicked, this, &MonitorWindow::onStartStopClicked);
    initialise();
}

QHBoxLayout *MonitorWindow::buildTopRow()
{
    heartbeatLed = led(this, QStringLiteral("heartbeatLed"));
    startStopButton = named(new QPushButton(QStringLiteral("Uruchom transmisję"), this), "startStopButton");
    showValuesButton = named(new QPushButton(QStringLiteral("Pokaż wartości odczytane"), this), "showValuesButton");
    for (QPushButton *b : {showValuesButton, startStopButton})
        b->setAutoDefault(false);
    auto *top = new QHBoxLayout;
    top->addWidget(heartbeatLed);
    top->addWidget(startStopButton);
    top->addWidget(showValuesButton);
    top->addStretch(1);
    return top;
}

// The three values, each clickable for its precision.
QHBoxLayout *MonitorWindow::buildValuesRow()
{
    auto *row = new QHBoxLayout;
    const char *names[3] = {"displayedValueLabel", "minimumLabel", "maximumLabel"};
    const QString captions[3] = {QStringLiteral("Wartość Wyświetlana"), QStringLiteral("Minimum"),
                                 QStringLiteral("Maksimum")};
    QLabel **labels[3] = {&displayedValueLabel, &minimumLabel, &maximumLabel};
    for (int i = 0; i < 3; ++i) {
        auto *column = new QVBoxLayout;
        column->addWidget(new QLabel(captions[i], this));
        auto *value = new ClickLabel(QStringLiteral("^^^^^"), this);
        value->setObjectName(QString::fromLatin1(names[i]));
        value->setToolTip(QStringLiteral("Kliknij aby zmienić precyzję"));
        QFont f = value->font();
        f.setPointSize(i == 0 ? 28 : 18);
        f.setBold(true);
        value->setFont(f);
        value->setStyleSheet(QStringLiteral("color: lime;"));
        value->setCursor(Qt::PointingHandCursor);
        value->onClick = [this, i] {
            i == 0 ? onDisplayedValueClicked() : i == 1 ? onMinimumClicked() : onMaximumClicked();
        };
        *labels[i] = value;
        column->addWidget(value);
        row->addLayout(column, i == 0 ? 2 : 1);
    }
    return row;
}

QGridLayout *MonitorWindow::buildGauges()
{
    archiveFillGauge = gauge(this, "archiveFillGauge", 1000);
    analogOutputGauge = gauge(this, "analogOutputGauge", 1000);
    setGaugeColour(archiveFillGauge, QColor(0, 128, 255));
    setGaugeColour(analogOutputGauge, QColor(0, 128, 255));
    auto *gauges = new QGridLayout;
    gauges->addWidget(new QLabel(QStringLiteral("Wypełnienie archiwum /Użycie pamięci"), this), 0, 0);
    gauges->addWidget(archiveFillGauge, 1, 0);
    gauges->addWidget(new QLabel(QStringLiteral("Wysterowanie wyjścia analogowego"), this), 0, 1);
    gauges->addWidget(analogOutputGauge, 1, 1);
    return gauges;
}

QGroupBox *MonitorWindow::buildDevices()
{
    auto *devices = new QGroupBox(QStringLiteral("Stan komunikacji"), this);
    auto *devGrid = new QGridLayout(devices);
    for (int d = 0; d < 10; ++d) {
        deviceLeds[d] = led(devices, QStringLiteral("deviceLed%1").arg(d));
        deviceQualityBars[d] = gauge(devices, "", 100);
        deviceQualityBars[d]->setObjectName(QStringLiteral("deviceQualityBar%1").arg(d));
        deviceQualityBars[d]->setFixedHeight(12);
        setGaugeColour(deviceQualityBars[d], Red);
        devGrid->addWidget(deviceLeds[d], d, 0);
        devGrid->addWidget(new QLabel(QStringLiteral("DEV %1").arg(d), devices), d, 1);
        devGrid->addWidget(deviceQualityBars[d], d, 2);
    }
    return devices;
}

QGroupBox *MonitorWindow::buildAlarms()
{
    auto *alarms = new QGroupBox(QStringLiteral("Alarmy"), this);
    auto *alGrid = new QGridLayout(alarms);
    for (int k = 0; k < 4; ++k) {
        alarmLeds[k] = led(alarms, QStringLiteral("alarmLed%1").arg(k + 1));
        alGrid->addWidget(alarmLeds[k], k, 0);
        alGrid->addWidget(new QLabel(QStringLiteral("Alarm %1").arg(k + 1), alarms), k, 1);
    }
    alGrid->setRowStretch(4, 1);
    return alarms;
}

// The value chart with its menu, the alarms chart (hidden) with its own.
void MonitorWindow::buildCharts()
{
    valueChart = makeChart("valueChart", QStringLiteral("Wartość wyświetlana"));
    alarmChart = makeChart("alarmChart", QStringLiteral("Alarmy"));
    alarmChart->hide();
    graphs_[0] = valueChart->addGraph();
    graphs_[0]->setName(QStringLiteral("value"));
    graphs_[0]->setPen(QPen(Red, 1));
    for (int k = 1; k <= 4; ++k) {
        graphs_[k] = alarmChart->addGraph();
        graphs_[k]->setName(QStringLiteral("Alarm%1").arg(k));
    }
    auto *chartMenu = new QMenu(valueChart);
    chartMenu->addAction(QStringLiteral("Wyczyść wykres"), this, &MonitorWindow::onClearChartChosen);
    chartMenu->addAction(QStringLiteral("Wybierz daną do monitorowania"), this, &MonitorWindow::onChooseDataChosen);
    valueChart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(valueChart, &QWidget::customContextMenuRequested, this,
            [this, chartMenu](const QPoint &at) { chartMenu->popup(valueChart->mapToGlobal(at)); });
    auto *alarmMenu = new QMenu(alarmChart);
    alarmMenu->addAction(QStringLiteral("Wyczyść wykres"), this, &MonitorWindow::onClearChartChosen);
    alarmChart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(alarmChart, &QWidget::customContextMenuRequested, this,
            [this, alarmMenu](const QPoint &at) { alarmMenu->popup(alarmChart->mapToGlobal(at)); });
}

void MonitorWindow::setCompanions(LiveValuesWindow *values, RegisterChooserDialog *chooser)
{
    values_ = values;
    chooser_ = chooser;
    // The monitor is modal: a window of its own is in front of it and takes
    // input while it runs; any other would be blocked behind it.
    if (values_) {
        values_->setParent(this, values_->windowFlags());
        values_->setWindowModality(Qt::NonModal);
    }
}

QCustomPlot *MonitorWindow::makeChart(const char *name, const QString &title)
{
    auto *chart = named(new QCustomPlot(this), name);
    chart->setBackground(Qt::black);
    chart->plotLayout()->insertRow(0);
    auto *caption = new QCPTextElement(chart, title);
    caption->setObjectName(QStringLiteral("title"));
    caption->setTextColor(Qt::white);
    chart->plotLayout()->addElement(0, 0, caption);
    useDateTimeAxis(chart, chart->xAxis, Qt::LocalTime);
    for (QCPAxis *axis : {chart->xAxis, chart->yAxis}) {
        axis->setBasePen(QPen(Qt::gray));
        axis->setTickPen(QPen(Qt::gray));
        axis->setSubTickPen(QPen(Qt::gray));
        axis->setTickLabelColor(QColor(192, 192, 192));
        axis->grid()->setPen(QPen(QColor(60, 60, 60), 0, Qt::DotLine));
    }
    chart->setMinimumHeight(220);
    return chart;
}

void MonitorWindow::initialise()
{
    // Dates and numbers already follow the program's fixed formats.
    statusBar->showMessage(QString());
    replotCharts();
}

void MonitorWindow::start()
{
    pollTimer->start();
    statusBar->showMessage(QStringLiteral("Odczyt danych..."));
    startStopButton->setText(QStringLiteral("Zatrzymaj transmisję"));
    ctx_.prompt.showModal(this);
}

void MonitorWindow::onStartStopClicked()
{
    if (pollTimer->isActive()) {
        pollTimer->stop();
        statusBar->showMessage(QStringLiteral("Transmisja zatrzymana"));
        startStopButton->setText(QStringLiteral("Uruchom transmisję"));
        model_.stop();
        setHeartbeat();
    } else {
        pollTimer->start();
        statusBar->showMessage(QStringLiteral("Odczyt danych..."));
        startStopButton->setText(QStringLiteral("Zatrzymaj transmisję"));
    }
}

void MonitorWindow::onShowValuesClicked()
{
    if (!values_)
        return;
    values_->show();
    values_->raise();
    values_->activateWindow();
}

void MonitorWindow::onPollTimer()
{
    // Another operation holds the link (a bulk transfer between its steps, an
    // interface change waiting on a box): this second passes without a read.
    if (ctx_.link.busy() || ticking_)
        return;
    ticking_ = true;
    statusBar->showMessage(QStringLiteral("Odczyt..."));
    // On the link worker, after any exchange in hand; the window shows the
    // result when it comes. Quiet: closing the program does not wait for it.
    auto result = std::make_shared<MonitorModel::TickResult>(MonitorModel::TickResult::Skipped);
    ctx_.linkWorker.post([this, result] { *result = model_.exchange(); }, this, [this, result] {
        ticking_ = false;
        model_.took(*result);
        showTick(*result);
    }, true);
}

void MonitorWindow::showTick(MonitorModel::TickResult result)
{
    if (result == MonitorModel::TickResult::Skipped) { // another operation took the link meanwhile
        statusBar->clearMessage();
    } else {
        const bool ok = result == MonitorModel::TickResult::Read;
        statusBar->showMessage(ok ? QStringLiteral("Transmisja: O.K.") : QStringLiteral("Transmisja: BŁĄD"));
        setHeartbeat();
        redraw();
    }
}

MonitorWindow::~MonitorWindow()
{
    // A tick still on the link worker uses the model.
    if (ticking_)
        ctx_.linkWorker.waitForQueue();
}

void MonitorWindow::setHeartbeat()
{
    switch (model_.heartbeat()) {
    case MonitorModel::Led::Black: heartbeatLed->setColour(Black); break;
    case MonitorModel::Led::Green: heartbeatLed->setColour(Green); break;
    case MonitorModel::Led::Red: heartbeatLed->setColour(Red); break;
    }
    setWindowOpacity(model_.translucent() ? 180.0 / 255.0 : 1.0);
}

void MonitorWindow::redraw()
{
    const RegisterImage &im = ctx_.image;
    if (values_)
        values_->showValues(im);
    displayedValueLabel->setText(MonitorModel::labelText(im.reg32(7505), model_.precision(0)));
    minimumLabel->setText(MonitorModel::labelText(im.reg32(7503), model_.precision(1)));
    maximumLabel->setText(MonitorModel::labelText(im.reg32(7504), model_.precision(2)));
    if (const auto g = MonitorModel::permilleGauge(im.reg32(7509))) {
        archiveFillGauge->setValue(*g);
        archiveFillGauge->setToolTip(formatFixed(im.reg32(7509), 4));
    }
    if (model_.sample(ctx_.clock.now()))
        redrawCharts(true);
    if (const auto g = MonitorModel::permilleGauge(im.reg32(7502))) {
        analogOutputGauge->setValue(*g);
        analogOutputGauge->setToolTip(formatFixed(im.reg32(7502), 2));
    }
    const std::uint16_t devices = im.reg16(4050), alarms = im.reg16(4052);
    for (int d = 0; d < 10; ++d)
        deviceLeds[d]->setColour((devices >> d) & 1u ? Red : Green);
    for (int k = 0; k < 4; ++k)
        alarmLeds[k]->setColour((alarms >> k) & 1u ? Red : Black);
    for (int d = 0; d < 10; ++d) {
        const float quality = im.reg32(7520 + d);
        if (const auto g = MonitorModel::percentGauge(quality)) {
            deviceQualityBars[d]->setValue(*g);
            const auto q = MonitorModel::quality(quality);
            setGaugeColour(deviceQualityBars[d], q == MonitorModel::Quality::Red      ? Red
                                                 : q == MonitorModel::Quality::Yellow ? Yellow
                                                                                      : Green);
            deviceQualityBars[d]->setToolTip(formatFixed(quality, 2));
        }
    }
}

void MonitorWindow::redrawCharts(bool added)
{
    // Nine seconds in ten nothing changes on the charts.
    if (added) {
        for (int s = 0; s < 5; ++s) {
            const auto &points = model_.series(s);
            QCPGraph *g = graphs_[s];
            g->addData(points.back().key, points.back().value);
            // The model dropped its oldest point: so does the chart.
            if (g->dataCount() > static_cast<int>(points.size()))
                g->data()->removeBefore(points.front().key);
        }
    }
    replotCharts();
}

void MonitorWindow::replotCharts()
{
    valueChart->rescaleAxes();
    alarmChart->rescaleAxes();
    if (model_.pointCount() == 0) {
        // An empty chart shows the last ten minutes, not the epoch.
        const double now = static_cast<double>(ctx_.clock.now().toMSecsSinceEpoch()) / 1000.0;
        for (QCustomPlot *chart : {valueChart, alarmChart})
            chart->xAxis->setRange(now - 600.0, now);
    } else {
        // The first minutes span at least one: no label repeats the second
        // of its neighbour.
        for (QCustomPlot *chart : {valueChart, alarmChart}) {
            const QCPRange r = chart->xAxis->range();
            if (r.size() < MinimumSpanS)
                chart->xAxis->setRange(r.upper - MinimumSpanS, r.upper);
        }
    }
    alarmChart->yAxis->setRange(-0.1, 1.1);
    valueChart->replot(QCustomPlot::rpQueuedReplot);
    alarmChart->replot(QCustomPlot::rpQueuedReplot);
}

void MonitorWindow::onDisplayedValueClicked()
{
    model_.cyclePrecision(0);
}

void MonitorWindow::onMinimumClicked()
{
    model_.cyclePrecision(1);
}

void MonitorWindow::onMaximumClicked()
{
    model_.cyclePrecision(2);
}

void MonitorWindow::onClearChartChosen()
{
    model_.clearChart();
    for (QCPGraph *g : graphs_)
        g->data()->clear();
    replotCharts();
}

void MonitorWindow::onChooseDataChosen()
{
    if (!chooser_)
        return;
    ctx_.prompt.showModal(chooser_);
    if (model_.setChannel(chooser_->channel())) {
        for (QCPGraph *g : graphs_)
            g->data()->clear();
        static_cast<QCPTextElement *>(valueChart->plotLayout()->element(0, 0))->setText(model_.chartTitle());
        replotCharts();
    }
}

void MonitorWindow::stopPolling()
{
    startStopButton->setText(QStringLiteral("Uruchom transmisję"));
    pollTimer->stop();
    model_.stop();
    setHeartbeat();
    if (values_)
        values_->close();
}

void MonitorWindow::done(int result)
{
    stopPolling();
    QDialog::done(result);
}

} // namespace k71t
