#pragma once
// The archive as the meter delivers it: 12-byte records, the store that holds
// a download or a loaded file, and the rows an export groups them into.
#include "common/ByteOrder.h"
#include "link/RegisterImage.h"

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace k71t {

// One archived value, byte-exact as in the meter's page window and in .bin files.
struct ArchiveRecord {
    std::array<std::uint8_t, 12> bytes{};

    int device() const { return bytes[0]; } // device number + 1
    int reg() const { return bytes[1]; }
    int year() const { return 2000 + bytes[2]; }
    int month() const { return bytes[3]; }
    int day() const { return bytes[4]; }
    int hour() const { return bytes[5]; }
    int minute() const { return bytes[6]; }
    int second() const { return bytes[7]; }
    // The value travels least significant byte first.
    std::uint32_t valueBits() const { return get32le(bytes.data() + 8); }
    float value() const { return getFloatLe(bytes.data() + 8); }
    int dateKey() const { return year() * 10000 + month() * 100 + day(); }
    // Device 1 .. 10 and a date and time that exist: what a slot that once
    // held a record still looks like (an erased slot does not).
    bool plausible() const
    {
        return device() >= 1 && device() <= 10 && month() >= 1 && month() <= 12 && day() >= 1 && day() <= 31 &&
               hour() <= 23 && minute() <= 59 && second() <= 59;
    }
    int timeKey() const { return hour() * 10000 + minute() * 100 + second(); }

    static ArchiveRecord make(int device, int reg, int year, int month, int day, int hour, int minute, int second,
                              float value);
};
static_assert(sizeof(ArchiveRecord) == 12);

constexpr int RecordStoreCapacity = 616000;
constexpr int RecordsPerPage = 44;
constexpr int PageBytes = 528;
constexpr int ArchivePages = 7000;

// The records of the last download or loaded file, oldest first.
class RecordStore {
public:
    RecordStore();
    ArchiveRecord &operator[](int i) { return records_[static_cast<std::size_t>(i)]; }
    const ArchiveRecord &operator[](int i) const { return records_[static_cast<std::size_t>(i)]; }
    ArchiveRecord *data() { return records_.data(); }
    const ArchiveRecord *data() const { return records_.data(); }
    static constexpr int capacity() { return RecordStoreCapacity; }

    // Valid records; negative after a failed download.
    int count = 0;

private:
    std::vector<ArchiveRecord> records_;
};

class RegisterImage;

// Copies the 44 records of the archive page window (registers 4501 .. 4764 of
// the image) to `out`: record j is registers 4501 + 6j .. 4506 + 6j, each
// register high byte first, exactly as the meter sent them.
void recordsFromPageWindow(const RegisterImage &image, ArchiveRecord *out);

// One moment of one device: the values of its registers R0 .. R9.
struct ExportRow {
    std::int32_t dateKey;
    std::int32_t timeKey;
    float R[10];
};

// Groups the records of device d (0-based) with dates in [start, stop] into
// rows, in record order; records of one moment share a row while they are
// adjacent among the device's records. `rows` keeps its capacity between
// calls, so a reused vector allocates nothing. Returns the number of rows.
// Registers without a record in a row hold `absent` (the export's NoValue,
// the database table's own marker).
int buildExportRows(const RecordStore &store, int count, int d, int start, int stop, std::vector<ExportRow> &rows,
                    float absent = NoValue);

} // namespace k71t
