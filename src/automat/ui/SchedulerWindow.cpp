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
      taskRecords_(std::make_unique<RecordStore>()), runner_(context, *taskRecords_, context.ArchivesDirectory,
                                                             context.clock, context.database, context.databaseSettings),
      scheduler_(table_, context.clock, forward_, log_)
{
    forward_.to = &runner_;
    setObjectName(QStringLiteral("SchedulerWindow"));
    setWindowTitle(QStringLiteral("Automatyczne pobieranie archiwum"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    SpeedButton1 = named(new QPushButton(QStringLiteral("Dodaj zadanie"), this), "SpeedButton1");
    SpeedButton1->setToolTip(QStringLiteral("Dodaje nowe zadanie"));
    ListBox1 = named(new QListWidget(this), "ListBox1");
    ListBox1->setMinimumWidth(180);
    SpeedButton2 = named(new QPushButton(QStringLiteral("Usuń zadanie"), this), "SpeedButton2");
    SpeedButton2->setToolTip(QStringLiteral("Usuwa wskazane zadanie"));

    Edit2 = named(new QLineEdit(this), "Edit2");
    Edit1 = named(new QLineEdit(this), "Edit1");
    Edit1->setToolTip(QStringLiteral("Adres miernika z którego mają zostać pobrane dane"));
    DateTimePicker1 = named(new QTimeEdit(this), "DateTimePicker1");
    DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    DateTimePicker1->setToolTip(QStringLiteral("Godzina wykonania zadania"));
    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ComboBox2 = named(new QComboBox(this), "ComboBox2");
    CheckBox1 = named(new QCheckBox(QStringLiteral("Umieszczaj dane w bazie danych"), this), "CheckBox1");
    CheckBox1->setToolTip(QStringLiteral("Zaznacz, aby po zakończeniu odczytu umieścić dane w bazie danych"));
    SpeedButton3 = named(new QPushButton(QStringLiteral("Zastosuj"), this), "SpeedButton3");
    Panel1 = named(new QLabel(this), "Panel1");
    Panel1->setToolTip(QStringLiteral("Pokazuje stan zadań automatycznych"));
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setMinimumHeight(28);
    SpeedButton4 = named(new QPushButton(QStringLiteral("Uruchom zadania automatyczne"), this), "SpeedButton4");
    SpeedButton5 = named(new QPushButton(QStringLiteral("Zatrzymaj zadania automatyczne"), this), "SpeedButton5");
    auto *logLabel = named(new QLabel(QStringLiteral("Informacje o realizacji zadań"), this), "Label7");
    Memo1 = named(new QPlainTextEdit(this), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setMinimumWidth(440);
    Memo1->setContextMenuPolicy(Qt::ActionsContextMenu);
    Wyczylogi1 = named(new QAction(QStringLiteral("Wyczyść logi"), Memo1), "Wyczylogi1");
    Memo1->addAction(Wyczylogi1);
    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Nazwa zadania"), Edit2);
    fields->addRow(QStringLiteral("Adres K71T"), Edit1);
    fields->addRow(QStringLiteral("Godzina rozpoczęcia zadania"), DateTimePicker1);
    fields->addRow(QStringLiteral("Dzień rozpoczęcia zadania"), ComboBox1);
    fields->addRow(QStringLiteral("Powtarzaj zadanie"), ComboBox2);
    auto *left = new QVBoxLayout;
    left->addWidget(SpeedButton1);
    left->addWidget(ListBox1, 1);
    left->addWidget(SpeedButton2);
    auto *middle = new QVBoxLayout;
    middle->addLayout(fields);
    middle->addWidget(CheckBox1);
    middle->addWidget(SpeedButton3);
    middle->addStretch(1);
    middle->addWidget(Panel1);
    middle->addWidget(SpeedButton4);
    middle->addWidget(SpeedButton5);
    auto *right = new QVBoxLayout;
    right->addWidget(logLabel);
    right->addWidget(Memo1, 1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(StatusBar1);
    resize(minimumSizeHint().expandedTo(QSize(1000, 440)));

    OpoznienieUruchomienia = named(new QTimer(this), "OpoznienieUruchomienia");
    OpoznienieUruchomienia->setInterval(60000);
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(1000);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        TrayIcon1 = new QSystemTrayIcon(QApplication::windowIcon(), this);
        TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    }

    connect(SpeedButton1, &QPushButton::clicked, this, &SchedulerWindow::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &SchedulerWindow::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &SchedulerWindow::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &SchedulerWindow::SpeedButton4Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &SchedulerWindow::SpeedButton5Click);
    connect(ListBox1, &QListWidget::itemClicked, this, &SchedulerWindow::ListBox1Click);
    connect(Wyczylogi1, &QAction::triggered, this, &SchedulerWindow::Wyczylogi1Click);
    connect(OpoznienieUruchomienia, &QTimer::timeout, this, &SchedulerWindow::OpoznienieUruchomieniaTimer);
    connect(Timer1, &QTimer::timeout, this, &SchedulerWindow::Timer1Timer);

    log_.onLine = [this](const QString &line) { Memo1->appendPlainText(line); };
    log_.onClear = [this] { Memo1->clear(); };
    scheduler_.tasksPath = tasksPath();
    scheduler_.linkBusy = [this] { return ctx_.link.busy(); };
    scheduler_.onRun = [this](bool running) {
        QWidget *main = parentWidget() ? parentWidget()->window() : this;
        if (running) {
            main->setWindowTitle(QStringLiteral("K71T Trwa realizacja zadania cyklicznego."));
            if (TrayIcon1) {
                TrayIcon1->setToolTip(QStringLiteral("Trwa wykonywanie zadań okresowych"));
                TrayIcon1->show();
                TrayIcon1->showMessage(QStringLiteral("K71T Zadania okresowe"),
                                       QStringLiteral("Trwa wykonywanie zadań okresowych"),
                                       QSystemTrayIcon::Information);
            }
        } else {
            main->setWindowTitle(QStringLiteral("K71T"));
            if (TrayIcon1)
                TrayIcon1->hide();
        }
    };
    FormCreate();
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

void SchedulerWindow::FormCreate()
{
    ListBox1->clear();
    ComboBox1->addItems({QStringLiteral("Niedziela"), QStringLiteral("Poniedziałek"), QStringLiteral("Wtorek"),
                         QStringLiteral("Środa"), QStringLiteral("Czwartek"), QStringLiteral("Piątek"),
                         QStringLiteral("Sobota")});
    ComboBox2->addItems({QStringLiteral("Co 6 godzin"), QStringLiteral("Codziennie"), QStringLiteral("Co tydzień"),
                         QStringLiteral("Pierwszy wybrany dzień miesiąca"), QStringLiteral("Brak powtarzania")});
    table_.clear();
    TaskTable loaded;
    LoadTasks(tasksPath(), loaded);
    // The tasks in list order: a slot without an address between two tasks
    // (a file from elsewhere) leaves no gap.
    for (const TaskSlot &s : loaded.entries)
        if (s.task.address != 0)
            table_.apply(table_.taskCount++, s.task);
    for (int slot = 0; slot < table_.taskCount; ++slot)
        ListBox1->addItem(taskListText(table_, slot, true));
    StatusBar1->showMessage(QStringLiteral("Skonfigurowano %1 zadań").arg(table_.taskCount));
    Memo1->clear();
    log_.clearBox();
    log_.line(WillStart);
    setPanel(false);
    OpoznienieUruchomienia->start();
}

void SchedulerWindow::FormClose()
{
    QString error;
    if (!SaveTasks(tasksPath(), table_, &error))
        log_.line(QStringLiteral("Nie udało się zapisać pliku %1 (%2).").arg(tasksPath(), error));
}

void SchedulerWindow::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void SchedulerWindow::setPanel(bool running)
{
    Panel1->setText(running ? QStringLiteral("Zadania uruchomione") : Stopped);
    Panel1->setStyleSheet(running ? QStringLiteral("background-color: rgb(0, 255, 0);")
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
    ctx_.prompt.message(this,
                        QStringLiteral("Zadania automatyczne zostały zatrzymane. Po zakończeniu konfiguracji naciśnij "
                                       "przycisk\nUruchom zadania automatyczne"),
                        QStringLiteral("Informacja"), PromptIcon::Information);
}

void SchedulerWindow::rebuildList()
{
    // Tasks removed before the selected one moved it: nothing stays selected,
    // so "Zastosuj" cannot put the fields shown over another task.
    ListBox1->clear();
    for (int slot = 0; slot < table_.taskCount; ++slot)
        ListBox1->addItem(taskListText(table_, slot));
    ListBox1->setCurrentRow(-1);
}

void SchedulerWindow::error(const QString &text)
{
    ctx_.prompt.message(this, text, QStringLiteral("Błąd"), PromptIcon::Error);
}

void SchedulerWindow::ShowTask(int slot)
{
    const ZADANIE &t = table_[slot];
    Edit2->setText(t.name);
    Edit1->setText(QString::number(t.address));
    DateTimePicker1->setTime(t.startTime);
    ComboBox1->setCurrentIndex(t.startDay);
    ComboBox2->setCurrentIndex(t.repeatKind);
    CheckBox1->setChecked(t.toDatabase);
}

bool SchedulerWindow::ReadTaskFromWindow(int slot)
{
    ZADANIE t;
    t.name = Edit2->text();
    if (const QString problem = taskNameProblem(t.name); !problem.isEmpty()) {
        error(problem);
        return false;
    }
    bool ok = false;
    const int address = Edit1->text().trimmed().toInt(&ok);
    if (!ok || address < 1 || address > 247) {
        error(QStringLiteral("Błędnie podany adres. Zadanie jest nieaktywne"));
        return false;
    }
    t.address = static_cast<std::uint8_t>(address);
    t.startTime = DateTimePicker1->time();
    t.startDay = static_cast<std::uint8_t>(std::max(0, ComboBox1->currentIndex()));
    t.repeatKind = static_cast<std::uint8_t>(std::max(0, ComboBox2->currentIndex()));
    t.toDatabase = CheckBox1->isChecked();
    table_.apply(slot, t);
    return true;
}

void SchedulerWindow::RemoveFinishedTasks()
{
    if (table_.removeFinished() > 0) {
        rebuildList();
        StatusBar1->showMessage(QStringLiteral("Usunięto zadanie"));
    }
}

void SchedulerWindow::SpeedButton1Click()
{
    // The schedule stops before any box is shown: a tick under the box would
    // run the new task before the operator has set it up.
    const bool waiting = OpoznienieUruchomienia->isActive(), running = Timer1->isActive();
    OpoznienieUruchomienia->stop();
    Timer1->stop();
    if (table_.add()) {
        const int n = table_.taskCount;
        ListBox1->addItem(QStringLiteral("%1. Nowe zadanie %1").arg(n));
        ListBox1->setCurrentRow(n - 1);
        ShowTask(n - 1);
        StatusBar1->showMessage(QStringLiteral("Dodano zadanie"));
        if (!ctx_.databaseEnabled())
            error(DatabaseOff);
    }
    for (const bool stopped : {waiting, running})
        if (stopped)
            tellStopped();
}

void SchedulerWindow::SpeedButton2Click()
{
    const int s = ListBox1->currentRow();
    if (table_.taskCount == 0 || s < 0 || s >= table_.taskCount) {
        StatusBar1->showMessage(QStringLiteral("Brak zadań do usunięcia lub nie wskazano zadania"));
        return;
    }
    table_.remove(s);
    delete ListBox1->takeItem(s);
    StatusBar1->showMessage(QStringLiteral("Usunięto zadanie"));
    log_.line(QStringLiteral("Usunięto zadanie %1").arg(s + 1));
    for (int i = 0; i < ListBox1->count(); ++i)
        ListBox1->item(i)->setText(taskListText(table_, i));
    stopForEditing(Timer1);
}

void SchedulerWindow::SpeedButton3Click()
{
    const int i = ListBox1->currentRow();
    if (i < 0 || i >= table_.taskCount) {
        error(QStringLiteral("Nie wskazano zadania do modyfikacji!"));
        return;
    }
    if (!ReadTaskFromWindow(i)) {
        StatusBar1->showMessage(QStringLiteral("Zmiana konfiguracji nie powiodła się."));
        return;
    }
    StatusBar1->showMessage(QStringLiteral("Zmieniono konfigurację zadania"));
    ListBox1->item(i)->setText(taskListText(table_, i));
    log_.line(QStringLiteral("Dodano lub zmodyfikowano zadanie numer %1").arg(i + 1));
    if (!ctx_.databaseEnabled() && CheckBox1->isChecked())
        error(DatabaseOff);
}

void SchedulerWindow::ListBox1Click()
{
    const int i = ListBox1->currentRow();
    if (i >= 0 && i < table_.taskCount)
        ShowTask(i);
    RemoveFinishedTasks();
}

void SchedulerWindow::Wyczylogi1Click()
{
    log_.clearBox();
}

void SchedulerWindow::SpeedButton4Click()
{
    OpoznienieUruchomienia->start();
    log_.line(WillStart);
}

void SchedulerWindow::SpeedButton5Click()
{
    Timer1->stop();
    OpoznienieUruchomienia->stop();
    log_.line(QStringLiteral("Zadania cykliczne zatrzymane."));
    setPanel(false);
}

void SchedulerWindow::OpoznienieUruchomieniaTimer()
{
    log_.line(QStringLiteral("Zadania cykliczne włączone."));
    Timer1->start();
    OpoznienieUruchomienia->stop();
    setPanel(true);
    scheduler_.switchOn();
}

void SchedulerWindow::Timer1Timer()
{
    const int before = table_.taskCount;
    if (scheduler_.tick() && table_.taskCount != before)
        rebuildList();
}

} // namespace k71t
