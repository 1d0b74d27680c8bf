// sql.conf and the connection to a real MariaDB server (started by
// scripts/test.sh).
#include "db/SqlConnection.h"
#include "db/DatabaseSettings.h"
#include "support/DbFixture.h"
#include "support/TempDir.h"

#include <QFile>
#include <mysql.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace k71t;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray encoded(const QByteArray &plain)
{
    return encodeSettingsText(plain);
}

} // namespace

TEST(SqlSettingsFile, TwoBytesACharacterByHand)
{
    EXPECT_EQ(encodeSettingsText("p"), bytes({0x1C, 0x00}));
    EXPECT_EQ(encodeSettingsText(";"), bytes({0x0E, 0xC0}));
    EXPECT_EQ(encodeSettingsText("1"), bytes({0x0C, 0x40}));
    EXPECT_EQ(encodeSettingsText("\xB9"), bytes({0x2E, 0x40})); // "ą" in Windows-1250
    EXPECT_EQ(decodeSettingsText(bytes({0x1C, 0x00, 0x0E, 0xC0})), QByteArray("p;"));
    EXPECT_FALSE(decodeSettingsText(bytes({0x1C, 0x00, 0x0E})).has_value());

    // A fresh installation's settings, switched off, as the file's text.
    EXPECT_EQ(settingsText(SqlConf{}), QByteArray("pomiary;K71T;127.0.0.1;3306;0;1;k71t;;0;"));
    SqlConf s;
    s.params.server = QStringLiteral("S");
    s.params.password = QStringLiteral("P");
    s.enabled = true;
    EXPECT_EQ(settingsText(s), QByteArray("pomiary;K71T;S;3306;0;1;k71t;P;1;"));
}

TEST(SqlSettingsFile, WhatLoadsAndWhatDoesNot)
{
    struct Case {
        const char *text;
        bool loads;
    };
    const Case cases[] = {
        {"pomiary;K71T;S;3306;0;1;k71t;P;1;", true},
        {"pomiary;K71T;S;3306;0;1;k71t;P;1", true},  // the last ';' may be missing
        {"pomiary;K71T;S;3306;0;1;k71t;;1;", true},  // an empty password
        {"pomiary;K71T;S;3306;0;1;k71t;P;", false},  // eight fields
        {"pomiary;K71T;;3306;0;1;k71t;P;1;", false}, // no server
        {"pomiary;K71T;S;33x6;0;1;k71t;P;1;", false},
        {"pomiary;K71T;S;3306;0;one;k71t;P;1;", false},
        {"pomiary;K71T;S;3306;0;1;k71t;P;yes;", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseSettingsText(c.text).has_value(), c.loads) << c.text;

    const auto s = parseSettingsText("baza;T$1;10.0.0.5;70000;7;0;jan;tajne;5;");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->params.database, QStringLiteral("baza"));
    EXPECT_EQ(s->params.table, QStringLiteral("T$1"));
    EXPECT_EQ(s->params.server, QStringLiteral("10.0.0.5"));
    EXPECT_EQ(s->params.port, 70000 % 65536);
    EXPECT_EQ(s->params.reserved, 1);
    EXPECT_EQ(s->params.compression, 0);
    EXPECT_EQ(s->params.user, QStringLiteral("jan"));
    EXPECT_EQ(s->params.password, QStringLiteral("tajne"));
    EXPECT_TRUE(s->enabled);
}

TEST(SqlSettingsFile, SavedPrivatelyAndLoadedBackWithTheirNamesChecked)
{
    test::TempDir dir;
    const QString path = dir.file("sql.conf");
    SqlConf s;
    s.params.password = QStringLiteral("zażółć");
    s.params.port = 3307;
    s.enabled = true;
    ASSERT_TRUE(saveSqlConf(path, s));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), encoded(settingsText(s)));
    f.close();
    const auto back = loadSqlConf(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->params.password, QStringLiteral("zażółć"));
    EXPECT_EQ(back->params.port, 3307);
    EXPECT_TRUE(back->enabled);

    // Missing, odd, damaged, and names that would break out of a statement.
    EXPECT_FALSE(loadSqlConf(dir.file("none.conf")));
    const auto put = [&](const QByteArray &content) {
        QFile w(path);
        EXPECT_TRUE(w.open(QIODevice::WriteOnly | QIODevice::Truncate));
        w.write(content);
    };
    put(encoded(settingsText(s)).chopped(1));
    EXPECT_FALSE(loadSqlConf(path));
    put(QByteArray(100000, '\x01'));
    EXPECT_FALSE(loadSqlConf(path));
    for (const char *table : {"K71T` (x INT)", "a b", ""}) {
        SqlConf hostile = s;
        hostile.params.table = QString::fromUtf8(table);
        put(encoded(settingsText(hostile)));
        QString problem;
        EXPECT_FALSE(loadSqlConf(path, &problem)) << table;
        if (*table) {
            EXPECT_TRUE(problem.startsWith(QStringLiteral("Nazwa tablicy"))) << problem.toStdString();
        }
    }
    EXPECT_TRUE(nameProblem(QString(64, 'a'), QStringLiteral("tablicy")).isEmpty());
    EXPECT_FALSE(nameProblem(QString(65, 'a'), QStringLiteral("tablicy")).isEmpty());
    EXPECT_FALSE(fieldProblem(QStringLiteral("a;b"), QStringLiteral("Hasło")).isEmpty());
    EXPECT_TRUE(fieldProblem(QStringLiteral("żółw"), QStringLiteral("Hasło")).isEmpty());
}

TEST(SqlConnectionTest, ConnectsOverTcpInStrictModeAndReportsFailures)
{
    const DatabaseSettings db = test::testDatabase();
    ASSERT_FALSE(db.server.isEmpty()) << "K71T_TEST_DB_* not set: run the tests through scripts/test.sh";

    SqlConnection c;
    QString message;
    ASSERT_TRUE(c.connect(db, &message)) << message.toStdString();
    EXPECT_TRUE(c.serverInfo().startsWith(QStringLiteral("Serwer: 127.0.0.1 via TCP/IP  Wersja: ")))
        << c.serverInfo().toStdString();
    EXPECT_EQ(c.clientFlags(), 0u);
    EXPECT_TRUE(test::queryColumn(db, QStringLiteral("SELECT @@SESSION.sql_mode")).value(0).contains(
        QStringLiteral("STRICT_ALL_TABLES")));
    // A value out of range is an error, not a clipped value.
    QString error;
    ASSERT_TRUE(c.execute("CREATE TEMPORARY TABLE t (a TINYINT UNSIGNED)", &error)) << error.toStdString();
    EXPECT_FALSE(c.execute("INSERT INTO t VALUES (300)", &error));
    EXPECT_TRUE(c.execute("INSERT INTO t VALUES (255)", &error)) << error.toStdString();

    // Still open: the next connect keeps it. Dropped by the server: opened anew.
    const QString id = test::queryColumn(db, QStringLiteral("SELECT 1")).value(0);
    EXPECT_EQ(id, QStringLiteral("1"));
    EXPECT_TRUE(c.connect(db, &message));
    ASSERT_TRUE(c.execute("SET @mark = 1", &error));
    const unsigned long thread = mysql_thread_id(c.handle());
    test::queryColumn(db, QStringLiteral("KILL %1").arg(thread));
    EXPECT_TRUE(c.connect(db, &message)) << message.toStdString();
    EXPECT_NE(mysql_thread_id(c.handle()), thread);
    // Settings changed since: not the open connection, but the one they name.
    DatabaseSettings elsewhere = db;
    elsewhere.database = QStringLiteral("nie_ma_takiej");
    EXPECT_FALSE(c.connect(elsewhere, &message));
    EXPECT_FALSE(c.connected());
    ASSERT_TRUE(c.connect(db, &message));
    c.disconnect();
    EXPECT_FALSE(c.connected());

    // The compression flag reaches the server.
    DatabaseSettings compressed = db;
    compressed.compression = 1;
    ASSERT_TRUE(c.connect(compressed, &message)) << message.toStdString();
    EXPECT_EQ(c.clientFlags(), static_cast<unsigned long>(CLIENT_COMPRESS));
    c.disconnect();
    const QString compression = QStringLiteral(
        "SELECT VARIABLE_VALUE FROM information_schema.SESSION_STATUS WHERE VARIABLE_NAME = 'COMPRESSION'");
    EXPECT_EQ(test::queryColumn(compressed, compression), QStringList{"ON"});
    EXPECT_EQ(test::queryColumn(db, compression), QStringList{"OFF"});

    // Refused user, unknown database, nobody listening.
    struct Bad {
        DatabaseSettings params;
        const char *answer;
    };
    DatabaseSettings wrongPassword = db, noDatabase = db, noServer = db;
    wrongPassword.password = QStringLiteral("zle");
    noDatabase.database = QStringLiteral("nie_ma_takiej");
    noServer.port = 1;
    for (const Bad &b : {Bad{wrongPassword, "Access denied"}, Bad{noDatabase, "nie_ma_takiej"},
                         Bad{noServer, "Can't connect"}}) {
        SqlConnection bad;
        QString text;
        EXPECT_FALSE(bad.connect(b.params, &text));
        EXPECT_FALSE(bad.connected());
        EXPECT_TRUE(text.startsWith(QStringLiteral("Połączenie z bazą danych nie powiodło się. Odpowiedź: ")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(b.answer))) << text.toStdString();
    }
}
