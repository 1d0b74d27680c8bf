#include "config/RegisterMap.h"

#include "link/RegisterImage.h"

namespace k71t {

namespace {

constexpr double FloatLow = -19999.0;
constexpr double FloatHigh = 99999.0;

std::vector<RegisterInfo> buildMap()
{
    std::vector<RegisterInfo> m;
    auto u16 = [&](int a, double lo, double hi, double std, Owner o, const char *what) {
        m.push_back({a, RegKind::U16, lo, hi, std, o, what});
    };
    auto f32 = [&](int a, double lo, double hi, double std, Owner o, const char *what) {
        m.push_back({a, RegKind::F32, lo, hi, std, o, what});
    };

    // General settings block, 4000 .. 4059.
    u16(4000, 0, 100, 0, Owner::Display, "source of the displayed value");
    u16(4001, 0, 65535, 0, Owner::None, "not shown");
    u16(4002, 0, 65535, 0, Owner::None, "not shown");
    u16(4003, 1, 3600, 1, Owner::Display, "measurement time [s]");
    u16(4004, 0, 4, 0, Owner::Display, "operating mode");
    u16(4005, 0, 1, 0, Owner::System, "memory card handling mode");
    u16(4006, 0, 65535, 0, Owner::None, "not shown");
    u16(4007, 0, 65535, 0, Owner::None, "not shown");
    u16(4008, 0, 21, 1, Owner::Characteristic, "individual characteristic: number of points");
    u16(4009, 0, 4, 3, Owner::Display, "display format");
    u16(4010, 0, 2, 1, Owner::Display, "colour of the lower band");
    u16(4011, 0, 2, 2, Owner::Display, "colour of the middle band");
    u16(4012, 0, 2, 0, Owner::Display, "colour of the upper band");
    for (int k = 0; k < 4; ++k) {
        u16(4013 + 4 * k, 0, 101, 0, Owner::Alarms, "alarm: controlling quantity");
        u16(4014 + 4 * k, 0, 5, 5, Owner::Alarms, "alarm: type");
        u16(4015 + 4 * k, 0, 120, 0, Owner::Alarms, "alarm: delay [s]");
        u16(4016 + 4 * k, 0, 1, 0, Owner::Alarms, "alarm: alarm memory");
    }
    u16(4029, 0, 101, 0, Owner::Analog, "analog output: controlling quantity");
    u16(4030, 0, 2, 0, Owner::Analog, "analog output: type");
    u16(4031, 0, 5, 1, Owner::Interface, "additional interface: speed code");
    u16(4032, 0, 3, 0, Owner::Interface, "additional interface: mode code");
    u16(4033, 1, 247, 1, Owner::Interface, "additional interface: meter address");
    u16(4034, 0, 1, 0, Owner::Interface, "apply interface parameters (command)");
    u16(4035, 0, 5, 1, Owner::Interface, "primary interface: speed code");
    u16(4036, 0, 3, 0, Owner::Interface, "primary interface: mode code");
    u16(4037, 100, 5000, 500, Owner::Interface, "primary interface: device answer time [ms]");
    u16(4038, 0, 1, 0, Owner::System, "restore factory settings (command)");
    u16(4039, 0, 60000, 0, Owner::System, "access code");
    u16(4040, 0, 2359, 0, Owner::System, "clock: hour*100 + minute");
    u16(4041, 101, 1231, 101, Owner::System, "clock: month*100 + day");
    u16(4042, 0, 65535, 2009, Owner::System, "clock: year");
    u16(4043, 0, 1, 1, Owner::System, "automatic summer/winter time change");
    u16(4044, 0, 1, 0, Owner::Display, "unit backlight");
    u16(4045, 0, 65535, 0, Owner::Archive, "archive: delete command");
    for (int a = 4046; a <= 4049; ++a)
        u16(a, 0, 65535, 0, Owner::Archive, "archive: status");
    u16(4050, 0, 1023, 0, Owner::System, "communication status of attached devices");
    u16(4051, 0, 65535, 0, Owner::System, "meter status word");
    u16(4052, 0, 255, 0, Owner::System, "alarm status");
    u16(4053, 0, 65535, 0, Owner::None, "not shown");
    u16(4054, 0, 5, 0, Owner::System, "memory card status");
    u16(4055, 0, 1, 0, Owner::System, "clear minimum and maximum (command)");
    for (int a = 4056; a <= 4059; ++a)
        u16(a, 0, 65535, 0, Owner::None, "not shown");

    // Device table, 4300 .. 4379: ten records of eight words.
    for (int d = 0; d < 10; ++d) {
        const int b = 4300 + 8 * d;
        u16(b + 0, 0, 247, 0, Owner::Devices, "device: network address");
        u16(b + 1, 0, 65535, 7505, Owner::Devices, "device: base register");
        u16(b + 2, 1, 10, 1, Owner::Devices, "device: number of registers polled");
        u16(b + 3, 0, 25, 6, Owner::Devices, "device: register type");
        u16(b + 4, 1, 60, 1, Owner::Devices, "device: polling period");
        u16(b + 5, 0, 1023, 0, Owner::Devices, "device: archived registers");
        u16(b + 6, 1, 360, 1, Owner::Devices, "device: archiving period [s*10]");
        u16(b + 7, 0, 10, 0, Owner::Devices, "device: archiving kind");
    }

    // Archive page window.
    u16(4500, 0, 6999, 0, Owner::Archive, "archive: page selector");

    // Live value block, 7500 .. 7529 (read only).
    for (int a = 7500; a <= 7529; ++a)
        f32(a, FloatLow, FloatHigh, 0, Owner::Live, a >= 7520 ? "communication quality of a device [%]" : "live value");

    // Float settings block, 7600 .. 7689.
    f32(7600, FloatLow, FloatHigh, 50.0, Owner::Display, "lower colour threshold");
    f32(7601, FloatLow, FloatHigh, 80.0, Owner::Display, "upper colour threshold");
    f32(7602, FloatLow, FloatHigh, -19999.0, Owner::Display, "minimum displayed value");
    f32(7603, FloatLow, FloatHigh, 99999.0, Owner::Display, "maximum displayed value");
    for (int k = 0; k < 4; ++k) {
        f32(7604 + 2 * k, FloatLow, FloatHigh, 100.0, Owner::Alarms, "alarm: PrL, lower threshold");
        f32(7605 + 2 * k, FloatLow, FloatHigh, 200.0, Owner::Alarms, "alarm: PrH, upper threshold");
    }
    f32(7612, FloatLow, FloatHigh, 0.0, Owner::Analog, "analog output: value for 0 %");
    f32(7613, FloatLow, FloatHigh, 99999.0, Owner::Analog, "analog output: value for 100 %");
    const double unused[8] = {100.0, 0.1, 0.1, 99999.0, 1.0, 0.1, 0.1, 99999.0};
    for (int i = 0; i < 8; ++i)
        f32(7614 + i, FloatLow, FloatHigh, unused[i], Owner::None, "not shown");
    for (int i = 0; i <= 20; ++i) {
        f32(7622 + 2 * i, FloatLow, FloatHigh, 100.0 * i, Owner::Characteristic, "characteristic point: H");
        f32(7623 + 2 * i, FloatLow, FloatHigh, 100.0 * i, Owner::Characteristic, "characteristic point: Y");
    }
    for (int d = 0; d < 10; ++d) {
        f32(7664 + 2 * d, -9999.0, FloatHigh, 100.0, Owner::Devices, "device: lower archiving threshold");
        f32(7665 + 2 * d, -9999.0, FloatHigh, 200.0, Owner::Devices, "device: upper archiving threshold");
    }
    for (int a = 7684; a <= 7689; ++a)
        f32(a, FloatLow, FloatHigh, 0.0, Owner::None, "not used");

    // Device value block, 8000 .. 8099 (read only).
    for (int a = 8000; a <= 8099; ++a)
        f32(a, FloatLow, FloatHigh, 0, Owner::Live, "value of register Rr of DEV d");
    return m;
}

QStringList deviceRegisterItems(bool alarmForm)
{
    QStringList items;
    for (int d = 0; d < 10; ++d)
        for (int r = 0; r < 10; ++r)
            items << (alarmForm ? QStringLiteral("Dev %1 R %2 - Urządzenie %1 rejestr %2").arg(d).arg(r)
                                : QStringLiteral("Urządzenie %1 rejestr %2").arg(d).arg(r));
    return items;
}

} // namespace

const std::vector<RegisterInfo> &registerMap()
{
    static const std::vector<RegisterInfo> map = buildMap();
    return map;
}

const RegisterInfo *registerInfo(int address)
{
    for (const RegisterInfo &r : registerMap())
        if (r.address == address)
            return &r;
    return nullptr;
}

const RegisterInfo *firstOutOfRange(const RegisterImage &image, Owner page)
{
    for (const RegisterInfo &r : registerMap()) {
        if (r.owner != page)
            continue;
        const double v = r.kind == RegKind::U16 ? image.reg16(r.address) : static_cast<double>(image.reg32(r.address));
        if (!(v >= r.low && v <= r.high))
            return &r;
    }
    return nullptr;
}

QStringList displayQuantityItems()
{
    return deviceRegisterItems(false) << QStringLiteral("Czas");
}

QStringList alarmQuantityItems()
{
    return deviceRegisterItems(true) << QStringLiteral("Zegar czasu rzeczywistego")
                                     << QStringLiteral("Wartość wyświetlana");
}

QStringList analogQuantityItems()
{
    // Items 100 and 101 stand in the opposite order from the alarm list.
    return deviceRegisterItems(true) << QStringLiteral("Wartość wyświetlana")
                                     << QStringLiteral("Zegar czasu rzeczywistego");
}

QStringList displayFormatItems()
{
    return {"0.0000", "00.000", "000.00", "0000.0", "00000"};
}

QStringList operatingModeItems()
{
    return {QStringLiteral("STOP"), QStringLiteral("SLAVE Archiwizacja zatrzymana"),
            QStringLiteral("SLAVE Archiwizacja włączona"), QStringLiteral("MASTER Archiwizacja zatrzymana"),
            QStringLiteral("MASTER Archiwizaja uruchomiona")};
}

QStringList memoryCardModeItems()
{
    return {QStringLiteral("Szybki"), QStringLiteral("Bezpieczny - wolny")};
}

QStringList alarmTypeItems()
{
    return {QStringLiteral("n-on"), QStringLiteral("n-off"), QStringLiteral("on"), QStringLiteral("off"),
            QStringLiteral("zawsze właczony"), QStringLiteral("zawsze wyłączony")};
}

QStringList analogTypeItems()
{
    return {QStringLiteral("Napięciowe 0...10V"), QStringLiteral("Prądowe 0...20mA"),
            QStringLiteral("Prądowe 4...20mA")};
}

QStringList registerTypeItems()
{
    static const char *const kinds[13] = {"char",       "unsigned char",      "short",
                                          "unsigned short", "long",           "unsigned long",
                                          "float",      "float 3210",         "float 1032",
                                          "long 3210",  "long 1032",          "unsigned long 3210",
                                          "unsigned long 1032"};
    QStringList items;
    for (int fn : {3, 4})
        for (const char *k : kinds)
            items << QStringLiteral("fun. %1 - %2").arg(fn).arg(QLatin1String(k));
    return items;
}

QStringList archivingKindItems()
{
    QStringList items{QStringLiteral("Ciągła")};
    for (int r = 0; r < 10; ++r)
        items << QStringLiteral("R%1 - warunkowa").arg(r);
    return items;
}

QColor colourForCode(int code)
{
    switch (code) {
    case 0: return QColor(255, 0, 0);
    case 1: return QColor(0, 255, 0);
    case 2: return QColor(255, 255, 0);
    default: return QColor();
    }
}

} // namespace k71t
