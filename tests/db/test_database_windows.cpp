// The database as the operator meets it, against the real server: the
// settings window, the archive window's two ways into the table, the import,
// a server that dies during an import, and k71t-cli's db commands.
#include "archive/ArchiveFiles.h"
#include "db/ArchiveTable.h"
#include "db/DataImport.h"
#include "support/AppHarness.h"
#include "support/DbFixture.h"
#include "support/SimFixture.h"
#include "support/Wait.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTimeEdit>
#include <gtest/gtest.h>
#include <mysql.h>
#include <signal.h>
#include <sys/stat.h>

using namespace k71t;

namespace {

const QString DatabaseOff = QStringLiteral("Obsługa MySQL jest wyłączona - sprawdź konfigurację MySQL");
const QString DatabaseFailed =
    QStringLiteral("Nie udało się zapisać danych do bazy. Sprawdź ustawienia komunikacji z bazą danych.");

// The test server, or a failed test when scripts/test.sh did not start one.
DatabaseSettings serverFor(const QString &table)
{
    DatabaseSettings p = test::testDatabase();
    EXPECT_FALSE(p.server.isEmpty()) << "K71T_TEST_DB_* not set: run the tests through scripts/test.sh";
    p.table = table;
    return p;
}

void dropTable(const DatabaseSettings &p)
{
    test::queryColumn(p, QStringLiteral("DROP TABLE IF EXISTS `%1`").arg(p.table));
}

void freshTable(const DatabaseSettings &p)
{
    dropTable(p);
    SqlConnection c;
    QString message;
    ASSERT_TRUE(createArchiveTable(c, p, &message)) << message.toStdString();
}

int rowCount(const DatabaseSettings &p)
{
    return test::queryColumn(p, QStringLiteral("SELECT COUNT(*) FROM `%1`").arg(p.table)).value(0).toInt();
}

QStringList tableRows(const DatabaseSettings &p)
{
    return test::queryColumn(p, QStringLiteral("SELECT CONCAT_WS(' ', ADDR, DATA, CZAS, DEV, R0, R1, R2, R3, R4, R5, "
                                               "R6, R7, R8, R9) FROM `%1`")
                                    .arg(p.table));
}

// Rows a store of these rows gives when read back the same way.
QStringList expectedRows(const std::vector<TableRow> &rows)
{
    QStringList out;
    for (const TableRow &r : rows) {
        QString line = QStringLiteral("%1 %2-%3-%4 %5:%6:%7 %8")
                           .arg(r.address)
                           .arg(r.row.dateKey / 10000, 4, 10, QLatin1Char('0'))
                           .arg(r.row.dateKey / 100 % 100, 2, 10, QLatin1Char('0'))
                           .arg(r.row.dateKey % 100, 2, 10, QLatin1Char('0'))
                           .arg(r.row.timeKey / 10000, 2, 10, QLatin1Char('0'))
                           .arg(r.row.timeKey / 100 % 100, 2, 10, QLatin1Char('0'))
                           .arg(r.row.timeKey % 100, 2, 10, QLatin1Char('0'))
                           .arg(r.device);
        // The server prints a FLOAT with six significant digits.
        for (float v : r.row.R)
            line += QLatin1Char(' ') + QString::number(static_cast<double>(v), 'g', 6).replace(QStringLiteral("e+"),
                                                                                              QStringLiteral("e"));
        out << line;
    }
    return out;
}

QByteArray datLines(int n)
{
    QByteArray dat = "Archiwum odczytano: 2026-12-09 06:00:00\r\n\r\nDEV 0\r\n"
                     "Data\tCzas\tDEV\tR0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tR9\r\n";
    for (int i = 0; i < n; ++i)
        dat += QStringLiteral("2013-09-16\t%1:%2:00\t3\t%3E+000\t2.000000E+000\t*\t*\t*\t5.500000E+000\t*\t*\t*\t*\r\n")
                   .arg(i / 60 % 24, 2, 10, QLatin1Char('0'))
                   .arg(i % 60, 2, 10, QLatin1Char('0'))
                   .arg(i % 10)
                   .toLatin1();
    return dat;
}

QStringList texts(const test::RecordingPrompt &prompt)
{
    QStringList out;
    for (const test::AskedMessage &m : prompt.messages)
        out << m.text;
    return out;
}

struct MySqlWindow : ::testing::Test {
    test::AppHarness app;
    DatabaseWindow *form = nullptr;
    void start()
    {
        app.start();
        form = app.databaseWindow;
    }
    void startWith(const DatabaseSettings &p, bool enabled)
    {
        ASSERT_TRUE(saveSqlConf(app.dir.file("sql.conf"), SqlConf{p, enabled}));
        start();
    }
    std::optional<SqlConf> saved() const { return loadSqlConf(app.dir.file("sql.conf")); }
    QStringList texts() const { return ::texts(app.prompt); }
};

} // namespace

TEST_F(MySqlWindow, EveryTextTheFreshInstallationAndTheFileWrittenOnClosing)
{
    start();
    struct Text {
        QString control, text, hint;
    };
    const Text texts[] = {
        {"supportCheck", "Włącz obsługę bazy danych MySQL", ""},
        {"connectionGroup", "Parametry połączenia", ""},
        {"serverEdit", "127.0.0.1", "Nazwa serwera lub jego IP"},
        {"portEdit", "3306", "Numer portu na którym pracuje serwer MySQL"},
        {"databaseEdit", "pomiary", "Nazwa bazy danych"},
        {"tableEdit", "K71T", "Nazwa istniejącej tablicy lub tablicy do założenia"},
        {"userEdit", "k71t", "Nazwa użytkownika z uprawnieniami to bazy lub tablicy."},
        {"passwordEdit", "", "Hasło dostępu"},
        {"compressionCheck", "Kompresja transmisji", ""},
        {"createTableButton", "Załóż tablicę", ""},
        {"testConnectionButton", "Test połączenia", ""},
        {"importGroup", "Import plików *.dat do bazy", ""},
        {"addressCaption", "Podaj adres urządzenia z którego", ""},
        {"addressCaptionEnd", "pochodzą dane", ""},
        {"importAddressEdit", "1", ""},
        {"importButton", "Wskaż plik do zaimportowania", ""},
        {"importLabel", "Import danych", ""},
    };
    EXPECT_EQ(form->windowTitle(), QStringLiteral("MySQL"));
    for (const Text &t : texts) {
        auto *w = form->findChild<QWidget *>(t.control);
        ASSERT_NE(w, nullptr) << t.control.toStdString();
        QString shown;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            shown = b->text();
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            shown = e->text();
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            shown = g->title();
        else if (auto *l = qobject_cast<QLabel *>(w))
            shown = l->text();
        EXPECT_EQ(shown, t.text) << t.control.toStdString();
        EXPECT_EQ(w->toolTip(), t.hint) << t.control.toStdString();
    }
    EXPECT_EQ(form->passwordEdit->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(form->compressionCheck->isChecked());
    EXPECT_FALSE(form->supportCheck->isChecked());
    EXPECT_FALSE(form->connectionGroup->isEnabled());
    EXPECT_FALSE(app.ctx->databaseEnabled());
    EXPECT_TRUE(app.prompt.messages.isEmpty());

    // The check box is the switch every window reads, and opens the group.
    form->supportCheck->click();
    EXPECT_TRUE(form->connectionGroup->isEnabled());
    EXPECT_TRUE(app.ctx->databaseEnabled());
    form->reject();
    EXPECT_EQ(decodeSettingsText(app.dir.read("sql.conf")),
              QByteArray("pomiary;K71T;127.0.0.1;3306;0;1;k71t;;1;"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(app.dir.file("sql.conf")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Faulty fields are told at once and never reach the file: the port
    // (with a trailing letter, or beyond a TCP port), a table name that is
    // not a name, a field holding the file's separator.
    struct Bad {
        QLineEdit *edit;
        QString text, message;
    };
    const Bad bad[] = {
        {form->portEdit, "3306x", "Błędnie wprowadzony numer portu."},
        {form->portEdit, "70000", "Błędnie wprowadzony numer portu."},
        {form->tableEdit, "K71T; DROP TABLE K71T", "Nazwa tablicy"},
        {form->databaseEdit, "pomiary`", "Nazwa bazy danych"},
        {form->passwordEdit, "a;b", "Pole \"Hasło\" nie może zawierać znaku ';'."},
    };
    for (const Bad &b : bad) {
        const QString kept = b.edit->text();
        b.edit->setText(b.text);
        app.prompt.messages.clear();
        form->reject();
        ASSERT_EQ(app.prompt.messages.size(), 1) << b.text.toStdString();
        EXPECT_TRUE(app.prompt.messages[0].text.startsWith(b.message)) << app.prompt.messages[0].text.toStdString();
        EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
        EXPECT_EQ(saved()->params.port, 3306);
        EXPECT_EQ(saved()->params.table, QStringLiteral("K71T"));
        EXPECT_EQ(saved()->params.database, QStringLiteral("pomiary"));
        EXPECT_TRUE(saved()->params.password.isEmpty());
        b.edit->setText(kept);
    }

    // The next start (an empty password loads) has support on and the group open.
    test::AppHarness again;
    QFile::copy(app.dir.file("sql.conf"), again.dir.file("sql.conf"));
    again.start();
    EXPECT_TRUE(again.databaseWindow->supportCheck->isChecked());
    EXPECT_TRUE(again.databaseWindow->connectionGroup->isEnabled());
    EXPECT_TRUE(again.ctx->databaseEnabled());

    // A file naming a table the program will not put into a statement gives
    // the defaults, and says why.
    test::AppHarness hostile;
    DatabaseSettings p;
    p.table = QStringLiteral("x");
    QByteArray text = settingsText(SqlConf{p, true});
    text.replace("x;", "K71T WHERE 1=1 --;");
    hostile.dir.write("sql.conf", encodeSettingsText(text));
    hostile.start();
    EXPECT_EQ(hostile.databaseWindow->tableEdit->text(), QStringLiteral("K71T"));
    EXPECT_FALSE(hostile.ctx->databaseEnabled());
    ASSERT_EQ(hostile.prompt.messages.size(), 1);
    EXPECT_TRUE(hostile.prompt.messages[0].text.contains(QStringLiteral("sql.conf")));
}

TEST_F(MySqlWindow, TestCreateAndImportAgainstTheServer)
{
    const DatabaseSettings db = serverFor(QStringLiteral("t_window"));
    dropTable(db);
    startWith(db, true);
    // The start-up's box, before a test whose connection is made on the
    // database worker while the window goes on.
    app.runStartTimer();
    app.prompt.messages.clear();
    ASSERT_TRUE(form->connectionGroup->isEnabled());

    // Test: the connection stays open; a second test opens a new one.
    form->onTestConnectionClicked();
    EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Łączenie z bazą...OK"));
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Nawiązano połączenie z bazą danych"));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Test"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Information);
    ASSERT_TRUE(app.ctx->database.connected());
    const unsigned long firstThread = mysql_thread_id(app.ctx->database.handle());
    form->onTestConnectionClicked();
    ASSERT_TRUE(app.ctx->database.connected());
    EXPECT_NE(mysql_thread_id(app.ctx->database.handle()), firstThread);

    // The table: created once; a second time the server's refusal is shown.
    app.prompt.messages.clear();
    form->onCreateTableClicked();
    EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Utworzono tablicę"));
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    form->onCreateTableClicked();
    EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Tworzenie tablicy zakończone błędem"));
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_TRUE(app.prompt.messages[0].text.startsWith(
        QStringLiteral("Nie udało się utworzyć tablicy. Odpowiedź serwera: ")));
    EXPECT_TRUE(app.prompt.messages[0].text.contains(QStringLiteral("already exists")));

    // Import: a bad address is refused before anything is asked.
    for (const char *address : {"0", "248", "-5", "abc", ""}) {
        app.prompt.messages.clear();
        form->importAddressEdit->setText(QString::fromLatin1(address));
        form->onImportClicked();
        EXPECT_EQ(texts(), QStringList{"Podany adres jest nieprawidłowy"}) << address;
    }
    // Cancel at the question: no file is asked for.
    form->importAddressEdit->setText(QStringLiteral("200"));
    app.prompt.messages.clear();
    app.prompt.answers << PromptAnswer::Cancel;
    form->onImportClicked();
    EXPECT_EQ(texts(), QStringList{"Czy adres urządzenia podano prawidłowo. Kontynuować"});
    EXPECT_TRUE(app.prompt.fileFilters.isEmpty());

    // A file: every data line becomes a row with the address; headings are
    // skipped, "*" is the marker, the connection is closed at the end.
    app.dir.write("import.dat", datLines(75));
    app.prompt.messages.clear();
    app.prompt.fileNames << app.dir.file("import.dat");
    form->onImportClicked();
    EXPECT_EQ(app.prompt.fileFilters, QStringList{"wszystkie pliki (*.*)|*.*"});
    // It opens in the working folder, not the program's (/usr/bin installed).
    EXPECT_EQ(app.prompt.fileStarts, QStringList{app.ctx->appDirectory});
    EXPECT_EQ(texts(), QStringList{"Czy adres urządzenia podano prawidłowo. Kontynuować"});
    EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Zaimportowano: 75"));
    EXPECT_EQ(form->importLabel->text(), QStringLiteral("Import danych: 75"));
    EXPECT_FALSE(app.ctx->database.connected());
    EXPECT_EQ(rowCount(db), 75);
    EXPECT_EQ(tableRows(db).value(0), QStringLiteral("200 2013-09-16 00:00:00 3 0 2 2e20 2e20 2e20 5.5 2e20 2e20 2e20 2e20"));

    // A file without data lines, and one that vanished.
    app.dir.write("puste.dat", "Archiwum odczytano: 2026-12-09 06:00:00\r\n");
    for (const QString &file : {app.dir.file("puste.dat"), app.dir.file("nie_ma.dat")}) {
        app.prompt.messages.clear();
        app.prompt.fileNames << file;
        form->onImportClicked();
        EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Nie zaimportowano rekordów!"));
        ASSERT_EQ(app.prompt.messages.size(), 2);
        EXPECT_TRUE(app.prompt.messages[1].text.contains(file));
    }
    EXPECT_EQ(rowCount(db), 75);

    // Support switched off: the information box, nothing imported.
    form->supportCheck->click();
    app.prompt.messages.clear();
    form->onImportClicked();
    ASSERT_EQ(app.prompt.messages.size(), 2);
    EXPECT_EQ(app.prompt.messages[1].text, DatabaseOff);
    EXPECT_EQ(app.prompt.messages[1].icon, PromptIcon::Information);
    form->supportCheck->click();

    // A refused user: the library's answer, and no connection.
    form->passwordEdit->setText(QStringLiteral("zle"));
    app.prompt.messages.clear();
    form->onTestConnectionClicked();
    EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Łączenie z bazą...Błąd"));
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_TRUE(app.prompt.messages[0].text.startsWith(
        QStringLiteral("Połączenie z bazą danych nie powiodło się. Odpowiedź: Access denied")));
    EXPECT_FALSE(app.ctx->database.connected());
    // An import with it: one report, not one per line.
    app.prompt.messages.clear();
    app.prompt.fileNames << app.dir.file("import.dat");
    form->onImportClicked();
    ASSERT_EQ(app.prompt.messages.size(), 2);
    EXPECT_TRUE(app.prompt.messages[1].text.contains(QStringLiteral("Zapisano 0 z 75 wierszy.")));
    EXPECT_TRUE(app.prompt.messages[1].text.contains(QStringLiteral("Access denied")));
    EXPECT_EQ(rowCount(db), 75);

    // A port that is not a number stops the test and the table's creation.
    form->portEdit->setText(QStringLiteral("33o6"));
    app.prompt.messages.clear();
    form->onTestConnectionClicked();
    EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Łączenie z bazą..."));
    form->onCreateTableClicked();
    EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Tworzenie tablicy przerwane"));
    EXPECT_EQ(texts(), (QStringList{"Błędnie wprowadzony numer portu.", "Błędnie wprowadzony numer portu."}));
}

namespace {

void gapsSkipped(int ms)
{
    if (ms > 1)
        sleepMs(ms);
}

} // namespace

TEST(ArchiveWindowDatabase, DownloadStoresAfterTheFileAndTheDeleteAndTheRangeOnRequest)
{
    const DatabaseSettings db = serverFor(QStringLiteral("t_archive_window"));
    freshTable(db);
    test::SimHarness sim;
    test::AppHarness app;
    ASSERT_TRUE(saveSqlConf(app.dir.file("sql.conf"), SqlConf{db, true}));
    app.startWithMeter(sim.path);
    ArchiveWindow *form = app.archiveWindow;
    form->download().pause = gapsSkipped;
    sim.meter.setArchiveStart(0, 0);
    sim.meter.fillArchive(300);

    // Delete and store: the file, the meter cleared, then the rows.
    form->deleteAndStoreCheck->setChecked(true);
    form->onDownloadClicked();
    const int n = app.ctx->records.count;
    ASSERT_EQ(n, 300);
    EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Dane w pamięci.   Dane umieszczone w bazie danych."));
    EXPECT_TRUE(sim.meter.archiveRecords().empty());
    EXPECT_EQ(QDir(app.ctx->archivesDirectory).entryList(QDir::Files).size(), 1);
    const std::vector<TableRow> all = archiveTableRows(app.ctx->records, n, 1);
    EXPECT_EQ(tableRows(db), expectedRows(all));
    EXPECT_FALSE(app.ctx->database.connected());
    ASSERT_EQ(app.prompt.messages.size(), 1); // the statistics
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Info"));

    // The server unreachable: the file is kept and the meter cleared all the
    // same; one report says nothing was stored.
    sim.meter.fillArchive(120);
    app.ctx->databaseSettings.port = 1;
    app.prompt.messages.clear();
    form->onDownloadClicked();
    EXPECT_EQ(app.ctx->records.count, 120);
    EXPECT_TRUE(sim.meter.archiveRecords().empty());
    EXPECT_EQ(QDir(app.ctx->archivesDirectory).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(form->statusBar->currentMessage(), QStringLiteral("Dane w pamięci.  Archiwum K71T skasowane."));
    ASSERT_EQ(app.prompt.messages.size(), 2);
    EXPECT_TRUE(app.prompt.messages[0].text.startsWith(DatabaseFailed + QLatin1Char('\n')));
    EXPECT_TRUE(app.prompt.messages[0].text.contains(QStringLiteral("Zapisano 0 z ")));
    EXPECT_TRUE(app.prompt.messages[0].text.contains(QStringLiteral("Połączenie z bazą danych nie powiodło się.")));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Informacje"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Error);
    EXPECT_EQ(rowCount(db), static_cast<int>(all.size()));
    app.ctx->databaseSettings.port = db.port;

    // "Eksportuj dane do bazy danych": a day with no data says so and stores
    // nothing; a single day's hour stores just its rows.
    const QDate first(app.ctx->records[0].year(), app.ctx->records[0].month(), app.ctx->records[0].day());
    form->startCalendar->setSelectedDate(first.addDays(-3));
    form->stopCalendar->setSelectedDate(first.addDays(-3));
    app.prompt.messages.clear();
    form->onExportDatabaseClicked();
    EXPECT_EQ(texts(app.prompt), QStringList{"W wybranym zakresie dat nie ma danych. Nic nie zostało zapisane w bazie "
                                              "danych."});
    EXPECT_EQ(rowCount(db), static_cast<int>(all.size()));

    freshTable(db);
    form->showArchiveSummary();
    const QTime from = form->startTimeEdit->time().addSecs(100), to = from.addSecs(200);
    form->startTimeEdit->setTime(from);
    form->stopTimeEdit->setTime(to);
    int start, stop, tstart, tstop;
    form->exportRange(start, stop, tstart, tstop);
    ASSERT_EQ(start, stop);
    app.prompt.messages.clear();
    form->onExportDatabaseClicked();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Dane umieszczone w bazie danych"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Information);
    const ArchiveRange range{start, stop, tstart, tstop};
    const std::vector<TableRow> part = archiveTableRows(app.ctx->records, 120, 1, &range);
    ASSERT_GT(part.size(), 10u);
    ASSERT_LT(part.size(), archiveTableRows(app.ctx->records, 120, 1).size());
    EXPECT_EQ(tableRows(db), expectedRows(part));

    // The meter refuses to clear its archive: the rows are stored all the
    // same, and the status keeps the failed delete beside the database's
    // success (the next download brings these records again).
    freshTable(db);
    sim.meter.fillArchive(50);
    sim.fault(sim::Fault::Exception, 0, 4, 1500, 4045);
    app.prompt.messages.clear();
    form->onDownloadClicked();
    ASSERT_EQ(app.ctx->records.count, 50);
    EXPECT_EQ(
        form->statusBar->currentMessage(),
        QStringLiteral("Dane w pamięci.  Kasowanie archiwum nie powiodło się.   Dane umieszczone w bazie danych."));
    EXPECT_EQ(sim.meter.archiveRecords().size(), 50u);
    EXPECT_EQ(tableRows(db), expectedRows(archiveTableRows(app.ctx->records, 50, 1)));
    EXPECT_EQ(texts(app.prompt).size(), 1); // the statistics only
}

namespace {

// A server of the test's own, which it may kill.
struct OwnServer {
    test::TempDir dir;
    DatabaseSettings params;
    bool start()
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("K71T_DB_PASSWORD"), QStringLiteral("k71t-own"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("bash"), {QStringLiteral(K71T_SCRIPTS_DIR "/mariadb.sh"), QStringLiteral("start"),
                                         dir.path(), QStringLiteral("pomiary"), QStringLiteral("k71t")});
        if (!p.waitForFinished(120000) || p.exitCode() != 0)
            return false;
        params = DatabaseSettings{};
        params.compression = 0;
        params.password = QStringLiteral("k71t-own");
        for (const QByteArray &line : p.readAllStandardOutput().split('\n'))
            if (line.startsWith("PORT="))
                params.port = static_cast<std::uint16_t>(line.mid(5).toUInt());
        return params.port != 0;
    }
    // Killed as a power cut would: no shutdown, until it takes no connection.
    bool kill()
    {
        const pid_t pid = dir.read("mysqld.pid").trimmed().toInt();
        if (pid <= 0 || ::kill(pid, SIGKILL) != 0)
            return false;
        return test::waitUntil([this] {
            SqlConnection probe;
            return !probe.connect(params);
        });
    }
    ~OwnServer()
    {
        QProcess::execute(QStringLiteral("bash"), {QStringLiteral(K71T_SCRIPTS_DIR "/mariadb.sh"),
                                                   QStringLiteral("stop"), dir.path()});
    }
};

} // namespace

TEST(ImportInterrupted, AServerKilledMidImportReportsTheRowsStoredAndKeepsThem)
{
    OwnServer server;
    ASSERT_TRUE(server.start());
    server.params.table = QStringLiteral("t_killed");
    freshTable(server.params);
    test::TempDir dir;
    dir.write("duzy.dat", datLines(3 * BatchRows + 40));
    SqlConnection c;
    bool killed = false;
    const ImportOutcome out = importDataFile(c, server.params, dir.file("duzy.dat"), 5, [&](int done, int) {
        if (done == BatchRows && !killed)
            killed = server.kill();
    });
    ASSERT_TRUE(killed);
    // The server's files keep the password: the owner's alone, whatever the
    // umask the script was started under.
    for (const QString &path : {server.dir.file("server.env"), server.dir.path()})
        EXPECT_EQ(QFileInfo(path).permissions() &
                      (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther),
                  QFileDevice::Permissions{})
            << path.toStdString();
    EXPECT_EQ(QProcess::execute(QStringLiteral("bash"), {QStringLiteral(K71T_SCRIPTS_DIR "/mariadb.sh"),
                                                         QStringLiteral("start"), server.dir.file("x"),
                                                         QStringLiteral("pomiary"), QStringLiteral("k71t"),
                                                         QStringLiteral("on-the-command-line")}),
              2);
    EXPECT_EQ(out.lines, 3 * BatchRows + 40);
    EXPECT_EQ(out.store.stored, BatchRows);
    EXPECT_TRUE(out.store.stoppedEarly);
    EXPECT_FALSE(c.connected());
    const QString report = storeReport(out.store);
    EXPECT_TRUE(report.startsWith(QStringLiteral("Zapisano %1 z %2 wierszy.\nPierwszy błąd: ")
                                      .arg(BatchRows)
                                      .arg(3 * BatchRows + 40)))
        << report.toStdString();

    // Started again, the server holds exactly the batch it committed.
    ASSERT_TRUE(server.start());
    server.params.table = QStringLiteral("t_killed");
    EXPECT_EQ(rowCount(server.params), BatchRows);
}

namespace {

struct Tool {
    int status = -1;
    QString out, err;
};

Tool tool(const QString &folder, const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(K71T_CLI_BINARY), args);
    Tool t;
    if (!p.waitForFinished(120000))
        return t;
    t.status = p.exitCode();
    t.out = QString::fromUtf8(p.readAllStandardOutput());
    t.err = QString::fromUtf8(p.readAllStandardError());
    return t;
}

} // namespace

TEST(CliDatabase, CreateStoreAndImportEndToEnd)
{
    const DatabaseSettings db = serverFor(QStringLiteral("t_cli"));
    dropTable(db);
    test::TempDir dir;

    // No settings: said, nothing done.
    Tool t = tool(dir.path(), {"db", "create-table"});
    EXPECT_EQ(t.status, 1);
    EXPECT_TRUE(t.err.contains(QStringLiteral("brak pliku"))) << t.err.toStdString();

    ASSERT_TRUE(saveSqlConf(dir.file("sql.conf"), SqlConf{db, false}));
    t = tool(dir.path(), {"db", "create-table"});
    EXPECT_EQ(t.status, 0) << t.err.toStdString();
    EXPECT_EQ(t.out, QStringLiteral("Utworzono tablicę t_cli w bazie %1\n").arg(db.database));

    // An archive of two days: DEV 0 with R0 and R3, DEV 1 with R2 (index 12).
    auto store = std::make_unique<RecordStore>();
    int n = 0;
    for (int day : {16, 17})
        for (int m = 0; m < 60; m += 5) {
            (*store)[n++] = ArchiveRecord::make(1, 0, 2013, 9, day, 8, m, 0, 0.1f * m);
            (*store)[n++] = ArchiveRecord::make(2, 12, 2013, 9, day, 8, m, 0, -1.5f);
            (*store)[n++] = ArchiveRecord::make(1, 3, 2013, 9, day, 8, m, 0, 1e6f + m);
        }
    ASSERT_FALSE(saveNewBin(dir.file("a.bin"), *store, n, RegisterImage{}).isEmpty());

    // A single day's quarter of an hour, as the meter at address 200.
    t = tool(dir.path(), {"db", "store", "a.bin", "--address", "200", "--from", "2013-09-17", "--to", "2013-09-17",
                          "--from-time", "08:10:00", "--to-time", "08:25:00"});
    EXPECT_EQ(t.status, 0) << t.err.toStdString();
    EXPECT_EQ(t.out, QStringLiteral("Zapisano w tablicy t_cli wierszy: 8 z 8\n"));
    EXPECT_EQ(tableRows(db).mid(0, 2),
              (QStringList{"200 2013-09-17 08:10:00 0 1 2e20 2e20 1000010 2e20 2e20 2e20 2e20 2e20 2e20",
                           "200 2013-09-17 08:15:00 0 1.5 2e20 2e20 1000020 2e20 2e20 2e20 2e20 2e20 2e20"}));
    EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_cli WHERE DEV = 1 AND R2 = -1.5")),
              QStringList{"4"});
    // A range with no data stores nothing and says so.
    t = tool(dir.path(), {"db", "store", "a.bin", "--from", "2014-01-01", "--to", "2014-01-31"});
    EXPECT_EQ(t.status, 0);
    EXPECT_TRUE(t.out.startsWith(QStringLiteral("W wybranym zakresie dat nie ma danych"))) << t.out.toStdString();
    EXPECT_EQ(rowCount(db), 8);

    // The whole archive into a server that is not there: one report.
    DatabaseSettings away = db;
    away.port = 1;
    ASSERT_TRUE(saveSqlConf(dir.file("away.conf"), SqlConf{away, true}));
    t = tool(dir.path(), {"--sql-conf", dir.file("away.conf"), "db", "store", "a.bin"});
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.out, QStringLiteral("Zapisano w tablicy t_cli wierszy: 0 z 48\n"));
    EXPECT_TRUE(t.err.contains(QStringLiteral("Połączenie z bazą danych nie powiodło się."))) << t.err.toStdString();

    // Its .dat export imported as the meter at address 9.
    ASSERT_TRUE(exportDat(dir.file("a.dat"), *store, n, 20130916, 20130917, 0, 235959,
                          QDateTime(QDate(2026, 12, 9), QTime(6, 0))));
    t = tool(dir.path(), {"db", "import", "a.dat", "--address", "9"});
    EXPECT_EQ(t.status, 0) << t.err.toStdString();
    EXPECT_EQ(t.out, QStringLiteral("Zapisano w tablicy t_cli wierszy: 48 z 48\n"));
    EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_cli WHERE ADDR = 9")), QStringList{"48"});

    // Faulty command lines.
    for (const QStringList &args : {QStringList{"db", "import", "a.dat"}, QStringList{"db", "import", "a.dat", "--address", "0"},
                                    QStringList{"db", "store", "a.bin", "--from", "2013-09-16"},
                                    QStringList{"db", "store", "a.bin", "--to-time", "08:00:00"},
                                    QStringList{"db", "drop"}}) {
        t = tool(dir.path(), args);
        EXPECT_EQ(t.status, 2) << args.join(' ').toStdString();
    }
}

// The password off the command line: from standard input or a pipe.
TEST(CliDatabase, APasswordFromStandardInputOrAPipe)
{
    DatabaseSettings db = serverFor(QStringLiteral("t_pipe"));
    dropTable(db);
    test::TempDir dir;
    const auto settings = [&](const QString &how) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SECRET"), db.password);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("bash"), {"-c", QStringLiteral("'%1' db settings --server %2 --port %3 --database %4 "
                                                              "--table %5 --user %6 --support on --password-file %7")
                                                   .arg(QStringLiteral(K71T_CLI_BINARY), db.server)
                                                   .arg(db.port)
                                                   .arg(db.database, db.table, db.user, how)});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << how.toStdString() << p.readAllStandardError().toStdString();
        const auto saved = loadSqlConf(dir.file("sql.conf"));
        return saved ? saved->params.password : QString();
    };
    EXPECT_EQ(settings(QStringLiteral("- <<< \"$SECRET\"")), db.password);
    EXPECT_EQ(tool(dir.path(), {"db", "create-table"}).status, 0); // the server takes it
    QFile::remove(dir.file("sql.conf"));
    EXPECT_EQ(settings(QStringLiteral("<(printf '%s' \"$SECRET\")")), db.password);
}
