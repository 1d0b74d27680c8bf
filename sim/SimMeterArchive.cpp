// The simulated meter's archive: the page window served from the selected
// page, records made up or appended, growth after status reads, pages left
// unanswered, the dump of every change, and what a delete removed.
#include "SimMeter.h"

#include "common/ByteOrder.h"

#include <QFile>

namespace k71t::sim
{

void SimMeter::loadPageWindow()
{
    const int page = regs_.reg16(4500) % ArchivePages;
    const std::uint8_t *b = archive_.page(page);
    for (int i = 0; i < PageBytes / 2; ++i)
        regs_.reg16(4501 + i) = get16be(b + 2 * i);
}

void SimMeter::archiveChanged()
{
    regs_.reg16(4046) = static_cast<std::uint16_t>(archive_.firstPage);
    regs_.reg16(4047) = static_cast<std::uint16_t>(archive_.lastPage);
    regs_.reg16(4048) = static_cast<std::uint16_t>(archive_.firstOffset);
    regs_.reg16(4049) = static_cast<std::uint16_t>(archive_.lastOffset);
    regs_.reg32(7509) = 100.0f * static_cast<float>(archive_.count()) / float(ArchivePages * RecordsPerPage);
    if (dumpPath_.isEmpty())
        return;
    const std::vector<ArchiveRecord> records = archive_.records();
    QFile file(dumpPath_ + QStringLiteral(".tmp"));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(reinterpret_cast<const char *>(records.data()), static_cast<qint64>(records.size() * 12));
        file.close();
        QFile::remove(dumpPath_);
        file.rename(dumpPath_);
    }
}

void SimMeter::generateRecords(int n)
{
    // (device, register) pairs archived at every moment.
    std::vector<std::pair<int, int>> archived;
    for (int d = 0; d < 10; ++d)
        for (int r = 0; r < 10; ++r)
            if (regs_.reg16(4305 + 8 * d) & (1u << r))
                archived.emplace_back(d, r);
    if (archived.empty())
        archived = {{0, 0}, {0, 1}, {2, 5}};
    int made = 0;
    while (made < n) {
        const QDate date = nextMoment_.date();
        const QTime time = nextMoment_.time();
        const qint64 moment = nextMoment_.toSecsSinceEpoch() / 10;
        for (const auto &[d, r] : archived) {
            if (made == n)
                break;
            // Now and then a device does not answer: the meter stores no value.
            const bool silent = (moment + d) % 13 == 0;
            const float value =
                silent ? NoValue
                       : static_cast<float>(10 * d + r + 5.0 * std::sin(moment / 7.0 + r) + 0.001 * (moment % 1000));
            archive_.append(ArchiveRecord::make(d + 1, r, date.year(), date.month(), date.day(), time.hour(),
                                                time.minute(), time.second(), value));
            ++made;
        }
        nextMoment_ = nextMoment_.addSecs(10);
    }
}

void SimMeter::setArchiveStart(int page, int offset)
{
    std::lock_guard lock(mutex_);
    archive_.reset(page % ArchivePages, offset);
    archiveChanged();
}

void SimMeter::fillArchive(int records)
{
    std::lock_guard lock(mutex_);
    generateRecords(records);
    archiveChanged();
}

void SimMeter::appendArchive(const ArchiveRecord &record)
{
    std::lock_guard lock(mutex_);
    archive_.append(record);
    archiveChanged();
}

void SimMeter::setArchiveGrowth(int records, int reads, int firstRead)
{
    std::lock_guard lock(mutex_);
    growRecords_ = records;
    growReads_ = reads;
    growSkip_ = std::max(0, firstRead - 1);
}

void SimMeter::failArchivePage(int page, int times)
{
    std::lock_guard lock(mutex_);
    failPage_ = page;
    failPageTimes_ = times;
}

void SimMeter::setArchiveDump(const QString &path)
{
    std::lock_guard lock(mutex_);
    dumpPath_ = path;
    archiveChanged();
}

std::vector<ArchiveRecord> SimMeter::archiveRecords() const
{
    std::lock_guard lock(mutex_);
    return archive_.records();
}

std::vector<ArchiveRecord> SimMeter::lastDeletedRecords() const
{
    std::lock_guard lock(mutex_);
    return lastDeleted_;
}

int SimMeter::deletions() const
{
    std::lock_guard lock(mutex_);
    return deletions_;
}

} // namespace k71t::sim
