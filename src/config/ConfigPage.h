#pragma once
// The frame every configuration page shares: the application context, the
// status bar, the numeric field check with its error box, and Take when the
// window closes.
#include "app/AppContext.h"
#include "config/PageIO.h"

#include <QDialog>

class QLineEdit;
class QStatusBar;

namespace k71t {

class ConfigPage : public QDialog {
    Q_OBJECT
public:
    ConfigPage(AppContext &context, QWidget *parent);

    // Image to controls; never talks to the meter.
    virtual void Show() = 0;
    // Controls to image, stopping at the first field that fails its check.
    virtual bool Take() = 0;
    // Runs when the window closes: by default Take, so typed values stay in the image.
    virtual void FormClose() { Take(); }

    void done(int result) override;

    QStatusBar *StatusBar1 = nullptr;

protected:
    // Checks one field; on failure shows `message` in an error box and returns false.
    bool takeNumber(QLineEdit *edit, double low, double high, const QString &message, double &value);
    void setStatus(const QString &text);
    void errorBox(const QString &text);

    AppContext &ctx_;
};

} // namespace k71t
