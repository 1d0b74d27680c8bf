#pragma once
// The page engine every configuration page runs on: the page's fields are
// described once (control, register, message; the accepted range comes from
// the register map), and showing them from the image, taking them into it,
// the read and write buttons with their
// status texts and error boxes, the checks when the operator leaves a field,
// and taking them on closing are done here. A page's own file keeps only what is its
// own (its layout, lists, special controls).
#include "config/PageBlocks.h"
#include "context/AppContext.h"

#include <QDialog>
#include <QList>
#include <functional>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace k71t {

// Status-bar texts and error boxes of a page's read and write buttons; an
// empty text is neither shown nor asked.
struct PageTexts {
    QString reading = QStringLiteral("Odczyt danych...");
    QString readOk = QStringLiteral("Odczyt danych...OK");
    QString readFailed = QStringLiteral("Odczyt zakończony błędem");
    QString readFailedBox = QStringLiteral("Odczyt danych zakończony błędem");
    QString writeRefused = QStringLiteral("Zapis przerwany. Błędne parametry.");
    QString writeRefusedBox;
    QString writing = QStringLiteral("Zapis konfiguracji...");
    QString writeOk = QStringLiteral("Zapis konfiguracji...OK");
    QString writeFailed = QStringLiteral("Zapis konfiguracji zakończony błędem");
    QString writeFailedBox;
    bool showAfterWrite = false;

    // The texts of the pages that say "konfiguracji" while reading and
    // answer a failed write with a box too.
    static PageTexts configuration();
};

// The register a field stands for: fixed, or following a page's current record.
using RegisterOf = std::function<int()>;

// Fields described once, in the order taking them checks and stores them.
class FieldGroup {
public:
    enum class Take {
        AsEachPasses,  // each edit is stored as soon as it passes
        WhenAllPassed, // nothing is stored unless every edit passed
        CheckOnly,     // the edits checked (a failing one shows its box), nothing stored
    };

    void edit(QLineEdit *edit, RegisterOf reg, const QString &message, int decimals = 4);
    void check(QCheckBox *box, RegisterOf reg);
    void list(QComboBox *box, RegisterOf reg);

private:
    friend class ConfigPage;
    struct Edit {
        QLineEdit *control;
        RegisterOf reg;
        QString message;
        int decimals;
    };
    struct Control {
        QWidget *control;
        RegisterOf reg;
    };
    QList<Edit> edits_;
    QList<Control> checks_;
    QList<Control> lists_;
};

// A fixed register as a RegisterOf.
inline RegisterOf fixed(int reg)
{
    return [reg] { return reg; };
}

class ConfigPage : public QDialog {
    Q_OBJECT
public:
    ConfigPage(AppContext &context, Owner page, QWidget *parent, PageTexts texts = {});

    // Image to controls; never talks to the meter.
    virtual void fillFromImage();
    // Controls to image: the edit fields in order through the numeric field
    // check, the first failure showing its message (caption "Błąd"); then,
    // when every field passed, the check boxes and lists.
    virtual bool takeIntoImage();
    // Runs when the window closes: by default takeIntoImage, so typed values stay in the image.
    virtual void onClosing() { takeIntoImage(); }
    // The redraw after a configuration file or a bulk read changed the image.
    virtual void refresh() { fillFromImage(); }

    // The read button: status, page read, fillFromImage, status or error box.
    void readPage();
    // The write button: takeIntoImage, confirmation, status, page write, status or error box.
    virtual void writePage();

    void done(int result) override;

    Owner page() const { return page_; }
    QStatusBar *statusBar = nullptr;
    QPushButton *readButton = nullptr;  // "Odczytaj konfigurację"
    QPushButton *writeButton = nullptr; // "Zapisz konfigurację"

public slots:
    void onReadClicked() { readPage(); }
    void onWriteClicked() { writePage(); }

protected:
    // Puts the read and write buttons (the write one with `writeCaption`)
    // and the status bar below the page's own content in `layout`, and fixes
    // the window's size to its contents.
    void finishPage(QBoxLayout *layout, const QString &writeCaption, QList<QPushButton *> moreButtons = {},
                    const QString &readCaption = QStringLiteral("Odczytaj konfigurację"));

    // The page's own fields (fillFromImage and takeIntoImage use them unless a page says otherwise).
    void describeEdit(QLineEdit *edit, int reg, const QString &message, int decimals = 4);
    void describeCheck(QCheckBox *box, int reg);
    void describeList(QComboBox *box, int reg);

    void showFields(const FieldGroup &group);
    bool takeFields(const FieldGroup &group, FieldGroup::Take mode = FieldGroup::Take::AsEachPasses);

    // Before a write: the page's fields into the image (false, with a box
    // told, refuses the write). A page that asks first may only check here
    // and take in confirmWrite.
    virtual bool checkBeforeWrite() { return takeIntoImage(); }
    // Asked after checkBeforeWrite and before anything is sent; false stops the write.
    virtual bool confirmWrite() { return true; }

    // Runs `check` when the operator leaves `control` (an edit also on Enter,
    // a grid also when another cell is chosen). One check at a time: an error
    // box taking the focus away does not start another, so each error is
    // told once. In a grid a failed check (false) takes the selection back
    // to the cell that was left, so it stays on the bad cell until mended.
    void checkOnLeave(QWidget *control, std::function<bool()> check);
    // The grid cell (row, column) the operator is leaving, while a grid's
    // check runs.
    QPoint cellLeft() const { return cellLeft_; }

    // Runs an exchange with the meter on the link worker; the page's event
    // loop runs meanwhile. The exchange's result.
    bool onLink(const std::function<bool()> &exchange) { return ctx_.linkWorker.call(exchange); }

    // One numeric field check with its error box, for checks a page makes itself.
    bool takeNumber(QLineEdit *edit, double low, double high, const QString &message, double &value);
    void setStatus(const QString &text);
    void errorBox(const QString &text);
    // A box with the information icon.
    void infoBox(const QString &text, const QString &caption);
    const PageTexts &texts() const { return texts_; }

    AppContext &ctx_;
    FieldGroup fields_;

private:
    // The check's result; true when it did not run.
    bool runLeaveCheck(const std::function<bool()> &check);

    Owner page_;
    PageTexts texts_;
    bool checking_ = false;
    QPoint cellLeft_{-1, -1};
    bool boxOpen_ = false;
};

} // namespace k71t
