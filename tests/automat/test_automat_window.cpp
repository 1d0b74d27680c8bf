// The scheduled downloads window, and task runs on the simulated meter with
// the real database: the file first, the meter cleared only then, the rows
// stored, every step in the log; and k71t-cli tasks run as a process.
#include "archive/ArchiveFiles.h"
#include "automat/ui/SchedulerWindow.h"
#include "common/TextFormats.h"
#include "db/ArchiveTable.h"
#include "support/AppHarness.h"
#include "support/DbFixture.h"
#include "support/SimFixture.h"
#include "support/Wait.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

QStringList listTexts(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList messageTexts(const test::RecordingPrompt &prompt)
{
    QStringList out;
    for (const test::AskedMessage &m : prompt.messages)
        out << m.text;
    return out;
}

// The log's lines without their date and time.
QStringList messagesOf(const QStringList &lines)
{
    QStringList out;
    for (const QString &l : lines)
        out << (l.isEmpty() ? l : l.mid(20));
    return out;
}

const QString DatabaseOff = QStringLiteral(
    "Obsługa baz danych wyłączona. Sprawdź konfigurację baz danych. Zostanie użyta bieżąca konfiguracja.");
const QString Stopped = QStringLiteral(
    "Zadania automatyczne zostały zatrzymane. Po zakończeniu konfiguracji naciśnij przycisk\nUruchom zadania "
    "automatyczne");

struct Recorder : TaskRunner {
    QWidget *main = nullptr;
    QStringList seen; // address, and the main window's title during the run
    bool run(std::uint8_t address, bool, TaskLog &) override
    {
        seen << QStringLiteral("%1 %2").arg(address).arg(main ? main->windowTitle() : QString());
        return true;
    }
};

void gapsSkipped(int ms)
{
    if (ms > 1)
        sleepMs(ms);
}

} // namespace

TEST(AutomatWindow, TextsAddApplyDeleteAndTheFile)
{
    test::AppHarness app;
    app.start();
    SchedulerWindow *w = app.windows->schedulerWindow;
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Automatyczne pobieranie archiwum"));
    struct Text {
        QString control, text, hint;
    };
    const Text texts[] = {
        {"addButton", "Dodaj zadanie", "Dodaje nowe zadanie"},
        {"removeButton", "Usuń zadanie", "Usuwa wskazane zadanie"},
        {"addressEdit", "", "Adres miernika z którego mają zostać pobrane dane"},
        {"startTimeEdit", "", "Godzina wykonania zadania"},
        {"toDatabaseCheck", "Umieszczaj dane w bazie danych",
         "Zaznacz, aby po zakończeniu odczytu umieścić dane w bazie danych"},
        {"applyButton", "Zastosuj", ""},
        {"statePanel", "Zadania zatrzymane", "Pokazuje stan zadań automatycznych"},
        {"startButton", "Uruchom zadania automatyczne", ""},
        {"stopButton", "Zatrzymaj zadania automatyczne", ""},
        {"logLabel", "Informacje o realizacji zadań", ""},
    };
    for (const Text &t : texts) {
        auto *c = w->findChild<QWidget *>(t.control);
        ASSERT_NE(c, nullptr) << t.control.toStdString();
        QString shown;
        if (auto *b = qobject_cast<QAbstractButton *>(c))
            shown = b->text();
        else if (auto *l = qobject_cast<QLabel *>(c))
            shown = l->text();
        else if (auto *e = qobject_cast<QLineEdit *>(c))
            shown = e->text();
        EXPECT_EQ(shown, t.text) << t.control.toStdString();
        EXPECT_EQ(c->toolTip(), t.hint) << t.control.toStdString();
    }
    const auto items = [](QComboBox *c) {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    };
    EXPECT_EQ(items(w->weekdayList),
              (QStringList{"Niedziela", "Poniedziałek", "Wtorek", "Środa", "Czwartek", "Piątek", "Sobota"}));
    EXPECT_EQ(items(w->repeatList), (QStringList{"Co 6 godzin", "Codziennie", "Co tydzień",
                                                 "Pierwszy wybrany dzień miesiąca", "Brak powtarzania"}));
    EXPECT_EQ(w->clearLogAction->text(), QStringLiteral("Wyczyść logi"));
    EXPECT_EQ(w->statusBar->currentMessage(), QStringLiteral("Skonfigurowano 0 zadań"));
    EXPECT_EQ(messagesOf(w->log().lines()), QStringList{"Zadania cykliczne zostaną włączone za 60 sekund."});
    EXPECT_TRUE(w->startDelayTimer->isActive());
    EXPECT_EQ(w->startDelayTimer->interval(), 60000);
    EXPECT_FALSE(w->checkTimer->isActive());

    // Adding stops the waiting schedule (before any box: no tick runs under
    // it) and tells so; the database is off.
    bool stoppedUnderBoxes = true;
    app.prompt.onMessage = [&] { stoppedUnderBoxes &= !w->startDelayTimer->isActive(); };
    w->onAddClicked();
    app.prompt.onMessage = nullptr;
    EXPECT_TRUE(stoppedUnderBoxes);
    EXPECT_EQ(messageTexts(app.prompt), (QStringList{DatabaseOff, Stopped}));
    EXPECT_FALSE(w->startDelayTimer->isActive());
    for (int i = 0; i < 3; ++i)
        w->onAddClicked();
    EXPECT_EQ(listTexts(w->taskList),
              (QStringList{"1. Nowe zadanie 1", "2. Nowe zadanie 2", "3. Nowe zadanie 3", "4. Nowe zadanie 4"}));
    EXPECT_EQ(w->nameEdit->text(), QStringLiteral("Nowe zadanie 4"));
    EXPECT_EQ(w->addressEdit->text(), QStringLiteral("4"));
    EXPECT_EQ(w->startTimeEdit->time(), QTime(6, 0));
    EXPECT_EQ(w->weekdayList->currentIndex(), 0);
    EXPECT_EQ(w->repeatList->currentIndex(), 0);
    EXPECT_TRUE(w->toDatabaseCheck->isChecked());
    EXPECT_EQ(w->statusBar->currentMessage(), QStringLiteral("Dodano zadanie"));

    // Apply: addresses 0, 248, 300 and a name with a TAB refused, 247 taken.
    w->taskList->setCurrentRow(2);
    w->onTaskClicked();
    for (const char *address : {"0", "248", "300", "x"}) {
        app.prompt.messages.clear();
        w->addressEdit->setText(QString::fromLatin1(address));
        w->onApplyClicked();
        EXPECT_EQ(messageTexts(app.prompt), QStringList{"Błędnie podany adres. Zadanie jest nieaktywne"}) << address;
        EXPECT_EQ(w->statusBar->currentMessage(), QStringLiteral("Zmiana konfiguracji nie powiodła się."));
        EXPECT_EQ(w->table()[2].address, 3);
    }
    w->addressEdit->setText(QStringLiteral("247"));
    w->nameEdit->setText(QStringLiteral("Hala\t2"));
    app.prompt.messages.clear();
    w->onApplyClicked();
    EXPECT_EQ(w->table()[2].name, QStringLiteral("Nowe zadanie 3"));
    w->nameEdit->setText(QStringLiteral("Hala"));
    w->weekdayList->setCurrentIndex(3);
    w->repeatList->setCurrentIndex(2);
    w->startTimeEdit->setTime(QTime(14, 5, 30));
    w->toDatabaseCheck->setChecked(false);
    app.prompt.messages.clear();
    w->onApplyClicked();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    EXPECT_EQ(w->statusBar->currentMessage(), QStringLiteral("Zmieniono konfigurację zadania"));
    EXPECT_EQ(w->taskList->item(2)->text(), QStringLiteral("3. Hala"));
    EXPECT_EQ(w->log().lines().last().mid(20), QStringLiteral("Dodano lub zmodyfikowano zadanie numer 3"));
    // Nothing selected.
    w->taskList->setCurrentRow(-1);
    app.prompt.messages.clear();
    w->onApplyClicked();
    EXPECT_EQ(messageTexts(app.prompt), QStringList{"Nie wskazano zadania do modyfikacji!"});
    w->onRemoveClicked();
    EXPECT_EQ(w->statusBar->currentMessage(), QStringLiteral("Brak zadań do usunięcia lub nie wskazano zadania"));

    // Delete task 2 of 4: renumbered, slot 3 free.
    w->taskList->setCurrentRow(1);
    w->onRemoveClicked();
    EXPECT_EQ(listTexts(w->taskList), (QStringList{"1. Nowe zadanie 1", "2. Hala", "3. Nowe zadanie 4"}));
    EXPECT_EQ(w->statusBar->currentMessage(), QStringLiteral("Usunięto zadanie"));
    EXPECT_EQ(w->log().lines().last().mid(20), QStringLiteral("Usunięto zadanie 2"));
    EXPECT_EQ(w->table()[3], DownloadTask{});
    // Closing writes the file; an empty name shows as K71T_ and the address
    // at the next start.
    w->table()[2].name.clear();
    w->reject();
    TaskTable saved;
    ASSERT_TRUE(loadTasks(w->tasksPath(), saved));
    EXPECT_EQ(saved[1].name, QStringLiteral("Hala"));
    EXPECT_EQ(saved[1].address, 247);
    EXPECT_EQ(saved[1].startTime, QTime(14, 5, 30));
    EXPECT_FALSE(saved[1].toDatabase);
    test::AppHarness again;
    QFile::copy(w->tasksPath(), again.dir.file("auto.conf"));
    again.start();
    EXPECT_EQ(listTexts(again.windows->schedulerWindow->taskList),
              (QStringList{"1. Nowe zadanie 1", "2. Hala", "3. K71T_4"}));
    EXPECT_EQ(again.windows->schedulerWindow->statusBar->currentMessage(), QStringLiteral("Skonfigurowano 3 zadań"));
}

TEST(AutomatWindow, TheTimersDriveTheSchedule)
{
    test::AppHarness app;
    app.start();
    SchedulerWindow *w = app.windows->schedulerWindow;
    Recorder recorder;
    recorder.main = app.startPanel;
    w->setRunner(&recorder);
    app.clock.at = QDateTime(QDate(2026, 12, 11), QTime(9, 0)); // a Friday
    w->onAddClicked();
    w->onAddClicked();
    w->addressEdit->setText(QStringLiteral("12"));
    w->weekdayList->setCurrentIndex(5);
    w->repeatList->setCurrentIndex(Once);
    w->onApplyClicked();
    // Both due at the first check: the lower slot first, then the one-time
    // task, which is gone afterwards.
    w->onStartClicked();
    EXPECT_TRUE(w->startDelayTimer->isActive());
    w->onStartDelayTimer();
    EXPECT_EQ(w->statePanel->text(), QStringLiteral("Zadania uruchomione"));
    EXPECT_TRUE(w->statePanel->styleSheet().contains(QStringLiteral("rgb(0, 255, 0)")));
    EXPECT_TRUE(w->checkTimer->isActive());
    EXPECT_FALSE(w->startDelayTimer->isActive());
    app.clock.at = app.clock.at.addSecs(1);
    test::checkSchedule(*w);
    app.clock.at = app.clock.at.addSecs(1);
    test::checkSchedule(*w);
    EXPECT_EQ(recorder.seen, (QStringList{"1 K71T Trwa realizacja zadania cyklicznego.",
                                          "12 K71T Trwa realizacja zadania cyklicznego."}));
    EXPECT_EQ(app.startPanel->windowTitle(), QStringLiteral("K71T"));
    EXPECT_EQ(listTexts(w->taskList), QStringList{"1. Nowe zadanie 1"});
    TaskTable saved;
    ASSERT_TRUE(loadTasks(w->tasksPath(), saved));
    EXPECT_EQ(saved[1].address, 0);
    EXPECT_EQ(messagesOf(w->log().lines()).mid(3, 6),
              (QStringList{"Zadania cykliczne włączone.", "Liczba zadań do wykonania: 2", "Realizuję zadanie Nowe zadanie 1",
                           "", "Koniec realizacji zadania Nowe zadanie 1", ""}));
    // Stop: red, both timers off; "Wyczyść logi" empties the box.
    w->onStopClicked();
    EXPECT_FALSE(w->checkTimer->isActive());
    EXPECT_EQ(w->statePanel->text(), QStringLiteral("Zadania zatrzymane"));
    EXPECT_EQ(w->log().lines().last().mid(20), QStringLiteral("Zadania cykliczne zatrzymane."));
    w->clearLogAction->trigger();
    EXPECT_TRUE(w->logMemo->toPlainText().isEmpty());
    // Every line went to automat.log as it was written.
    const QStringList file = QString::fromLatin1(app.dir.read("automat.log")).split(QStringLiteral("\r\n"));
    EXPECT_EQ(file.size(), 15 + 1) << file.join('|').toStdString();
    // In Windows-1250.
    EXPECT_TRUE(app.dir.read("automat.log").split('\r').value(0).endsWith(" Zadania cykliczne zostan\xb9 w\xb3\xb9"
                                                                             "czone za 60 sekund."));
}

namespace {

struct RealRun : ::testing::Test {
    test::SimHarness sim;
    test::AppHarness app;
    DatabaseSettings db = test::freshArchiveTable(QStringLiteral("t_tasks"));
    SchedulerWindow *w = nullptr;
    void SetUp() override
    {
        // Database support off: a task stores with the current settings all the same.
        ASSERT_TRUE(saveSqlConf(app.dir.file("sql.conf"), SqlConf{db, false}));
        app.startWithMeter(sim.path);
        w = app.windows->schedulerWindow;
        w->runner().download().pause = gapsSkipped;
        w->onAddClicked();
        app.prompt.messages.clear();
        w->repeatList->setCurrentIndex(Daily);
        w->startTimeEdit->setTime(QTime(0, 0));
        w->onApplyClicked();
        app.prompt.messages.clear(); // the database switch is off
        w->onStartDelayTimer();
        w->log().clearBox();
    }
    QStringList runOnce()
    {
        w->log().clearBox();
        w->table().state(0).executedOn = 0;
        test::checkSchedule(*w);
        return messagesOf(w->log().lines());
    }
    QStringList files() const { return QDir(app.ctx->archivesDirectory).entryList(QDir::Files); }
    bool deleteSent() const { return sim.deleteSent(); }
};

} // namespace

TEST_F(RealRun, DownloadFileClearAndStoreEachLogged)
{
    sim.meter.setArchiveStart(0, 0);
    sim.meter.fillArchive(300);
    const QStringList log = runOnce();
    EXPECT_EQ(log, (QStringList{"Liczba zadań do wykonania: 1", "Realizuję zadanie Nowe zadanie 1", "",
                                " Pobieranie archiwum z K71T o adresie:1", "Archiwum pobrane. Pobrano: 300 rekordów.",
                                "Archiwum w K71T skasowane", "Dane umieszczone w bazie danych",
                                "Koniec realizacji zadania Nowe zadanie 1", ""}));
    ASSERT_EQ(files().size(), 1);
    RecordStore loaded;
    RegisterImage image;
    EXPECT_EQ(loadBin(app.ctx->archivesDirectory + files()[0], loaded, image), 300);
    EXPECT_TRUE(sim.meter.archiveRecords().empty());
    EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_tasks")).value(0).toInt(),
              static_cast<int>(archiveTableRows(loaded, 300, 1).size()));
    EXPECT_EQ(app.ctx->meterAddress, 1);
    EXPECT_EQ(app.ctx->records.count, 0); // the archive window's archive is its own
    EXPECT_TRUE(app.prompt.messages.isEmpty());
}

TEST_F(RealRun, FailuresGoToTheLogAndNothingIsClearedThatIsNotOnDisk)
{
    // Archives/ cannot be written: the meter keeps its records, no rows.
    sim.meter.setArchiveStart(0, 0);
    sim.meter.fillArchive(100);
    QDir(app.ctx->archivesDirectory).removeRecursively();
    app.dir.write("Archives", "a file where the folder belongs");
    QStringList log = runOnce();
    ASSERT_EQ(log.size(), 7);
    EXPECT_TRUE(log[4].startsWith(QStringLiteral("Nie udało się zapisać pliku archiwum "))) << log[4].toStdString();
    EXPECT_TRUE(log[4].endsWith(QStringLiteral(
        "Archiwum w K71T nie zostało skasowane, dane nie zostały umieszczone w bazie danych.")));
    EXPECT_EQ(sim.meter.archiveRecords().size(), 100u);
    EXPECT_FALSE(deleteSent());
    EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_tasks")), QStringList{"0"});
    QFile::remove(app.dir.file("Archives"));
    QDir(app.dir.path()).mkdir(QStringLiteral("Archives"));

    // The database is down: the file is kept, the meter cleared, the reason logged.
    app.ctx->databaseSettings.port = 1;
    log = runOnce();
    EXPECT_EQ(log.mid(4, 4), (QStringList{"Archiwum pobrane. Pobrano: 100 rekordów.", "Archiwum w K71T skasowane",
                                          "Błąd podczas zapisu do bazy danych", log.value(7)}));
    EXPECT_TRUE(log.value(7).startsWith(QStringLiteral("Zapisano 0 z "))) << log.value(7).toStdString();
    EXPECT_TRUE(log.value(8).contains(QStringLiteral("Połączenie z bazą danych nie powiodło się.")));
    EXPECT_EQ(files().size(), 1);

    // An empty archive, and a meter that does not answer.
    log = runOnce();
    EXPECT_EQ(log.value(4), QStringLiteral("Archiwum w K71T o adresie: 1 jest puste"));
    w->table()[0].address = 9;
    w->table().state(0) = TaskState{};
    log = runOnce();
    EXPECT_EQ(log.value(3), QStringLiteral(" Pobieranie archiwum z K71T o adresie:9"));
    EXPECT_EQ(log.value(4), QStringLiteral("Błąd podczas komunikacji z K71T o adresie: 9"));
    EXPECT_EQ(files().size(), 1);
    EXPECT_TRUE(app.prompt.messages.isEmpty());
}

TEST(CliTasks, RunsTheScheduleUntilSigterm)
{
    test::SimHarness sim;
    sim.meter.setArchiveStart(0, 0);
    sim.meter.fillArchive(200);
    test::TempDir dir;
    TaskTable table;
    DownloadTask t;
    t.name = QStringLiteral("Hala %3"); // listed and logged as typed
    t.address = 1;
    t.startTime = QTime(0, 0);
    t.repeatKind = Daily;
    t.toDatabase = false;
    table.apply(0, t);
    table.taskCount = 1;
    ASSERT_TRUE(saveTasks(dir.file("auto.conf"), table));

    QProcess list;
    list.setWorkingDirectory(dir.path());
    list.start(QStringLiteral(K71T_CLI_BINARY), {"tasks", "list"});
    ASSERT_TRUE(list.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(list.readAllStandardOutput()),
              QStringLiteral("1. Hala %3\t1\t00:00:00\tNiedziela\tCodziennie\tbez bazy danych\nSkonfigurowano 1 zadań\n"));

    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(K71T_CLI_BINARY), {"--device", sim.path, "tasks", "run", "--delay", "0"});
    ASSERT_TRUE(p.waitForStarted());
    ASSERT_TRUE(test::waitUntil(
        [&] { return dir.read("automat.log").contains("Koniec realizacji zadania Hala %3"); }, 60000));
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QStringList log = messagesOf(QString::fromUtf8(p.readAllStandardOutput()).split('\n'));
    EXPECT_EQ(log.mid(0, 3), (QStringList{"Skonfigurowano 1 zadań", "Zadania cykliczne zostaną włączone za 0 sekund.",
                                          "Zadania cykliczne włączone."}));
    EXPECT_TRUE(log.contains(QStringLiteral("Archiwum pobrane. Pobrano: 200 rekordów.")));
    EXPECT_TRUE(log.contains(QStringLiteral("Archiwum w K71T skasowane")));
    EXPECT_EQ(log.value(log.size() - 2), QStringLiteral("Zadania cykliczne zatrzymane."));
    EXPECT_EQ(QDir(dir.file("Archives")).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(sim.meter.archiveRecords().empty());
    EXPECT_TRUE(dir.read("automat.log").endsWith(" Zadania cykliczne zatrzymane.\r\n"));
}

// The working folder's line (uart.cfg and ports.conf), a meter whose line
// goes away and comes back under its name, tasks added to auto.conf while
// the schedule runs, and a reader of the output that leaves after a line.
TEST(CliTasks, ReopensItsPortTakesEditsAndOutlivesItsOutput)
{
    test::TempDir dir;
    const QString link = dir.file("ttyK71T");
    const auto plugIn = [&](QProcess &sim, int records) {
        sim.start(QStringLiteral(K71T_SIM_BINARY), {"--link", link, "--archive-records", QString::number(records)});
        return sim.waitForReadyRead(10000); // its pseudo-terminal is there
    };
    QProcess first;
    ASSERT_TRUE(plugIn(first, 40));
    dir.write("ports.conf", "COM3=" + link.toUtf8() + '\n');
    dir.write("uart.cfg", QByteArray("\x02\x01\x07", 3)); // COM3, 8N2, 115200
    const auto task = [](const char *name, RepeatKind rule, int weekday) {
        DownloadTask t;
        t.name = QString::fromLatin1(name);
        t.address = 1;
        t.startTime = QTime(0, 0);
        t.repeatKind = rule;
        t.startDay = static_cast<std::uint8_t>(weekday);
        t.toDatabase = false;
        return t;
    };
    const int today = QDate::currentDate().dayOfWeek() % 7;
    TaskTable table;
    table.apply(0, task("Hala A", Daily, 0));
    table.taskCount = 1;
    ASSERT_TRUE(saveTasks(dir.file("auto.conf"), table));
    const auto logText = [&] { return fromWindows1250(dir.read("automat.log")); };
    const auto logHas = [&](const char *text) { return logText().contains(QString::fromUtf8(text)); };

    QProcess run;
    run.setWorkingDirectory(dir.path());
    run.start(QStringLiteral(K71T_CLI_BINARY), {"tasks", "run", "--delay", "0"});
    ASSERT_TRUE(run.waitForReadyRead(10000));
    run.closeReadChannel(QProcess::StandardOutput); // as `| head -1` does
    ASSERT_TRUE(test::waitUntil([&] { return logHas("Koniec realizacji zadania Hala A"); }, 60000));
    EXPECT_TRUE(logHas("Archiwum pobrane. Pobrano: 40 rekordów."));

    // A second scheduler in the folder is refused.
    QProcess second;
    second.setWorkingDirectory(dir.path());
    second.start(QStringLiteral(K71T_CLI_BINARY), {"tasks", "run", "--delay", "0"});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError()).contains(QStringLiteral("działa już harmonogram")));

    // The meter's line is re-plugged; then two tasks are added to the file.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    QProcess again;
    ASSERT_TRUE(plugIn(again, 30));
    table.apply(1, task("Hala B", Once, today));
    table.apply(2, task("Hala C", Weekly, (today + 3) % 7));
    table.taskCount = 3;
    ASSERT_TRUE(saveTasks(dir.file("auto.conf"), table));
    ASSERT_TRUE(test::waitUntil([&] { return logHas("Koniec realizacji zadania Hala B"); }, 60000));
    run.terminate();
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    const QStringList log = messagesOf(logText().split(QStringLiteral("\r\n")));
    EXPECT_EQ(log.filter(QStringLiteral("Utracono port COM3 (")).size(), 1);
    EXPECT_EQ(log.filter(QStringLiteral("znów jest dostępny i został otwarty ponownie.")).size(), 1);
    EXPECT_TRUE(log.contains(QStringLiteral("Plik auto.conf został zmieniony; zadań: 3.")));
    EXPECT_TRUE(log.contains(QStringLiteral("Archiwum pobrane. Pobrano: 30 rekordów.")));
    EXPECT_TRUE(log.filter(QStringLiteral("Błąd podczas komunikacji")).isEmpty());
    EXPECT_EQ(log.value(log.size() - 2), QStringLiteral("Zadania cykliczne zatrzymane."));
    // The one-time task that ran left the file; the others stayed as edited.
    TaskTable after;
    ASSERT_TRUE(loadTasks(dir.file("auto.conf"), after));
    after.countTasks();
    ASSERT_EQ(after.taskCount, 2);
    EXPECT_EQ(after[0].name, QStringLiteral("Hala A"));
    EXPECT_EQ(after[1].name, QStringLiteral("Hala C"));
    again.terminate();
    ASSERT_TRUE(again.waitForFinished(10000));
}

// Clicked into, a time field takes the digits typed next (no Tab needed).
TEST(AutomatWindow, AClickIntoTheTimeTakesTheDigitsTyped)
{
    test::AppHarness app;
    app.start();
    SchedulerWindow *w = app.windows->schedulerWindow;
    w->show();
    QApplication::setActiveWindow(w);
    w->startTimeEdit->setTime(QTime(6, 0, 0));
    auto *text = w->startTimeEdit->findChild<QLineEdit *>();
    ASSERT_NE(text, nullptr);
    // Into the minutes, between their two digits.
    ASSERT_TRUE(text->text().startsWith(QStringLiteral("06:00")));
    const int x = text->contentsRect().left() + 2 + text->fontMetrics().horizontalAdvance(QStringLiteral("06:0"));
    QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(x, text->height() / 2));
    ASSERT_TRUE(test::waitUntil([&] { return text->hasSelectedText(); }));
    QTest::keyClicks(w->startTimeEdit, QStringLiteral("45"));
    EXPECT_EQ(w->startTimeEdit->time(), QTime(6, 45, 0));
    w->hide();
}
