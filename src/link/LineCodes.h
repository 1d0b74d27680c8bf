#pragma once
// Every line setting the program knows, in one table: the PC's mode kinds
// and speed indices (uart.cfg, the start panel, the command line) and the
// meter's interface codes (speed 4031/4035, mode 4032/4036), which name a
// part of them. Lists, options and translations are all made from here.
#include "link/SerialPort.h"

#include <QString>
#include <QStringList>

namespace k71t
{

// A line mode: its name, parity and stop bits (always 8 data bits).
struct LineMode {
    const char *name;
    Parity parity;
    int stopBits;
};

// The PC's mode kinds, by number (uart.cfg, --mode).
inline constexpr LineMode ModeKinds[] = {
    {"8N1", Parity::None, 1}, {"8N2", Parity::None, 2}, {"8E1", Parity::Even, 1}, {"8O1", Parity::Odd, 1}};
constexpr int ModeKindCount = 4;
// The PC's speed indices, by number (uart.cfg, --speed).
constexpr int SpeedTable[8] = {2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};
constexpr int SpeedIndexCount = 8;

// The meter's codes as the PC's settings: mode codes 0 .. 3 are 8N2, 8E1,
// 8O1 and 8N1; speed codes 0 .. 5 are 4800, 9600, 19200, 38400, 57600 and
// 115200 baud.
inline constexpr int ModeKindOfMeterCode[] = {1, 2, 3, 0};
inline constexpr int SpeedIndexOfMeterCode[] = {1, 2, 4, 5, 6, 7};
constexpr int MeterModeCodeCount = 4;
constexpr int MeterSpeedCodeCount = 6;

// Line settings of a mode kind and speed index; false for indices outside the tables.
bool lineSettingsFor(int modeKind, int speedIndex, LineSettings &out);

// The meter's codes as the PC's settings, and back; -1 where the other side
// has no such setting.
int modeKindForMeterCode(int modeCode);
int speedIndexForMeterCode(int speedCode);
int meterCodeForModeKind(int modeKind);
int meterCodeForSpeedIndex(int speedIndex);

// Baud rates: of a meter speed code (-1 outside 0 .. 5), the meter speed
// code of a rate, the PC speed index of a rate (-1 where there is none).
int baudForSpeedCode(int code);
int speedCodeForBaud(int baud);
int speedIndexForBaud(int baud);

// Mode names, whatever the case of their letters: the PC's mode kind and
// the meter's mode code of a name (-1 for no mode), the name of a mode kind.
int modeKindForName(const QString &name);
int meterModeCodeForName(const QString &name);
QString modeKindName(int modeKind);

// The meter's codes as lists show them, in code order: "8N2" .. "8N1"
// (each after `prefix`), "4.8k" .. "115.2k", and "4800" .. "115200".
QStringList meterModeItems(const QString &prefix = QString());
QStringList meterSpeedItems();
QStringList meterBaudItems();

} // namespace k71t
