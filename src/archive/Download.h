#pragma once
// Download of the meter's archive ring into the record store: status read,
// page reads through the page window, passes until no new records arrive,
// and the delete command.
#include "archive/ArchiveRecord.h"
#include "link/Modbus.h"

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

// How many of the `held` records read so far, which start at ring slot
// `heldStart`, the meter has dropped by the time of `now`: none while the
// records written since the pass that ended at `before` still fit into the
// free part of the ring. Once they reach the records held, everything up to
// the meter's new oldest record is gone (or was overwritten before it was
// read): at least the records overwritten, at most all that are held.
int droppedByMeter(int heldStart, int held, const ArchiveStatus &before, const ArchiveStatus &now);

// "Odczytano: n rekordów w czasie: t s" with the speed when t and n are not 0.
QString downloadStatistics(int n, int seconds);

class ArchiveDownload {
public:
    ArchiveDownload(ModbusLink &link, RegisterImage &image, RecordStore &store);

    bool ReadArchiveStatus();
    bool ReadArchivePage(int page);
    int DownloadFirstPass();
    int DownloadContinuation(int a);
    bool DeleteArchive();
    // The whole download: a first pass, then continuations until a pass adds
    // nothing. Returns the record count, 0 when empty, -1 on error.
    int DownloadAll();

    ArchiveStatus status() const;
    // Why the last pass failed, for the status line.
    enum class Failure { None, Status, Page, Pointers, Capacity };
    Failure failure() const { return failure_; }
    // Records the meter dropped from the oldest end while it was being read.
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

private:
    bool readStatusTwice();
    int readPages(const ArchiveStatus &s, int base, bool firstPass);
    void pageStep(int step);

    ModbusLink &link_;
    RegisterImage &image_;
    RecordStore &store_;
    Failure failure_ = Failure::None;
    int progressMax_ = 0;
    int progressPos_ = 0;
    // Ring slot of the first record held in the store, and records dropped.
    int heldStart_ = 0;
    int dropped_ = 0;
};

} // namespace k71t
