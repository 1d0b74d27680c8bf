#pragma once
// The database settings: the parameters of the connection to the archive
// table's server (DatabaseSettings) and the switch of database support, kept in
// sql.conf. The file is the settings' text ("pomiary;K71T;127.0.0.1;3306;0;1;
// k71t;PASSWORD;1;") in Windows-1250, each byte c written as the two bytes of
// c << 6, high byte first.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace k71t {

struct DatabaseSettings {
    QString database = QStringLiteral("pomiary");
    QString table = QStringLiteral("K71T");
    QString server = QStringLiteral("127.0.0.1");
    std::uint16_t port = 3306;
    std::uint8_t reserved = 0;
    std::uint8_t compression = 1;
    QString user = QStringLiteral("k71t");
    QString password;
};

// What sql.conf holds: the parameters and the support switch.
struct SqlConf {
    DatabaseSettings params;
    bool enabled = false;
};

// The file's encoding and its inverse (an odd length decodes to nothing).
QByteArray encodeSettingsText(const QByteArray &plain);
std::optional<QByteArray> decodeSettingsText(const QByteArray &file);

// The settings as the file's plain text (Windows-1250) and back. Parsing
// fails on fewer than nine fields, an empty field other than the password,
// or a number field that is not a decimal integer.
QByteArray settingsText(const SqlConf &settings);
std::optional<SqlConf> parseSettingsText(const QByteArray &plain);

// Why a name cannot be a database or table name: only letters, digits, '_'
// and '$', 1 to 64 characters. Empty when it can.
QString nameProblem(const QString &name, const QString &what);
// Why a text field cannot be saved (it holds the file's separator ';', or a
// character Windows-1250 does not have). Empty when it can.
QString fieldProblem(const QString &text, const QString &what);

// Loads sql.conf; nothing when it is missing, of odd length or damaged, or
// when it holds a database or table name that is refused (then `problem`
// says which, for the operator).
std::optional<SqlConf> loadSqlConf(const QString &path, QString *problem = nullptr);
// Writes sql.conf (owner read/write only, the previous file whole until the
// new one is on disk). False, with the reason, when it cannot be written.
bool saveSqlConf(const QString &path, const SqlConf &settings, QString *error = nullptr);

} // namespace k71t
