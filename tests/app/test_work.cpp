// Long work runs on the link and database workers: the windows' event loop
// goes on during each operation, and every way of stopping a download (the
// archive window's button, the scheduler's, Ctrl+C, SIGINT to the
// command-line tool) leaves the meter's archive and the disk as they were.
#include "app/QuitOnSignal.h"
#include "archive/ui/ArchiveWindow.h"
#include "chart/Series.h"
#include "chart/ui/ChartWindow.h"
#include "db/ui/DatabaseWindow.h"
#include "automat/ui/SchedulerWindow.h"
#include "config/ui/BulkTransferDialog.h"
#include "config/ui/SystemPage.h"
#include "db/ArchiveTable.h"
#include "monitor/ui/MonitorWindow.h"
#include "support/AppHarness.h"
#include "support/DbFixture.h"
#include "support/SimFixture.h"
#include "support/Wait.h"
#include "widgets/QtPrompt.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QStatusBar>
#include <QTimeEdit>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QComboBox>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

// A timer of the windows' thread counting its ticks.
struct WindowTicks {
    std::atomic<int> ticks{0};
    QTimer timer;
    WindowTicks()
    {
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this] { ++ticks; });
        timer.start();
    }
};

// Runs `action` from the windows' event loop as soon as `condition` holds
// (checked every millisecond), once.
struct WhenThen {
    QTimer timer;
    bool done = false;
    WhenThen(std::function<bool()> condition, std::function<void()> action)
    {
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this, condition, action] {
            if (done || !condition())
                return;
            done = true;
            timer.stop();
            action();
        });
        timer.start();
    }
};

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files);
}

// Enough records that a download at line time lasts seconds: it is always
// still running when a stop comes after its second page.
constexpr int ManyRecords = 300 * 44;

struct Work : ::testing::Test {
    test::SimHarness sim;
    test::AppHarness app;
    void SetUp() override
    {
        app.startWithMeter(sim.path);
        sim.meter.setArchiveStart(0, 0);
    }
    SchedulerWindow *scheduler() { return app.windows->schedulerWindow; }
    // A daily task for the meter, the schedule switched on.
    void scheduleOneTask()
    {
        SchedulerWindow *w = scheduler();
        w->onAddClicked();
        w->repeatList->setCurrentIndex(1); // "Codziennie"
        w->startTimeEdit->setTime(QTime(0, 0));
        w->onApplyClicked();
        w->onStartDelayTimer();
        app.prompt.messages.clear();
    }
};

} // namespace

TEST_F(Work, TheMeterAnswersOnlyWhileTheWindowsGoOnRunning)
{
    // Each reply waits for a tick of a timer of the windows' thread: an
    // operation that held that thread would get no answer and fail.
    WindowTicks windowTicks;
    sim.line.setReplyGate(&windowTicks.ticks);
    sim.meter.fillArchive(100);
    ArchiveWindow *archive = app.archiveWindow;
    MonitorWindow *monitor = app.windows->monitorWindow;
    SystemPage *system = app.windows->systemPage;
    BulkTransferDialog *bulk = app.windows->bulkTransferDialog;
    struct Operation {
        const char *what;
        std::function<bool()> run;
    };
    const Operation operations[] = {
        {"page read",
         [&] {
             app.displayPage->onReadClicked();
             return app.displayPage->statusBar->currentMessage() == QStringLiteral("Odczyt danych...OK");
         }},
        {"status read",
         [&] {
             system->onReadStatusClicked();
             return system->statusBar->currentMessage() == QStringLiteral("Odczyt statusu...OK");
         }},
        {"monitor tick",
         [&] {
             test::pollMonitor(*monitor);
             return monitor->statusBar->currentMessage() == QStringLiteral("Transmisja: O.K.");
         }},
        {"bulk read",
         [&] {
             bulk->startRead();
             return test::waitUntil([&] { return !bulk->isVisible(); }) && app.prompt.messages.isEmpty();
         }},
        {"download",
         [&] {
             archive->downloadButton->click();
             return app.ctx->records.count == 100 && archive->downloadButton->isEnabled();
         }},
        {"scheduled task",
         [&] {
             scheduleOneTask();
             test::checkSchedule(*scheduler());
             const QStringList log = scheduler()->log().lines();
             return std::any_of(log.begin(), log.end(), [](const QString &line) {
                 return line.endsWith(QStringLiteral("Archiwum pobrane. Pobrano: 100 rekordów."));
             });
         }},
    };
    for (const Operation &op : operations) {
        app.prompt.messages.clear();
        EXPECT_TRUE(op.run()) << op.what;
    }
    sim.line.setReplyGate(nullptr);
}

TEST(WorkOnTheDatabase, TheServerAnswersWhileTheWindowsGoOnRunning)
{
    // The table is locked by a connection of the test's own until a timer of
    // the windows' thread unlocks it: a statement sent from that thread
    // would wait for the lock with the timer unable to fire.
    test::SimHarness sim;
    test::AppHarness app;
    const DatabaseSettings db = test::freshArchiveTable(QStringLiteral("t_work"));
    SqlConnection lock;
    QString message;
    ASSERT_TRUE(lock.connect(db, &message)) << message.toStdString();
    ASSERT_TRUE(saveSqlConf(app.dir.file("sql.conf"), SqlConf{db, true}));
    SeriesModel series;
    series.series[0] = SeriesAssignment{1, 0, 0, QStringLiteral("R0")};
    ASSERT_TRUE(saveSeriesConf(app.dir.file(QStringLiteral("series.conf")), series));
    app.startWithMeter(sim.path);
    sim.meter.setArchiveStart(0, 0);
    sim.meter.fillArchive(50);
    app.archiveWindow->downloadButton->click();
    ASSERT_EQ(app.ctx->records.count, 50);
    const auto rows = [&] { return test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_work")).value(0); };
    const QDate day(app.ctx->records[0].year(), app.ctx->records[0].month(), app.ctx->records[0].day());

    struct Operation {
        const char *what;
        std::function<void()> run;
        std::function<bool()> done;
    };
    ChartWindow *chart = app.windows->chartWindow;
    const Operation operations[] = {
        {"range export",
         [&] {
             app.archiveWindow->startCalendar->setSelectedDate(day);
             app.archiveWindow->stopCalendar->setSelectedDate(day.addDays(1));
             app.archiveWindow->exportDatabaseButton->click();
         },
         [&] { return rows().toInt() > 0; }},
        {"import",
         [&] {
             app.dir.write("import.dat", "2013-09-16\t10:00:00\t3\t1.000000E+000\t*\t*\t*\t*\t*\t*\t*\t*\t*\r\n");
             app.databaseWindow->importAddressEdit->setText(QStringLiteral("7"));
             app.prompt.fileNames << app.dir.file("import.dat");
             app.databaseWindow->onImportClicked();
         },
         [&] {
             return test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_work WHERE ADDR=7")) ==
                    QStringList{"1"};
         }},
        {"chart load",
         [&] {
             chart->fromDateEdit->setDate(day);
             chart->toDateEdit->setDate(day.addDays(1));
             chart->databaseLoadButton->click();
             ASSERT_TRUE(test::waitUntil([&] { return chart->databaseLoadButton->isEnabled(); }));
         },
         [&] {
             return chart->statusBar->currentMessage() ==
                    QStringLiteral("Pobieranie danych z bazy danych...Zakończono");
         }},
    };
    for (const Operation &op : operations) {
        ASSERT_TRUE(lock.execute("LOCK TABLES t_work WRITE", &message, false)) << message.toStdString();
        bool unlocked = false;
        QTimer::singleShot(0, [&] { unlocked = lock.execute("UNLOCK TABLES", nullptr, false); });
        app.prompt.messages.clear();
        op.run();
        EXPECT_TRUE(unlocked) << op.what;
        EXPECT_TRUE(op.done()) << op.what;
        for (const test::AskedMessage &m : app.prompt.messages)
            EXPECT_NE(m.icon, PromptIcon::Error) << op.what << ": " << m.text.toStdString();
    }
}

TEST_F(Work, PrzerwijEndsTheDownloadWithNothingSavedAndTheMeterNotCleared)
{
    sim.line.setLineTime(true);
    sim.meter.fillArchive(ManyRecords);
    ArchiveWindow *w = app.archiveWindow;
    w->deleteAfterCheck->setChecked(true);
    EXPECT_FALSE(w->stopButton->isEnabled());
    // The status tells the pages done and the time left while it runs.
    QString progress;
    WhenThen stopAfterTwoPages([&] { return int(sim.pagesSelected().size()) >= 2 && !w->statusBar->currentMessage().isEmpty(); },
                               [&] {
                                   progress = w->statusBar->currentMessage();
                                   EXPECT_TRUE(w->stopButton->isEnabled());
                                   EXPECT_FALSE(w->downloadButton->isEnabled());
                                   w->stopButton->click();
                               });
    w->downloadButton->click();

    EXPECT_TRUE(stopAfterTwoPages.done);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Pobieranie archiwum: strona [0-9]+ z 300, pozostało około "
                                                  "([0-9]+ min )?[0-9]+ s$"))
                    .match(progress)
                    .hasMatch())
        << progress.toStdString();
    EXPECT_EQ(w->statusBar->currentMessage(), QStringLiteral("Pobieranie przerwane."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Archiwum"));
    EXPECT_LT(int(sim.pagesSelected().size()), 300);
    EXPECT_TRUE(filesIn(app.ctx->archivesDirectory).isEmpty());
    EXPECT_EQ(sim.meter.archiveRecords().size(), static_cast<std::size_t>(ManyRecords));
    EXPECT_FALSE(sim.deleteSent());
    EXPECT_TRUE(app.prompt.messages.isEmpty()); // the operator asked: no box
    EXPECT_TRUE(w->downloadButton->isEnabled());
    EXPECT_FALSE(w->stopButton->isEnabled());

    // The next download starts afresh and takes everything.
    sim.line.setLineTime(false);
    w->downloadButton->click();
    EXPECT_EQ(app.ctx->records.count, ManyRecords);
    EXPECT_TRUE(sim.meter.archiveRecords().empty());
    EXPECT_EQ(filesIn(app.ctx->archivesDirectory).size(), 1);
}

TEST_F(Work, TheSchedulersStopEndsTheTaskInHand)
{
    sim.line.setLineTime(true);
    sim.meter.fillArchive(ManyRecords);
    scheduleOneTask();
    SchedulerWindow *w = scheduler();
    EXPECT_FALSE(w->stopTaskButton->isEnabled());
    WhenThen stopAfterTwoPages([&] { return int(sim.pagesSelected().size()) >= 2; },
                               [&] {
                                   EXPECT_TRUE(w->stopTaskButton->isEnabled());
                                   w->stopTaskButton->click();
                               });
    test::checkSchedule(*w);

    EXPECT_TRUE(stopAfterTwoPages.done);
    const QStringList log = w->log().lines();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                            [](const QString &l) { return l.endsWith(QStringLiteral(" Pobieranie przerwane.")); }))
        << log.join('|').toStdString();
    EXPECT_TRUE(filesIn(app.ctx->archivesDirectory).isEmpty());
    EXPECT_EQ(sim.meter.archiveRecords().size(), static_cast<std::size_t>(ManyRecords));
    EXPECT_FALSE(sim.deleteSent());
    EXPECT_FALSE(w->stopTaskButton->isEnabled());
    EXPECT_TRUE(w->checkTimer->isActive()); // the schedule goes on
}

TEST(WorkStops, CtrlCDuringADownloadClosesTheProgramWithTheMeterUntouched)
{
    test::ensureApplication();
    test::SimHarness sim;
    sim.line.setLineTime(true);
    sim.meter.setArchiveStart(0, 0);
    sim.meter.fillArchive(ManyRecords);
    test::TempDir dir;
    dir.write("def.k71t", QByteArray()); // read at start-up; a box would be in the way
    QtPrompt prompt;
    test::FakeClock clock;
    AppContext context(dir.path(), prompt, clock);
    context.link.settleMs = 0;
    AppWindows windows;
    windows.create(context);
    context.portMap.setPath(2, sim.path);
    QuitOnSignal quitOnSignal(prompt, *windows.startPanel, context);
    windows.startPanel->show();
    ArchiveWindow *archive = windows.archiveWindow;
    archive->deleteAfterCheck->setChecked(true);

    // The archive window opened as the operator opens it, the download begun
    // in it, Ctrl+C after its second page.
    WhenThen open([&] { return !windows.startPanel->startupTimer->isActive(); },
                  [&] { windows.startPanel->archiveButton->click(); });
    WhenThen download([&] { return QApplication::activeModalWidget() == archive; },
                      [&] { archive->downloadButton->click(); });
    WhenThen interrupt([&] { return int(sim.pagesSelected().size()) >= 2; }, [] { std::raise(SIGINT); });
    bool forced = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] {
        forced = true;
        context.stopWork();
        QCoreApplication::quit();
    });
    deadline.start(60000);
    QApplication::exec();

    EXPECT_FALSE(forced);
    EXPECT_TRUE(interrupt.done);
    EXPECT_FALSE(context.workInHand());
    EXPECT_EQ(archive->statusBar->currentMessage(), QStringLiteral("Pobieranie przerwane."));
    EXPECT_TRUE(filesIn(context.archivesDirectory).isEmpty());
    EXPECT_EQ(sim.meter.archiveRecords().size(), static_cast<std::size_t>(ManyRecords));
    EXPECT_FALSE(sim.deleteSent());
    EXPECT_EQ(dir.read("def.k71t").size(), 650); // closed the normal way
}

TEST(WorkStops, SigintEndsTheToolsDownloadAtTheNextPage)
{
    test::SimHarness sim;
    sim.line.setLineTime(true);
    sim.meter.setArchiveStart(0, 0);
    sim.meter.fillArchive(ManyRecords);
    test::TempDir dir;
    QProcess cli;
    cli.start(QStringLiteral(K71T_CLI_BINARY),
              {"--device", sim.path, "download", "--out", dir.path(), "--delete"});
    ASSERT_TRUE(cli.waitForStarted());
    ASSERT_TRUE(test::waitUntil([&] { return int(sim.pagesSelected().size()) >= 2; }));
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(cli.readAllStandardError()), QStringLiteral("k71t-cli: Pobieranie przerwane.\n"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_LT(int(sim.pagesSelected().size()), 300);
    EXPECT_EQ(sim.meter.archiveRecords().size(), static_cast<std::size_t>(ManyRecords));
    EXPECT_FALSE(sim.deleteSent());
}
