// The monitor window, the values window and the register chooser as the
// operator sees them, against the simulated meter over the pseudo-terminal.
#include "monitor/ui/MonitorWindow.h"
#include "monitor/ui/LiveValuesWindow.h"
#include "monitor/ui/RegisterChooserDialog.h"
#include "support/AppHarness.h"
#include "support/SimFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace k71t;
using k71t::sim::Fault;

namespace {

struct MonitorWindowTest : ::testing::Test {
    test::SimHarness sim;
    test::AppHarness app;
    MonitorWindow *monitor = nullptr;

    void SetUp() override
    {
        sim.meter.pin(8000, 21.5f); // DEV 0 R0 holds a value
        app.startWithMeter(sim.path);
        monitor = app.windows->monitorWindow;
    }
    QString status() const { return monitor->statusBar->currentMessage(); }
    static QString chartTitle(QCustomPlot *chart)
    {
        return static_cast<QCPTextElement *>(chart->plotLayout()->element(0, 0))->text();
    }
};

QStringList texts(const QWidget *window)
{
    QStringList out{window->windowTitle()};
    for (const QLabel *l : window->findChildren<QLabel *>())
        out << l->text() << l->toolTip();
    for (const QGroupBox *g : window->findChildren<QGroupBox *>())
        out << g->title();
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>())
        out << b->text();
    for (const QMenu *m : window->findChildren<QMenu *>())
        for (const QAction *a : m->actions())
            out << a->text();
    return out;
}

} // namespace

TEST_F(MonitorWindowTest, EveryText)
{
    const QStringList shown = texts(monitor);
    for (const char *t : {"Monitor", "Uruchom transmisję", "Pokaż wartości odczytane", "Wartość Wyświetlana", "Minimum",
                          "Maksimum", "Kliknij aby zmienić precyzję", "Wypełnienie archiwum /Użycie pamięci",
                          "Wysterowanie wyjścia analogowego", "Stan komunikacji", "DEV 0", "DEV 9", "Alarmy",
                          "Alarm 1", "Alarm 4", "Wyczyść wykres", "Wybierz daną do monitorowania"})
        EXPECT_TRUE(shown.contains(QString::fromUtf8(t))) << t;
    EXPECT_EQ(chartTitle(monitor->valueChart), QStringLiteral("Wartość wyświetlana"));
    EXPECT_EQ(chartTitle(monitor->alarmChart), QStringLiteral("Alarmy"));
    EXPECT_FALSE(monitor->alarmChart->isVisibleTo(monitor));
    EXPECT_EQ(monitor->pollTimer->interval(), 1000);

    LiveValuesWindow &values = *app.windows->liveValuesWindow;
    EXPECT_EQ(values.windowTitle(), QStringLiteral("Wartości Odczytane"));
    EXPECT_EQ(values.valueGrid->item(0, 1)->text(), QStringLiteral("DEV 0"));
    EXPECT_EQ(values.valueGrid->item(0, 10)->text(), QStringLiteral("DEV 9"));
    EXPECT_EQ(values.valueGrid->item(1, 0)->text(), QStringLiteral("R0"));
    EXPECT_EQ(values.valueGrid->item(10, 0)->text(), QStringLiteral("R9"));
    EXPECT_EQ(values.valueGrid->item(5, 5)->text(), QStringLiteral("*****"));

    RegisterChooserDialog &chooser = *app.windows->registerChooserDialog;
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Wybór rejestru monitorowanego"));
    EXPECT_TRUE(chooser.displayedValueCheck->isChecked());
    EXPECT_EQ(chooser.displayedValueCheck->text(), QStringLiteral("Wartość wyświetlana"));
    EXPECT_FALSE(chooser.deviceList->isEnabled());
    EXPECT_EQ(chooser.deviceList->itemText(0), QStringLiteral("Urządzenie nr 0 - DEV0"));
    EXPECT_EQ(chooser.deviceList->itemText(9), QStringLiteral("Urządzenie nr 9 - DEV9"));
    EXPECT_EQ(chooser.registerList->itemText(9), QStringLiteral("Rejestr nr 9 - R9"));
    EXPECT_EQ(chooser.applyButton->text(), QStringLiteral("Zastosuj i zamknij"));
    chooser.displayedValueCheck->setChecked(false);
    EXPECT_TRUE(chooser.registerList->isEnabled());
}

TEST_F(MonitorWindowTest, TicksRedrawAndBlinkOnFailure)
{
    app.startPanel->monitorButton->click();
    EXPECT_EQ(app.prompt.modalWindows, QStringList{"MonitorWindow"});
    EXPECT_TRUE(monitor->pollTimer->isActive());
    EXPECT_EQ(status(), QStringLiteral("Odczyt danych..."));
    EXPECT_EQ(monitor->startStopButton->text(), QStringLiteral("Zatrzymaj transmisję"));

    sim.meter.pin(7505, 1e10f);  // no value
    sim.meter.pin(7503, 12.345678f);
    sim.meter.pin(7509, 100.0f); // a full archive fills its gauge
    sim.meter.pin(7502, 250.0f); // no such percentage: the gauge keeps its state
    sim.meter.pin(7520, 49.9f);
    sim.meter.pin(7521, 50.0f);
    sim.meter.pin(7522, 80.5f);
    sim.meter.setReg16(4050, 0x0004);
    sim.meter.setReg16(4052, 0x0002);
    test::pollMonitor(*monitor);
    EXPECT_EQ(status(), QStringLiteral("Transmisja: O.K."));
    EXPECT_EQ(monitor->heartbeatLed->colour(), QColor(0, 255, 0));
    EXPECT_EQ(monitor->displayedValueLabel->text(), QStringLiteral("^^^^^"));
    EXPECT_EQ(monitor->minimumLabel->text(), QStringLiteral("12.3457"));
    EXPECT_EQ(monitor->archiveFillGauge->value(), 1000);
    EXPECT_EQ(monitor->analogOutputGauge->value(), 0);
    EXPECT_EQ(monitor->deviceQualityBars[0]->value(), 49);
    EXPECT_TRUE(monitor->deviceQualityBars[0]->styleSheet().contains(QStringLiteral("#ff0000")));
    EXPECT_TRUE(monitor->deviceQualityBars[1]->styleSheet().contains(QStringLiteral("#ffff00")));
    EXPECT_TRUE(monitor->deviceQualityBars[2]->styleSheet().contains(QStringLiteral("#00ff00")));
    EXPECT_EQ(monitor->deviceLeds[2]->colour(), QColor(255, 0, 0));
    EXPECT_EQ(monitor->deviceLeds[3]->colour(), QColor(0, 255, 0));
    EXPECT_EQ(monitor->alarmLeds[1]->colour(), QColor(255, 0, 0));
    EXPECT_EQ(monitor->alarmLeds[0]->colour(), QColor(0, 0, 0));
    EXPECT_EQ(app.windows->liveValuesWindow->valueGrid->item(1, 1)->text(), QStringLiteral("21.5000")); // DEV 0 R0
    EXPECT_EQ(app.windows->liveValuesWindow->valueGrid->item(1, 2)->text(), QStringLiteral("*****"));   // DEV 1 R0

    // The precision of the minimum, one click.
    monitor->onMinimumClicked();
    test::pollMonitor(*monitor);
    EXPECT_EQ(monitor->minimumLabel->text(), QStringLiteral("12.346"));

    // A silent meter blinks the window and shows no values; it recovers.
    sim.fault(Fault::Silence);
    test::pollMonitor(*monitor);
    EXPECT_EQ(status(), QStringLiteral("Transmisja: BŁĄD"));
    EXPECT_EQ(monitor->heartbeatLed->colour(), QColor(255, 0, 0));
    EXPECT_NEAR(monitor->windowOpacity(), 180.0 / 255.0, 0.01);
    EXPECT_EQ(monitor->minimumLabel->text(), QStringLiteral("^^^^^"));
    EXPECT_EQ(monitor->archiveFillGauge->value(), 1000); // gauges keep their state
    EXPECT_EQ(app.windows->liveValuesWindow->valueGrid->item(1, 1)->text(), QStringLiteral("*****"));
    test::pollMonitor(*monitor);
    EXPECT_EQ(monitor->heartbeatLed->colour(), QColor(0, 0, 0));
    EXPECT_NEAR(monitor->windowOpacity(), 1.0, 0.01);
    sim.fault(Fault::None);
    test::pollMonitor(*monitor);
    EXPECT_EQ(status(), QStringLiteral("Transmisja: O.K."));

    // Stop and start; closing stops it.
    monitor->startStopButton->click();
    EXPECT_FALSE(monitor->pollTimer->isActive());
    EXPECT_EQ(status(), QStringLiteral("Transmisja zatrzymana"));
    EXPECT_EQ(monitor->startStopButton->text(), QStringLiteral("Uruchom transmisję"));
    EXPECT_EQ(monitor->heartbeatLed->colour(), QColor(0, 0, 0));
    monitor->startStopButton->click();
    EXPECT_TRUE(monitor->pollTimer->isActive());
    monitor->done(0);
    EXPECT_FALSE(monitor->pollTimer->isActive());
    EXPECT_EQ(monitor->startStopButton->text(), QStringLiteral("Uruchom transmisję"));
}

TEST_F(MonitorWindowTest, TheChartFollowsTheChosenChannel)
{
    // Ten ticks give one point, of the displayed value and of each alarm.
    for (int t = 0; t < 10; ++t) {
        app.clock.at = app.clock.at.addSecs(1);
        test::pollMonitor(*monitor);
    }
    ASSERT_EQ(monitor->model().pointCount(), 1);
    EXPECT_EQ(monitor->valueChart->graph(0)->dataCount(), 1);
    EXPECT_EQ(monitor->alarmChart->graphCount(), 4);
    EXPECT_EQ(monitor->alarmChart->graph(3)->dataCount(), 1);
    EXPECT_DOUBLE_EQ(monitor->valueChart->graph(0)->data()->at(0)->key, app.clock.at.toMSecsSinceEpoch() / 1000.0);

    // The same channel keeps the chart; DEV 2 R5 clears it and names it.
    RegisterChooserDialog &chooser = *app.windows->registerChooserDialog;
    monitor->onChooseDataChosen();
    EXPECT_EQ(app.prompt.modalWindows, QStringList{"RegisterChooserDialog"});
    EXPECT_EQ(monitor->valueChart->graph(0)->dataCount(), 1);
    chooser.displayedValueCheck->setChecked(false);
    chooser.deviceList->setCurrentIndex(2);
    chooser.registerList->setCurrentIndex(5);
    chooser.onApplyClicked();
    monitor->onChooseDataChosen();
    EXPECT_EQ(monitor->valueChart->graph(0)->dataCount(), 0);
    EXPECT_EQ(chartTitle(monitor->valueChart), QStringLiteral("Urządzenie: DEV2 Rejestr: R5"));
    EXPECT_EQ(monitor->model().channel(), 25);

    // "Wyczyść wykres" empties every series.
    for (int t = 0; t < 10; ++t)
        test::pollMonitor(*monitor); // DEV 2 is not polled: no value, no point
    EXPECT_EQ(monitor->model().pointCount(), 0);
    sim.meter.pin(8025, 7.5f);
    for (int t = 0; t < 10; ++t)
        test::pollMonitor(*monitor);
    EXPECT_EQ(monitor->valueChart->graph(0)->dataCount(), 1);
    monitor->onClearChartChosen();
    EXPECT_EQ(monitor->valueChart->graph(0)->dataCount(), 0);
    EXPECT_EQ(monitor->alarmChart->graph(0)->dataCount(), 0);
    EXPECT_EQ(monitor->model().pointCount(), 0);
}

// The monitor runs modal: the values window must open in front of it and
// take input (here: Escape closes it), not wait blocked behind it.
TEST_F(MonitorWindowTest, TheValuesWindowTakesInputBesideTheModalMonitor)
{
    monitor->setWindowModality(Qt::ApplicationModal);
    monitor->show();
    monitor->showValuesButton->click();
    LiveValuesWindow &values = *app.windows->liveValuesWindow;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&values));
    EXPECT_EQ(values.parentWidget(), monitor);
    QTest::keyClick(values.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(values.isVisible());
    monitor->hide();
}
