#pragma once
// The one connection to the database server: opened from DatabaseSettings over
// TCP with time-outs (10 s to connect, 60 s to read or write), in strict SQL
// mode, and closed at the end of each batch.
#include "db/DatabaseSettings.h"

#include <QString>

struct st_mysql;

namespace k71t {

class SqlConnection {
public:
    SqlConnection() = default;
    ~SqlConnection();
    SqlConnection(const SqlConnection &) = delete;
    SqlConnection &operator=(const SqlConnection &) = delete;

    // Opens the connection unless one to the same server, database and user
    // is open and still answers (one ping; a connection the server dropped,
    // or one to settings changed since, is opened anew). False, with the text
    // of the operator's error box in `message`, when none is open afterwards.
    bool connect(const DatabaseSettings &params, QString *message = nullptr);
    // Closes the connection if one is open.
    void disconnect();

    bool connected() const { return handle_ != nullptr; }
    // "Serwer: <host information>  Wersja: <server version>" of the last
    // connection opened.
    const QString &serverInfo() const { return serverInfo_; }
    st_mysql *handle() const { return handle_; }
    // The client flags the last connection was opened with.
    unsigned long clientFlags() const { return flags_; }

    // Runs one statement that returns no rows; false with the server's text
    // in `error`. With `warningsFail` (for statements that store values) a
    // statement that leaves warnings counts as failed, so no value is stored
    // changed.
    bool execute(const QByteArray &statement, QString *error = nullptr, bool warningsFail = true);
    // The server's text and number of the last failure on this connection.
    QString lastError() const;
    unsigned lastErrno() const;
    // The last failure lost the connection (the server went away).
    bool connectionLost() const;

private:
    st_mysql *handle_ = nullptr;
    DatabaseSettings params_; // of the open connection
    QString serverInfo_;
    unsigned long flags_ = 0;
};

} // namespace k71t
