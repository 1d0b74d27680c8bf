#include "config/ConfigFile.h"

#include "common/ByteOrder.h"
#include "common/SafeFile.h"

#include <QFileInfo>
#include <algorithm>

namespace k71t {

namespace {

const char Header[] = "K71T-001";
constexpr int Offset16 = 10;
constexpr int OffsetDevices = 130;
constexpr int OffsetFloats = 290;

} // namespace

QByteArray buildConfigFile(const RegisterImage &image)
{
    QByteArray b(ConfigFileSize, '\0');
    std::copy(Header, Header + 8, b.begin());
    std::uint8_t *p = bytes(b.data());
    for (int i = 0; i < 60; ++i)
        put16be(p + Offset16 + 2 * i, image.reg16(4000 + i));
    for (int i = 0; i < 80; ++i)
        put16be(p + OffsetDevices + 2 * i, image.reg16(4300 + i));
    for (int i = 0; i < 90; ++i)
        putFloatLe(p + OffsetFloats + 4 * i, image.reg32(7600 + i));
    return b;
}

bool parseConfigFile(const QByteArray &b, RegisterImage &image)
{
    if (b.size() != ConfigFileSize || !b.startsWith(QByteArray(Header, 8)))
        return false;
    const std::uint8_t *p = bytes(b.constData());
    for (int i = 0; i < 60; ++i)
        image.reg16(4000 + i) = get16be(p + Offset16 + 2 * i);
    for (int i = 0; i < 80; ++i)
        image.reg16(4300 + i) = get16be(p + OffsetDevices + 2 * i);
    for (int i = 0; i < 90; ++i)
        image.reg32(7600 + i) = getFloatLe(p + OffsetFloats + 4 * i);
    return true;
}

QString configFileName(const QString &name)
{
    return name.indexOf(QLatin1String(".k71t"), 1) >= 1 ? name : name + QLatin1String(".k71t");
}

QString saveConfigFile(const QString &name, const RegisterImage &image, QString *error)
{
    const QString path = configFileName(name);
    return writeFileSafely(path, buildConfigFile(image), error) ? path : QString();
}

ConfigLoad loadConfigFile(const QString &path, RegisterImage &image)
{
    if (!QFileInfo::exists(path))
        return ConfigLoad::Missing;
    QByteArray bytes;
    if (!readSmallFile(path, ConfigFileSize, bytes) || !parseConfigFile(bytes, image))
        return ConfigLoad::Invalid;
    return ConfigLoad::Loaded;
}

} // namespace k71t
