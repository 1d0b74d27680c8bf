#pragma once
// The port lists show "COM1" .. "COM8"; each names a device file. By default
// COMn is /dev/ttyS(n-1). A ports.conf in the program's folder overrides
// ports one a line ("COM3=/dev/ttyUSB0"), and the environment overrides both
// (K71T_COM3=/dev/pts/7).
#include <QString>
#include <QStringList>
#include <array>

namespace k71t {

constexpr int PortCount = 8;

class PortMap {
public:
    PortMap();

    // Reads `directory`/ports.conf (a missing file is fine) and then the
    // K71T_COMn environment variables. Lines that are empty or start with
    // '#' are skipped; anything else that is not COM1..COM8=PATH is ignored
    // and described in the returned warnings.
    QStringList load(const QString &directory);

    // Device path of port index 0 .. 7; empty for any other index.
    QString path(int portIndex) const;
    void setPath(int portIndex, const QString &path);

    // The port named by its device path alone (the command line's --device):
    // messages then name the path, not a COM name it never had.
    void setDevice(int portIndex, const QString &path);
    // "COM3 (/dev/ttyUSB0)", or the path of a port named by its path.
    QString describe(int portIndex) const;

    static QString portName(int portIndex) { return QStringLiteral("COM%1").arg(portIndex + 1); }

private:
    std::array<QString, PortCount> paths_;
    std::array<bool, PortCount> byPath_{};
};

} // namespace k71t
