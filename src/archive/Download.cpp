#include "archive/Download.h"

#include <algorithm>
#include <cstring>

namespace k71t {

namespace {
constexpr int PageTries = 5;
constexpr int FirstPassRetryPauseMs = 200;
constexpr int ContinuationRetryPauseMs = 500;
// Before the status read is tried again, a reply still on its way is given
// time to arrive, so that it is drained and not taken for the next one.
constexpr int StatusRetryPauseMs = 200;

int ringDistance(int from, int to)
{
    return ((to - from) % RingSlots + RingSlots) % RingSlots;
}
} // namespace

QString downloadStatistics(int n, int seconds)
{
    QString text = QStringLiteral("Odczytano: %1 rekordów w czasie: %2 s").arg(n).arg(seconds);
    if (seconds != 0 && n > 0)
        text += QStringLiteral(" przy prędkości: %1 rekordów/sekundę ").arg(n / seconds);
    return text;
}

QString timeLeftText(int seconds)
{
    seconds = std::max(0, seconds);
    const int hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
    if (hours > 0)
        return QStringLiteral("%1 godz. %2 min").arg(hours).arg(minutes);
    if (minutes > 0)
        return QStringLiteral("%1 min %2 s").arg(minutes).arg(rest);
    return QStringLiteral("%1 s").arg(rest);
}

bool planPass(const ArchiveStatus &s, PassPlan &plan)
{
    plan = {};
    const auto pageOk = [](int p) { return p >= 0 && p < ArchivePages; };
    const auto offsetOk = [](int o) { return o >= 0 && o <= PageBytes; };
    if (!pageOk(s.firstPage) || !pageOk(s.lastPage) || !offsetOk(s.firstOffset) || !offsetOk(s.lastOffset))
        return false;
    if (s.firstPage == s.lastPage && s.firstOffset == s.lastOffset)
        return true;
    if (s.firstPage == s.lastPage && s.firstOffset < s.lastOffset)
        plan.pages = 1;
    else if (s.firstPage < s.lastPage)
        plan.pages = s.lastPage - s.firstPage + 1;
    else
        plan.pages = ArchivePages - s.firstPage + s.lastPage + 1;
    plan.lead = s.firstOffset / 12;
    plan.tail = (PageBytes - s.lastOffset) / 12;
    return true;
}

int overwrittenSlots(int held, const ArchiveStatus &before, const ArchiveStatus &now)
{
    const int written = ringDistance(ringSlot(before.lastPage, before.lastOffset), ringSlot(now.lastPage, now.lastOffset));
    return std::clamp(written - (RingSlots - held), 0, held);
}

ArchiveDownload::ArchiveDownload(ModbusLink &link, RegisterImage &image, RecordStore &store)
    : link_(link), image_(image), store_(store)
{
}

ArchiveStatus ArchiveDownload::status() const
{
    return {image_.reg16(4046), image_.reg16(4047), image_.reg16(4048), image_.reg16(4049)};
}

void ArchiveDownload::pageStep(int step)
{
    if (onPageStep)
        onPageStep(step);
}

bool ArchiveDownload::readArchiveStatus()
{
    return link_.readBlock16(4046, 4, 10, 50) && link_.readBlock16(4300, 80, 10, 50) &&
           link_.readBlock32(7664, 20, 10, 50);
}

bool ArchiveDownload::readArchivePage(int page)
{
    if (!link_.openIfClosed())
        return false;
    link_.drainInput();
    pageStep(0);
    if (page >= ArchivePages)
        page -= ArchivePages;
    image_.reg16(4500) = static_cast<std::uint16_t>(page);
    const bool selected = link_.writeBlock16(4500, 1, 1, 500, false);
    pageStep(1);
    link_.drainInput();
    pause(1);
    if (!selected)
        return false;
    if (!link_.readBlock16(4501, 100, 1, 500))
        return false;
    pause(1);
    pageStep(2);
    link_.drainInput();
    if (!link_.readBlock16(4601, 100, 1, 500))
        return false;
    pause(1);
    pause(1);
    pageStep(3);
    link_.drainInput();
    const bool last = link_.readBlock16(4701, 64, 1, 500);
    pageStep(4);
    pause(1);
    link_.drainInput();
    return last;
}

int ArchiveDownload::readPages(const ArchiveStatus &s, int base, bool firstPass)
{
    PassPlan plan;
    if (!planPass(s, plan)) {
        failure_ = Failure::Pointers;
        return -1;
    }
    lastPassEmpty_ = plan.pages == 0;
    if (plan.pages == 0)
        return base;
    if (static_cast<long>(base) + static_cast<long>(RecordsPerPage) * plan.pages > RecordStoreCapacity) {
        failure_ = Failure::Capacity;
        return -1;
    }
    if (firstPass) {
        progressMax_ = plan.pages;
        progressPos_ = 0;
    } else {
        progressMax_ = base / RecordsPerPage + plan.pages;
    }
    if (onPagesProgress)
        onPagesProgress(progressMax_, progressPos_);

    for (int k = 0; k < plan.pages; ++k) {
        if (stopRequested && stopRequested()) {
            failure_ = Failure::Stopped;
            return -1;
        }
        bool ok = false;
        for (int attempt = 0; attempt < PageTries && !ok; ++attempt) {
            if (attempt > 0)
                pause(firstPass ? FirstPassRetryPauseMs : ContinuationRetryPauseMs);
            ok = readArchivePage(s.firstPage + k);
        }
        if (!ok) {
            failure_ = Failure::Page;
            return -1;
        }
        recordsFromPageWindow(image_, &store_[base + RecordsPerPage * k]);
        ++progressPos_;
        if (onPagesProgress)
            onPagesProgress(progressMax_, progressPos_);
        if (onRecords)
            onRecords(RecordsPerPage * (k + 1) + base);
    }
    const int total = RecordsPerPage * plan.pages;
    if (plan.lead > 0)
        std::memmove(store_.data() + base, store_.data() + base + plan.lead,
                     sizeof(ArchiveRecord) * static_cast<std::size_t>(total - plan.lead));
    const int result = base + total - plan.lead - plan.tail;
    if (onRecords)
        onRecords(result);
    return result;
}

bool ArchiveDownload::readStatusTwice()
{
    if (readArchiveStatus())
        return true;
    // The retry starts with an empty input queue: whatever the failed try
    // left there (an exception, a partial or a late reply) is not its answer.
    pause(StatusRetryPauseMs);
    link_.drainInput();
    if (readArchiveStatus())
        return true;
    failure_ = Failure::Status;
    return false;
}

int ArchiveDownload::downloadFirstPass()
{
    failure_ = Failure::None;
    dropped_ = 0;
    offRing_ = 0;
    if (!readStatusTwice())
        return -1;
    const ArchiveStatus s = status();
    heldStart_ = ringSlot(s.firstPage, s.firstOffset);
    return readPages(s, 0, true);
}

int ArchiveDownload::downloadContinuation(int a)
{
    failure_ = Failure::None;
    const ArchiveStatus previous = status();
    if (!readStatusTwice())
        return -1;
    const ArchiveStatus now = status();
    const int overwritten = overwrittenSlots(a - offRing_, previous, now);
    // The pass starts where the previous one ended, not at the meter's oldest record.
    ArchiveStatus s = now;
    s.firstPage = previous.lastPage;
    s.firstOffset = previous.lastOffset;
    const int n = readPages(s, a, false);
    if (n < 0 || overwritten == 0)
        return n;
    return settleOverwritten(a, n, overwritten, now);
}

int ArchiveDownload::settleOverwritten(int a, int n, int overwritten, const ArchiveStatus &now)
{
    // A full ring that kept filling: the newest records, just read, went into
    // the slots of the oldest records held. A held record that is the same
    // as the newest one of its slot was read after it had been overwritten:
    // a duplicate, out of order, dropped. One that differs was read before:
    // a record of its own, kept at the front, where it belongs by age. So are
    // the records of the pages the meter gave up around them, unless the
    // slot held no record at all.
    const int ringHeld = a - offRing_;
    const int freeSlots = RingSlots - ringHeld;
    const int toOldest = ringDistance(heldStart_, ringSlot(now.firstPage, now.firstOffset));
    const int gone = toOldest >= overwritten && toOldest <= ringHeld ? toOldest : overwritten;
    int kept = offRing_;
    for (int i = 0; i < gone; ++i) {
        const ArchiveRecord &held = store_[offRing_ + i];
        const int newest = a + freeSlots + i;
        const bool reread = i < overwritten && newest < n && store_[newest].bytes == held.bytes;
        if (reread || !held.plausible()) {
            ++dropped_;
            continue;
        }
        store_[kept++] = held;
    }
    const int rest = n - (offRing_ + gone);
    std::memmove(store_.data() + kept, store_.data() + offRing_ + gone,
                 sizeof(ArchiveRecord) * static_cast<std::size_t>(rest));
    offRing_ = kept;
    heldStart_ = (heldStart_ + gone) % RingSlots;
    if (onRecords)
        onRecords(kept + rest);
    return kept + rest;
}

int ArchiveDownload::downloadAll()
{
    int n = downloadFirstPass();
    for (int i = 0; i < 2 && n >= 0; ++i)
        n = downloadContinuation(n);
    return downloadRest(n);
}

int ArchiveDownload::downloadRest(int n)
{
    // Until a pass finds nothing new (the count alone could stay the same
    // when a full ring replaced as many records as it added).
    while (n >= 0) {
        n = downloadContinuation(n);
        if (lastPassEmpty_)
            break;
    }
    return n;
}

bool ArchiveDownload::deleteArchive()
{
    if (!link_.openIfClosed())
        return false;
    link_.drainInput();
    pageStep(0);
    image_.reg16(4045) = 1;
    const bool ok = link_.writeBlock16(4045, 1, 10, 50, false);
    // The command must not stay armed in the image: the configuration file
    // holds 4045, and a write of the general block would delete again.
    image_.reg16(4045) = 0;
    link_.drainInput();
    return ok;
}

} // namespace k71t
