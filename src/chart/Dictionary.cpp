#include "chart/Dictionary.h"

#include "chart/Series.h"
#include "common/SafeFile.h"
#include "common/TextFormats.h"

namespace k71t {

constexpr int DictionaryTabs = 1 + DictionarySlots * (1 + 1 + 10 + 100);

Dictionary::Dictionary()
{
    for (int i = 0; i < DictionarySlots; ++i)
        meters[static_cast<std::size_t>(i)] = defaultSlot(i);
}

DictionaryEntry Dictionary::defaultSlot(int i)
{
    DictionaryEntry s;
    s.name = QStringLiteral("K71T_%1").arg(i);
    for (int d = 0; d < 10; ++d) {
        s.deviceNames[static_cast<std::size_t>(d)] = QStringLiteral("DEV%1").arg(d);
        for (int r = 0; r < 10; ++r)
            s.registerNames[static_cast<std::size_t>(d)][static_cast<std::size_t>(r)] = QStringLiteral("R%1").arg(r);
    }
    return s;
}

bool Dictionary::add()
{
    if (entryCount >= DictionarySlots)
        return false;
    const int n = ++entryCount;
    DictionaryEntry &s = meters[static_cast<std::size_t>(n - 1)];
    s = defaultSlot(n);
    s.address = static_cast<std::uint8_t>(n);
    return true;
}

bool Dictionary::remove(int i)
{
    if (i < 0 || i >= entryCount)
        return false;
    for (int j = i; j < DictionarySlots - 1; ++j)
        meters[static_cast<std::size_t>(j)] = meters[static_cast<std::size_t>(j + 1)];
    // The last slot's meter has moved up: the slot is free now.
    meters[DictionarySlots - 1] = defaultSlot(DictionarySlots - 1);
    --entryCount;
    return true;
}

void Dictionary::compact()
{
    std::array<DictionaryEntry, DictionarySlots> ordered;
    int n = 0;
    for (const DictionaryEntry &s : meters)
        if (s.address != 0)
            ordered[static_cast<std::size_t>(n++)] = s;
    entryCount = n;
    for (const DictionaryEntry &s : meters)
        if (s.address == 0)
            ordered[static_cast<std::size_t>(n++)] = s;
    meters = ordered;
}

int Dictionary::meterWithAddress(int address, int except) const
{
    for (int i = 0; i < entryCount; ++i)
        if (i != except && meters[static_cast<std::size_t>(i)].address == address)
            return i;
    return -1;
}

QString Dictionary::longName(int i) const
{
    const DictionaryEntry &s = meters[static_cast<std::size_t>(i)];
    // One arg() call: a "%1" in the name stays as typed.
    return QStringLiteral("%1. %2 (%3)").arg(QString::number(i + 1), s.name, QString::number(s.address));
}

QString storableDictionaryName(const QString &name)
{
    return storableSeriesName(name).left(DictionaryNameLength);
}

QByteArray dictionaryText(const Dictionary &dictionary)
{
    QByteArray out = "\t";
    auto field = [&out](const QString &text) { out += toWindows1250(storableDictionaryName(text)) + '\t'; };
    for (const DictionaryEntry &s : dictionary.meters) {
        out += QByteArray::number(s.address) + '\t';
        field(s.name);
        for (const QString &d : s.deviceNames)
            field(d);
        for (const auto &device : s.registerNames)
            for (const QString &r : device)
                field(r);
    }
    return out;
}

int parseDictionary(const QByteArray &bytes, Dictionary &dictionary)
{
    if (bytes.isEmpty() || bytes.at(0) != '\t' || bytes.count('\t') != DictionaryTabs)
        return 0;
    TabFields fields(bytes);
    int read = 0;
    for (DictionaryEntry &s : dictionary.meters) {
        if (!smallNumberField(fields.next(), 247, s.address))
            return read;
        // A name read holds only what a name written can hold (no CR or LF,
        // at most 255 characters), so saving what was read gives the same
        // dictionary back.
        s.name = storableDictionaryName(fromWindows1250(fields.next()));
        for (QString &d : s.deviceNames)
            d = storableDictionaryName(fromWindows1250(fields.next()));
        for (auto &device : s.registerNames)
            for (QString &r : device)
                r = storableDictionaryName(fromWindows1250(fields.next()));
        ++read;
    }
    return read;
}

bool loadDictionary(const QString &path, Dictionary &dictionary, bool partial)
{
    QByteArray bytes;
    if (!readSmallFile(path, DictionaryMaxSize, bytes))
        return false;
    Dictionary read = dictionary;
    const int meters = parseDictionary(bytes, read);
    if (meters == DictionarySlots || partial)
        dictionary.meters = read.meters;
    return meters == DictionarySlots;
}

QString dictionaryFileName(const QString &path)
{
    return path.indexOf(QStringLiteral(".slo"), 1) >= 1 ? path : path + QStringLiteral(".slo");
}

bool saveDictionary(const QString &path, const Dictionary &dictionary, QString *error)
{
    return writeFileSafely(dictionaryFileName(path), dictionaryText(dictionary), error);
}

} // namespace k71t
