// sql.conf, the database settings.
#include "FuzzSupport.h"
#include "db/DatabaseSettings.h"

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    if (const auto plain = decodeSettingsText(bytes))
        (void)parseSettingsText(*plain);
    (void)parseSettingsText(bytes);
    QString problem;
    (void)loadSqlConf(fuzz::inputFile(QStringLiteral("sql.conf"), data, size), &problem);
    return 0;
}
