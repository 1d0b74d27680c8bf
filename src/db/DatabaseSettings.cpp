#include "db/DatabaseSettings.h"

#include "common/SafeFile.h"
#include "common/TextFormats.h"

#include <QList>
#include <QRegularExpression>

namespace k71t {

namespace {

constexpr int FieldCount = 9;
// Far more than nine fields of any sensible length.
constexpr qint64 MaxFileSize = 64 * 1024;

std::optional<long long> decimal(const QByteArray &field)
{
    bool ok = false;
    const long long v = field.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace

QByteArray encodeSettingsText(const QByteArray &plain)
{
    QByteArray out;
    out.reserve(plain.size() * 2);
    for (const char ch : plain) {
        const auto c = static_cast<std::uint8_t>(ch);
        out.append(static_cast<char>(c >> 2));
        out.append(static_cast<char>((c & 3u) << 6));
    }
    return out;
}

std::optional<QByteArray> decodeSettingsText(const QByteArray &file)
{
    if (file.size() % 2 != 0)
        return std::nullopt;
    QByteArray plain;
    plain.reserve(file.size() / 2);
    for (qsizetype i = 0; i < file.size(); i += 2) {
        const unsigned word = static_cast<std::uint8_t>(file[i]) << 8 | static_cast<std::uint8_t>(file[i + 1]);
        plain.append(static_cast<char>((word >> 6) & 0xFFu));
    }
    return plain;
}

QByteArray settingsText(const SqlConf &s)
{
    const DatabaseSettings &p = s.params;
    QByteArray text;
    for (const QByteArray &field :
         {toWindows1250(p.database), toWindows1250(p.table), toWindows1250(p.server), QByteArray::number(p.port),
          QByteArray::number(p.reserved), QByteArray::number(p.compression), toWindows1250(p.user),
          toWindows1250(p.password), QByteArray(s.enabled ? "1" : "0")})
        text += field + ';';
    return text;
}

std::optional<SqlConf> parseSettingsText(const QByteArray &plain)
{
    // Each field runs up to the next ';' or the end of the text.
    QList<QByteArray> fields;
    qsizetype at = 0;
    while (at < plain.size() && fields.size() < FieldCount) {
        qsizetype end = plain.indexOf(';', at);
        if (end < 0)
            end = plain.size();
        fields << plain.mid(at, end - at);
        at = end + 1;
    }
    if (fields.size() < FieldCount)
        return std::nullopt;
    // The password may be empty (a server may allow it); nothing else may.
    for (int i = 0; i < FieldCount; ++i)
        if (i != 7 && fields[i].isEmpty())
            return std::nullopt;
    const auto port = decimal(fields[3]), reserved = decimal(fields[4]), compression = decimal(fields[5]),
               enabled = decimal(fields[8]);
    if (!port || !reserved || !compression || !enabled)
        return std::nullopt;
    SqlConf s;
    DatabaseSettings &p = s.params;
    p.database = fromWindows1250(fields[0]);
    p.table = fromWindows1250(fields[1]);
    p.server = fromWindows1250(fields[2]);
    p.port = static_cast<std::uint16_t>(*port);
    p.reserved = *reserved != 0 ? 1 : 0;
    p.compression = *compression != 0 ? 1 : 0;
    p.user = fromWindows1250(fields[6]);
    p.password = fromWindows1250(fields[7]);
    s.enabled = *enabled != 0;
    return s;
}

QString nameProblem(const QString &name, const QString &what)
{
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9_$]{1,64}$"));
    if (allowed.match(name).hasMatch())
        return {};
    return QStringLiteral("Nazwa %1 \"%2\" jest niedozwolona: dozwolone są litery, cyfry, _ i $ (od 1 do 64 znaków).")
        .arg(what, name);
}

QString fieldProblem(const QString &text, const QString &what)
{
    if (text.contains(QLatin1Char(';')))
        return QStringLiteral("Pole \"%1\" nie może zawierać znaku ';'.").arg(what);
    if (fromWindows1250(toWindows1250(text)) != text)
        return QStringLiteral("Pole \"%1\" zawiera znaki spoza strony kodowej Windows-1250.").arg(what);
    return {};
}

std::optional<SqlConf> loadSqlConf(const QString &path, QString *problem)
{
    QByteArray file;
    if (!readSmallFile(path, MaxFileSize, file))
        return std::nullopt;
    const auto plain = decodeSettingsText(file);
    if (!plain)
        return std::nullopt;
    auto settings = parseSettingsText(*plain);
    if (!settings)
        return std::nullopt;
    // Names go into statements: a file may not smuggle anything else in.
    QString refused = nameProblem(settings->params.database, QStringLiteral("bazy danych"));
    if (refused.isEmpty())
        refused = nameProblem(settings->params.table, QStringLiteral("tablicy"));
    if (!refused.isEmpty()) {
        if (problem)
            *problem = refused;
        return std::nullopt;
    }
    return settings;
}

bool saveSqlConf(const QString &path, const SqlConf &settings, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("brak nazwy pliku");
        return false;
    }
    return writeFileSafely(path, encodeSettingsText(settingsText(settings)), error, true);
}

} // namespace k71t
