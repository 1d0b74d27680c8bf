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
    // The values window and the chooser, created after this window.
    void setCompanions(LiveValuesWindow *values, RegisterChooserDialog *chooser);

    // From the start panel: the polling runs and the window shows modally.
    void start();
    // Copies the image into every control here and in the values window
    // and takes the chart sample; never talks to the meter. The bulk read
    // calls it too.
    void Redraw();

    MonitorModel &model() { return model_; }

    MonitorLed *LED_ON = nullptr;
    QPushButton *SpeedButton1 = nullptr; // "Pokaż wartości odczytane"
    QPushButton *SpeedButton2 = nullptr; // start / stop
    QLabel *Label23 = nullptr, *Label24 = nullptr, *Label25 = nullptr;
    QProgressBar *CGauge1 = nullptr, *CGauge2 = nullptr;
    std::array<MonitorLed *, 10> LED_DEV{};
    std::array<QProgressBar *, 10> WSK_POP{};
    std::array<MonitorLed *, 4> LED_AL{};
    QCustomPlot *Chart1 = nullptr, *Chart2 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QTimer *Timer1 = nullptr;

public slots:
    void Timer1Timer();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Label23Click();
    void Label24Click();
    void Label25Click();
    void ClearChartClick();  // "Wyczyść wykres"
    void ChooseDataClick();  // "Wybierz daną do monitorowania"

    // Closing runs FormClose: the polling stops.
    void done(int result) override;

private:
    void FormCreate();
    void FormClose();
    void setHeartbeat();
    void redrawCharts(bool added);
    void replotCharts();
    QCustomPlot *makeChart(const char *name, const QString &title);

    AppContext &ctx_;
    LiveValuesWindow *values_ = nullptr;
    RegisterChooserDialog *chooser_ = nullptr;
    MonitorModel model_;
    std::array<QCPGraph *, 5> graphs_{};
};

} // namespace k71t
