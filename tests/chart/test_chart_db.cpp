// The chart's series from the archive table on the real server: the
// statement text, a load through the chart window's button one series a tick,
// markers, empty series, statements counted on the server, tables of another
// shape, unreadable fields, a server that is not there or drops the
// connection in the middle of a load.
#include "chart/SeriesDb.h"
#include "chart/SeriesTableModel.h"
#include "chart/ui/ChartTableWindow.h"
#include "chart/ui/ChartWindow.h"
#include "db/ArchiveTable.h"
#include "support/AppHarness.h"
#include "support/DbFixture.h"
#include "support/Wait.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <gtest/gtest.h>
#include <mysql.h>
#include <qcustomplot.h>

using namespace k71t;

namespace {

const QString Loading = QStringLiteral("Pobieranie danych z bazy danych...");
const QString Finished = QStringLiteral("Pobieranie danych z bazy danych...Zakończono");

TableRow row(int address, int device, int date, int time, int reg, float v)
{
    TableRow r{static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(device), ExportRow{date, time, {}}};
    for (int k = 0; k < 10; ++k)
        r.row.R[k] = static_cast<float>(1000 * device + k);
    r.row.R[reg] = v;
    return r;
}

// Meter 5, DEV 2: four rows a day from 2013-08-31 to 2013-09-17, R3 holding
// day * 100 + hour; the rows of 2013-09-10 stored latest first. R3 holds
// 2.0E+20 at noon of the 5th and 1.0E+20 at noon of the 6th. Meter 5 DEV 3
// and meter 6 DEV 2 have rows of their own on the same moments.
std::vector<TableRow> fixtureRows()
{
    std::vector<TableRow> rows;
    for (int day = 31; day <= 48; ++day) {
        const int date = day == 31 ? 20130831 : 20130900 + (day - 31);
        const int d = day == 31 ? 31 : day - 31;
        std::vector<int> hours{0, 6, 12, 18};
        if (date == 20130910)
            hours = {18, 12, 6, 0};
        for (int h : hours) {
            float v = static_cast<float>(d * 100 + h);
            if (date == 20130905 && h == 12)
                v = TableNoValue;
            if (date == 20130906 && h == 12)
                v = 1.0e20f;
            rows.push_back(row(5, 2, date, h * 10000, 3, v));
            rows.push_back(row(5, 3, date, h * 10000, 3, -v));
            rows.push_back(row(6, 2, date, h * 10000, 0, 0.5f * static_cast<float>(h)));
        }
    }
    return rows;
}

struct ChartDb : ::testing::Test, test::AppHarness {
    DatabaseSettings db = test::testDatabase();
    ChartWindow *w = nullptr;

    void SetUp() override { ASSERT_FALSE(db.server.isEmpty()) << "K71T_TEST_DB_* not set: run the tests through scripts/test.sh"; }

    // A fresh table through the archive table's own insert.
    void table(const QString &name, const std::vector<TableRow> &rows)
    {
        db.table = name;
        SqlConnection c;
        QString message;
        ASSERT_TRUE(c.connect(db, &message)) << message.toStdString();
        c.execute("DROP TABLE IF EXISTS `" + name.toUtf8() + '`', nullptr, false);
        ASSERT_TRUE(createArchiveTable(c, db, &message)) << message.toStdString();
        ASSERT_TRUE(storeRows(c, db, rows).ok());
    }
    // Runs statements on a connection of the test's own.
    void sql(const QList<QByteArray> &statements)
    {
        SqlConnection c;
        QString message;
        ASSERT_TRUE(c.connect(db, &message)) << message.toStdString();
        for (const QByteArray &s : statements) {
            QString error;
            ASSERT_TRUE(c.execute(s, &error, false)) << s.toStdString() << ": " << error.toStdString();
        }
    }
    // The program with these series and the test server's settings.
    void open(const std::vector<std::pair<int, SeriesAssignment>> &series)
    {
        SeriesModel m;
        for (const auto &[s, assignment] : series)
            m.series[static_cast<std::size_t>(s)] = assignment;
        ASSERT_TRUE(saveSeriesConf(dir.file(QStringLiteral("series.conf")), m));
        start();
        // The start panel's start-up (and its message about the missing
        // configuration) is over before the load.
        runStartTimer();
        prompt.messages.clear();
        ctx->databaseSettings = db;
        w = windows->chartWindow;
    }
    void range(QDate from, QDate to)
    {
        w->fromDateEdit->setDate(from);
        w->toDateEdit->setDate(to);
    }
    // Presses "Pobierz z Bazy Danych" and lets the timer run the load out.
    void loadAll()
    {
        w->databaseLoadButton->click();
        ASSERT_TRUE(
            test::waitUntil([&] { return !w->databaseTimer->isActive() && w->databaseLoadButton->isEnabled(); }));
    }
    bool editable() const
    {
        return w->editor->isEnabled() && w->fromDateEdit->isEnabled() && w->toDateEdit->isEnabled() &&
               w->fileLoadButton->isEnabled() && w->databaseLoadButton->isEnabled() && w->clearButton->isEnabled() &&
               w->unlinkButton->isEnabled();
    }
    int points(int s) const { return w->graph(s)->data()->size(); }
    const std::vector<SeriesRow> &rows(int s) const { return windows->chartTableWindow->rows(s); }
    QString status() const { return w->statusBar->currentMessage(); }
    // Series s's table row of that moment (a day's rows come in the server's order).
    SeriesRow rowAt(int s, int date, int time) const
    {
        for (const SeriesRow &r : rows(s))
            if (r.dateKey == date && r.timeKey == time)
                return r;
        ADD_FAILURE() << "no row " << date << " " << time;
        return {};
    }
};

SeriesStatistics startingStatistics()
{
    SeriesStatistics i;
    i.minValue = 1.0e20f;
    i.maxValue = -1.0e20f;
    i.average = 0;
    return i;
}

} // namespace

TEST(SeriesQuery, TheStatementByHand)
{
    EXPECT_EQ(buildSeriesQuery(QStringLiteral("K71T"), 5, 2, QDate(2013, 9, 1), QDate(2013, 9, 16)),
              QByteArray("select * from K71T  where ADDR=5 and dev=2 and data>='2013-09-01' and "
                         "data<='2013-09-16' order by data;"));
    EXPECT_EQ(buildSeriesQuery(QStringLiteral("pomiary_2"), 247, 9, QDate(2013, 9, 10), QDate(2013, 9, 10)),
              QByteArray("select * from pomiary_2  where ADDR=247 and dev=9 and data>='2013-09-10' and "
                         "data<='2013-09-10' order by czas;"));
}

TEST_F(ChartDb, ALoadFillsTheSeriesOnATickEachWithMarkersInTheTableOnly)
{
    table(QStringLiteral("t_chart"), fixtureRows());
    open({{2, SeriesAssignment{5, 2, 3, QStringLiteral("Hala")}},
          {6, SeriesAssignment{6, 2, 0, QStringLiteral("Pompa")}},
          {8, SeriesAssignment{9, 0, 0, QStringLiteral("Pusta")}}});
    range(QDate(2013, 9, 1), QDate(2013, 9, 16));

    w->databaseLoadButton->click();
    // The load has started: the editor, the dates and every button that
    // starts a load or changes the series wait for its end.
    EXPECT_EQ(status(), Loading);
    EXPECT_TRUE(w->databaseTimer->isActive());
    EXPECT_EQ(w->databaseTimer->interval(), 10);
    EXPECT_FALSE(w->editor->isEnabled());
    EXPECT_FALSE(w->fromDateEdit->isEnabled());
    EXPECT_FALSE(w->fileLoadButton->isEnabled());
    EXPECT_FALSE(w->databaseLoadButton->isEnabled());
    EXPECT_FALSE(w->clearButton->isEnabled());
    EXPECT_FALSE(w->unlinkButton->isEnabled());
    EXPECT_TRUE(w->tableButton->isEnabled());
    ASSERT_TRUE(test::waitUntil([&] { return !w->databaseTimer->isActive() && w->databaseLoadButton->isEnabled(); }));

    EXPECT_TRUE(editable());
    EXPECT_EQ(status(), Finished);
    EXPECT_EQ(w->chartTitle(), QStringLiteral("Dane z okresu: od 2013-09-01 do 2013-09-16"));
    EXPECT_EQ(w->progressBar->value(), 10);
    EXPECT_FALSE(ctx->database.connected());
    EXPECT_TRUE(prompt.messages.isEmpty());

    // Series 3: 16 days of four rows, two of them markers.
    ASSERT_EQ(rows(2).size(), 64u);
    EXPECT_EQ(points(2), 62);
    const SeriesStatistics &hala = w->model().statistics[2];
    EXPECT_EQ(hala.pointCount, 62u);
    EXPECT_EQ(hala.minValue, 100.0f);
    EXPECT_EQ(hala.minTime, QStringLiteral("2013-09-01 00:00:00"));
    EXPECT_EQ(hala.maxValue, 1618.0f);
    EXPECT_EQ(hala.maxTime, QStringLiteral("2013-09-16 18:00:00"));
    double sum = 0;
    for (int d = 1; d <= 16; ++d)
        for (int h : {0, 6, 12, 18})
            if (!((d == 5 || d == 6) && h == 12))
                sum += d * 100 + h;
    EXPECT_FLOAT_EQ(hala.average, static_cast<float>(sum / 62));
    int markers = 0;
    for (const SeriesRow &r : rows(2)) {
        EXPECT_GE(r.dateKey, 20130901);
        EXPECT_LE(r.dateKey, 20130916);
        EXPECT_EQ(r.R[0], 2000.0f); // DEV 2's own columns, not DEV 3's
        if (r.R[3] >= 1.0e20f)
            ++markers;
    }
    EXPECT_EQ(markers, 2);
    EXPECT_EQ(SeriesTableModel::cellText(rows(2)[0], 0), QStringLiteral("2013-09-01"));
    EXPECT_EQ(SeriesTableModel::cellText(rowAt(2, 20130905, 120000), 5), QStringLiteral("2.00000E+20"));
    // Dates in order (a day's rows in the server's order).
    for (std::size_t i = 1; i < rows(2).size(); ++i)
        EXPECT_LE(rows(2)[i - 1].dateKey, rows(2)[i].dateKey);
    for (auto it = w->graph(2)->data()->constBegin(); it != w->graph(2)->data()->constEnd(); ++it)
        EXPECT_LT(it->value, 1.0e20);

    // Series 7: meter 6's rows only.
    EXPECT_EQ(points(6), 64);
    EXPECT_EQ(w->model().statistics[6].maxValue, 9.0f);
    // Series 9 has no rows: its statistics start afresh and stay so.
    EXPECT_EQ(points(8), 0);
    EXPECT_TRUE(rows(8).empty());
    EXPECT_EQ(w->model().statistics[8], startingStatistics());
    // A series that is off is not touched.
    EXPECT_EQ(w->model().statistics[0], SeriesStatistics{});

    // A single day comes in the order of time, though it was stored latest first.
    range(QDate(2013, 9, 10), QDate(2013, 9, 10));
    loadAll();
    ASSERT_EQ(points(2), 4);
    QList<double> keys;
    for (auto it = w->graph(2)->data()->constBegin(); it != w->graph(2)->data()->constEnd(); ++it)
        keys << it->key;
    EXPECT_EQ(keys, (QList<double>{seriesX(20130910, 0), seriesX(20130910, 60000), seriesX(20130910, 120000),
                                   seriesX(20130910, 180000)}));
    std::vector<int> times;
    for (const SeriesRow &r : rows(2))
        times.push_back(r.timeKey);
    EXPECT_EQ(times, (std::vector<int>{0, 60000, 120000, 180000}));
    EXPECT_EQ(w->chartTitle(), QStringLiteral("Dane z okresu: od 2013-09-10 do 2013-09-10"));
}

TEST_F(ChartDb, TwoSeriesOnSendTwoStatementsWhileTheBarRunsThroughTen)
{
    table(QStringLiteral("t_chart2"), fixtureRows());
    open({{2, SeriesAssignment{5, 2, 3, QStringLiteral("Hala")}},
          {6, SeriesAssignment{6, 2, 0, QStringLiteral("Pompa")}}});
    range(QDate(2013, 9, 1), QDate(2013, 9, 2));
    w->databaseLoadButton->click();
    ASSERT_TRUE(ctx->database.connected());
    // The steps are run here one by one; the program's own timer stays still.
    w->databaseTimer->stop();
    auto selects = [&] {
        MYSQL *h = ctx->database.handle();
        EXPECT_EQ(mysql_query(h, "SHOW SESSION STATUS LIKE 'Com_select'"), 0);
        MYSQL_RES *r = mysql_store_result(h);
        MYSQL_ROW row = r ? mysql_fetch_row(r) : nullptr;
        const int n = row ? QByteArray(row[1]).toInt() : -1;
        if (r)
            mysql_free_result(r);
        return n;
    };
    const int before = selects();
    QList<int> bar;
    for (int step = 0; step < 9; ++step) {
        w->onDatabaseTimer();
        w->databaseTimer->stop();
        bar << w->progressBar->value();
    }
    EXPECT_EQ(selects() - before, 2);
    w->onDatabaseTimer();
    bar << w->progressBar->value();
    EXPECT_EQ(bar, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_FALSE(w->databaseTimer->isActive());
    EXPECT_FALSE(ctx->database.connected());
    EXPECT_EQ(status(), Finished);
    EXPECT_EQ(points(2), 8);
    EXPECT_EQ(points(6), 8);
}

TEST_F(ChartDb, TablesOfAnotherShapeAndRefusedStatementsLeaveTheSeriesAsCleared)
{
    sql({"DROP TABLE IF EXISTS t_shape", "DROP TABLE IF EXISTS t_missing",
         "CREATE TABLE t_shape (ADDR INT, DATA DATE, CZAS TIME, DEV INT, R0 FLOAT, R1 FLOAT, R2 FLOAT, R3 FLOAT, "
         "R4 FLOAT, R5 FLOAT, R6 FLOAT, R7 FLOAT, R8 FLOAT)",
         "INSERT INTO t_shape VALUES (5,'2013-09-01','01:00:00',2,1,2,3,4,5,6,7,8,9)"});
    open({{2, SeriesAssignment{5, 2, 3, QStringLiteral("Hala")}}});
    range(QDate(2013, 9, 1), QDate(2013, 9, 16));

    const std::pair<const char *, const char *> cases[] = {
        {"t_shape", "Seria 3: tablica ma 13 kolumn zamiast 14"},
        {"t_missing", "Seria 3: "},
    };
    for (const auto &[name, problem] : cases) {
        ctx->databaseSettings.table = QString::fromLatin1(name);
        loadAll();
        EXPECT_TRUE(status().startsWith(Finished + QStringLiteral("   ") + QString::fromUtf8(problem)))
            << status().toStdString();
        EXPECT_EQ(points(2), 0) << name;
        EXPECT_TRUE(rows(2).empty()) << name;
        // The chart was cleared at the start; the statistics were never reset for this load.
        EXPECT_EQ(w->model().statistics[2], SeriesStatistics{}) << name;
        EXPECT_TRUE(editable());
        EXPECT_FALSE(ctx->database.connected());
    }
    EXPECT_TRUE(status().contains(QStringLiteral("t_missing"))) << status().toStdString();

    // Called on its own, a refused statement leaves statistics it was given as they were.
    SqlConnection c;
    ASSERT_TRUE(c.connect(db));
    SeriesStatistics info;
    info.count(7.0f, QStringLiteral("2013-09-01 00:00:00"));
    const SeriesStatistics before = info;
    SeriesData data;
    for (const char *name : {"t_shape", "t_missing"}) {
        const DbSeriesOutcome out = loadSeriesFromDatabase(c, QString::fromLatin1(name), SeriesAssignment{5, 2, 3, {}},
                                                           QDate(2013, 9, 1), QDate(2013, 9, 16), info, data);
        EXPECT_NE(out.result, DbSeriesOutcome::Result::Loaded) << name;
        EXPECT_EQ(info, before) << name;
        EXPECT_TRUE(data.rows.empty() && data.points.empty()) << name;
    }
}

TEST_F(ChartDb, NullTextAndOutOfRangeFieldsAreSkippedAndTheLoadGoesOn)
{
    QList<QByteArray> statements{
        "DROP TABLE IF EXISTS t_text",
        "CREATE TABLE t_text (ADDR INT, DATA VARCHAR(20) NULL, CZAS VARCHAR(20) NULL, DEV INT, R0 VARCHAR(40) NULL, "
        "R1 VARCHAR(40), R2 VARCHAR(40), R3 VARCHAR(40) NULL, R4 VARCHAR(40), R5 VARCHAR(40), R6 VARCHAR(40), "
        "R7 VARCHAR(40), R8 VARCHAR(40), R9 VARCHAR(40))"};
    // (date, time, R0, R3)
    const std::tuple<const char *, const char *, const char *, const char *> values[] = {
        {"'2013-09-01'", "'01:00:00'", "'1'", "'12.5'"},    // a point
        {"'2013-09-01'", "'02:00:00'", "'1'", "NULL"},      // skipped, in the table
        {"'2013-09-01'", "'03:00:00'", "'1'", "'abc'"},     // skipped, in the table
        {"'2013-09-01'", "'04:00:00'", "'1'", "'1e39'"},    // beyond a float: skipped, in the table
        {"'2013-09-01'", "'05:00:00'", "'1'", "''"},        // skipped, in the table
        {"'2013-09-02'", "'06:00:00'", "NULL", "'-3.25'"},  // a point; R0 shows the marker
        {"'2013-09-0x'", "'07:00:00'", "'1'", "'8'"},       // no date: skipped, not in the table
        {"'2013-09-02'", "'25:99:00'", "'1'", "'8'"},       // no time: skipped, not in the table
        {"'2013-09-02'", "NULL", "'1'", "'8'"},             // no time: skipped, not in the table
    };
    for (const auto &[date, time, r0, r3] : values)
        statements << QByteArray("INSERT INTO t_text VALUES (5,") + date + "," + time + ",2," + r0 +
                          ",'0','0'," + r3 + ",'0','0','0','0','0','0')";
    sql(statements);
    open(
        {{2, SeriesAssignment{5, 2, 3, QStringLiteral("Hala")}}, {4, SeriesAssignment{5, 2, 0, QStringLiteral("R0")}}});
    ctx->databaseSettings.table = QStringLiteral("t_text");
    range(QDate(2013, 9, 1), QDate(2013, 9, 16));
    loadAll();

    EXPECT_EQ(points(2), 2);
    EXPECT_EQ(rows(2).size(), 6u);
    const SeriesStatistics &i = w->model().statistics[2];
    EXPECT_EQ(i.pointCount, 2u);
    EXPECT_EQ(i.minValue, -3.25f);
    EXPECT_EQ(i.minTime, QStringLiteral("2013-09-02 06:00:00"));
    EXPECT_EQ(i.maxValue, 12.5f);
    EXPECT_FLOAT_EQ(i.average, 4.625f);
    EXPECT_EQ(SeriesTableModel::cellText(rowAt(2, 20130901, 20000), 5), QStringLiteral("2.00000E+20"));
    EXPECT_EQ(SeriesTableModel::cellText(rowAt(2, 20130901, 40000), 5), QStringLiteral("2.00000E+20"));
    EXPECT_EQ(SeriesTableModel::cellText(rowAt(2, 20130902, 60000), 2), QStringLiteral("2.00000E+20"));
    EXPECT_EQ(SeriesTableModel::cellText(rowAt(2, 20130902, 60000), 5), QStringLiteral("-3.250000"));
    // Series 5 takes R0: the NULL there is its only unreadable value.
    EXPECT_EQ(points(4), 5);
    // Series 3 skipped seven rows, series 5 four.
    EXPECT_EQ(status(), Finished + QStringLiteral("   Pominięto wierszy z nieczytelnymi polami: 11"));
    EXPECT_TRUE(editable());
}

TEST_F(ChartDb, AServerThatIsNotThereOrDropsTheConnectionEndsTheLoadCleanly)
{
    table(QStringLiteral("t_chart3"), fixtureRows());
    open({{2, SeriesAssignment{5, 2, 3, QStringLiteral("Hala")}},
          {6, SeriesAssignment{6, 2, 0, QStringLiteral("Pompa")}}});
    range(QDate(2013, 9, 1), QDate(2013, 9, 16));
    loadAll();
    ASSERT_EQ(points(2), 62);

    // Nobody listening: the connection's own message, then the load's; the
    // chart stays as it was and everything is usable again.
    ctx->databaseSettings.port = 1;
    w->databaseLoadButton->click();
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_TRUE(prompt.messages[0].text.startsWith(QStringLiteral("Połączenie z bazą danych nie powiodło się.")));
    EXPECT_EQ(prompt.messages[1].text,
              QStringLiteral("Błąd połączenia z bazą danych. Skonfiguruj połączenie i spróbuj ponownie"));
    EXPECT_EQ(prompt.messages[1].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(prompt.messages[1].icon, PromptIcon::Error);
    EXPECT_FALSE(w->databaseTimer->isActive());
    EXPECT_TRUE(editable());
    EXPECT_EQ(status(), Loading);
    EXPECT_EQ(points(2), 62);

    // A table name with a statement in it goes to no server.
    prompt.messages.clear();
    ctx->databaseSettings = db;
    ctx->databaseSettings.table = QStringLiteral("t_chart3; DROP TABLE t_chart3");
    w->databaseLoadButton->click();
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_FALSE(ctx->database.connected());
    EXPECT_EQ(points(2), 62);

    // No series on.
    prompt.messages.clear();
    ctx->databaseSettings = db;
    w->model().series[2].address = 0;
    w->model().series[6].address = 0;
    w->databaseLoadButton->click();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Brak zadań. Zdefiniuj serie danych i spróbuj ponownie."));
    EXPECT_TRUE(editable());
    w->model().series[2].address = 5;
    w->model().series[6].address = 6;

    // The server drops the connection after the third step: the rest of the
    // load reports it and the load still ends.
    prompt.messages.clear();
    w->databaseLoadButton->click();
    w->databaseTimer->stop();
    for (int step = 0; step < 3; ++step) {
        w->onDatabaseTimer();
        w->databaseTimer->stop();
    }
    EXPECT_EQ(points(2), 62);
    const unsigned long id = mysql_thread_id(ctx->database.handle());
    sql({"KILL CONNECTION " + QByteArray::number(static_cast<qulonglong>(id))});
    ASSERT_TRUE(test::waitUntil([&] {
        return test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID=%1")
                                         .arg(id)) == QStringList{QStringLiteral("0")};
    }));
    w->databaseTimer->start();
    ASSERT_TRUE(test::waitUntil([&] { return !w->databaseTimer->isActive() && w->databaseLoadButton->isEnabled(); }));
    EXPECT_TRUE(status().startsWith(Finished + QStringLiteral("   Seria 7: "))) << status().toStdString();
    EXPECT_EQ(points(6), 0);
    EXPECT_TRUE(editable());
    EXPECT_FALSE(ctx->database.connected());
    EXPECT_TRUE(prompt.messages.isEmpty());
}
