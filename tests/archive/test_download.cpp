// The archive download against the simulated meter's ring.
#include "archive/ArchiveFiles.h"
#include "support/AppHarness.h"
#include "support/SimFixture.h"
#include "support/Wait.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

using namespace k71t;
using k71t::sim::Bytes;
using k71t::sim::Fault;

TEST(PassPlan, PageCountsAndDroppedRecords)
{
    struct Case {
        ArchiveStatus s;
        bool ok;
        int pages, lead, tail;
    };
    const Case cases[] = {
        {{5, 5, 0, 0}, true, 0, 0, 0},        {{5, 5, 24, 120}, true, 1, 2, 34},
        {{5, 7, 48, 96}, true, 3, 4, 36},     {{6998, 1, 0, 528}, true, 4, 0, 0},
        {{5, 5, 300, 100}, true, 7001, 25, 35}, {{6999, 6999, 0, 528}, true, 1, 0, 0},
        {{7000, 1, 0, 0}, false, 0, 0, 0},    {{1, 7000, 0, 0}, false, 0, 0, 0},
        {{1, 2, 529, 0}, false, 0, 0, 0},     {{1, 2, 0, 600}, false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        PassPlan plan;
        EXPECT_EQ(planPass(c.s, plan), c.ok) << c.s.firstPage << "," << c.s.lastPage;
        EXPECT_EQ(plan.pages, c.pages) << c.s.firstPage << "," << c.s.lastPage;
        EXPECT_EQ(plan.lead, c.lead);
        EXPECT_EQ(plan.tail, c.tail);
    }
    // 92 records for (5, 7, 48, 96), 176 for (6998, 1, 0, 528).
    PassPlan p;
    planPass({5, 7, 48, 96}, p);
    EXPECT_EQ(44 * p.pages - p.lead - p.tail, 92);
}

TEST(PassPlan, RecordsOverwrittenWhileTheArchiveWasRead)
{
    struct Case {
        const char *what;
        int held;
        ArchiveStatus before, now;
        int overwritten;
    };
    const int full = RingSlots;
    const Case cases[] = {
        {"nothing new", 100, {0, 2, 0, 240}, {0, 2, 0, 240}, 0},
        {"new records in the free part", 100, {0, 2, 0, 240}, {0, 5, 0, 240}, 0},
        {"deleted meanwhile", 100, {0, 2, 0, 240}, {2, 2, 240, 240}, 0},
        {"full ring grew by 100", full, {10, 9, 0, 528}, {13, 12, 0, 144}, 100},
        {"44 slots were free", full - 44, {11, 9, 0, 528}, {12, 11, 0, 144}, 12},
        {"grew past slot 0 of the ring", full, {6999, 6998, 0, 528}, {2, 1, 0, 144}, 100},
        {"grew by almost a whole ring", 1000, {0, 30, 0, 12}, {30, 29, 0, 0}, 955},
    };
    for (const Case &c : cases)
        EXPECT_EQ(overwrittenSlots(c.held, c.before, c.now), c.overwritten) << c.what;
}

namespace {

// The millisecond gaps between the steps of a page are skipped, so that a
// full ring downloads in seconds; the pauses before a retry stay as they are,
// since they let a late reply arrive and be drained instead of answering the
// next try.
void gapsSkipped(int ms)
{
    if (ms > 1)
        sleepMs(ms);
}

struct Download : ::testing::Test {
    test::SimHarness sim;
    test::AppHarness app;
    ArchiveWindow *window = nullptr;

    void SetUp() override
    {
        app.startWithMeter(sim.path);
        window = app.archiveWindow;
        window->download().pause = gapsSkipped;
    }
    std::vector<int> pagesSelected() const { return sim.pagesSelected(); }
    bool storeMatchesMeter(int n) const
    {
        const auto meter = sim.meter.archiveRecords();
        if (static_cast<int>(meter.size()) != n)
            return false;
        for (int i = 0; i < n; ++i)
            if (meter[static_cast<std::size_t>(i)].bytes != app.ctx->records[i].bytes)
                return false;
        return true;
    }
    QStringList archiveFiles() const { return QDir(app.ctx->archivesDirectory).entryList(QDir::Files); }
    bool deleteSent() const { return sim.deleteSent(); }
};

} // namespace

TEST_F(Download, EmptyArchive)
{
    sim.meter.setArchiveStart(5, 0);
    // What a download before showed is not left standing.
    window->setWindowTitle(QStringLiteral("Dane w pamięci"));
    window->statusBar->showMessage(QStringLiteral("Dane w pamięci. Archiwum w K71T skasowane."));
    bool frameless = false;
    app.prompt.onMessage = [&] { frameless = window->windowFlags() & Qt::FramelessWindowHint; };
    window->onDownloadClicked();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Archiwum"));
    EXPECT_TRUE(window->statusBar->currentMessage().isEmpty());
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Archiwum jest puste"));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Ostrzeżenie"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Information);
    EXPECT_TRUE(frameless); // the border is off while the download runs
    EXPECT_FALSE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(archiveFiles().isEmpty());
    EXPECT_TRUE(pagesSelected().empty());
    EXPECT_EQ(app.ctx->records.count, 0);
}

TEST_F(Download, OnePageWithLeadAndTail)
{
    sim.meter.setArchiveStart(5, 24);
    sim.meter.fillArchive(8);
    window->onDownloadClicked();
    EXPECT_EQ(app.ctx->records.count, 8);
    EXPECT_TRUE(storeMatchesMeter(8));
    EXPECT_EQ(pagesSelected(), std::vector<int>({5}));
    EXPECT_EQ(window->recordCountLabel->text(), QStringLiteral("Odczytanych rekordów: 8"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Dane w pamięci"));
    EXPECT_EQ(window->statusBar->currentMessage(), QStringLiteral("Dane w pamięci."));
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Info"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::None);
    EXPECT_TRUE(app.prompt.messages[0].text.startsWith(QStringLiteral("Odczytano: 8 rekordów w czasie: ")));
    // The archive file holds the records and the device trailer.
    const QStringList files = archiveFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].endsWith(QStringLiteral("_1.bin")));
    QFile bin(app.ctx->archivesDirectory + files[0]);
    ASSERT_TRUE(bin.open(QIODevice::ReadOnly));
    EXPECT_EQ(bin.size(), 8 * 12 + 240);
    EXPECT_FALSE(deleteSent());
}

TEST_F(Download, ThreePages)
{
    sim.meter.setArchiveStart(5, 48);
    sim.meter.fillArchive(92);
    EXPECT_EQ(sim.meter.reg16(4047), 7);
    EXPECT_EQ(sim.meter.reg16(4049), 96);
    EXPECT_EQ(window->download().downloadFirstPass(), 92);
    EXPECT_EQ(pagesSelected(), std::vector<int>({5, 6, 7}));
    EXPECT_TRUE(storeMatchesMeter(92));
    QCoreApplication::sendPostedEvents(window); // the progress comes as queued calls
    EXPECT_EQ(window->downloadProgress->value(), 3);
    EXPECT_EQ(window->pageProgress->value(), 4);
}

TEST_F(Download, RingWrappedPastTheLastPage)
{
    sim.meter.setArchiveStart(6998, 0);
    sim.meter.fillArchive(176);
    EXPECT_EQ(sim.meter.reg16(4047), 1);
    EXPECT_EQ(sim.meter.reg16(4049), 528);
    window->onDownloadClicked();
    EXPECT_EQ(app.ctx->records.count, 176);
    EXPECT_TRUE(storeMatchesMeter(176));
    EXPECT_EQ(pagesSelected(), std::vector<int>({6998, 6999, 0, 1}));
}

TEST_F(Download, RecordsAddedDuringTheDownloadAreAllTakenOnce)
{
    sim.meter.setArchiveStart(100, 36);
    sim.meter.fillArchive(100);
    sim.meter.setArchiveGrowth(30, 3);
    window->onDownloadClicked();
    EXPECT_EQ(app.ctx->records.count, 190);
    EXPECT_TRUE(storeMatchesMeter(190));
    const std::vector<int> pages = pagesSelected();
    EXPECT_EQ(pages.front(), 100);
    EXPECT_EQ(pages.back(), sim.meter.reg16(4047));
}

TEST_F(Download, PageThatNeverAnswers)
{
    sim.meter.setArchiveStart(10, 0);
    sim.meter.fillArchive(100);
    sim.meter.failArchivePage(11, 5);
    window->onDownloadClicked();
    EXPECT_EQ(app.ctx->records.count, -1);
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błąd transmisji lub urządzenie nie podłączone"));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Error);
    const std::vector<int> pages = pagesSelected();
    EXPECT_EQ(std::count(pages.begin(), pages.end(), 11), 5); // five tries, then the end
    EXPECT_TRUE(archiveFiles().isEmpty());
    EXPECT_EQ(sim.meter.archiveRecords().size(), 100u);
    // The export refuses a failed download.
    app.prompt.messages.clear();
    window->onExportDatClicked();
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Archiwum jest puste lub plik nie został załadowany"));
}

TEST_F(Download, PageThatAnswersAtTheFifthTry)
{
    sim.meter.setArchiveStart(10, 0);
    sim.meter.fillArchive(100);
    sim.meter.failArchivePage(11, 4);
    EXPECT_EQ(window->download().downloadFirstPass(), 100);
    EXPECT_TRUE(storeMatchesMeter(100));
}

TEST_F(Download, MeterThatDoesNotAnswerOrAnswersWrongly)
{
    sim.meter.fillArchive(50);
    for (Fault f : {Fault::Silence, Fault::WrongSlave, Fault::BadCrc}) {
        sim.fault(f);
        EXPECT_EQ(window->download().downloadFirstPass(), -1) << int(f);
        EXPECT_EQ(window->download().failure(), ArchiveDownload::Failure::Status);
    }
    // The status answers, every page read comes from another slave.
    sim.fault(Fault::None);
    ASSERT_TRUE(window->download().readArchiveStatus());
    sim.fault(Fault::WrongSlave);
    EXPECT_FALSE(window->download().readArchivePage(0));
}

TEST_F(Download, StatusReadRetryStartsWithAnEmptyQueue)
{
    sim.meter.setArchiveStart(5, 0);
    sim.meter.fillArchive(50);
    struct Case {
        Fault fault;
        int leftBehind; // bytes of the failed status read that stay queued
    };
    for (const Case c : {Case{Fault::Exception, 5}, Case{Fault::Truncated, 10}, Case{Fault::Late, 13}}) {
        sim.fault(c.fault, 1, 4, 700);
        const int repliesBefore = sim.line.repliesSent();
        // The first pause of the download is the one before the retry: it
        // lasts until the failed try's answer is queued.
        bool waited = false;
        window->download().pause = [&](int ms) {
            if (std::exchange(waited, true))
                return gapsSkipped(ms);
            EXPECT_TRUE(test::waitUntil([&] {
                return sim.line.repliesSent() > repliesBefore && app.ctx->link.inputQueueCount() >= c.leftBehind;
            }));
        };
        EXPECT_EQ(window->download().downloadAll(), 50) << int(c.fault);
        EXPECT_TRUE(storeMatchesMeter(50)) << int(c.fault);
        EXPECT_TRUE(waited);
    }
    window->download().pause = gapsSkipped;
}

TEST_F(Download, FullRingThatGrowsDuringTheDownloadKeepsEveryRecordOnceInOrder)
{
    struct Case {
        const char *what;
        int growsAtStatusRead;
        int lost; // oldest records overwritten before they could be read
    };
    // After the first status read the meter writes 100 records over its three
    // oldest pages before they are read; after the second one it does so once
    // they have been read.
    for (const Case c : {Case{"before the pages are read", 1, 100}, Case{"after the pages were read", 2, 0}}) {
        test::SimHarness meter;
        meter.meter.setArchiveStart(3000, 0);
        meter.meter.fillArchive(RingSlots);
        const auto held = meter.meter.archiveRecords();
        meter.meter.setArchiveGrowth(100, 1, c.growsAtStatusRead);
        app.ctx->portMap.setPath(2, meter.path);
        app.ctx->link.closePort();
        window->onDownloadClicked();
        const auto now = meter.meter.archiveRecords();
        ASSERT_EQ(now.size(), static_cast<std::size_t>(RingSlots - 132 + 100)) << c.what;
        // Everything the meter held at the start, less what it overwrote
        // before it was read, then the 100 new records: each once, in order.
        const int n = app.ctx->records.count;
        ASSERT_EQ(n, RingSlots - c.lost + 100) << c.what;
        for (int i = 0; i < n - 100; ++i)
            ASSERT_EQ(app.ctx->records[i].bytes, held[static_cast<std::size_t>(c.lost + i)].bytes) << c.what << i;
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(app.ctx->records[n - 100 + i].bytes, now[now.size() - 100 + static_cast<std::size_t>(i)].bytes)
                << c.what << i;
        EXPECT_EQ(window->download().droppedRecords(), c.lost) << c.what;
    }
}

TEST_F(Download, PointersOutsideTheRingAreRefused)
{
    sim.meter.fillArchive(50);
    sim.meter.setReg16(4046, 7000);
    window->onDownloadClicked();
    EXPECT_EQ(app.ctx->records.count, -1);
    EXPECT_EQ(window->statusBar->currentMessage(), QStringLiteral("Niepoprawny stan archiwum odczytany z K71T."));
    EXPECT_TRUE(pagesSelected().empty());
    sim.meter.setReg16(4046, 0);
    sim.meter.setReg16(4049, 540);
    EXPECT_EQ(window->download().downloadFirstPass(), -1);
}

TEST_F(Download, DeleteAfterDownloadOnlyOnceEverythingIsSaved)
{
    struct Case {
        const char *what;
        int added; // records the meter adds right after the last pass
    };
    // A meter with nothing new takes four status reads to download, so what
    // it adds after the fourth comes while the file is being written.
    for (const Case c : {Case{"a quiet meter", 0}, Case{"a meter that goes on archiving", 30}}) {
        test::SimHarness meter;
        meter.meter.setArchiveStart(0, 0);
        meter.meter.fillArchive(60);
        meter.meter.setArchiveGrowth(c.added, c.added > 0 ? 1 : 0, 4);
        const auto before = meter.meter.archiveRecords();
        app.ctx->portMap.setPath(2, meter.path);
        app.ctx->link.closePort();
        QDir(app.ctx->archivesDirectory).removeRecursively();
        window->deleteAfterCheck->setChecked(true);
        window->onDownloadClicked();
        EXPECT_TRUE(meter.meter.archiveRecords().empty()) << c.what;
        EXPECT_EQ(window->statusBar->currentMessage(), QStringLiteral("Dane w pamięci.  Archiwum K71T skasowane."));
        EXPECT_EQ(app.ctx->records.count, 60 + c.added) << c.what;
        // The file holds what the meter held, and what it added, each once.
        const QStringList files = archiveFiles();
        ASSERT_EQ(files.size(), 1) << c.what;
        RecordStore loaded;
        RegisterImage image;
        ASSERT_EQ(loadBin(app.ctx->archivesDirectory + files[0], loaded, image), 60 + c.added) << c.what;
        for (int i = 0; i < 60; ++i)
            ASSERT_EQ(loaded[i].bytes, before[static_cast<std::size_t>(i)].bytes) << c.what << i;
        for (int i = 60; i < 60 + c.added; ++i)
            EXPECT_NE(loaded[i].bytes, loaded[i - 1].bytes) << c.what << i;
    }
}

TEST_F(Download, UnwritableArchivesFolderDeletesNothing)
{
    sim.meter.fillArchive(60);
    // "Archives" is a plain file now: nothing can be saved below it.
    QDir(app.ctx->archivesDirectory).removeRecursively();
    app.dir.write("Archives", "not a folder");
    window->deleteAfterCheck->setChecked(true);
    window->onDownloadClicked();
    EXPECT_FALSE(deleteSent());
    EXPECT_EQ(sim.meter.archiveRecords().size(), 60u);
    EXPECT_EQ(app.ctx->records.count, 60); // still in memory for another try
    ASSERT_GE(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
    EXPECT_TRUE(app.prompt.messages[0].text.contains(QStringLiteral("nie zostało skasowane")));
    EXPECT_EQ(window->statusBar->currentMessage(),
              QStringLiteral("Dane w pamięci.  Archiwum K71T nie zostało skasowane."));
}

TEST_F(Download, DeleteButtonAsksFirst)
{
    sim.meter.fillArchive(20);
    app.prompt.answers << PromptAnswer::Cancel;
    window->onDeleteClicked();
    EXPECT_FALSE(deleteSent());
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Dane archiwlane zostaną usunięte. Kontynuować"));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Uwaga"));
    EXPECT_EQ(app.prompt.messages[0].buttons, PromptButtons::OkCancel);
    app.prompt.messages.clear();
    window->onDeleteClicked();
    EXPECT_TRUE(deleteSent());
    EXPECT_TRUE(sim.meter.archiveRecords().empty());
    // The command went out as 1 and is not left armed in the image (nor in def.k71t).
    EXPECT_EQ(sim.validFrames().back(), (Bytes{0x01, 0x10, 0x0F, 0xCD, 0x00, 0x01, 0x02, 0x00, 0x01, 0x88, 0x8D}));
    EXPECT_EQ(app.ctx->image.reg16(4045), 0);
    ASSERT_EQ(app.prompt.messages.size(), 2);
    EXPECT_EQ(app.prompt.messages[1].text, QStringLiteral("Archiwum skasowane"));
    EXPECT_EQ(app.prompt.messages[1].caption, QStringLiteral("Archiwum"));
}

TEST(DownloadStatistics, Text)
{
    EXPECT_EQ(ArchiveWindow::statisticsText(4400, 20),
              QStringLiteral("Odczytano: 4400 rekordów w czasie: 20 s przy prędkości: 220 rekordów/sekundę "));
    EXPECT_EQ(ArchiveWindow::statisticsText(8, 0), QStringLiteral("Odczytano: 8 rekordów w czasie: 0 s"));
}

TEST_F(Download, OpeningBinFilesAndTheSummary)
{
    RecordStore store;
    store[0] = ArchiveRecord::make(1, 0, 2013, 9, 16, 12, 0, 0, 1.0f);
    store[1] = ArchiveRecord::make(1, 0, 2013, 9, 16, 14, 30, 5, 2.0f);
    RegisterImage image;
    ASSERT_TRUE(saveBin(app.dir.file("day.bin"), store, 2, image));
    app.prompt.fileNames << app.dir.file("day.bin");
    window->onOpenBinClicked();
    EXPECT_EQ(app.prompt.fileFilters.last(), QStringLiteral("Binary archive file (*.bin)|*.bin"));
    EXPECT_EQ(app.ctx->records.count, 2);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Archiwum ") + app.dir.file("day.bin"));
    EXPECT_EQ(window->statusBar->currentMessage(), app.dir.file("day.bin"));
    EXPECT_EQ(window->recordCountLabel->text(), QStringLiteral("Odczytanych rekordów: 2"));
    EXPECT_EQ(window->firstRecordEdit->text(), QStringLiteral("2013-09-16 12:00:00"));
    EXPECT_EQ(window->lastRecordEdit->text(), QStringLiteral("2013-09-16 14:30:05"));
    EXPECT_EQ(window->startCalendar->selectedDate(), QDate(2013, 9, 16));
    EXPECT_EQ(window->startTimeEdit->time(), QTime(12, 0, 0));
    EXPECT_EQ(window->stopTimeEdit->time(), QTime(14, 30, 5));

    store[1] = ArchiveRecord::make(1, 0, 2013, 9, 18, 14, 30, 5, 2.0f);
    ASSERT_TRUE(saveBin(app.dir.file("days.bin"), store, 2, image));
    app.prompt.fileNames << app.dir.file("days.bin");
    window->onOpenBinClicked();
    EXPECT_EQ(window->stopCalendar->selectedDate(), QDate(2013, 9, 18));
    EXPECT_EQ(window->startTimeEdit->time(), QTime(0, 0, 0));
    EXPECT_EQ(window->stopTimeEdit->time(), QTime(23, 59, 59));
    int start, stop, tstart, tstop;
    window->exportRange(start, stop, tstart, tstop);
    EXPECT_EQ(start, 20130916);
    EXPECT_EQ(stop, 20130918);
    EXPECT_EQ(tstop, 235959);

    // An empty file and one of a wrong size: 0 records, the caption still
    // names the file, and the summary of the file before is gone.
    for (const auto &[name, bytes] : {std::pair{"empty.bin", QByteArray(240, '\0')},
                                      std::pair{"short.bin", QByteArray(1000, '\x01')}}) {
        app.prompt.fileNames << app.dir.file("days.bin");
        window->onOpenBinClicked();
        ASSERT_EQ(window->recordCountLabel->text(), QStringLiteral("Odczytanych rekordów: 2"));
        app.dir.write(name, bytes);
        app.prompt.fileNames << app.dir.file(name);
        window->onOpenBinClicked();
        EXPECT_EQ(app.ctx->records.count, 0) << name;
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Archiwum ") + app.dir.file(name));
        EXPECT_EQ(window->recordCountLabel->text(), QStringLiteral("Odczytanych rekordów: 0")) << name;
        EXPECT_TRUE(window->firstRecordEdit->text().isEmpty()) << name;
        EXPECT_TRUE(window->lastRecordEdit->text().isEmpty()) << name;
    }

    // A download that fails leaves nothing in memory; the summary says so.
    app.prompt.fileNames << app.dir.file("days.bin");
    window->onOpenBinClicked();
    sim.fault(Fault::Silence);
    window->onDownloadClicked();
    EXPECT_LT(app.ctx->records.count, 0);
    EXPECT_EQ(window->recordCountLabel->text(), QStringLiteral("Odczytanych rekordów: 0"));
    EXPECT_TRUE(window->firstRecordEdit->text().isEmpty());
}

TEST_F(Download, ExportButtonWritesTheChosenFile)
{
    sim.meter.setArchiveStart(0, 0);
    sim.meter.fillArchive(30);
    window->onDownloadClicked();
    app.prompt.messages.clear();
    app.prompt.fileNames << app.dir.file("eksport");
    window->onExportDatClicked();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    EXPECT_EQ(app.prompt.fileFilters.last(), QStringLiteral("Archive data file (*.dat)|*.dat"));
    const QByteArray dat = app.dir.read("eksport.dat");
    EXPECT_TRUE(dat.startsWith("\n\rArchiwum odczytano: "));
    EXPECT_TRUE(dat.contains("Urz\xb9" "dzenie 1\n\r"));
    // A target that cannot be written is reported.
    app.prompt.fileNames << app.dir.file("no/such/folder/x");
    window->onExportDatClicked();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
}

TEST_F(Download, DatabaseSwitchedOff)
{
    window->deleteAndStoreCheck->click();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Obsługa MySQL jest wyłączona - sprawdź konfigurację MySQL"));
    EXPECT_TRUE(window->deleteAndStoreCheck->isChecked()); // the tick stays
    app.prompt.messages.clear();
    window->onExportDatabaseClicked();
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Archiwum jest puste lub plik nie został załadowany"));
    app.ctx->records.count = 5;
    app.prompt.messages.clear();
    window->onExportDatabaseClicked();
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Obsługa MySQL jest wyłączona - sprawdź konfigurację MySQL"));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
}

TEST(AddressPrompt, ValidAndInvalidAddresses)
{
    test::AppHarness app;
    app.start();
    SourceAddressDialog &prompt = *app.sourceAddressDialog;
    EXPECT_EQ(prompt.windowTitle(), QStringLiteral("Adres K71T"));
    EXPECT_EQ(prompt.addressEdit->text(), QStringLiteral("1"));
    for (const char *bad : {"0", "248", "abc", "", "12.5"}) {
        app.prompt.messages.clear();
        prompt.addressEdit->setText(QString::fromLatin1(bad));
        prompt.onOkClicked();
        EXPECT_EQ(prompt.sourceAddress, static_cast<std::int16_t>(-32768)) << bad;
        ASSERT_EQ(app.prompt.messages.size(), 1) << bad;
        EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Podano nieprawidłowy adres. Podaj wartość z zakresu 1...247."));
        EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Error);
    }
    app.prompt.messages.clear();
    prompt.addressEdit->setText("247");
    prompt.onOkClicked();
    EXPECT_EQ(prompt.sourceAddress, 247);
    EXPECT_TRUE(app.prompt.messages.isEmpty());
}

TEST_F(Download, ShownModallyTheWindowStaysModalThroughADownload)
{
    // An empty archive: its warning comes while the border is off.
    bool laterEventRan = false;
    bool framelessDuring = false;
    app.prompt.onMessage = [&] { framelessDuring = window->windowHandle()->flags() & Qt::FramelessWindowHint; };
    QTimer::singleShot(0, window, [&] {
        window->onDownloadClicked();
        // Runs inside the dialog's loop only if the download did not end it.
        QTimer::singleShot(0, window, [&] {
            laterEventRan = true;
            window->accept();
        });
    });
    window->exec();
    EXPECT_TRUE(laterEventRan);
    EXPECT_TRUE(framelessDuring);
    EXPECT_FALSE(window->windowHandle()->flags() & Qt::FramelessWindowHint);
    EXPECT_EQ(app.ctx->records.count, 0);
}
