#pragma once
// Download of the meter's archive ring into the record store: status read,
// page reads through the page window, passes until no new records arrive,
// and the delete command.
#include "archive/ArchiveRecord.h"
#include "link/ModbusLink.h"

#include <QString>
#include <functional>

namespace k71t {

// The four archive pointers 4046 .. 4049.
struct ArchiveStatus {
    int firstPage = 0;   // page of the oldest record
    int lastPage = 0;    // page being filled
    int firstOffset = 0; // byte offset of the oldest record in firstPage
    int lastOffset = 0;  // byte offset just past the newest record in lastPage
};

// Pages of a pass from firstPage, and the records to drop at both ends.
struct PassPlan {
    int pages = 0; // 0: nothing new
    int lead = 0;
    int tail = 0;
};

// Plans a pass; false when the pointers lie outside the ring (pages 0 .. 6999,
// offsets 0 .. 528), which a meter in order never reports.
bool planPass(const ArchiveStatus &s, PassPlan &plan);

// Record slots of the whole ring, and the slot of a page and byte offset.
constexpr int RingSlots = ArchivePages * RecordsPerPage;
inline int ringSlot(int page, int offset) { return (page * RecordsPerPage + offset / 12) % RingSlots; }

// How many of the `held` records (those still in their ring slots) the
// records written since the pass that ended at `before` have overwritten by
// the time of `now`: none while the new records fit into the free part of the
// ring, else the overflow (at most all that are held).
int overwrittenSlots(int held, const ArchiveStatus &before, const ArchiveStatus &now);

// "Odczytano: n rekordów w czasie: t s" with the speed when t and n are not 0.
QString downloadStatistics(int n, int seconds);
// A time left as the status line tells it: "1 godz. 5 min", "12 min 5 s", "40 s".
QString timeLeftText(int seconds);

class ArchiveDownload {
public:
    ArchiveDownload(ModbusLink &link, RegisterImage &image, RecordStore &store);

    bool readArchiveStatus();
    bool readArchivePage(int page);
    int downloadFirstPass();
    int downloadContinuation(int a);
    bool deleteArchive();
    // The whole download: a first pass, then continuations until a pass adds
    // nothing. Returns the record count, 0 when empty, -1 on error.
    int downloadAll();
    // Continuations after `n` records until a pass finds nothing new.
    int downloadRest(int n);

    ArchiveStatus status() const;
    ModbusLink &link() { return link_; }
    // Why the last pass failed, for the status line.
    // Stopped: asked to stop (stopRequested) before a page.
    enum class Failure { None, Status, Page, Pointers, Capacity, Stopped };
    Failure failure() const { return failure_; }
    // The last pass found nothing new in the meter's archive.
    bool lastPassEmpty() const { return lastPassEmpty_; }
    // Records dropped because they were read again after the meter had
    // overwritten them (duplicates of newer ones) or held no record.
    int droppedRecords() const { return dropped_; }

    // Progress for the window: steps within a page (0 .. 4), the pages bar
    // (maximum, position) and the records read so far.
    std::function<void(int)> onPageStep;
    std::function<void(int, int)> onPagesProgress;
    std::function<void(int)> onRecords;
    // Every pause of the download itself (the 1 ms gaps between the steps of
    // a page, the pauses before a retry; not the link's polling). Tests that
    // are not about timing replace it.
    std::function<void(int)> pause = sleepMs;
    // Asked before each page: true ends the pass there (the operator's
    // "Przerwij", the program closing, Ctrl+C in the command-line tool).
    std::function<bool()> stopRequested;

private:
    bool readStatusTwice();
    int readPages(const ArchiveStatus &s, int base, bool firstPass);
    int settleOverwritten(int a, int n, int overwritten, const ArchiveStatus &now);
    void pageStep(int step);

    ModbusLink &link_;
    RegisterImage &image_;
    RecordStore &store_;
    Failure failure_ = Failure::None;
    int progressMax_ = 0;
    int progressPos_ = 0;
    // The store starts with `offRing_` records whose ring slots the meter has
    // given up since they were read; the records after them are in the ring
    // from slot `heldStart_` on.
    int offRing_ = 0;
    bool lastPassEmpty_ = false;
    int heldStart_ = 0;
    int dropped_ = 0;
};

} // namespace k71t
