#pragma once
// The test database server that scripts/test.sh starts: its address and a
// user with all privileges on the database, from K71T_TEST_DB_* variables.
// Without them a database test fails (it never skips).
#include "db/DatabaseSettings.h"

#include <QString>
#include <QStringList>

namespace k71t::test {

// The settings of the test server, or an empty server name when the
// variables are missing.
DatabaseSettings testDatabase();

// The test server's settings naming `table`, created empty as the program
// creates it (dropped first); a failure is the test's failure.
DatabaseSettings freshArchiveTable(const QString &table);

// Runs a query on a connection of its own and returns the first column of
// its rows (NULL as "NULL"); the error text instead when it fails.
QStringList queryColumn(const DatabaseSettings &params, const QString &query);

} // namespace k71t::test
