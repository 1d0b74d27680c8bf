#pragma once
// The dictionary of meter names: up to 32 meters, each with its Modbus
// address, a name, names for its ten devices and for the ten registers of
// each device; kept in def.slo and any *.slo file.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace k71t {

constexpr int DictionarySlots = 32;

struct DictionaryEntry {
    std::uint8_t address = 0; // 1 .. 247; 0: the slot is unused
    QString name;
    std::array<QString, 10> deviceNames;
    std::array<std::array<QString, 10>, 10> registerNames; // [device][register]
    bool operator==(const DictionaryEntry &) const = default;
};

// Slots 0 .. entryCount - 1 are the meters in use, in the list's order.
struct Dictionary {
    Dictionary();
    std::array<DictionaryEntry, DictionarySlots> meters;
    int entryCount = 0;

    // Slot i unused with its default names: "K71T_i", "DEV0" .. "DEV9",
    // "R0" .. "R9".
    static DictionaryEntry defaultSlot(int i);
    // A new meter after the last one (address and name "K71T_n" for the n-th
    // entry); false when all 32 meters are in use.
    bool add();
    // Removes meter i; the ones after it move up and the last slot becomes
    // unused. False for an index outside the entries.
    bool remove(int i);
    // After a load: the meters in use are moved to the front in their order
    // and counted.
    void compact();
    // The slot in use, other than `except`, that has `address`; -1 when none.
    int meterWithAddress(int address, int except) const;
    // "3. K71T_3 (3)".
    QString longName(int i) const;
};

// Names are kept to this many characters (a file of longest names stays far
// below DictionaryMaxSize) without TAB, CR or LF.
constexpr int DictionaryNameLength = 255;
QString storableDictionaryName(const QString &name);

// The file's text: a TAB, then every slot's address, name, ten device names
// and a hundred register names, each followed by a TAB (3585 TABs in all),
// in Windows-1250. TAB, CR and LF are left out of names.
QByteArray dictionaryText(const Dictionary &dictionary);
// Reads meters from the file's bytes into `dictionary`: none unless the bytes
// hold exactly 3585 TABs; then slot by slot until an address field that is
// empty, not a decimal integer or above 247. Returns the number of meters
// read (32 when the whole file was read). The entries are not counted here.
int parseDictionary(const QByteArray &bytes, Dictionary &dictionary);

constexpr qint64 DictionaryMaxSize = 4 << 20;
// The whole file read: 32 meters replaced (false changes nothing unless
// `partial` is set, when the meters read before a damaged field are kept).
bool loadDictionary(const QString &path, Dictionary &dictionary, bool partial = false);
// `path` with ".slo" appended unless ".slo" occurs from its second character on.
QString dictionaryFileName(const QString &path);
// Writes the file under dictionaryFileName(path) through the safe writer.
bool saveDictionary(const QString &path, const Dictionary &dictionary, QString *error = nullptr);

} // namespace k71t
