#include "config/SystemStatus.h"

#include "config/PageBlocks.h"
#include "config/PageIO.h"

namespace k71t {

namespace {

struct StatusBit {
    int bit;
    const char *set;
    const char *clear;
};

// In the order the page lists them; bits 1, 3 and 4 are not shown.
constexpr StatusBit StatusBits[] = {
    {15, "* Przerwa w zasilaniu.", "* Brak przerw w zasilaniu"},
    {14, "* RTC - przestawiony zegar.", "* RTC - O.K."},
    {13, "* Nastąpiła zmiana czasu.", "* Brak zmian czasu."},
    {12, "* FRAM-pamięć danych-błędy w komunikacji.", "* FRAM-pamięć danych-O.K."},
    {11, "* FRAM-pamięć danych-błąd nastaw.", "* FRAM-pamięć danych-nastawy O.K."},
    {10, "* Przywrócono nastawy fabryczne", "* Nastawy O.K."},
    {9, "* Brak wartości min i max.", "* Wartości min. i max. - O.K."},
    {8, "* Utracono archiwum - brak parametrów początku i końca", "* Parametry archiwum O.K."},
    {7, "* Wykryto płytkę wyjść dodatkowych.", "* Brak płytki wyjść dodatkowych."},
    {6, "* Płytka wyjść dodatkowych nieskalibrowana.", "* Płytka wyjść dodatkowych skalibrowana."},
    {5, "* Brak komunikacji z pamięcią archiwum.", "* Komunikacja z pamięcią archiwum O.K."},
    {2, "* Błędna konfiguracja ch-ki indywidualnej", "* Brak błędów w charkterystyce indywidualnej."},
    {0, "* Wartość wyświetlana-nie upłynął okres uśredniania", "* Wartość wyświetlana-upłynął okres uśredniania O.K."},
};

constexpr const char *CardTexts[] = {
    "Status: 0: Nie wykryto karty pamięci lub karta została usunięta.",
    "Status: 1: Karta umieszczona w gnieździe, ale przeznaczona do wysunięcia - karta odmontowana. Można "
    "bezpiecznie usunąć kartę.",
    "Status: 2: Karta umieszczona w gnieździe. Próba zainicjowana zakończona błędem.",
    "Status: 3: Karta umieszczona w gnieździe. Próba zainicjowana zakończona sukcesem. Włączona ochrona przed "
    "zapisem. Karta przygotowana do usunięcia - odmontowana.",
    "Status: 4: Karta umieszczona w gnieździe i zainicjowana poprawnie. Gotowa do zapisu danych.",
    "Status: 5: Karta umieszczona w gnieździe i zainicjowana poprawnie. Brak wolnego miejsca na karcie",
};

bool bitSet(std::uint16_t word, int bit)
{
    return (word >> bit) & 1u;
}

} // namespace

QStringList statusWordLines(std::uint16_t status)
{
    QStringList lines;
    for (const StatusBit &b : StatusBits)
        lines << QString::fromUtf8(bitSet(status, b.bit) ? b.set : b.clear);
    return lines;
}

QStringList deviceLines(std::uint16_t devices)
{
    QStringList lines;
    for (int d = 0; d < 10; ++d)
        lines << QStringLiteral("* Dev %1-urządzenie nr %2%3")
                     .arg(d)
                     .arg(d + 1)
                     .arg(bitSet(devices, d) ? QStringLiteral(" brak komunikacji.")
                                             : QStringLiteral(" komunikacja O.K."));
    return lines;
}

QStringList alarmLines(std::uint16_t alarms)
{
    QStringList lines;
    for (int k = 1; k <= 4; ++k) {
        lines << QStringLiteral("*AL%1%2").arg(k).arg(bitSet(alarms, k - 1) ? QStringLiteral("-stan-załączony.")
                                                                             : QStringLiteral("-stan-wyłączony."));
        lines << QStringLiteral("*AL%1%2").arg(k).arg(bitSet(alarms, k + 3)
                                                          ? QStringLiteral("-sygnalizacja-włączona.")
                                                          : QStringLiteral("-sygnalizacja-wyłączona."));
    }
    return lines;
}

QString cardLine(std::uint16_t card)
{
    return card < std::size(CardTexts) ? QString::fromUtf8(CardTexts[card]) : QString();
}

std::optional<QDate> clockDate(const RegisterImage &image)
{
    const int monthDay = image.reg16(4041);
    const QDate date(image.reg16(4042), monthDay / 100, monthDay % 100);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QTime> clockTime(const RegisterImage &image)
{
    const int hourMinute = image.reg16(4040);
    const int hour = hourMinute / 100, minute = hourMinute % 100;
    if (hour > 23 || minute > 59)
        return std::nullopt;
    return QTime(hour, minute, 0);
}

void setClockRegisters(RegisterImage &image, const QDate &date, const QTime &time, bool autoChange)
{
    image.reg16(4040) = static_cast<std::uint16_t>(time.hour() * 100 + time.minute());
    image.reg16(4041) = static_cast<std::uint16_t>(date.month() * 100 + date.day());
    image.reg16(4042) = static_cast<std::uint16_t>(date.year());
    image.reg16(4043) = autoChange ? 1 : 0;
}

bool statusRead(ModbusLink &link)
{
    return pageRead(link, pageBlocks(Owner::System)->read);
}

bool commandWrite(ModbusLink &link, int start, int count)
{
    return blockWrite(link, PageBlock{start, count});
}

bool sendCommand(ModbusLink &link, RegisterImage &image, int reg)
{
    image.reg16(reg) = 1;
    const bool ok = commandWrite(link, reg);
    image.reg16(reg) = 0;
    return ok;
}

} // namespace k71t
