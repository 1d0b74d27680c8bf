#include "shell/UartCfg.h"

#include "common/SafeFile.h"

namespace k71t {

bool saveUartCfg(const QString &path, const PortSettings &settings)
{
    QByteArray bytes(3, '\0');
    bytes[0] = static_cast<char>(settings.portIndex);
    bytes[1] = static_cast<char>(settings.modeKind);
    bytes[2] = static_cast<char>(settings.speedIndex);
    return writeFileSafely(path, bytes);
}

bool loadUartCfg(const QString &path, PortSettings &settings)
{
    QByteArray bytes;
    if (!readSmallFile(path, 3, bytes) || bytes.size() != 3)
        return false;
    const auto byte = [&](int i) { return static_cast<std::uint8_t>(bytes[i]); };
    if (byte(0) >= 8)
        return false;
    settings.portIndex = byte(0);
    if (byte(1) >= 4)
        return false;
    settings.modeKind = byte(1);
    if (byte(2) >= 8)
        return false;
    settings.speedIndex = byte(2);
    return true;
}

} // namespace k71t
