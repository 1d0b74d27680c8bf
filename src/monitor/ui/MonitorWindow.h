#pragma once
// The live monitor window: the meter polled once a second, its displayed
// value with minimum and maximum, the gauges, the devices' and alarms'
// states and the rolling chart. It draws the monitor model.
#include "context/AppContext.h"
#include "monitor/MonitorModel.h"

#include <QDialog>
#include <QFrame>
#include <array>

class QCPGraph;
class QCustomPlot;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;

namespace k71t {

// A round-cornered lamp of one colour (drawn through a style sheet, as the
// window's black style sheet would override a palette).
class MonitorLed : public QFrame {
    Q_OBJECT
public:
    explicit MonitorLed(QWidget *parent = nullptr);
    void setColour(const QColor &colour);
    QColor colour() const { return colour_; }

private:
    QColor colour_;
};

class RegisterChooserDialog;
class LiveValuesWindow;

class MonitorWindow : public QDialog {
    Q_OBJECT
public:
    MonitorWindow(AppContext &context, QWidget *parent = nullptr);
    ~MonitorWindow() override;
    // A tick is on the link worker; its result is shown when it comes.
    bool ticking() const { return ticking_; }
    // The values window and the chooser, created after this window.
    void setCompanions(LiveValuesWindow *values, RegisterChooserDialog *chooser);

    // From the start panel: the polling runs and the window shows modally.
    void start();
    // Copies the image into every control here and in the values window
    // and takes the chart sample; never talks to the meter. The bulk read
    // calls it too.
    void redraw();

    MonitorModel &model() { return model_; }

    MonitorLed *heartbeatLed = nullptr;
    QPushButton *showValuesButton = nullptr; // "Pokaż wartości odczytane"
    QPushButton *startStopButton = nullptr;  // start / stop
    QLabel *displayedValueLabel = nullptr, *minimumLabel = nullptr, *maximumLabel = nullptr;
    QProgressBar *archiveFillGauge = nullptr, *analogOutputGauge = nullptr;
    std::array<MonitorLed *, 10> deviceLeds{};
    std::array<QProgressBar *, 10> deviceQualityBars{};
    std::array<MonitorLed *, 4> alarmLeds{};
    QCustomPlot *valueChart = nullptr, *alarmChart = nullptr;
    QStatusBar *statusBar = nullptr;
    QTimer *pollTimer = nullptr;

public slots:
    void onPollTimer();
    void onShowValuesClicked();
    void onStartStopClicked();
    void onDisplayedValueClicked();
    void onMinimumClicked();
    void onMaximumClicked();
    void onClearChartChosen(); // "Wyczyść wykres"
    void onChooseDataChosen(); // "Wybierz daną do monitorowania"

    // Closing stops the polling.
    void done(int result) override;

private:
    QHBoxLayout *buildTopRow();
    QHBoxLayout *buildValuesRow();
    QGridLayout *buildGauges();
    QGroupBox *buildDevices();
    QGroupBox *buildAlarms();
    void buildCharts();
    void initialise();
    void stopPolling();
    void setHeartbeat();
    void redrawCharts(bool added);
    void replotCharts();
    QCustomPlot *makeChart(const char *name, const QString &title);

    AppContext &ctx_;
    LiveValuesWindow *values_ = nullptr;
    RegisterChooserDialog *chooser_ = nullptr;
    MonitorModel model_;
    bool ticking_ = false; // a tick is on the link worker
    void showTick(MonitorModel::TickResult result);
    std::array<QCPGraph *, 5> graphs_{};
};

} // namespace k71t
