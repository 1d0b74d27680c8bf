#pragma once
// The meter's register map: for every register the program knows, its kind,
// the range it accepts, its standard value and the page that owns it; and
// the selection lists the pages build from the codes.
#include <QColor>
#include <QString>
#include <QStringList>
#include <vector>

#include "link/RegisterImage.h"

namespace k71t {

enum class RegKind { U16, F32 };

enum class Owner {
    None,           // transferred and filed as stored
    Display,        // Wyświetlanie / Tryb pracy
    Alarms,         // Alarmy
    Devices,        // urządzenia / archiwizacja
    System,         // Parametry systemowe
    Analog,         // Wyjście analogowe
    Characteristic, // Charakterystyka indywidualna
    Interface,      // Parametry połączenia
    Archive,        // archive control and status
    Live,           // live values, read only
};

struct RegisterInfo {
    int address;
    RegKind kind;
    double low;      // accepted range
    double high;
    double standard; // value of the standard configuration
    Owner owner;
    const char *meaning;
};

// Every register, in address order.
const std::vector<RegisterInfo> &registerMap();
// The entry of one register, or nullptr.
const RegisterInfo *registerInfo(int address);

// The first register of the given page that holds a value outside its
// range in `image` (what that page would refuse to send), or nullptr.
const RegisterInfo *firstOutOfRange(const RegisterImage &image, Owner page);

// Texts of the coded registers.
QStringList displayQuantityItems(); // 4000: 101 items, item 100 "Czas"
QStringList alarmQuantityItems();   // 4013 ..: 102 items, 100 clock, 101 displayed value
QStringList analogQuantityItems();  // 4029: 102 items, 100 displayed value, 101 clock
QStringList displayFormatItems();   // 4009
QStringList operatingModeItems();   // 4004
QStringList memoryCardModeItems();  // 4005
QStringList alarmTypeItems();       // 4014 ..
QStringList analogTypeItems();      // 4030
QStringList registerTypeItems();    // device record offset 3: 26 items
QStringList archivingKindItems();   // device record offset 7: "Ciągła", "R0 - warunkowa" ..

// Display colours of 4010 .. 4012: 0 red, 1 green, 2 yellow; invalid for any other code.
QColor colourForCode(int code);
constexpr int ColourCodeCount = 3;

} // namespace k71t
