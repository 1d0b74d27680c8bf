#include "automat/ui/SchedulerWindow.h"

#include "widgets/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace k71t {

namespace {

const QString Stopped = QStringLiteral("Zadania zatrzymane");
const QString DatabaseOff = QStringLiteral(
    "Obsługa baz danych wyłączona. Sprawdź konfigurację baz danych. Zostanie użyta bieżąca konfiguracja.");
const QString WillStart = QStringLiteral("Zadania cykliczne zostaną włączone za 60 sekund.");

} // namespace

SchedulerWindow::SchedulerWindow(AppContext &context, QWidget *parent)
    : QDialog(parent), ctx_(context), log_(context.clock, context.appFile(QStringLiteral("automat.log"))),
      taskRecords_(std::make_unique<RecordStore>()), runner_(context, *taskRecords_, context.archivesDirectory,
                                                             context.clock, context.linkDatabase, runSettings_),
      scheduler_(table_, context.clock, forward_, log_), lock_(context.appDirectory)
{
    forward_.to = &runner_;
    // The window's "Przerwij bieżące zadanie", or the program closing.
    runner_.download().stopRequested = [this] { return stopAsked_.load() || ctx_.linkWorker.stopRequested(); };
    log_.home = this;
    setObjectName(QStringLiteral("SchedulerWindow"));
    setWindowTitle(QStringLiteral("Automatyczne pobieranie archiwum"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    buildControls();
    layOut();
    buildTimers();
    connect(addButton, &QPushButton::clicked, this, &SchedulerWindow::onAddClicked);
    connect(removeButton, &QPushButton::clicked, this, &SchedulerWindow::onRemoveClicked);
    connect(applyButton, &QPushButton::clicked, this, &SchedulerWindow::onApplyClicked);
    connect(startButton, &QPushButton::clicked, this, &SchedulerWindow::onStartClicked);
    connect(stopButton, &QPushButton::clicked, this, &SchedulerWindow::onStopClicked);
    connect(stopTaskButton, &QPushButton::clicked, this, &SchedulerWindow::onStopTaskClicked);
    connect(taskList, &QListWidget::itemClicked, this, &SchedulerWindow::onTaskClicked);
    connect(clearLogAction, &QAction::triggered, this, &SchedulerWindow::onClearLogChosen);
    connect(startDelayTimer, &QTimer::timeout, this, &SchedulerWindow::onStartDelayTimer);
    connect(checkTimer, &QTimer::timeout, this, &SchedulerWindow::onCheckTimer);

    followTheSchedule();
    loadTasksIntoWindow();
}

void SchedulerWindow::buildControls()
{
    addButton = named(new QPushButton(QStringLiteral("Dodaj zadanie"), this), "addButton");
    addButton->setToolTip(QStringLiteral("Dodaje nowe zadanie"));
    taskList = named(new QListWidget(this), "taskList");
    taskList->setMinimumWidth(180);
    removeButton = named(new QPushButton(QStringLiteral("Usuń zadanie"), this), "removeButton");
    removeButton->setToolTip(QStringLiteral("Usuwa wskazane zadanie"));

    nameEdit = named(new QLineEdit(this), "nameEdit");
    addressEdit = named(new QLineEdit(this), "addressEdit");
    addressEdit->setToolTip(QStringLiteral("Adres miernika z którego mają zostać pobrane dane"));
    startTimeEdit = named(new QTimeEdit(this), "startTimeEdit");
    startTimeEdit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    startTimeEdit->setToolTip(QStringLiteral("Godzina wykonania zadania"));
    weekdayList = named(new QComboBox(this), "weekdayList");
    repeatList = named(new QComboBox(this), "repeatList");
    toDatabaseCheck = named(new QCheckBox(QStringLiteral("Umieszczaj dane w bazie danych"), this), "toDatabaseCheck");
    toDatabaseCheck->setToolTip(QStringLiteral("Zaznacz, aby po zakończeniu odczytu umieścić dane w bazie danych"));
    applyButton = named(new QPushButton(QStringLiteral("Zastosuj"), this), "applyButton");
    statePanel = named(new QLabel(this), "statePanel");
    statePanel->setToolTip(QStringLiteral("Pokazuje stan zadań automatycznych"));
    statePanel->setAlignment(Qt::AlignCenter);
    statePanel->setFrameShape(QFrame::Panel);
    statePanel->setFrameShadow(QFrame::Sunken);
    statePanel->setMinimumHeight(28);
    startButton = named(new QPushButton(QStringLiteral("Uruchom zadania automatyczne"), this), "startButton");
    stopButton = named(new QPushButton(QStringLiteral("Zatrzymaj zadania automatyczne"), this), "stopButton");
    stopTaskButton = named(new QPushButton(QStringLiteral("Przerwij bieżące zadanie"), this), "stopTaskButton");
    stopTaskButton->setToolTip(
        QStringLiteral("Przerywa pobieranie archiwum; nic nie jest zapisywane, archiwum w K71T nie jest kasowane"));
    stopTaskButton->setEnabled(false);
    logLabel = named(new QLabel(QStringLiteral("Informacje o realizacji zadań"), this), "logLabel");
    logMemo = named(new QPlainTextEdit(this), "logMemo");
    logMemo->setReadOnly(true);
    logMemo->setMinimumWidth(440);
    logMemo->setContextMenuPolicy(Qt::ActionsContextMenu);
    clearLogAction = named(new QAction(QStringLiteral("Wyczyść logi"), logMemo), "clearLogAction");
    logMemo->addAction(clearLogAction);
    statusBar = named(new QStatusBar(this), "statusBar");
    statusBar->setSizeGripEnabled(false);
}

// The task list left, the task's fields and the schedule's state in the
// middle, the log right.
void SchedulerWindow::layOut()
{
    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Nazwa zadania"), nameEdit);
    fields->addRow(QStringLiteral("Adres K71T"), addressEdit);
    fields->addRow(QStringLiteral("Godzina rozpoczęcia zadania"), startTimeEdit);
    fields->addRow(QStringLiteral("Dzień rozpoczęcia zadania"), weekdayList);
    fields->addRow(QStringLiteral("Powtarzaj zadanie"), repeatList);
    auto *left = new QVBoxLayout;
    left->addWidget(addButton);
    left->addWidget(taskList, 1);
    left->addWidget(removeButton);
    auto *middle = new QVBoxLayout;
    middle->addLayout(fields);
    middle->addWidget(toDatabaseCheck);
    middle->addWidget(applyButton);
    middle->addStretch(1);
    middle->addWidget(statePanel);
    middle->addWidget(startButton);
    middle->addWidget(stopButton);
    middle->addWidget(stopTaskButton);
    auto *right = new QVBoxLayout;
    right->addWidget(logLabel);
    right->addWidget(logMemo, 1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(statusBar);
    resize(minimumSizeHint().expandedTo(QSize(1000, 440)));
}

void SchedulerWindow::buildTimers()
{
    startDelayTimer = named(new QTimer(this), "startDelayTimer");
    startDelayTimer->setInterval(60000);
    checkTimer = named(new QTimer(this), "checkTimer");
    checkTimer->setInterval(1000);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        trayIcon = new QSystemTrayIcon(QApplication::windowIcon(), this);
        trayIcon->setObjectName(QStringLiteral("trayIcon"));
    }
}

// The log into the box, the title and the tray icon around a run.
void SchedulerWindow::followTheSchedule()
{
    log_.onLine = [this](const QString &line) { logMemo->appendPlainText(line); };
    log_.onClear = [this] { logMemo->clear(); };
    scheduler_.tasksPath = tasksPath();
    scheduler_.linkBusy = [this] { return ctx_.linkWorker.busy() || ctx_.link.busy(); };
    scheduler_.onRun = [this](bool running) {
        stopTaskButton->setEnabled(running);
        QWidget *main = parentWidget() ? parentWidget()->window() : this;
        if (running) {
            main->setWindowTitle(QStringLiteral("K71T Trwa realizacja zadania cyklicznego."));
            if (trayIcon) {
                trayIcon->setToolTip(QStringLiteral("Trwa wykonywanie zadań okresowych"));
                trayIcon->show();
                trayIcon->showMessage(QStringLiteral("K71T Zadania okresowe"),
                                      QStringLiteral("Trwa wykonywanie zadań okresowych"),
                                      QSystemTrayIcon::Information);
            }
        } else {
            main->setWindowTitle(QStringLiteral("K71T"));
            if (trayIcon)
                trayIcon->hide();
        }
    };
}

SchedulerWindow::~SchedulerWindow() = default;

QString SchedulerWindow::tasksPath() const
{
    return ctx_.appFile(QStringLiteral("auto.conf"));
}

void SchedulerWindow::setRunner(TaskRunner *runner)
{
    forward_.to = runner ? runner : &runner_;
}

void SchedulerWindow::loadTasksIntoWindow()
{
    taskList->clear();
    weekdayList->addItems({QStringLiteral("Niedziela"), QStringLiteral("Poniedziałek"), QStringLiteral("Wtorek"),
                           QStringLiteral("Środa"), QStringLiteral("Czwartek"), QStringLiteral("Piątek"),
                           QStringLiteral("Sobota")});
    repeatList->addItems({QStringLiteral("Co 6 godzin"), QStringLiteral("Codziennie"), QStringLiteral("Co tydzień"),
                          QStringLiteral("Pierwszy wybrany dzień miesiąca"), QStringLiteral("Brak powtarzania")});
    table_.clear();
    TaskTable loaded;
    loadTasks(tasksPath(), loaded);
    // The tasks in list order: a slot without an address between two tasks
    // (a file from elsewhere) leaves no gap.
    for (const TaskSlot &s : loaded.entries)
        if (s.task.address != 0)
            table_.apply(table_.taskCount++, s.task);
    for (int slot = 0; slot < table_.taskCount; ++slot)
        taskList->addItem(taskListText(table_, slot, true));
    statusBar->showMessage(QStringLiteral("Skonfigurowano %1 zadań").arg(table_.taskCount));
    logMemo->clear();
    log_.clearBox();
    log_.line(WillStart);
    setPanel(false);
    startDelayTimer->start();
}

void SchedulerWindow::saveTasksOnClose()
{
    QString error;
    if (!saveTasks(tasksPath(), table_, &error))
        log_.line(QStringLiteral("Nie udało się zapisać pliku %1 (%2).").arg(tasksPath(), error));
}

void SchedulerWindow::done(int result)
{
    saveTasksOnClose();
    QDialog::done(result);
}

void SchedulerWindow::setPanel(bool running)
{
    statePanel->setText(running ? QStringLiteral("Zadania uruchomione") : Stopped);
    statePanel->setStyleSheet(running ? QStringLiteral("background-color: rgb(0, 255, 0);")
                                      : QStringLiteral("background-color: rgb(255, 0, 0);"));
}

void SchedulerWindow::stopForEditing(QTimer *timer)
{
    if (!timer->isActive())
        return;
    timer->stop();
    tellStopped();
}

void SchedulerWindow::tellStopped()
{
    setPanel(false);
    ctx_.prompt.inform(this,
                       QStringLiteral("Zadania automatyczne zostały zatrzymane. Po zakończeniu konfiguracji naciśnij "
                                      "przycisk\nUruchom zadania automatyczne"),
                       QStringLiteral("Informacja"));
}

void SchedulerWindow::rebuildList()
{
    // Tasks removed before the selected one moved it: nothing stays selected,
    // so "Zastosuj" cannot put the fields shown over another task.
    taskList->clear();
    for (int slot = 0; slot < table_.taskCount; ++slot)
        taskList->addItem(taskListText(table_, slot));
    taskList->setCurrentRow(-1);
}

void SchedulerWindow::showTask(int slot)
{
    const DownloadTask &t = table_[slot];
    nameEdit->setText(t.name);
    addressEdit->setText(QString::number(t.address));
    startTimeEdit->setTime(t.startTime);
    weekdayList->setCurrentIndex(t.startDay);
    repeatList->setCurrentIndex(t.repeatKind);
    toDatabaseCheck->setChecked(t.toDatabase);
}

bool SchedulerWindow::takeTask(int slot)
{
    DownloadTask t;
    t.name = nameEdit->text();
    if (const QString problem = taskNameProblem(t.name); !problem.isEmpty()) {
        ctx_.prompt.error(this, problem);
        return false;
    }
    bool ok = false;
    const int address = addressEdit->text().trimmed().toInt(&ok);
    if (!ok || address < 1 || address > 247) {
        ctx_.prompt.error(this, QStringLiteral("Błędnie podany adres. Zadanie jest nieaktywne"));
        return false;
    }
    t.address = static_cast<std::uint8_t>(address);
    t.startTime = startTimeEdit->time();
    t.startDay = static_cast<std::uint8_t>(std::max(0, weekdayList->currentIndex()));
    t.repeatKind = static_cast<std::uint8_t>(std::max(0, repeatList->currentIndex()));
    t.toDatabase = toDatabaseCheck->isChecked();
    table_.apply(slot, t);
    return true;
}

void SchedulerWindow::removeFinishedTasks()
{
    if (table_.removeFinished() > 0) {
        rebuildList();
        statusBar->showMessage(QStringLiteral("Usunięto zadanie"));
    }
}

void SchedulerWindow::onAddClicked()
{
    // The schedule stops before any box is shown: a tick under the box would
    // run the new task before the operator has set it up.
    const bool waiting = startDelayTimer->isActive(), running = checkTimer->isActive();
    startDelayTimer->stop();
    checkTimer->stop();
    if (table_.add()) {
        const int n = table_.taskCount;
        taskList->addItem(QStringLiteral("%1. Nowe zadanie %1").arg(n));
        taskList->setCurrentRow(n - 1);
        showTask(n - 1);
        statusBar->showMessage(QStringLiteral("Dodano zadanie"));
        if (!ctx_.databaseEnabled())
            ctx_.prompt.error(this, DatabaseOff);
    }
    for (const bool stopped : {waiting, running})
        if (stopped)
            tellStopped();
}

void SchedulerWindow::onRemoveClicked()
{
    const int s = taskList->currentRow();
    if (table_.taskCount == 0 || s < 0 || s >= table_.taskCount) {
        statusBar->showMessage(QStringLiteral("Brak zadań do usunięcia lub nie wskazano zadania"));
        return;
    }
    table_.remove(s);
    delete taskList->takeItem(s);
    statusBar->showMessage(QStringLiteral("Usunięto zadanie"));
    log_.line(QStringLiteral("Usunięto zadanie %1").arg(s + 1));
    for (int i = 0; i < taskList->count(); ++i)
        taskList->item(i)->setText(taskListText(table_, i));
    stopForEditing(checkTimer);
}

void SchedulerWindow::onApplyClicked()
{
    const int i = taskList->currentRow();
    if (i < 0 || i >= table_.taskCount) {
        ctx_.prompt.error(this, QStringLiteral("Nie wskazano zadania do modyfikacji!"));
        return;
    }
    if (!takeTask(i)) {
        statusBar->showMessage(QStringLiteral("Zmiana konfiguracji nie powiodła się."));
        return;
    }
    statusBar->showMessage(QStringLiteral("Zmieniono konfigurację zadania"));
    taskList->item(i)->setText(taskListText(table_, i));
    log_.line(QStringLiteral("Dodano lub zmodyfikowano zadanie numer %1").arg(i + 1));
    if (!ctx_.databaseEnabled() && toDatabaseCheck->isChecked())
        ctx_.prompt.error(this, DatabaseOff);
}

void SchedulerWindow::onTaskClicked()
{
    const int i = taskList->currentRow();
    if (i >= 0 && i < table_.taskCount)
        showTask(i);
    removeFinishedTasks();
}

void SchedulerWindow::onClearLogChosen()
{
    log_.clearBox();
}

void SchedulerWindow::onStartClicked()
{
    startDelayTimer->start();
    log_.line(WillStart);
}

void SchedulerWindow::onStopClicked()
{
    checkTimer->stop();
    startDelayTimer->stop();
    lock_.release();
    log_.line(QStringLiteral("Zadania cykliczne zatrzymane."));
    setPanel(false);
}

void SchedulerWindow::onStopTaskClicked()
{
    // The download ends at its next page; the run logs it.
    stopAsked_ = true;
    stopTaskButton->setEnabled(false);
}

void SchedulerWindow::onStartDelayTimer()
{
    QString refusal;
    if (!lock_.acquire(&refusal)) {
        // Another scheduler (a second program, `k71t-cli tasks run`) runs
        // this folder's tasks; this one only edits them.
        startDelayTimer->stop();
        log_.line(refusal);
        log_.line(QStringLiteral("Zadania cykliczne zatrzymane."));
        setPanel(false);
        return;
    }
    log_.line(QStringLiteral("Zadania cykliczne włączone."));
    checkTimer->start();
    startDelayTimer->stop();
    setPanel(true);
    scheduler_.switchOn();
}

void SchedulerWindow::onCheckTimer()
{
    // One task at a time; the schedule goes on once it has ended.
    if (taskRunning_)
        return;
    const int before = table_.taskCount;
    const std::optional<Scheduler::DueRun> run = scheduler_.startTick();
    if (!run) {
        if (table_.taskCount != before)
            rebuildList();
        return;
    }
    taskRunning_ = true;
    setEditable(false);
    // The download runs on the link worker; this thread goes on, and the
    // run's log lines are written here as they come.
    runSettings_ = ctx_.databaseSettings;
    stopAsked_ = false;
    TaskRunner *runner = forward_.to;
    ctx_.linkWorker.post([this, runner, run] { runner->run(run->address, run->toDatabase, log_); }, this,
                         [this, run, before] {
                             scheduler_.finishTick(*run);
                             taskRunning_ = false;
                             setEditable(true);
                             if (table_.taskCount != before)
                                 rebuildList();
                             emit taskEnded();
                         });
}

void SchedulerWindow::setEditable(bool editable)
{
    for (QWidget *w : std::initializer_list<QWidget *>{addButton, removeButton, applyButton, taskList})
        w->setEnabled(editable);
}

} // namespace k71t
