#pragma once
// The system parameters and status page: the meter's status, its devices'
// communication, the alarms and the memory card; the meter's clock; and the
// commands, each writing its own register.
#include "config/ui/ConfigPage.h"

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QTimeEdit;
class QTimer;
class QVBoxLayout;

namespace k71t {

class SystemPage : public ConfigPage {
    Q_OBJECT
public:
    explicit SystemPage(AppContext &context, QWidget *parent = nullptr);

    void fillFromImage() override;
    // Nothing of this page is taken into the image on closing.
    bool takeIntoImage() override { return true; }
    void onClosing() override;

    QPlainTextEdit *devicesMemo = nullptr;
    QPlainTextEdit *statusMemo = nullptr;
    QPlainTextEdit *alarmsMemo = nullptr;
    QPlainTextEdit *cardMemo = nullptr;
    QComboBox *cardModeList = nullptr;
    QPushButton *cardModeButton = nullptr;
    QCalendarWidget *calendar = nullptr;
    QTimeEdit *timeEdit = nullptr;
    QCheckBox *automaticTimeChangeCheck = nullptr;
    QPushButton *readClockButton = nullptr;
    QPushButton *writeClockButton = nullptr;
    QPushButton *synchroniseClockButton = nullptr;
    QPushButton *readStatusButton = nullptr;
    QPushButton *clearStatusButton = nullptr;
    QPushButton *clearArchiveButton = nullptr;
    QPushButton *clearMinMaxButton = nullptr;
    QPushButton *factorySettingsButton = nullptr;
    QLineEdit *accessCodeEdit = nullptr;
    QPushButton *accessCodeButton = nullptr;
    // Waits for second 0 of the computer's clock to synchronise the meter's.
    QTimer *syncTimer = nullptr;

public slots:
    void onReadClockClicked();
    void onWriteClockClicked();
    void onSynchroniseClockClicked();
    void onSyncTimer();
    void onReadStatusClicked();
    void onClearStatusClicked();
    void onClearArchiveClicked();
    void onClearMinMaxClicked();
    void onFactorySettingsClicked();
    void onAccessCodeClicked();
    void onCardModeClicked();

private:
    // A group with a read-only memo wide enough for `samples` and `lines` high.
    QGroupBox *buildMemoGroup(const QString &title, QPlainTextEdit *&memoField, const char *name, int lines,
                              const QStringList &samples);
    QGroupBox *buildCardGroup();
    QGroupBox *buildClockGroup();
    QVBoxLayout *buildCommands();
    // The computer's date and time in the clock controls, the card modes in their list.
    void initialise();
    // Calendar, time picker and automatic time change from the image; a
    // date or time the registers do not form leaves its control as it is.
    void showClock();
    // Writes `date` and `time` (to the minute) and the automatic change.
    void writeClock(const QDate &date, const QTime &time);
};

} // namespace k71t
