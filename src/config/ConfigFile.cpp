#include "config/ConfigFile.h"

#include "common/Prompt.h"
#include "common/SafeFile.h"

#include <QFileInfo>
#include <algorithm>

namespace k71t {

namespace {

const char Header[] = "K71T-001";
constexpr int Offset16 = 10;
constexpr int OffsetDevices = 130;
constexpr int OffsetFloats = 290;

void put16(QByteArray &b, int at, std::uint16_t v)
{
    b[at] = static_cast<char>(v >> 8);
    b[at + 1] = static_cast<char>(v & 0xFF);
}

std::uint16_t get16(const QByteArray &b, int at)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) << 8 | static_cast<std::uint8_t>(b[at + 1]));
}

void put32le(QByteArray &b, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}

std::uint32_t get32le(const QByteArray &b, int at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

} // namespace

QByteArray buildConfigFile(const RegisterImage &image)
{
    QByteArray b(ConfigFileSize, '\0');
    std::copy(Header, Header + 8, b.begin());
    for (int i = 0; i < 60; ++i)
        put16(b, Offset16 + 2 * i, image.reg16(4000 + i));
    for (int i = 0; i < 80; ++i)
        put16(b, OffsetDevices + 2 * i, image.reg16(4300 + i));
    for (int i = 0; i < 90; ++i)
        put32le(b, OffsetFloats + 4 * i, image.bits32(7600 - Regs32First + i));
    return b;
}

bool parseConfigFile(const QByteArray &b, RegisterImage &image)
{
    if (b.size() != ConfigFileSize || !b.startsWith(QByteArray(Header, 8)))
        return false;
    for (int i = 0; i < 60; ++i)
        image.reg16(4000 + i) = get16(b, Offset16 + 2 * i);
    for (int i = 0; i < 80; ++i)
        image.reg16(4300 + i) = get16(b, OffsetDevices + 2 * i);
    for (int i = 0; i < 90; ++i)
        image.setBits32(7600 - Regs32First + i, get32le(b, OffsetFloats + 4 * i));
    return true;
}

QString configFileName(const QString &name)
{
    return name.indexOf(QLatin1String(".k71t"), 1) >= 1 ? name : name + QLatin1String(".k71t");
}

QString SaveConfigFile(const QString &name, const RegisterImage &image)
{
    const QString path = configFileName(name);
    return writeFileSafely(path, buildConfigFile(image)) ? path : QString();
}

bool LoadConfigFile(const QString &path, RegisterImage &image, Prompt &prompt)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        prompt.message(nullptr, QStringLiteral("Brak ostatniej konfiguracji. Załadowano konfigurację standardową."),
                       QStringLiteral("Informacja"), PromptIcon::Information);
        return false;
    }
    QByteArray bytes;
    if (!readSmallFile(path, ConfigFileSize, bytes))
        return false;
    return parseConfigFile(bytes, image);
}

} // namespace k71t
