#pragma once
// uart.cfg: three bytes, port index, mode kind, speed index, no header.
#include "link/ModbusLink.h"

#include <QString>

namespace k71t {

// Writes the three bytes; false when the file cannot be written. The old file
// stays in place until the new one is complete.
bool saveUartCfg(const QString &path, const PortSettings &settings);

// Reads the file if it is exactly three bytes. Bytes are taken one by one:
// port index only below 8, then mode kind only below 4, then speed index only
// below 8; the first byte out of range ends the load with false, bytes taken
// before it stay applied. A missing or wrong-sized file changes nothing.
bool loadUartCfg(const QString &path, PortSettings &settings);

} // namespace k71t
