#pragma once
// The scheduled downloads window: the task list and its editing, the state
// of the schedule with start and stop, the task log, and the two timers that
// drive the scheduler (the start delay and the one-second check). It lives
// for the whole run, so the schedule runs while it is hidden.
#include "automat/Scheduler.h"
#include "automat/TaskRun.h"
#include "context/AppContext.h"

#include <QDialog>
#include <atomic>
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

    void showTask(int slot);
    bool takeTask(int slot);
    // Removes the finished one-time tasks from the table and the list.
    void removeFinishedTasks();
    QString tasksPath() const;

    TaskTable &table() { return table_; }
    TaskLog &log() { return log_; }
    Scheduler &scheduler() { return scheduler_; }
    ArchiveTaskRunner &runner() { return runner_; }
    // The task runner the scheduler uses (tests put a recording one here).
    void setRunner(TaskRunner *runner);
    // A task is running (on the link worker); its end is told by taskEnded.
    bool taskRunning() const { return taskRunning_; }

    QPushButton *addButton = nullptr; // add
    QListWidget *taskList = nullptr;
    QPushButton *removeButton = nullptr; // delete
    QLineEdit *nameEdit = nullptr;       // name
    QLineEdit *addressEdit = nullptr;    // address
    QTimeEdit *startTimeEdit = nullptr;
    QComboBox *weekdayList = nullptr;     // weekday
    QComboBox *repeatList = nullptr;      // repeat rule
    QCheckBox *toDatabaseCheck = nullptr; // into the database
    QPushButton *applyButton = nullptr;   // apply
    QLabel *statePanel = nullptr;         // state of the schedule
    QPushButton *startButton = nullptr;   // start
    QPushButton *stopButton = nullptr;    // stop
    QPushButton *stopTaskButton = nullptr; // stops the task in hand (enabled while one runs)
    QLabel *logLabel = nullptr;
    QPlainTextEdit *logMemo = nullptr; // the task log
    QAction *clearLogAction = nullptr;
    QStatusBar *statusBar = nullptr;
    QTimer *startDelayTimer = nullptr;
    QTimer *checkTimer = nullptr;
    QSystemTrayIcon *trayIcon = nullptr; // none where the desktop has no tray

signals:
    // A task run on the link worker has ended and its log is complete.
    void taskEnded();

public slots:
    void onAddClicked();
    void onRemoveClicked();
    void onApplyClicked();
    void onStartClicked();
    void onStopClicked();
    void onStopTaskClicked();
    void onTaskClicked();
    void onClearLogChosen();
    void onStartDelayTimer();
    void onCheckTimer();

protected:
    void done(int result) override;

private:
    void buildControls();
    void layOut();
    void buildTimers();
    void followTheSchedule();
    // The lists, auto.conf into the table and the list, the start delay started.
    void loadTasksIntoWindow();
    void saveTasksOnClose();
    void setPanel(bool running);
    // Stops `timer` if it runs, with the red panel and the box telling so.
    void stopForEditing(QTimer *timer);
    // The red panel and the box that says the schedule was stopped.
    void tellStopped();
    void rebuildList();

    AppContext &ctx_;
    TaskTable table_;
    TaskLog log_;
    // The records of a task's run: the archive window's archive in memory
    // is not replaced by a run it knows nothing of.
    std::unique_ptr<RecordStore> taskRecords_;
    // The database settings a run stores with: a copy taken as it starts,
    // since the database window may change the context's meanwhile.
    DatabaseSettings runSettings_;
    ArchiveTaskRunner runner_;
    // The scheduler runs its tasks through this one, normally runner_.
    struct Forward : TaskRunner {
        TaskRunner *to = nullptr;
        bool run(std::uint8_t address, bool toDatabase, TaskLog &log) override
        {
            return to->run(address, toDatabase, log);
        }
    } forward_;
    // A task is running on the link worker: the schedule waits for it, and
    // the task list cannot change under it.
    bool taskRunning_ = false;
    std::atomic<bool> stopAsked_{false}; // read by the run on the link worker
    void setEditable(bool editable);
    Scheduler scheduler_;
    SchedulerLock lock_;
};

} // namespace k71t
