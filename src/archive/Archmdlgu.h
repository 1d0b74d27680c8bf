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

class TArchmDlg : public QDialog {
    Q_OBJECT
public:
    explicit TArchmDlg(AppContext &context, QWidget *parent = nullptr);

    // The folders chosen with the buttons (with a trailing "/"), and the
    // month's file prefix ("K71T_201309_"; empty while the source is not a
    // month folder).
    const QString &source() const { return source_; }
    const QString &destination() const { return destination_; }
    const QString &monthlyPrefix() const { return prefix_; }
    // What the last run did.
    const MonthlyOutcome &lastRun() const { return lastRun_; }

    QLabel *Banner = nullptr;
    QLineEdit *EditFrom = nullptr;
    QPushButton *BtnFrom = nullptr;
    QLineEdit *EditTo = nullptr;
    QPushButton *BtnTo = nullptr;
    QLabel *StaticFileM = nullptr;
    QPushButton *BtnCreate = nullptr;
    QLabel *StaticFileDay = nullptr;
    QLabel *StaticDropped = nullptr; // lines left out of the last run

public slots:
    void FormShow();
    void BtnFromClick();
    void BtnToClick();
    void BtnCreateClick();

private:
    void updateCreate();

    AppContext &ctx_;
    QString source_, destination_, prefix_;
    MonthlyOutcome lastRun_;
};

} // namespace k71t
