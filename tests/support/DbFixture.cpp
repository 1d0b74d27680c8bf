#include "support/DbFixture.h"

#include "db/ArchiveTable.h"
#include "db/SqlConnection.h"

#include <gtest/gtest.h>

#include <QProcessEnvironment>
#include <mysql.h>

namespace k71t::test {

DatabaseSettings testDatabase()
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    DatabaseSettings p;
    p.server = env.value(QStringLiteral("K71T_TEST_DB_HOST"));
    p.port = static_cast<std::uint16_t>(env.value(QStringLiteral("K71T_TEST_DB_PORT")).toUInt());
    p.database = env.value(QStringLiteral("K71T_TEST_DB_DATABASE"));
    p.user = env.value(QStringLiteral("K71T_TEST_DB_USER"));
    p.password = env.value(QStringLiteral("K71T_TEST_DB_PASSWORD"));
    p.compression = 0;
    return p;
}

DatabaseSettings freshArchiveTable(const QString &table)
{
    DatabaseSettings db = testDatabase();
    EXPECT_FALSE(db.server.isEmpty()) << "K71T_TEST_DB_* not set: run the tests through scripts/test.sh";
    db.table = table;
    queryColumn(db, QStringLiteral("DROP TABLE IF EXISTS `%1`").arg(table));
    SqlConnection c;
    QString message;
    EXPECT_TRUE(createArchiveTable(c, db, &message)) << message.toStdString();
    return db;
}

QStringList queryColumn(const DatabaseSettings &params, const QString &query)
{
    SqlConnection c;
    QString message;
    if (!c.connect(params, &message))
        return {message};
    const QByteArray q = query.toUtf8();
    if (mysql_real_query(c.handle(), q.constData(), static_cast<unsigned long>(q.size())) != 0)
        return {c.lastError()};
    QStringList out;
    if (MYSQL_RES *result = mysql_store_result(c.handle())) {
        while (MYSQL_ROW row = mysql_fetch_row(result))
            out << (row[0] ? QString::fromUtf8(row[0]) : QStringLiteral("NULL"));
        mysql_free_result(result);
    }
    return out;
}

} // namespace k71t::test
