#pragma once
// The scheduled downloads window: the task list and its editing, the state
// of the schedule with start and stop, the task log, and the two timers that
// drive the scheduler (the start delay and the one-second check). It lives
// for the whole run, so the schedule runs while it is hidden.
#include "automat/Scheduler.h"
#include "automat/TaskRun.h"
#include "context/AppContext.h"

#include <QDialog>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QSystemTrayIcon;
class QTimeEdit;
class QTimer;

namespace k71t {

class SchedulerWindow : public QDialog {
    Q_OBJECT
public:
    explicit SchedulerWindow(AppContext &context, QWidget *parent = nullptr);
    ~SchedulerWindow() override;

    void ShowTask(int slot);
    bool ReadTaskFromWindow(int slot);
    // Removes the finished one-time tasks from the table and the list.
    void RemoveFinishedTasks();
    QString tasksPath() const;

    TaskTable &table() { return table_; }
    TaskLog &log() { return log_; }
    Scheduler &scheduler() { return scheduler_; }
    ArchiveTaskRunner &runner() { return runner_; }
    // The task runner the scheduler uses (tests put a recording one here).
    void setRunner(TaskRunner *runner);

    QPushButton *SpeedButton1 = nullptr; // add
    QListWidget *ListBox1 = nullptr;
    QPushButton *SpeedButton2 = nullptr; // delete
    QLineEdit *Edit2 = nullptr;          // name
    QLineEdit *Edit1 = nullptr;          // address
    QTimeEdit *DateTimePicker1 = nullptr;
    QComboBox *ComboBox1 = nullptr; // weekday
    QComboBox *ComboBox2 = nullptr; // repeat rule
    QCheckBox *CheckBox1 = nullptr; // into the database
    QPushButton *SpeedButton3 = nullptr; // apply
    QLabel *Panel1 = nullptr;            // state of the schedule
    QPushButton *SpeedButton4 = nullptr; // start
    QPushButton *SpeedButton5 = nullptr; // stop
    QPlainTextEdit *Memo1 = nullptr;     // the task log
    QAction *Wyczylogi1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QTimer *OpoznienieUruchomienia = nullptr;
    QTimer *Timer1 = nullptr;
    QSystemTrayIcon *TrayIcon1 = nullptr; // none where the desktop has no tray

public slots:
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void ListBox1Click();
    void Wyczylogi1Click();
    void OpoznienieUruchomieniaTimer();
    void Timer1Timer();

protected:
    void done(int result) override;

private:
    void FormCreate();
    void FormClose();
    void setPanel(bool running);
    // Stops `timer` if it runs, with the red panel and the box telling so.
    void stopForEditing(QTimer *timer);
    // The red panel and the box that says the schedule was stopped.
    void tellStopped();
    void rebuildList();
    void error(const QString &text);

    AppContext &ctx_;
    TaskTable table_;
    TaskLog log_;
    // The records of a task's run: the archive window's archive in memory
    // is not replaced by a run it knows nothing of.
    std::unique_ptr<RecordStore> taskRecords_;
    ArchiveTaskRunner runner_;
    // The scheduler runs its tasks through this one, normally runner_.
    struct Forward : TaskRunner {
        TaskRunner *to = nullptr;
        bool run(std::uint8_t address, bool toDatabase, TaskLog &log) override
        {
            return to->run(address, toDatabase, log);
        }
    } forward_;
    Scheduler scheduler_;
};

} // namespace k71t
