#pragma once
// The page engine every configuration page runs on: the page's fields are
// described once (control, register, message; the accepted range comes from
// the register map), and Show, Take, the read and write buttons with their
// status texts and error boxes, and Take on closing are done here. A page's
// own file keeps only what is its own (its layout, lists, special controls).
#include "config/PageBlocks.h"
#include "context/AppContext.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QStatusBar;

namespace k71t {

// Status-bar texts and error boxes of a page's read and write buttons.
struct PageTexts {
    QString reading = QStringLiteral("Odczyt danych...");
    QString readOk = QStringLiteral("Odczyt danych...OK");
    QString readFailed = QStringLiteral("Odczyt zakończony błędem");
    QString readFailedBox = QStringLiteral("Odczyt danych zakończony błędem");
    QString writeRefused = QStringLiteral("Zapis przerwany. Błędne parametry.");
    QString writing = QStringLiteral("Zapis konfiguracji...");
    QString writeOk = QStringLiteral("Zapis konfiguracji...OK");
    QString writeFailed = QStringLiteral("Zapis konfiguracji zakończony błędem");
    QString writeFailedBox; // no box when empty
    bool showAfterWrite = false;
};

class ConfigPage : public QDialog {
    Q_OBJECT
public:
    ConfigPage(AppContext &context, Owner page, QWidget *parent, PageTexts texts = {});

    // Image to controls; never talks to the meter.
    virtual void Show();
    // Controls to image: each edit field in its order through the numeric
    // field check, stored as soon as it passes; the first failure shows its
    // message (caption "Błąd") and stops. When every field passed, the check
    // boxes and lists are stored too.
    virtual bool Take();
    // Runs when the window closes: by default Take, so typed values stay in the image.
    virtual void FormClose() { Take(); }
    // The redraw after a configuration file or a bulk read changed the image.
    virtual void refresh() { Show(); }

    // The read button: status, page read, Show, status or error box.
    void readPage();
    // The write button: Take, status, page write, status or error box.
    void writePage();

    void done(int result) override;

    Owner page() const { return page_; }
    QStatusBar *StatusBar1 = nullptr;

protected:
    // Field descriptions, in the order Take checks and stores them.
    void describeEdit(QLineEdit *edit, int reg, const QString &message, int decimals = 4);
    void describeCheck(QCheckBox *box, int reg);
    void describeList(QComboBox *box, int reg);

    // One numeric field check with its error box, for checks a page makes itself.
    bool takeNumber(QLineEdit *edit, double low, double high, const QString &message, double &value);
    void setStatus(const QString &text);
    void errorBox(const QString &text);

    AppContext &ctx_;

private:
    struct EditField {
        QLineEdit *edit;
        int reg;
        QString message;
        int decimals;
    };
    struct RegisterControl {
        QWidget *control;
        int reg;
    };

    Owner page_;
    PageTexts texts_;
    QList<EditField> edits_;
    QList<RegisterControl> checks_;
    QList<RegisterControl> lists_;
};

} // namespace k71t
