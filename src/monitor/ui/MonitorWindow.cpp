#include "monitor/ui/MonitorWindow.h"

#include "common/TextFormats.h"
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

    LED_ON = led(this, QStringLiteral("LED_ON"));
    SpeedButton2 = named(new QPushButton(QStringLiteral("Uruchom transmisję"), this), "SpeedButton2");
    SpeedButton1 = named(new QPushButton(QStringLiteral("Pokaż wartości odczytane"), this), "SpeedButton1");
    for (QPushButton *b : {SpeedButton1, SpeedButton2})
        b->setAutoDefault(false);
    auto *top = new QHBoxLayout;
    top->addWidget(LED_ON);
    top->addWidget(SpeedButton2);
    top->addWidget(SpeedButton1);
    top->addStretch(1);

    // The three values, each clickable for its precision.
    auto *valuesRow = new QHBoxLayout;
    const char *names[3] = {"Label23", "Label24", "Label25"};
    const QString captions[3] = {QStringLiteral("Wartość Wyświetlana"), QStringLiteral("Minimum"),
                                 QStringLiteral("Maksimum")};
    QLabel **labels[3] = {&Label23, &Label24, &Label25};
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
        value->onClick = [this, i] { i == 0 ? Label23Click() : i == 1 ? Label24Click() : Label25Click(); };
        *labels[i] = value;
        column->addWidget(value);
        valuesRow->addLayout(column, i == 0 ? 2 : 1);
    }

    CGauge1 = gauge(this, "CGauge1", 1000);
    CGauge2 = gauge(this, "CGauge2", 1000);
    setGaugeColour(CGauge1, QColor(0, 128, 255));
    setGaugeColour(CGauge2, QColor(0, 128, 255));
    auto *gauges = new QGridLayout;
    gauges->addWidget(new QLabel(QStringLiteral("Wypełnienie archiwum /Użycie pamięci"), this), 0, 0);
    gauges->addWidget(CGauge1, 1, 0);
    gauges->addWidget(new QLabel(QStringLiteral("Wysterowanie wyjścia analogowego"), this), 0, 1);
    gauges->addWidget(CGauge2, 1, 1);

    auto *devices = new QGroupBox(QStringLiteral("Stan komunikacji"), this);
    auto *devGrid = new QGridLayout(devices);
    for (int d = 0; d < 10; ++d) {
        LED_DEV[d] = led(devices, QStringLiteral("LED_DEV%1").arg(d));
        WSK_POP[d] = gauge(devices, "", 100);
        WSK_POP[d]->setObjectName(QStringLiteral("WSK_POP_D%1").arg(d));
        WSK_POP[d]->setFixedHeight(12);
        setGaugeColour(WSK_POP[d], Red);
        devGrid->addWidget(LED_DEV[d], d, 0);
        devGrid->addWidget(new QLabel(QStringLiteral("DEV %1").arg(d), devices), d, 1);
        devGrid->addWidget(WSK_POP[d], d, 2);
    }
    auto *alarms = new QGroupBox(QStringLiteral("Alarmy"), this);
    auto *alGrid = new QGridLayout(alarms);
    for (int k = 0; k < 4; ++k) {
        LED_AL[k] = led(alarms, QStringLiteral("LED_AL%1").arg(k + 1));
        alGrid->addWidget(LED_AL[k], k, 0);
        alGrid->addWidget(new QLabel(QStringLiteral("Alarm %1").arg(k + 1), alarms), k, 1);
    }
    alGrid->setRowStretch(4, 1);

    Chart1 = makeChart("Chart1", QStringLiteral("Wartość wyświetlana"));
    Chart2 = makeChart("Chart2", QStringLiteral("Alarmy"));
    Chart2->hide();
    graphs_[0] = Chart1->addGraph();
    graphs_[0]->setName(QStringLiteral("Series1"));
    graphs_[0]->setPen(QPen(Red, 1));
    for (int k = 1; k <= 4; ++k) {
        graphs_[k] = Chart2->addGraph();
        graphs_[k]->setName(QStringLiteral("Alarm%1").arg(k));
    }
    auto *chartMenu = new QMenu(Chart1);
    chartMenu->addAction(QStringLiteral("Wyczyść wykres"), this, &MonitorWindow::ClearChartClick);
    chartMenu->addAction(QStringLiteral("Wybierz daną do monitorowania"), this, &MonitorWindow::ChooseDataClick);
    Chart1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Chart1, &QWidget::customContextMenuRequested, this,
            [this, chartMenu](const QPoint &at) { chartMenu->popup(Chart1->mapToGlobal(at)); });
    auto *alarmMenu = new QMenu(Chart2);
    alarmMenu->addAction(QStringLiteral("Wyczyść wykres"), this, &MonitorWindow::ClearChartClick);
    Chart2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Chart2, &QWidget::customContextMenuRequested, this,
            [this, alarmMenu](const QPoint &at) { alarmMenu->popup(Chart2->mapToGlobal(at)); });

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setStyleSheet(QStringLiteral("QStatusBar { background: #202020; color: silver; }"));

    auto *side = new QVBoxLayout;
    side->addWidget(devices);
    side->addWidget(alarms, 1);
    auto *main = new QVBoxLayout;
    main->addLayout(top);
    main->addLayout(valuesRow);
    main->addLayout(gauges);
    main->addWidget(Chart1, 1);
    main->addWidget(Chart2, 1);
    auto *body = new QHBoxLayout;
    body->addLayout(main, 1);
    body->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &MonitorWindow::Timer1Timer);
    connect(SpeedButton1, &QPushButton::clicked, this, &MonitorWindow::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &MonitorWindow::SpeedButton2Click);
    FormCreate();
}

void MonitorWindow::setCompanions(LiveValuesWindow *values, RegisterChooserDialog *chooser)
{
    values_ = values;
    chooser_ = chooser;
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
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat(QStringLiteral("hh:mm:ss & dd-MM-yyyy"));
    chart->xAxis->setTicker(ticker);
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

void MonitorWindow::FormCreate()
{
    // Dates and numbers already follow the program's fixed formats.
    StatusBar1->showMessage(QString());
    replotCharts();
}

void MonitorWindow::start()
{
    Timer1->start();
    StatusBar1->showMessage(QStringLiteral("Odczyt danych..."));
    SpeedButton2->setText(QStringLiteral("Zatrzymaj transmisję"));
    ctx_.prompt.showModal(this);
}

void MonitorWindow::SpeedButton2Click()
{
    if (Timer1->isActive()) {
        Timer1->stop();
        StatusBar1->showMessage(QStringLiteral("Transmisja zatrzymana"));
        SpeedButton2->setText(QStringLiteral("Uruchom transmisję"));
        model_.stop();
        setHeartbeat();
    } else {
        Timer1->start();
        StatusBar1->showMessage(QStringLiteral("Odczyt danych..."));
        SpeedButton2->setText(QStringLiteral("Zatrzymaj transmisję"));
    }
}

void MonitorWindow::SpeedButton1Click()
{
    if (!values_)
        return;
    values_->show();
    values_->raise();
}

void MonitorWindow::Timer1Timer()
{
    // Another operation holds the link (a bulk transfer between its steps, an
    // interface change waiting on a box): this second passes without a read.
    if (ctx_.link.busy())
        return;
    StatusBar1->showMessage(QStringLiteral("Odczyt..."));
    const bool ok = model_.tick() == MonitorModel::TickResult::Read;
    StatusBar1->showMessage(ok ? QStringLiteral("Transmisja: O.K.") : QStringLiteral("Transmisja: BŁĄD"));
    setHeartbeat();
    Redraw();
}

void MonitorWindow::setHeartbeat()
{
    switch (model_.heartbeat()) {
    case MonitorModel::Led::Black: LED_ON->setColour(Black); break;
    case MonitorModel::Led::Green: LED_ON->setColour(Green); break;
    case MonitorModel::Led::Red: LED_ON->setColour(Red); break;
    }
    setWindowOpacity(model_.translucent() ? 180.0 / 255.0 : 1.0);
}

void MonitorWindow::Redraw()
{
    const RegisterImage &im = ctx_.image;
    if (values_)
        values_->showValues(im);
    Label23->setText(MonitorModel::labelText(im.reg32(7505), model_.precision(0)));
    Label24->setText(MonitorModel::labelText(im.reg32(7503), model_.precision(1)));
    Label25->setText(MonitorModel::labelText(im.reg32(7504), model_.precision(2)));
    if (const auto g = MonitorModel::permilleGauge(im.reg32(7509))) {
        CGauge1->setValue(*g);
        CGauge1->setToolTip(formatFixed(im.reg32(7509), 4));
    }
    if (model_.sample(ctx_.clock.now()))
        redrawCharts(true);
    if (const auto g = MonitorModel::permilleGauge(im.reg32(7502))) {
        CGauge2->setValue(*g);
        CGauge2->setToolTip(formatFixed(im.reg32(7502), 2));
    }
    const std::uint16_t devices = im.reg16(4050), alarms = im.reg16(4052);
    for (int d = 0; d < 10; ++d)
        LED_DEV[d]->setColour((devices >> d) & 1u ? Red : Green);
    for (int k = 0; k < 4; ++k)
        LED_AL[k]->setColour((alarms >> k) & 1u ? Red : Black);
    for (int d = 0; d < 10; ++d) {
        const float quality = im.reg32(7520 + d);
        if (const auto g = MonitorModel::percentGauge(quality)) {
            WSK_POP[d]->setValue(*g);
            const auto q = MonitorModel::quality(quality);
            setGaugeColour(WSK_POP[d], q == MonitorModel::Quality::Red      ? Red
                                       : q == MonitorModel::Quality::Yellow ? Yellow
                                                                            : Green);
            WSK_POP[d]->setToolTip(formatFixed(quality, 2));
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
    Chart1->rescaleAxes();
    Chart2->rescaleAxes();
    if (model_.pointCount() == 0) {
        // An empty chart shows the last ten minutes, not the epoch.
        const double now = static_cast<double>(ctx_.clock.now().toMSecsSinceEpoch()) / 1000.0;
        for (QCustomPlot *chart : {Chart1, Chart2})
            chart->xAxis->setRange(now - 600.0, now);
    }
    Chart2->yAxis->setRange(-0.1, 1.1);
    Chart1->replot(QCustomPlot::rpQueuedReplot);
    Chart2->replot(QCustomPlot::rpQueuedReplot);
}

void MonitorWindow::Label23Click()
{
    model_.cyclePrecision(0);
}

void MonitorWindow::Label24Click()
{
    model_.cyclePrecision(1);
}

void MonitorWindow::Label25Click()
{
    model_.cyclePrecision(2);
}

void MonitorWindow::ClearChartClick()
{
    model_.clearChart();
    for (QCPGraph *g : graphs_)
        g->data()->clear();
    replotCharts();
}

void MonitorWindow::ChooseDataClick()
{
    if (!chooser_)
        return;
    ctx_.prompt.showModal(chooser_);
    if (model_.setChannel(chooser_->channel())) {
        for (QCPGraph *g : graphs_)
            g->data()->clear();
        static_cast<QCPTextElement *>(Chart1->plotLayout()->element(0, 0))->setText(model_.chartTitle());
        replotCharts();
    }
}

void MonitorWindow::FormClose()
{
    SpeedButton2->setText(QStringLiteral("Uruchom transmisję"));
    Timer1->stop();
    model_.stop();
    setHeartbeat();
    if (values_)
        values_->close();
}

void MonitorWindow::done(int result)
{
    FormClose();
    QDialog::done(result);
}

} // namespace k71t
