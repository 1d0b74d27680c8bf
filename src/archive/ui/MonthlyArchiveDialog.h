#pragma once
// The monthly archive dialog: the month folder of the meter's memory card
// and a destination chosen with the folder browser, then one monthly file
// per device. Created anew each time the start panel opens it.
#include "archive/MonthlyArchive.h"
#include "context/AppContext.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace k71t {

class Prompt;

// Whether `folder` + "/" + `mask` names at least one entry ("*.*" names
// every entry but "." and "..", with a dot in its name or not).
bool folderMatchesMask(const QString &folder, const QString &mask);

// The folder browser: a title, a preselected folder and, with a file mask,
// OK only for a folder where the mask names at least one entry.
// 0 when a folder was chosen (its whole path in *out: paths here may be
// longer than a fixed buffer, and a cut path would name another folder),
// 1 when the operator cancelled, -1 without `out`.
int browseForFolder(Prompt &prompt, QWidget *owner, const QString &initial, const QString &mask, QString *out,
                    const QString &title);

class MonthlyArchiveDialog : public QDialog {
    Q_OBJECT
public:
    explicit MonthlyArchiveDialog(AppContext &context, QWidget *parent = nullptr);

    // The folders chosen with the buttons (with a trailing "/"), and the
    // month's file prefix ("K71T_201309_"; empty while the source is not a
    // month folder).
    const QString &source() const { return source_; }
    const QString &destination() const { return destination_; }
    const QString &monthlyPrefix() const { return prefix_; }
    // What the last run did.
    const MonthlyOutcome &lastRun() const { return lastRun_; }

    QLabel *bannerLabel = nullptr;
    QLineEdit *sourceEdit = nullptr;
    QPushButton *sourceButton = nullptr;
    QLineEdit *destinationEdit = nullptr;
    QPushButton *destinationButton = nullptr;
    QLabel *monthlyFileLabel = nullptr;
    QPushButton *createButton = nullptr;
    QLabel *dailyFileLabel = nullptr;
    QLabel *droppedLabel = nullptr; // lines left out of the last run

public slots:
    void clearFolders();
    void onSourceClicked();
    void onDestinationClicked();
    void onCreateClicked();

private:
    void buildControls();
    void layOut();
    void updateCreate();

    AppContext &ctx_;
    QString source_, destination_, prefix_;
    MonthlyOutcome lastRun_;
};

} // namespace k71t
