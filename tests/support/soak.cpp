// Randomized archive downloads over a faulty line: k71t-soak [RUNS] [--seed S]
// Each run puts a fresh simulated meter on a pseudo-terminal with a random
// ring (anywhere in its 7000 pages, often wrapping past the last one, from
// any record of a page), random growth during the download and one random
// fault plan (any kind, from a random request on, once or onwards), then
// runs the program's archive job, deleting after the download in half of
// the runs. A run is checked against the meter's own records: on success
// the .bin holds exactly the meter's records, each once and in order; on
// failure the result says so and the meter still holds every record it had.
// Prints a table; exit status 1 when any record was lost or duplicated or a
// meter was cleared without its records on disk.
#include "archive/ArchiveFiles.h"
#include "archive/ArchiveJob.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>

using namespace k71t;

namespace {

using Records = std::vector<ArchiveRecord>;

std::string key(const ArchiveRecord &r)
{
    return std::string(reinterpret_cast<const char *>(&r), sizeof r);
}

bool same(const Records &a, const Records &b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(ArchiveRecord)) == 0);
}

// Records of `expected` missing from `got`, and records of `got` beyond
// their count in `expected` (duplicates, or records from nowhere).
std::pair<long, long> lostAndExtra(const Records &expected, const Records &got)
{
    std::map<std::string, long> count;
    for (const ArchiveRecord &r : expected)
        ++count[key(r)];
    long extra = 0;
    for (const ArchiveRecord &r : got)
        if (--count[key(r)] < 0)
            ++extra;
    long lost = 0;
    for (const auto &[k, c] : count)
        if (c > 0)
            lost += c;
    return {lost, extra};
}

const sim::Fault Kinds[] = {sim::Fault::Silence, sim::Fault::WrongSlave, sim::Fault::BadCrc, sim::Fault::Exception,
                            sim::Fault::Truncated, sim::Fault::Late, sim::Fault::Garbage, sim::Fault::ByteCount};
const char *const KindNames[] = {"silence", "wrong-slave", "bad-crc", "exception", "truncated", "late", "garbage",
                                 "byte-count"};

struct Totals {
    long runs = 0, succeeded = 0, failed = 0, deleted = 0, checked = 0, lost = 0, duplicated = 0, wronglyCleared = 0,
         untouchedViolations = 0;
    long faults[8] = {};
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    long runs = 30;
    unsigned seed = std::random_device{}();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else
            runs = std::strtol(argv[i], nullptr, 10);
    }
    std::printf("k71t-soak: %ld runs, seed %u\n", runs, seed);
    auto store = std::make_unique<RecordStore>();
    Totals t;
    SystemClock clock;
    for (long run = 0; run < runs; ++run) {
        std::mt19937 rng(seed + static_cast<unsigned>(run));
        auto pick = [&rng](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
        test::SimHarness sim;
        test::LinkHarness link(sim.path);
        const int page = pick(0, 1) ? pick(6930, 6999) : pick(0, 6999);
        sim.meter.setArchiveStart(page, pick(0, 43) * 12);
        sim.meter.fillArchive(pick(0, 2500));
        if (pick(0, 2) == 0)
            sim.meter.setArchiveGrowth(pick(1, 60), pick(1, 3), pick(1, 3));
        const int kind = pick(0, 7);
        sim::FaultPlan plan;
        plan.fault = Kinds[kind];
        plan.nth = pick(1, 150);
        plan.onwards = pick(0, 7) == 0;
        plan.lateMs = pick(20, 400);
        plan.onlyFunction = pick(0, 3) == 0 ? (pick(0, 1) ? 3 : 16) : 0;
        plan.exceptionCode = pick(1, 6);
        sim.fault(plan);
        ++t.faults[kind];
        const bool deleteAfter = pick(0, 1) == 1;
        const Records initial = sim.meter.archiveRecords();

        test::TempDir dir;
        ArchiveDownload download(link.link, link.image, *store);
        ArchiveJob job(download, *store, link.image, clock);
        const ArchiveJobOutcome o = job.run({dir.path(), 1, deleteAfter, false});
        // The line is quiet again before the meter is asked what it holds.
        sim.fault(sim::FaultPlan{});
        const Records now = sim.meter.archiveRecords();
        const bool cleared = sim.meter.deletions() > 0;
        const Records removed = sim.meter.lastDeletedRecords();
        ++t.runs;
        Records bin;
        if (o.saved()) {
            RegisterImage image;
            const int n = loadBin(o.binPath, *store, image);
            for (int i = 0; i < n; ++i)
                bin.push_back((*store)[i]);
        }
        const char *verdict = "ok";
        if (o.records >= 0 && o.saved()) {
            ++t.succeeded;
            // Everything the meter held at the end of the job (or, when it
            // was cleared, at the moment of the clear) is in the file.
            const Records &expected = cleared ? removed : now;
            t.checked += static_cast<long>(expected.size());
            if (!same(expected, bin)) {
                const auto [lost, extra] = lostAndExtra(expected, bin);
                t.lost += lost;
                t.duplicated += extra;
                verdict = "MISMATCH";
            }
        } else {
            ++t.failed;
            t.checked += static_cast<long>(initial.size());
            // A failed job leaves every record the meter had.
            const Records &held = cleared ? removed : now;
            if (held.size() < initial.size() ||
                std::memcmp(held.data(), initial.data(), initial.size() * sizeof(ArchiveRecord)) != 0) {
                ++t.untouchedViolations;
                verdict = "METER CHANGED";
            }
        }
        if (cleared) {
            ++t.deleted;
            if (!o.saved() || !same(removed, bin)) {
                ++t.wronglyCleared;
                verdict = "CLEARED UNSAVED";
            }
        }
        if (std::strcmp(verdict, "ok") != 0 || (run + 1) % 50 == 0)
            std::printf("run %ld (seed %u): %s, fault %s from request %d%s, %zu records, %s\n", run + 1,
                        seed + static_cast<unsigned>(run), verdict, KindNames[kind], plan.nth,
                        plan.onwards ? " onwards" : "", initial.size(),
                        o.records >= 0 && o.saved() ? "downloaded" : "failed");
        std::fflush(stdout);
    }
    std::printf("\n| runs | succeeded | failed (reported) | meters cleared | records checked | lost | duplicated | "
                "cleared without the records on disk | failed runs that changed the meter |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    std::printf("| %ld | %ld | %ld | %ld | %ld | %ld | %ld | %ld | %ld |\n", t.runs, t.succeeded, t.failed, t.deleted,
                t.checked, t.lost, t.duplicated, t.wronglyCleared, t.untouchedViolations);
    std::printf("\nfault plans:");
    for (int k = 0; k < 8; ++k)
        std::printf(" %s %ld", KindNames[k], t.faults[k]);
    std::printf("\n");
    return t.lost || t.duplicated || t.wronglyCleared || t.untouchedViolations ? 1 : 0;
}
