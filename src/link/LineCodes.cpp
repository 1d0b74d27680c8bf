#include "link/LineCodes.h"

namespace k71t
{

bool lineSettingsFor(int modeKind, int speedIndex, LineSettings &out)
{
    if (modeKind < 0 || modeKind >= ModeKindCount || speedIndex < 0 || speedIndex >= SpeedIndexCount)
        return false;
    out.baud = SpeedTable[speedIndex];
    out.parity = ModeKinds[modeKind].parity;
    out.stopBits = ModeKinds[modeKind].stopBits;
    return true;
}

int modeKindForMeterCode(int modeCode)
{
    return modeCode >= 0 && modeCode < MeterModeCodeCount ? ModeKindOfMeterCode[modeCode] : -1;
}

int speedIndexForMeterCode(int speedCode)
{
    return speedCode >= 0 && speedCode < MeterSpeedCodeCount ? SpeedIndexOfMeterCode[speedCode] : -1;
}

int meterCodeForModeKind(int modeKind)
{
    for (int c = 0; c < MeterModeCodeCount; ++c)
        if (ModeKindOfMeterCode[c] == modeKind)
            return c;
    return -1;
}

int meterCodeForSpeedIndex(int speedIndex)
{
    for (int c = 0; c < MeterSpeedCodeCount; ++c)
        if (SpeedIndexOfMeterCode[c] == speedIndex)
            return c;
    return -1;
}

int baudForSpeedCode(int code)
{
    const int index = speedIndexForMeterCode(code);
    return index >= 0 ? SpeedTable[index] : -1;
}

int speedIndexForBaud(int baud)
{
    for (int s = 0; s < SpeedIndexCount; ++s)
        if (SpeedTable[s] == baud)
            return s;
    return -1;
}

int speedCodeForBaud(int baud)
{
    const int index = speedIndexForBaud(baud);
    return index >= 0 ? meterCodeForSpeedIndex(index) : -1;
}

int modeKindForName(const QString &name)
{
    for (int k = 0; k < ModeKindCount; ++k)
        if (name.compare(QLatin1String(ModeKinds[k].name), Qt::CaseInsensitive) == 0)
            return k;
    return -1;
}

int meterModeCodeForName(const QString &name)
{
    const int kind = modeKindForName(name);
    return kind >= 0 ? meterCodeForModeKind(kind) : -1;
}

QString modeKindName(int modeKind)
{
    return modeKind >= 0 && modeKind < ModeKindCount ? QString::fromLatin1(ModeKinds[modeKind].name) : QString();
}

QStringList meterModeItems(const QString &prefix)
{
    QStringList items;
    for (int c = 0; c < MeterModeCodeCount; ++c)
        items << prefix + modeKindName(modeKindForMeterCode(c));
    return items;
}

QStringList meterSpeedItems()
{
    QStringList items;
    for (int c = 0; c < MeterSpeedCodeCount; ++c)
        items << QString::number(baudForSpeedCode(c) / 1000.0, 'f', 1) + QLatin1Char('k');
    return items;
}

QStringList meterBaudItems()
{
    QStringList items;
    for (int c = 0; c < MeterSpeedCodeCount; ++c)
        items << QString::number(baudForSpeedCode(c));
    return items;
}

} // namespace k71t
