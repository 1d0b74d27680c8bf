// The archive table on the real server: its create statement, the values as
// the server receives them, an archive grouped into rows and stored in
// batches or a statement per row.
#include "common/TextFormats.h"
#include "archive/ArchiveFiles.h"
#include "db/ArchiveTable.h"
#include "db/DataImport.h"
#include "support/DbFixture.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <QFile>

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

using namespace k71t;

namespace {

struct Table : ::testing::Test {
    DatabaseSettings db = test::testDatabase();
    SqlConnection c;
    void SetUp() override
    {
        ASSERT_FALSE(db.server.isEmpty()) << "K71T_TEST_DB_* not set: run the tests through scripts/test.sh";
        QString message;
        ASSERT_TRUE(c.connect(db, &message)) << message.toStdString();
    }
    // A fresh table of this name.
    void fresh(const QString &name)
    {
        db.table = name;
        c.execute("DROP TABLE IF EXISTS `" + name.toUtf8() + '`', nullptr, false);
        QString message;
        ASSERT_TRUE(createArchiveTable(c, db, &message)) << message.toStdString();
    }
    QStringList rows(const QString &name)
    {
        return test::queryColumn(db, QStringLiteral("SELECT CONCAT_WS(' ', ADDR, DATA, CZAS, DEV, R0, R1, R2, R3, R4, "
                                                    "R5, R6, R7, R8, R9) FROM `%1`")
                                         .arg(name));
    }
};

} // namespace

TEST(TableValues, TheServersTextByHand)
{
    const std::pair<double, const char *> numbers[] = {
        {1.5, "1.5"},
        {static_cast<double>(0.1f), "0.100000001490116"},
        {static_cast<double>(TableNoValue), "2.00000004008175E20"},
        {static_cast<double>(1e20f), "1.00000002004088E20"},
        {0.0, "0"},
        {-2.5, "-2.5"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {123456789012345678.0, "1.23456789012346E17"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
    };
    for (const auto &[v, text] : numbers)
        EXPECT_EQ(formatGeneral15(v), QByteArray(text)) << text;

    TableRow r{7, 3, ExportRow{20130916, 70500, {}}};
    for (float &v : r.row.R)
        v = TableNoValue;
    r.row.R[0] = 1.5f;
    r.row.R[9] = 0.1f;
    EXPECT_EQ(rowValues(r), QByteArray("('7','2013-09-16','07:05:00','3','1.5','2.00000004008175E20',"
                                       "'2.00000004008175E20','2.00000004008175E20','2.00000004008175E20',"
                                       "'2.00000004008175E20','2.00000004008175E20','2.00000004008175E20',"
                                       "'2.00000004008175E20','0.100000001490116')"));
}

TEST_F(Table, CreatedWithItsColumnsAndUnsignedAddresses)
{
    fresh(QStringLiteral("t_create"));
    EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT CONCAT(COLUMN_NAME, ' ', COLUMN_TYPE, ' ', IS_NULLABLE, "
                                                   "' ', COLUMN_DEFAULT) FROM information_schema.COLUMNS WHERE "
                                                   "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 't_create' ORDER BY "
                                                   "ORDINAL_POSITION")),
              (QStringList{"ADDR tinyint(3) unsigned NO 1", "DATA date NO '2009-11-27'",
                           "CZAS time NO '00:00:00'", "DEV tinyint(3) unsigned NO 0", "R0 float NO 1e20",
                           "R1 float NO 1e20", "R2 float NO 1e20", "R3 float NO 1e20", "R4 float NO 1e20",
                           "R5 float NO 1e20", "R6 float NO 1e20", "R7 float NO 1e20", "R8 float NO 1e20",
                           "R9 float NO 1e20"}));
    QString message;
    EXPECT_FALSE(createArchiveTable(c, db, &message));
    EXPECT_TRUE(message.startsWith(QStringLiteral("Nie udało się utworzyć tablicy. Odpowiedź serwera: Table "))) << message.toStdString();
}

TEST_F(Table, AnArchiveBecomesRowsStoredAlikeInBatchesOrRowByRow)
{
    auto store = std::make_unique<RecordStore>();
    int n = 0;
    const auto add = [&](int dev, int reg, int day, int h, int m, float v) {
        (*store)[n++] = ArchiveRecord::make(dev + 1, reg, 2013, 9, day, h, m, 0, v);
    };
    // DEV 0 and DEV 1 at the same moments; at 08:00 only R0 and R3; index 12
    // lands in R2; 08:00 of DEV 0 again after another moment: a row of its own.
    add(0, 0, 16, 8, 0, 1.5f);
    add(1, 0, 16, 8, 0, 2.5f);
    add(0, 3, 16, 8, 0, 3.5f);
    add(0, 12, 16, 9, 0, 4.5f);
    add(1, 1, 16, 9, 0, 5.5f);
    add(0, 0, 16, 8, 0, 6.5f);
    add(0, 0, 17, 8, 30, 7.5f);
    const auto rowsOf = archiveTableRows(*store, n, 200);
    ASSERT_EQ(rowsOf.size(), 6u);
    const QStringList expected = {
        "200 2013-09-16 08:00:00 0 1.5 2e20 2e20 3.5 2e20 2e20 2e20 2e20 2e20 2e20",
        "200 2013-09-16 09:00:00 0 2e20 2e20 4.5 2e20 2e20 2e20 2e20 2e20 2e20 2e20",
        "200 2013-09-16 08:00:00 0 6.5 2e20 2e20 2e20 2e20 2e20 2e20 2e20 2e20 2e20",
        "200 2013-09-17 08:30:00 0 7.5 2e20 2e20 2e20 2e20 2e20 2e20 2e20 2e20 2e20",
        "200 2013-09-16 08:00:00 1 2.5 2e20 2e20 2e20 2e20 2e20 2e20 2e20 2e20 2e20",
        "200 2013-09-16 09:00:00 1 2e20 5.5 2e20 2e20 2e20 2e20 2e20 2e20 2e20 2e20",
    };
    for (const StorePath path : {StorePath::Batched, StorePath::PerRow}) {
        const QString name = path == StorePath::Batched ? QStringLiteral("t_batched") : QStringLiteral("t_per_row");
        fresh(name);
        const StoreOutcome out = storeRows(c, db, rowsOf, path);
        EXPECT_TRUE(out.ok()) << out.firstFailure.toStdString();
        EXPECT_EQ(out.stored, 6);
        EXPECT_EQ(rows(name), expected) << name.toStdString();
    }

    // One day, 08:00:00 to 08:59:59: the 08:00 rows of the 16th only.
    const ArchiveRange range{20130916, 20130916, 80000, 85959};
    const auto day = archiveTableRows(*store, n, 200, &range);
    EXPECT_EQ(day.size(), 3u);
    // Two days: the times do not matter.
    const ArchiveRange days{20130916, 20130917, 80000, 80000};
    EXPECT_EQ(archiveTableRows(*store, n, 200, &days).size(), 6u);
}

TEST_F(Table, ABadRowInABatchIsTheOnlyOneLost)
{
    std::vector<TableRow> many;
    for (int i = 0; i < 1200; ++i) {
        TableRow r{1, static_cast<std::uint8_t>(i % 10), ExportRow{20240101 + i / 100 % 28, i % 24 * 10000 + i / 24 % 60 * 100, {}}};
        for (int k = 0; k < 10; ++k)
            r.row.R[k] = static_cast<float>(i * 10 + k);
        many.push_back(r);
    }
    many[700].row.R[4] = std::nanf("");
    fresh(QStringLiteral("t_bad_row"));
    int lastProgress = 0;
    const StoreOutcome out = storeRows(c, db, many, StorePath::Batched, [&](int n) { lastProgress = n; });
    EXPECT_EQ(out.total, 1200);
    EXPECT_EQ(out.stored, 1199);
    EXPECT_FALSE(out.stoppedEarly);
    EXPECT_TRUE(out.firstFailure.contains(QStringLiteral("'nan'"))) << out.firstFailure.toStdString();
    EXPECT_EQ(lastProgress, 1200);
    EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_bad_row")), QStringList{"1199"});
    EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_bad_row WHERE R0 = 7000")),
              QStringList{"0"});

    // A table made elsewhere with a signed ADDR refuses addresses above 127.
    c.execute("DROP TABLE IF EXISTS t_signed", nullptr, false);
    ASSERT_TRUE(c.execute(createTableStatement(QStringLiteral("t_signed")).replace(" UNSIGNED", ""), nullptr, false));
    db.table = QStringLiteral("t_signed");
    many.resize(3);
    many[1].address = 200;
    const StoreOutcome refused = storeRows(c, db, many);
    EXPECT_EQ(refused.stored, 0);
    EXPECT_TRUE(refused.firstFailure.contains(QStringLiteral("adresu 200"))) << refused.firstFailure.toStdString();
}

TEST_F(Table, ADatExportImportsAsItsRows)
{
    auto store = std::make_unique<RecordStore>();
    int n = 0;
    // DEV 0 archives R1 and R2 only (R0 is "*" in the export); DEV 4 all ten.
    for (int m = 0; m < 30; ++m) {
        (*store)[n++] = ArchiveRecord::make(1, 1, 2013, 9, 16, 8, m, 0, 1.25f * m);
        (*store)[n++] = ArchiveRecord::make(1, 2, 2013, 9, 16, 8, m, 0, -2.5f);
        for (int r = 0; r < 10; ++r)
            (*store)[n++] = ArchiveRecord::make(5, r, 2013, 9, 16, 8, m, 0, 100.0f + r);
    }
    test::TempDir dir;
    const QString dat = dir.file("eksport.dat");
    int exported = 0;
    ASSERT_TRUE(exportDat(dat, *store, n, 20130101, 20131231, 0, 235959, QDateTime(QDate(2026, 12, 9), QTime(4, 0)),
                          nullptr, &exported));
    ASSERT_EQ(exported, 60);
    fresh(QStringLiteral("t_import"));
    for (int pass = 1; pass <= 2; ++pass) {
        const ImportOutcome out = importDataFile(c, db, dat, 9);
        EXPECT_FALSE(out.missing);
        EXPECT_EQ(out.lines, 60);
        EXPECT_TRUE(out.store.ok()) << out.store.firstFailure.toStdString();
        EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_import")),
                  QStringList{QString::number(60 * pass)});
    }
    EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT CONCAT_WS(' ', ADDR, DATA, CZAS, DEV, R0, R1, R2, R3) "
                                                   "FROM t_import LIMIT 1")),
              QStringList{"9 2013-09-16 08:00:00 0 2e20 0 -2.5 2e20"});

    // Nothing to import: a missing file, binary garbage, a short file of headings.
    EXPECT_TRUE(importDataFile(c, db, dir.file("brak.dat"), 9).missing);
    QFile junk(dir.file("junk.dat"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    QByteArray noise(300000, '\t');
    for (int i = 0; i < noise.size(); i += 7)
        noise[i] = static_cast<char>(i * 31);
    junk.write(noise);
    junk.close();
    const ImportOutcome none = importDataFile(c, db, junk.fileName(), 9);
    EXPECT_FALSE(none.missing);
    EXPECT_EQ(none.lines, 0);
    EXPECT_EQ(none.store.stored, 0);
}

// Whatever the table and the rows, the report equals what the table holds.
TEST_F(Table, TheReportEqualsWhatTheTableHolds)
{
    const auto rowAt = [](int i, int timeKey = -1) {
        TableRow r{200, static_cast<std::uint8_t>(i % 10), ExportRow{20240101, timeKey >= 0 ? timeKey : i * 100, {}}};
        for (int k = 0; k < 10; ++k)
            r.row.R[k] = static_cast<float>(i) + 0.25f * static_cast<float>(k % 2); // 0.25 rounds in DECIMAL(9,1)
        return r;
    };
    const QByteArray decimalValues = createTableStatement(QStringLiteral("X")).replace(
        "float not null default '1E+20'", "DECIMAL(9,1) not null default '0'");
    const auto variant = [&](const char *engine, const QByteArray &from, const QByteArray &to) {
        return createTableStatement(QStringLiteral("X")).replace(from, to) + " ENGINE=" + engine;
    };
    struct Case {
        const char *what;
        QByteArray create; // "X" is the table's name
        std::vector<TableRow> rows;
        int stored, changed;
        const char *failure; // the first failure begins with it
    };
    std::vector<TableRow> withImpossible{rowAt(1), rowAt(2, 250000), rowAt(3), rowAt(4, 235960)};
    std::vector<TableRow> someRounded;
    for (int i = 0; i < 30; ++i)
        someRounded.push_back(rowAt(i));
    std::vector<TableRow> oneRounded = someRounded;
    for (TableRow &r : oneRounded)
        std::fill(std::begin(r.row.R), std::end(r.row.R), 1.5f);
    oneRounded[17].row.R[3] = 1.25f;
    const Case cases[] = {
        {"hour 25 and second 60 never reach the server", createTableStatement(QStringLiteral("X")), withImpossible, 2,
         0, "niemożliwa data lub godzina\nWiersz: 2024-01-01 25:00:00, urządzenie 2"},
        {"MyISAM rounds into DECIMAL: stored, and said to be changed", decimalValues + " ENGINE=MyISAM", someRounded,
         30, 30, ""},
        {"InnoDB refuses the one row it would round", decimalValues + " ENGINE=InnoDB", oneRounded, 29, 0,
         "serwer zgłosił ostrzeżenia (1)\nWiersz: 2024-01-01 00:17:00, urządzenie 7"},
        {"a signed SMALLINT address holds 200", variant("InnoDB", "ADDR TINYINT UNSIGNED", "ADDR SMALLINT"),
         someRounded, 30, 0, ""},
        {"a signed TINYINT address does not", variant("MyISAM", "ADDR TINYINT UNSIGNED", "ADDR TINYINT"), someRounded,
         0, 0, "Kolumna ADDR tablicy t_case nie przyjmuje adresu 200"},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        c.execute("DROP TABLE IF EXISTS t_case", nullptr, false);
        ASSERT_TRUE(c.execute(QByteArray(k.create).replace("`X`", "t_case"), nullptr, false)) << c.lastError().toStdString();
        db.table = QStringLiteral("t_case");
        const StoreOutcome out = storeRows(c, db, k.rows);
        EXPECT_EQ(out.total, static_cast<int>(k.rows.size()));
        EXPECT_EQ(out.stored, k.stored);
        EXPECT_EQ(out.changed, k.changed);
        EXPECT_EQ(out.firstFailure.left(static_cast<qsizetype>(std::strlen(k.failure))).toStdString(), k.failure);
        EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_case")),
                  QStringList{QString::number(out.stored)});
        EXPECT_EQ(storeReport(out).contains(QStringLiteral("Serwer zmienił wartości w %1 ").arg(k.changed)),
                  k.changed > 0);
    }
}

// A file written as a Polish spreadsheet writes it: decimal commas, a
// device beyond 9. Those lines are refused and reported, the rest stored.
TEST_F(Table, AnImportRefusesLinesThatDoNotReadAsData)
{
    test::TempDir dir;
    const QByteArray good = "2024-01-01\t10:00:00\t3\t1.5\t*\t*\t*\t*\t*\t*\t*\t*\t-2.5";
    dir.write("arkusz.dat", "Data\tCzas\tDEV\tR0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tR9\r\n" + good + "\r\n" +
                                "2024-01-01\t10:01:00\t3\t1,5\t*\t*\t*\t*\t*\t*\t*\t*\t-2,5\r\n" + good + "\r\n" +
                                "2024-01-01\t10:02:00\t12\t1.5\t*\t*\t*\t*\t*\t*\t*\t*\t-2.5\r\n" + good);
    fresh(QStringLiteral("t_sheet"));
    const ImportOutcome out = importDataFile(c, db, dir.file("arkusz.dat"), 9);
    EXPECT_EQ(out.lines, 3);
    EXPECT_EQ(out.store.stored, 3);
    EXPECT_EQ(out.refused.count, 2);
    EXPECT_EQ(importReport(out), QStringLiteral("Zapisano 3 z 3 wierszy.\nOdrzucono błędnych wierszy pliku: 2 "
                                                "(pierwszy, wiersz 3: 2024-01-01 10:01:00 3 1,5 * * * * * * * * "
                                                "-2,5)"));
    EXPECT_EQ(test::queryColumn(db, QStringLiteral("SELECT COUNT(*) FROM t_sheet WHERE R0 = 1.5 AND R9 = -2.5")),
              QStringList{"3"});
}
