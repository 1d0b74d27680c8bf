#pragma once
// The system page's logic without its window: the meter's status, device,
// alarm and card registers as plain Polish lines, the clock registers to and
// from a date and time, the status read and the one-register commands.
#include "link/ModbusLink.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <optional>

namespace k71t {

// The thirteen lines of the status word 4051 (bits 15 .. 5, 2, 0).
QStringList statusWordLines(std::uint16_t status);
// One line per device from the communication bits 4050.
QStringList deviceLines(std::uint16_t devices);
// Two lines per alarm (state, signalling) from the alarm bits 4052.
QStringList alarmLines(std::uint16_t alarms);
// The memory card line of 4054; empty for a status with no text.
QString cardLine(std::uint16_t card);

// Bit 7 of 4051: the additional outputs board, which carries the PC on the
// additional interface.
constexpr std::uint16_t OutputsBoardBit = 1u << 7;

// The meter's clock from 4040 .. 4042; nothing when the registers do not
// form a date (month 0, day 32, ...) or a time (2460, ...).
std::optional<QDate> clockDate(const RegisterImage &image);
std::optional<QTime> clockTime(const RegisterImage &image);
// 4040 .. 4042 from one date and time (to the minute), 4043 from `autoChange`.
void setClockRegisters(RegisterImage &image, const QDate &date, const QTime &time, bool autoChange);

// The status read: 4039 .. 4054, then 4005.
bool statusRead(ModbusLink &link);
// A command written from the image: one block of 16-bit registers, with the
// drains and 10 ms pauses around it.
bool commandWrite(ModbusLink &link, int start, int count = 1);
// Sets a command register, writes it, and sets it back to 0 in the image
// whatever the outcome, so no later block write or saved file repeats it.
bool sendCommand(ModbusLink &link, RegisterImage &image, int reg);

} // namespace k71t
