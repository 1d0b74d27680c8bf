#pragma once
// The archive window: download from the meter, .bin files and the export.
#include "archive/ArchiveJob.h"
#include "context/AppContext.h"
#include "db/ArchiveTable.h"

#include <QDialog>
#include <QElapsedTimer>
#include <atomic>

class QCalendarWidget;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimeEdit;

namespace k71t {

class ArchiveWindow : public QDialog {
    Q_OBJECT
public:
    ArchiveWindow(AppContext &context, QWidget *parent = nullptr);

    void showArchiveSummary();
    void clearArchiveSummary();
    ArchiveDownload &download() { return download_; }
    // The date and time keys of the export range chosen in the window.
    void exportRange(int &start, int &stop, int &tstart, int &tstop) const;

    QPushButton *downloadButton = nullptr; // download
    QPushButton *deleteButton = nullptr;   // delete in the meter
    QPushButton *stopButton = nullptr;     // stops a download (enabled during one)
    QCheckBox *deleteAfterCheck = nullptr;
    QCheckBox *deleteAndStoreCheck = nullptr;
    QLabel *recordCountLabel = nullptr;
    QLineEdit *firstRecordEdit = nullptr; // first record
    QLineEdit *lastRecordEdit = nullptr;  // last record
    QProgressBar *downloadProgress = nullptr;
    QProgressBar *pageProgress = nullptr;
    QProgressBar *storeProgress = nullptr;
    QPushButton *openBinButton = nullptr; // open .bin
    QCalendarWidget *startCalendar = nullptr;
    QCalendarWidget *stopCalendar = nullptr;
    QTimeEdit *startTimeEdit = nullptr;
    QTimeEdit *stopTimeEdit = nullptr;
    QPushButton *exportDatButton = nullptr;      // export to .dat
    QPushButton *exportDatabaseButton = nullptr; // export to the database
    QStatusBar *statusBar = nullptr;

    static QString binFilter() { return QStringLiteral("Binary archive file (*.bin)|*.bin"); }
    static QString datFilter() { return QStringLiteral("Archive data file (*.dat)|*.dat"); }

    // The statistics text of a download of n records in t seconds.
    static QString statisticsText(int n, int seconds);
    // True while the window has its border removed for a download.
    bool downloading() const { return downloading_; }

public slots:
    void onOpenBinClicked();
    void onDownloadClicked();
    void onDeleteClicked();
    void onExportDatClicked();
    void onExportDatabaseClicked();
    void onDeleteAndStoreClicked();
    void onStopClicked();
    void reject() override;

private:
    // The .bin file, the date range and the two exports.
    QGroupBox *buildExportGroup();
    // The download's progress on the bars, the job's database step.
    void followTheJob();
    // Today in both calendars, the whole day in the time fields.
    void initialiseRange();
    void setBorder(bool dialog);
    // The store progress bar at 0, and the progress of a store into the database on it.
    StoreProgress databaseProgress();
    // What became of a download: the summary, the status and the boxes.
    void showOutcome(const ArchiveJobOutcome &outcome);
    // While link or database work runs for the window, its other buttons
    // wait (the records in memory stay as the work found them); "Przerwij"
    // is there during a download.
    void setWorking(bool working, bool downloading = false);
    // The pages done, the pages of the pass and the time left at the pace so far.
    void showDownloadProgress(int pages, int done);

    AppContext &ctx_;
    ArchiveDownload download_;
    ArchiveJob job_;
    bool downloading_ = false;
    bool working_ = false;
    QElapsedTimer downloadClock_; // since the first page
    std::atomic<bool> stopAsked_{false}; // "Przerwij", read by the download on the link worker
};

} // namespace k71t
