#include "db/SqlConnection.h"

#include <mutex>

#include "common/TextFormats.h"

#include <mysql.h>

namespace k71t {

namespace {

constexpr unsigned ConnectTimeoutS = 10;
constexpr unsigned ReadTimeoutS = 60;
constexpr unsigned WriteTimeoutS = 60;

QString errorText(MYSQL *handle)
{
    return QString::fromUtf8(mysql_error(handle));
}

} // namespace

SqlConnection::~SqlConnection()
{
    disconnect();
}

bool SqlConnection::connect(const DatabaseSettings &p, QString *message)
{
    if (handle_) {
        // Settings changed since it was opened: the connection they name is
        // another one.
        const bool same = p.server == params_.server && p.port == params_.port && p.database == params_.database &&
                          p.user == params_.user && p.password == params_.password &&
                          p.compression == params_.compression;
        if (same && mysql_ping(handle_) == 0)
            return true;
        disconnect();
    }
    flags_ = p.compression ? CLIENT_COMPRESS : 0;
    // The client library is set up once for the process, before any thread
    // opens a connection (mysql_init would do it unguarded).
    static std::once_flag libraryReady;
    std::call_once(libraryReady, [] { mysql_library_init(0, nullptr, nullptr); });
    MYSQL *h = mysql_init(nullptr);
    if (!h) {
        if (message)
            *message = QStringLiteral("Połączenie z bazą danych nie powiodło się. Odpowiedź: brak pamięci");
        return false;
    }
    const unsigned connectTimeout = ConnectTimeoutS, readTimeout = ReadTimeoutS, writeTimeout = WriteTimeoutS;
    // TCP also for "localhost", which would otherwise mean the default socket.
    const unsigned protocol = MYSQL_PROTOCOL_TCP;
    mysql_options(h, MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeout);
    mysql_options(h, MYSQL_OPT_READ_TIMEOUT, &readTimeout);
    mysql_options(h, MYSQL_OPT_WRITE_TIMEOUT, &writeTimeout);
    mysql_options(h, MYSQL_OPT_PROTOCOL, &protocol);
    // No value is stored other than sent: out of range is an error, not a clip.
    mysql_options(h, MYSQL_INIT_COMMAND, "SET SESSION sql_mode = 'STRICT_ALL_TABLES,NO_ENGINE_SUBSTITUTION'");
    const QByteArray server = toWindows1250(p.server), user = toWindows1250(p.user),
                     password = toWindows1250(p.password), database = toWindows1250(p.database);
    if (!mysql_real_connect(h, server.constData(), user.constData(), password.constData(), database.constData(),
                            p.port, nullptr, flags_)) {
        if (message)
            *message = QStringLiteral("Połączenie z bazą danych nie powiodło się. Odpowiedź: ") + errorText(h);
        mysql_close(h); // the handle of a failed attempt is freed too
        return false;
    }
    if (mysql_select_db(h, database.constData()) != 0) {
        if (message)
            *message = QStringLiteral("Wskazana tablica nie istnieje. Odpowiedź serwera: ") + errorText(h);
        mysql_close(h);
        return false;
    }
    serverInfo_ = QStringLiteral("Serwer: ") + QString::fromUtf8(mysql_get_host_info(h)) +
                  QStringLiteral("  Wersja: ") + QString::fromUtf8(mysql_get_server_info(h));
    handle_ = h;
    params_ = p;
    return true;
}

void SqlConnection::disconnect()
{
    if (handle_)
        mysql_close(handle_);
    handle_ = nullptr;
}

bool SqlConnection::execute(const QByteArray &statement, QString *error, bool warningsFail)
{
    if (!handle_) {
        if (error)
            *error = QStringLiteral("brak połączenia z bazą danych");
        return false;
    }
    if (mysql_real_query(handle_, statement.constData(), static_cast<unsigned long>(statement.size())) != 0) {
        if (error)
            *error = errorText(handle_);
        return false;
    }
    // A statement with a result (none of ours) is read and dropped.
    if (MYSQL_RES *result = mysql_store_result(handle_))
        mysql_free_result(result);
    if (warningsFail && mysql_warning_count(handle_) > 0) {
        if (error)
            *error = QStringLiteral("serwer zgłosił ostrzeżenia (%1)").arg(mysql_warning_count(handle_));
        return false;
    }
    return true;
}

QString SqlConnection::lastError() const
{
    return handle_ ? errorText(handle_) : QString();
}

unsigned SqlConnection::lastErrno() const
{
    return handle_ ? mysql_errno(handle_) : 0;
}

bool SqlConnection::connectionLost() const
{
    // CR_SERVER_GONE_ERROR, CR_SERVER_LOST and the failures to reach it again.
    const unsigned e = lastErrno();
    return !handle_ || e == 2006 || e == 2013 || e == 2002 || e == 2003 || e == 2055;
}

} // namespace k71t
