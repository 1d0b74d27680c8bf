#pragma once
// The system parameters and status page: the meter's status, its devices'
// communication, the alarms and the memory card; the meter's clock; and the
// commands, each writing its own register.
#include "config/ui/ConfigPage.h"

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTimeEdit;
class QTimer;

namespace k71t {

class SystemPage : public ConfigPage {
    Q_OBJECT
public:
    explicit SystemPage(AppContext &context, QWidget *parent = nullptr);

    void Show() override;
    // Nothing of this page is taken into the image on closing.
    bool Take() override { return true; }
    void FormClose() override;

    QPlainTextEdit *Memo1 = nullptr; // devices
    QPlainTextEdit *Memo2 = nullptr; // status word
    QPlainTextEdit *Memo3 = nullptr; // alarms
    QPlainTextEdit *Memo4 = nullptr; // memory card
    QComboBox *ComboBox1 = nullptr;  // card handling mode
    QCalendarWidget *MonthCalendar1 = nullptr;
    QTimeEdit *DateTimePicker1 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QLineEdit *Edit1 = nullptr; // access code
    QPushButton *SpeedButton3 = nullptr, *SpeedButton4 = nullptr, *SpeedButton5 = nullptr;
    QPushButton *SpeedButton6 = nullptr, *SpeedButton7 = nullptr, *SpeedButton8 = nullptr;
    QPushButton *SpeedButton9 = nullptr, *SpeedButton10 = nullptr;
    QTimer *Timer1 = nullptr;

public slots:
    void SpeedButton1Click(); // read the clock
    void SpeedButton2Click(); // write the clock
    void SpeedButton3Click(); // clear the status flags
    void SpeedButton4Click(); // clear the archive
    void SpeedButton5Click(); // clear min/max
    void SpeedButton6Click(); // read the status
    void SpeedButton7Click(); // synchronise the clock
    void SpeedButton8Click(); // factory settings
    void SpeedButton9Click(); // access code
    void SpeedButton10Click(); // card mode
    void Timer1Timer();

private:
    void FormCreate();
    // Calendar, time picker and automatic time change from the image; a
    // date or time the registers do not form leaves its control as it is.
    void showClock();
    // Writes `date` and `time` (to the minute) and the automatic change.
    void writeClock(const QDate &date, const QTime &time);
};

} // namespace k71t
