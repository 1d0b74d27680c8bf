#include "archive/ui/ArchiveWindow.h"

#include "archive/ArchiveFiles.h"
#include "common/DateFormats.h"
#include "widgets/Widgets.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <QWindow>

namespace k71t {

namespace {

const QString EmptyOrNotLoaded = QStringLiteral("Archiwum jest puste lub plik nie został załadowany");
const QString DatabaseOff = QStringLiteral("Obsługa MySQL jest wyłączona - sprawdź konfigurację MySQL");
const QString DatabaseFailed =
    QStringLiteral("Nie udało się zapisać danych do bazy. Sprawdź ustawienia komunikacji z bazą danych.");


QString recordStamp(const ArchiveRecord &r)
{
    return stampText(r.year(), r.month(), r.day(), r.hour(), r.minute(), r.second());
}

} // namespace

ArchiveWindow::ArchiveWindow(AppContext &context, QWidget *parent)
    : QDialog(parent), ctx_(context), download_(context.link, context.image, context.records),
      job_(download_, context.records, context.image, context.clock)
{
    setObjectName(QStringLiteral("ArchiveWindow"));
    setWindowTitle(QStringLiteral("Archiwum"));
    setBorder(true);

    downloadButton = named(new QPushButton(QStringLiteral("Pobierz archiwum"), this), "downloadButton");
    deleteButton = named(new QPushButton(QStringLiteral("Usuń archiwum"), this), "deleteButton");
    stopButton = named(new QPushButton(QStringLiteral("Przerwij"), this), "stopButton");
    stopButton->setToolTip(
        QStringLiteral("Przerywa pobieranie archiwum; nic nie jest zapisywane, archiwum w K71T nie jest kasowane"));
    stopButton->setEnabled(false);
    deleteAfterCheck = named(new QCheckBox(QStringLiteral("Skasuj archiwum po pobraniu"), this), "deleteAfterCheck");
    deleteAndStoreCheck =
        named(new QCheckBox(QStringLiteral("Skasuj archiwum po pobraniu i umieść dane w bazie danych MySQL"), this),
              "deleteAndStoreCheck");
    recordCountLabel = named(new QLabel(QStringLiteral("Odczytanych rekordów:"), this), "recordCountLabel");
    firstRecordEdit = named(new QLineEdit(this), "firstRecordEdit");
    firstRecordEdit->setReadOnly(true);
    lastRecordEdit = named(new QLineEdit(this), "lastRecordEdit");
    lastRecordEdit->setReadOnly(true);
    downloadProgress = named(new QProgressBar(this), "downloadProgress");
    downloadProgress->setToolTip(QStringLiteral("Pobieranie archiwum"));
    pageProgress = named(new QProgressBar(this), "pageProgress");
    pageProgress->setToolTip(QStringLiteral("Pobieranie strony pamięci"));
    pageProgress->setMaximum(4);
    storeProgress = named(new QProgressBar(this), "storeProgress");
    storeProgress->setToolTip(QStringLiteral("Dodawanie rekordów do bazy danych"));
    for (QProgressBar *bar : {downloadProgress, pageProgress, storeProgress}) {
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setMaximumHeight(14);
    }

    auto *downloadButtons = new QHBoxLayout;
    downloadButtons->addWidget(downloadButton);
    downloadButtons->addWidget(deleteButton);
    downloadButtons->addWidget(stopButton);
    auto *stamps = new QGridLayout;
    stamps->addWidget(new QLabel(QStringLiteral("Pierwszy Rekord"), this), 0, 0);
    stamps->addWidget(firstRecordEdit, 0, 1);
    stamps->addWidget(new QLabel(QStringLiteral("Ostatni rekord"), this), 1, 0);
    stamps->addWidget(lastRecordEdit, 1, 1);

    QGroupBox *exportGroup = buildExportGroup();

    // Enter must not start a download or an export by itself.
    for (QPushButton *b : {openBinButton, downloadButton, deleteButton, stopButton, exportDatButton, exportDatabaseButton})
        b->setAutoDefault(false);

    statusBar = named(new QStatusBar(this), "statusBar");
    statusBar->setSizeGripEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(downloadButtons);
    layout->addWidget(deleteAfterCheck);
    layout->addWidget(deleteAndStoreCheck);
    layout->addWidget(recordCountLabel);
    layout->addLayout(stamps);
    layout->addWidget(downloadProgress);
    layout->addWidget(pageProgress);
    layout->addWidget(storeProgress);
    layout->addWidget(exportGroup);
    layout->addWidget(statusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(openBinButton, &QPushButton::clicked, this, &ArchiveWindow::onOpenBinClicked);
    connect(downloadButton, &QPushButton::clicked, this, &ArchiveWindow::onDownloadClicked);
    connect(deleteButton, &QPushButton::clicked, this, &ArchiveWindow::onDeleteClicked);
    connect(stopButton, &QPushButton::clicked, this, &ArchiveWindow::onStopClicked);
    connect(exportDatButton, &QPushButton::clicked, this, &ArchiveWindow::onExportDatClicked);
    connect(exportDatabaseButton, &QPushButton::clicked, this, &ArchiveWindow::onExportDatabaseClicked);
    connect(deleteAndStoreCheck, &QCheckBox::clicked, this, &ArchiveWindow::onDeleteAndStoreClicked);

    followTheJob();
    initialiseRange();
}

QGroupBox *ArchiveWindow::buildExportGroup()
{
    auto *exportGroup = named(new QGroupBox(QStringLiteral("Eksport danych"), this), "exportGroup");
    openBinButton =
        named(new QPushButton(QStringLiteral("Otwórz plik archiwum (*.bin)"), exportGroup), "openBinButton");
    startCalendar = named(new QCalendarWidget(exportGroup), "startCalendar");
    stopCalendar = named(new QCalendarWidget(exportGroup), "stopCalendar");
    for (QCalendarWidget *c : {startCalendar, stopCalendar}) {
        c->setGridVisible(false);
        c->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        c->setFirstDayOfWeek(Qt::Monday);
        c->setLocale(QLocale(QLocale::Polish, QLocale::Poland)); // month and day names
    }
    startTimeEdit = named(new QTimeEdit(exportGroup), "startTimeEdit");
    stopTimeEdit = named(new QTimeEdit(exportGroup), "stopTimeEdit");
    for (QTimeEdit *t : {startTimeEdit, stopTimeEdit})
        t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    exportDatButton = named(new QPushButton(QStringLiteral("Eksportuj dane do pliku"), exportGroup), "exportDatButton");
    exportDatabaseButton =
        named(new QPushButton(QStringLiteral("Eksportuj dane do bazy danych"), exportGroup), "exportDatabaseButton");
    auto *exportLayout = new QGridLayout(exportGroup);
    exportLayout->addWidget(openBinButton, 0, 0, 1, 2);
    exportLayout->addWidget(new QLabel(QStringLiteral("Start"), exportGroup), 1, 0);
    exportLayout->addWidget(new QLabel(QStringLiteral("Stop"), exportGroup), 1, 1);
    exportLayout->addWidget(startCalendar, 2, 0);
    exportLayout->addWidget(stopCalendar, 2, 1);
    exportLayout->addWidget(startTimeEdit, 3, 0);
    exportLayout->addWidget(stopTimeEdit, 3, 1);
    exportLayout->addWidget(exportDatButton, 4, 0);
    exportLayout->addWidget(exportDatabaseButton, 4, 1);
    return exportGroup;
}

void ArchiveWindow::followTheJob()
{
    // The download runs on the link worker: what it tells reaches the
    // window's thread as queued calls, in order.
    download_.onPageStep = [this](int step) {
        QMetaObject::invokeMethod(this, [this, step] { pageProgress->setValue(step); }, Qt::QueuedConnection);
    };
    download_.onPagesProgress = [this](int max, int pos) {
        QMetaObject::invokeMethod(this, [this, max, pos] { showDownloadProgress(max, pos); }, Qt::QueuedConnection);
    };
    download_.onRecords = [this](int n) {
        QMetaObject::invokeMethod(
            this, [this, n] { recordCountLabel->setText(QStringLiteral("Odczytanych rekordów: %1").arg(n)); },
            Qt::QueuedConnection);
    };
    // The window's "Przerwij", or the program closing.
    download_.stopRequested = [this] { return stopAsked_.load() || ctx_.linkWorker.stopRequested(); };
}

void ArchiveWindow::showDownloadProgress(int pages, int done)
{
    downloadProgress->setMaximum(std::max(1, pages));
    downloadProgress->setValue(std::min(done, std::max(1, pages)));
    if (!downloading_)
        return;
    // The pace is measured from the first page of the first pass on.
    if (done <= 0 || !downloadClock_.isValid()) {
        downloadClock_.start();
        return;
    }
    const qint64 left = downloadClock_.elapsed() * std::max(0, pages - done) / done / 1000;
    statusBar->showMessage(QStringLiteral("Pobieranie archiwum: strona %1 z %2, pozostało około %3")
                               .arg(QString::number(done), QString::number(pages), timeLeftText(int(left))));
}

void ArchiveWindow::initialiseRange()
{
    const QDate today = ctx_.clock.now().date();
    startCalendar->setSelectedDate(today);
    stopCalendar->setSelectedDate(today);
    startTimeEdit->setTime(QTime(0, 0, 0));
    stopTimeEdit->setTime(QTime(23, 59, 59));
}

void ArchiveWindow::setBorder(bool dialog)
{
    const Qt::WindowFlags flags =
        dialog ? Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint
               : Qt::Dialog | Qt::FramelessWindowHint;
    // QWidget::setWindowFlags would hide the window, and hiding a dialog ends
    // its modal loop; the window system is told directly instead.
    overrideWindowFlags(flags);
    if (QWindow *window = windowHandle())
        window->setFlags(flags);
}

QString ArchiveWindow::statisticsText(int n, int seconds)
{
    return downloadStatistics(n, seconds);
}

void ArchiveWindow::showArchiveSummary()
{
    const RecordStore &store = ctx_.records;
    recordCountLabel->setText(QStringLiteral("Odczytanych rekordów: %1").arg(store.count));
    if (store.count < 1)
        return;
    const ArchiveRecord &first = store[0];
    const ArchiveRecord &last = store[store.count - 1];
    firstRecordEdit->setText(recordStamp(first));
    lastRecordEdit->setText(recordStamp(last));
    startCalendar->setSelectedDate(QDate(first.year(), first.month(), first.day()));
    stopCalendar->setSelectedDate(QDate(last.year(), last.month(), last.day()));
    if (startCalendar->selectedDate() == stopCalendar->selectedDate()) {
        startTimeEdit->setTime(QTime(first.hour(), first.minute(), first.second()));
        stopTimeEdit->setTime(QTime(last.hour(), last.minute(), last.second()));
    } else {
        startTimeEdit->setTime(QTime(0, 0, 0));
        stopTimeEdit->setTime(QTime(23, 59, 59));
    }
}

// Nothing is in memory after a file that could not be read or a failed
// download: the summary of the records that were there before goes.
void ArchiveWindow::clearArchiveSummary()
{
    recordCountLabel->setText(QStringLiteral("Odczytanych rekordów: 0"));
    firstRecordEdit->clear();
    lastRecordEdit->clear();
}

void ArchiveWindow::reject()
{
    // Not while a download or a store runs for the window: Escape would
    // leave it running unseen.
    if (!working_)
        QDialog::reject();
}

void ArchiveWindow::setWorking(bool working, bool downloading)
{
    working_ = working;
    for (QWidget *w : std::initializer_list<QWidget *>{downloadButton, deleteButton, deleteAfterCheck,
                                                       deleteAndStoreCheck, openBinButton, exportDatButton,
                                                       exportDatabaseButton})
        w->setEnabled(!working);
    stopButton->setEnabled(working && downloading);
}

void ArchiveWindow::onDownloadClicked()
{
    downloading_ = true;
    setBorder(false);
    setWorking(true, true);
    ArchiveJobRequest request;
    request.directory = ctx_.archivesDirectory;
    request.deleteAfter = deleteAfterCheck->isChecked() || deleteAndStoreCheck->isChecked();
    request.toDatabase = deleteAndStoreCheck->isChecked() && ctx_.databaseEnabled();
    // The settings as they are now: the database window may change the
    // context's while the download runs.
    const DatabaseSettings settings = ctx_.databaseSettings;
    const StoreProgress progress = databaseProgress();
    job_.databaseStep = [this, settings, progress](int n, int address, QString *report) {
        return storeDownloadedArchive(ctx_.linkDatabase, settings, ctx_.records, n, address, report, progress);
    };
    stopAsked_ = false;
    // Another operation has the link (a scheduled task): the download
    // starts when it has ended.
    if (ctx_.linkWorker.busy())
        statusBar->showMessage(QStringLiteral("Oczekiwanie na zakończenie bieżącej komunikacji z K71T..."));
    downloadClock_.invalidate();
    const ArchiveJobOutcome outcome = ctx_.linkWorker.call([&] {
        request.meterAddress = ctx_.meterAddress;
        return job_.run(request);
    });
    // The progress the worker told last is shown before the outcome.
    QCoreApplication::sendPostedEvents(this);
    downloading_ = false;
    statusBar->clearMessage();
    showOutcome(outcome);
    setWorking(false);
    setBorder(true);
    if (outcome.records > 0 && describeOutcome(outcome).back().kind != ArchiveJobStep::Kind::Stopped)
        ctx_.prompt.message(this, statisticsText(outcome.records, outcome.seconds), QStringLiteral("Info"),
                            PromptIcon::None);
}

void ArchiveWindow::onStopClicked()
{
    if (!downloading_)
        return;
    stopAsked_ = true;
    stopButton->setEnabled(false);
    statusBar->showMessage(QStringLiteral("Przerywanie pobierania..."));
}

void ArchiveWindow::showOutcome(const ArchiveJobOutcome &outcome)
{
    if (outcome.records > 0)
        showArchiveSummary();
    else
        clearArchiveSummary();
    // The status ends with what became of the meter's archive; stored rows
    // are told there too, a clearing that failed with them, since the next
    // download brings the same records again.
    QString deletion = QStringLiteral(".");
    bool deleteFailed = false, stored = false, storeFailed = false;
    QString databaseReport;
    for (const ArchiveJobStep &step : describeOutcome(outcome)) {
        switch (step.kind) {
        case ArchiveJobStep::Kind::DownloadFailed:
            if (outcome.failure == ArchiveDownload::Failure::Pointers)
                statusBar->showMessage(QStringLiteral("Niepoprawny stan archiwum odczytany z K71T."));
            else if (outcome.failure == ArchiveDownload::Failure::Capacity)
                statusBar->showMessage(QStringLiteral("Archiwum nie mieści się w pamięci programu."));
            ctx_.prompt.error(this, QStringLiteral("Błąd transmisji lub urządzenie nie podłączone"));
            return;
        case ArchiveJobStep::Kind::Stopped:
            // Nothing saved and the meter not cleared; after a file was
            // written (the meter was being checked for records added
            // meanwhile) the file stays and the records are in memory.
            if (step.path.isEmpty()) {
                setWindowTitle(QStringLiteral("Archiwum"));
                statusBar->showMessage(QStringLiteral("Pobieranie przerwane."));
            } else {
                setWindowTitle(QStringLiteral("Dane w pamięci"));
                statusBar->showMessage(QStringLiteral("Pobieranie przerwane.  Archiwum K71T nie zostało skasowane."));
            }
            return;
        case ArchiveJobStep::Kind::Empty:
            // Nothing in memory any more: no caption or status of the last
            // download or file is left to mislead.
            setWindowTitle(QStringLiteral("Archiwum"));
            statusBar->clearMessage();
            ctx_.prompt.inform(this, QStringLiteral("Archiwum jest puste"), QStringLiteral("Ostrzeżenie"));
            return;
        case ArchiveJobStep::Kind::Downloaded: break;
        case ArchiveJobStep::Kind::SaveFailed:
            ctx_.prompt.error(this, QStringLiteral("Nie udało się zapisać pliku archiwum %1 (%2). Archiwum w K71T nie "
                                                   "zostało skasowane, dane pozostają w pamięci.%3")
                                        .arg(QDir::toNativeSeparators(step.path), step.reason,
                                             step.databaseSkipped
                                                 ? QStringLiteral(" Dane nie zostały umieszczone w bazie danych.")
                                                 : QString()));
            if (step.deletionAsked)
                deletion = QStringLiteral(".  Archiwum K71T nie zostało skasowane.");
            break;
        case ArchiveJobStep::Kind::Deleted: deletion = QStringLiteral(".  Archiwum K71T skasowane."); break;
        case ArchiveJobStep::Kind::DeleteFailed:
            deletion = QStringLiteral(".  Kasowanie archiwum nie powiodło się.");
            deleteFailed = true;
            break;
        case ArchiveJobStep::Kind::Stored: stored = true; break;
        case ArchiveJobStep::Kind::StoreFailed:
            storeFailed = true;
            databaseReport = step.reason;
            break;
        }
    }
    setWindowTitle(QStringLiteral("Dane w pamięci"));
    statusBar->showMessage(QStringLiteral("Dane w pamięci") + deletion);
    if (stored)
        statusBar->showMessage(QStringLiteral("Dane w pamięci.") +
                               (deleteFailed ? QStringLiteral("  Kasowanie archiwum nie powiodło się.") : QString()) +
                               QStringLiteral("   Dane umieszczone w bazie danych."));
    else if (storeFailed)
        ctx_.prompt.message(this, DatabaseFailed + QLatin1Char('\n') + databaseReport, QStringLiteral("Informacje"),
                            PromptIcon::Error);
}

void ArchiveWindow::onDeleteClicked()
{
    if (ctx_.prompt.message(this, QStringLiteral("Dane archiwlane zostaną usunięte. Kontynuować"),
                            QStringLiteral("Uwaga"), PromptIcon::Question,
                            PromptButtons::OkCancel) != PromptAnswer::Ok)
        return;
    setWorking(true);
    const bool deleted = ctx_.linkWorker.call([this] { return download_.deleteArchive(); });
    setWorking(false);
    if (deleted)
        ctx_.prompt.inform(this, QStringLiteral("Archiwum skasowane"), QStringLiteral("Archiwum"));
}

void ArchiveWindow::onDeleteAndStoreClicked()
{
    if (!ctx_.databaseEnabled())
        ctx_.prompt.inform(this, DatabaseOff, QStringLiteral("Błąd"));
}

void ArchiveWindow::onOpenBinClicked()
{
    const QString file = ctx_.prompt.openFileName(this, binFilter(), ctx_.archivesDirectory);
    if (file.isEmpty())
        return;
    bool tooLarge = false;
    ctx_.records.count = loadBin(file, ctx_.records, ctx_.image, &tooLarge);
    setWindowTitle(QStringLiteral("Archiwum ") + file);
    statusBar->showMessage(file);
    if (tooLarge)
        ctx_.prompt.error(this, QStringLiteral("Plik %1 zawiera więcej niż %2 rekordów i nie może zostać wczytany.")
                                    .arg(file, QString::number(RecordStoreCapacity)));
    if (ctx_.records.count > 0)
        showArchiveSummary();
    else
        clearArchiveSummary();
}

void ArchiveWindow::exportRange(int &start, int &stop, int &tstart, int &tstop) const
{
    start = dateKey(startCalendar->selectedDate());
    stop = dateKey(stopCalendar->selectedDate());
    if (start == stop) {
        tstart = timeKey(startTimeEdit->time());
        tstop = timeKey(stopTimeEdit->time());
    } else {
        tstart = 0;
        tstop = 235959;
    }
}

void ArchiveWindow::onExportDatClicked()
{
    if (ctx_.records.count < 1) {
        ctx_.prompt.inform(this, EmptyOrNotLoaded, QStringLiteral("Błąd"));
        return;
    }
    const QString file = ctx_.prompt.saveFileName(this, datFilter(), ctx_.archivesDirectory);
    if (file.isEmpty())
        return;
    int start, stop, tstart, tstop;
    exportRange(start, stop, tstart, tstop);
    QString error;
    if (!exportDat(file, ctx_.records, ctx_.records.count, start, stop, tstart, tstop, ctx_.clock.now(), &error))
        ctx_.prompt.error(this, QStringLiteral("Nie udało się zapisać pliku %1 (%2).").arg(datFileName(file), error));
}

void ArchiveWindow::onExportDatabaseClicked()
{
    int start, stop, tstart, tstop;
    exportRange(start, stop, tstart, tstop);
    if (ctx_.records.count <= 0) {
        ctx_.prompt.inform(this, EmptyOrNotLoaded, QStringLiteral("Błąd"));
        return;
    }
    if (!ctx_.databaseEnabled()) {
        ctx_.prompt.inform(this, DatabaseOff, QStringLiteral("Błąd"));
        return;
    }
    const ArchiveRange range{start, stop, tstart, tstop};
    const DatabaseSettings settings = ctx_.databaseSettings;
    const auto address = static_cast<std::uint8_t>(ctx_.meterAddress);
    const StoreProgress progress = databaseProgress();
    setWorking(true);
    const StoreOutcome out = ctx_.databaseWorker.call([&] {
        const StoreOutcome stored = exportArchiveRangeToDatabase(ctx_.database, settings, ctx_.records,
                                                                 ctx_.records.count, range, address, progress);
        ctx_.database.disconnect();
        return stored;
    });
    QCoreApplication::sendPostedEvents(this);
    setWorking(false);
    if (out.total == 0)
        ctx_.prompt.inform(
            this, QStringLiteral("W wybranym zakresie dat nie ma danych. Nic nie zostało zapisane w bazie danych."),
            QStringLiteral("Informacje"));
    else if (out.ok() && out.changed == 0)
        ctx_.prompt.inform(this, QStringLiteral("Dane umieszczone w bazie danych"), QStringLiteral("Informacje"));
    else if (out.ok())
        ctx_.prompt.inform(this, QStringLiteral("Dane umieszczone w bazie danych\n") + storeReport(out),
                           QStringLiteral("Informacje"));
    else
        ctx_.prompt.message(this, DatabaseFailed + QLatin1Char('\n') + storeReport(out), QStringLiteral("Informacje"),
                            PromptIcon::Error);
}

StoreProgress ArchiveWindow::databaseProgress()
{
    storeProgress->setValue(0);
    // Told on a worker's thread.
    return [this](int done, int total) {
        QMetaObject::invokeMethod(this, [this, done, total] {
            storeProgress->setMaximum(std::max(1, total));
            storeProgress->setValue(done);
        }, Qt::QueuedConnection);
    };
}

} // namespace k71t
