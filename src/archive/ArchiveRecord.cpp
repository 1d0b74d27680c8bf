#include "archive/ArchiveRecord.h"

#include "link/RegisterImage.h"

namespace k71t {

ArchiveRecord ArchiveRecord::make(int device, int reg, int year, int month, int day, int hour, int minute,
                                  int second, float value)
{
    ArchiveRecord r;
    r.bytes = {static_cast<std::uint8_t>(device), static_cast<std::uint8_t>(reg),
               static_cast<std::uint8_t>(year - 2000), static_cast<std::uint8_t>(month),
               static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(hour),
               static_cast<std::uint8_t>(minute), static_cast<std::uint8_t>(second)};
    putFloatLe(r.bytes.data() + 8, value);
    return r;
}

void recordsFromPageWindow(const RegisterImage &image, ArchiveRecord *out)
{
    for (int j = 0; j < RecordsPerPage; ++j)
        for (int w = 0; w < 6; ++w)
            put16be(out[j].bytes.data() + 2 * w, image.reg16(4501 + 6 * j + w));
}

RecordStore::RecordStore() : records_(static_cast<std::size_t>(RecordStoreCapacity)) {}

int buildExportRows(const RecordStore &store, int count, int d, int start, int stop, std::vector<ExportRow> &rows,
                    float absent)
{
    rows.clear();
    if (rows.capacity() < static_cast<std::size_t>(RecordStoreCapacity))
        rows.reserve(static_cast<std::size_t>(RecordStoreCapacity));
    const int device = d + 1;
    const ArchiveRecord *r = store.data();
    for (int i = 0; i < count; ++i, ++r) {
        if (r->device() != device)
            continue;
        const int date = r->dateKey();
        if (date < start || date > stop)
            continue;
        const int time = r->timeKey();
        if (rows.empty() || rows.back().dateKey != date || rows.back().timeKey != time) {
            ExportRow row;
            row.dateKey = date;
            row.timeKey = time;
            for (float &v : row.R)
                v = absent;
            rows.push_back(row);
        }
        rows.back().R[r->reg() % 10] = r->value();
    }
    return static_cast<int>(rows.size());
}

} // namespace k71t
