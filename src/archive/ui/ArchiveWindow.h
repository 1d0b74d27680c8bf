#pragma once
// The archive window: download from the meter, .bin files and the export.
#include "archive/ArchiveJob.h"
#include "context/AppContext.h"
#include "db/ArchiveTable.h"

#include <QDialog>

class QCalendarWidget;
class QCheckBox;
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

    void ShowArchiveSummary();
    void clearArchiveSummary();
    ArchiveDownload &download() { return download_; }
    // The date and time keys of the export range chosen in the window.
    void exportRange(int &start, int &stop, int &tstart, int &tstop) const;

    QPushButton *SpeedButton2 = nullptr; // download
    QPushButton *SpeedButton3 = nullptr; // delete in the meter
    QCheckBox *CheckBox1 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr; // first record
    QLineEdit *Edit2 = nullptr; // last record
    QProgressBar *ProgressBar1 = nullptr;
    QProgressBar *ProgressBar2 = nullptr;
    QProgressBar *ProgressBar3 = nullptr;
    QPushButton *SpeedButton1 = nullptr; // open .bin
    QCalendarWidget *MonthCalendar1 = nullptr;
    QCalendarWidget *MonthCalendar2 = nullptr;
    QTimeEdit *DateTimePicker1 = nullptr;
    QTimeEdit *DateTimePicker2 = nullptr;
    QPushButton *SpeedButton4 = nullptr; // export to .dat
    QPushButton *SpeedButton5 = nullptr; // export to the database
    QStatusBar *StatusBar1 = nullptr;

    static QString binFilter() { return QStringLiteral("Binary archive file (*.bin)|*.bin"); }
    static QString datFilter() { return QStringLiteral("Archive data file (*.dat)|*.dat"); }

    // The statistics text of a download of n records in t seconds.
    static QString statisticsText(int n, int seconds);
    // True while the window has its border removed for a download.
    bool downloading() const { return downloading_; }

public slots:
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void CheckBox2Click();

private:
    void FormCreate();
    void setBorder(bool dialog);
    void info(const QString &text, const QString &caption, PromptIcon icon);
    // ProgressBar3 at 0, and the progress of a store into the database on it.
    StoreProgress databaseProgress();
    // The status-bar ending after "Dane w pamięci" for what became of the meter's archive.
    static QString deletionText(ArchiveJobOutcome::Deletion deletion);

    AppContext &ctx_;
    ArchiveDownload download_;
    ArchiveJob job_;
    bool downloading_ = false;
};

} // namespace k71t
