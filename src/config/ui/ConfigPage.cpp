#include "config/ui/ConfigPage.h"

#include "common/TextFormats.h"
#include "widgets/UiStyle.h"
#include "config/PageIO.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <cmath>
#include <utility>

namespace k71t {

PageTexts PageTexts::configuration()
{
    PageTexts t;
    t.reading = QStringLiteral("Odczyt konfiguracji...");
    t.readOk = QStringLiteral("Odczyt konfiguracji...OK");
    t.readFailed = QStringLiteral("Odczyt konfiguracji zakończony błędem");
    t.writeFailedBox = QStringLiteral("Zapis danych zakończony błędem");
    return t;
}

void FieldGroup::edit(QLineEdit *edit, RegisterOf reg, const QString &message, int decimals)
{
    edits_.append({edit, std::move(reg), message, decimals});
}

void FieldGroup::check(QCheckBox *box, RegisterOf reg)
{
    checks_.append({box, std::move(reg)});
}

void FieldGroup::list(QComboBox *box, RegisterOf reg)
{
    box->setMaxVisibleItems(ListRows);
    lists_.append({box, std::move(reg)});
}

ConfigPage::ConfigPage(AppContext &context, Owner page, QWidget *parent, PageTexts texts)
    : QDialog(parent), ctx_(context), page_(page), texts_(std::move(texts))
{
    Q_ASSERT(pageBlocks(page));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("statusBar"));
    statusBar->setSizeGripEnabled(false);
}

void ConfigPage::finishPage(QBoxLayout *layout, const QString &writeCaption, QList<QPushButton *> moreButtons,
                            const QString &readCaption)
{
    readButton = new QPushButton(readCaption, this);
    readButton->setObjectName(QStringLiteral("readButton"));
    writeButton = new QPushButton(writeCaption, this);
    writeButton->setObjectName(QStringLiteral("writeButton"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : QList<QPushButton *>{readButton, writeButton} + moreButtons) {
        // Enter in a field must not press a button and read over what was typed.
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    layout->addWidget(statusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(readButton, &QPushButton::clicked, this, &ConfigPage::onReadClicked);
    connect(writeButton, &QPushButton::clicked, this, &ConfigPage::onWriteClicked);
}

void ConfigPage::describeEdit(QLineEdit *edit, int reg, const QString &message, int decimals)
{
    Q_ASSERT(registerInfo(reg));
    fields_.edit(edit, fixed(reg), message, decimals);
}

void ConfigPage::describeCheck(QCheckBox *box, int reg)
{
    fields_.check(box, fixed(reg));
}

void ConfigPage::describeList(QComboBox *box, int reg)
{
    fields_.list(box, fixed(reg));
}

void ConfigPage::fillFromImage()
{
    showFields(fields_);
}

bool ConfigPage::takeIntoImage()
{
    return takeFields(fields_);
}

void ConfigPage::showFields(const FieldGroup &group)
{
    const RegisterImage &im = ctx_.image;
    for (const FieldGroup::Edit &f : group.edits_) {
        const int reg = f.reg();
        if (registerInfo(reg)->kind == RegKind::U16)
            f.control->setText(QString::number(im.reg16(reg)));
        else
            f.control->setText(formatFloat(im.reg32(reg), f.decimals));
    }
    for (const FieldGroup::Control &c : group.checks_)
        static_cast<QCheckBox *>(c.control)->setChecked(im.reg16(c.reg()) != 0);
    // A code with no item shows no selection.
    for (const FieldGroup::Control &l : group.lists_) {
        auto *box = static_cast<QComboBox *>(l.control);
        const int code = im.reg16(l.reg());
        box->setCurrentIndex(code < box->count() ? code : -1);
    }
}

bool ConfigPage::takeFields(const FieldGroup &group, FieldGroup::Take mode)
{
    RegisterImage &im = ctx_.image;
    const auto store = [&im](int reg, double v) {
        if (registerInfo(reg)->kind == RegKind::U16)
            im.reg16(reg) = static_cast<std::uint16_t>(std::trunc(v));
        else
            im.reg32(reg) = static_cast<float>(v);
    };
    QList<QPair<int, double>> passed;
    for (const FieldGroup::Edit &f : group.edits_) {
        const int reg = f.reg();
        const RegisterInfo *info = registerInfo(reg);
        double v = 0;
        if (!takeNumber(f.control, info->low, info->high, f.message, v))
            return false;
        if (mode == FieldGroup::Take::AsEachPasses)
            store(reg, v);
        else
            passed.append({reg, v});
    }
    if (mode == FieldGroup::Take::CheckOnly)
        return true;
    for (const auto &[reg, v] : passed)
        store(reg, v);
    for (const FieldGroup::Control &c : group.checks_)
        im.reg16(c.reg()) = static_cast<QCheckBox *>(c.control)->isChecked() ? 1 : 0;
    // A list without a selection keeps its register as it is.
    for (const FieldGroup::Control &l : group.lists_) {
        const int index = static_cast<QComboBox *>(l.control)->currentIndex();
        if (index >= 0)
            im.reg16(l.reg()) = static_cast<std::uint16_t>(index);
    }
    return true;
}

void ConfigPage::readPage()
{
    setStatus(texts_.reading);
    if (onLink([this] { return pageRead(ctx_.link, pageBlocks(page_)->read); })) {
        fillFromImage();
        setStatus(texts_.readOk);
    } else {
        setStatus(texts_.readFailed);
        errorBox(texts_.readFailedBox);
    }
}

void ConfigPage::writePage()
{
    if (!checkBeforeWrite()) {
        setStatus(texts_.writeRefused);
        errorBox(texts_.writeRefusedBox);
        return;
    }
    if (!confirmWrite())
        return;
    setStatus(texts_.writing);
    if (onLink([this] { return pageWrite(ctx_.link, pageBlocks(page_)->write); })) {
        setStatus(texts_.writeOk);
    } else {
        setStatus(texts_.writeFailed);
        errorBox(texts_.writeFailedBox);
    }
    if (texts_.showAfterWrite)
        fillFromImage();
}

void ConfigPage::done(int result)
{
    onClosing();
    QDialog::done(result);
}

void ConfigPage::checkOnLeave(QWidget *control, std::function<bool()> check)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        // Enter, or leaving with a changed text. Not when the field is left
        // for the read or write button: the box would swallow their click,
        // and the write checks the page itself (its box and status say so),
        // a read replaces the field.
        connect(edit, &QLineEdit::editingFinished, this, [this, check] {
            QWidget *now = QApplication::focusWidget();
            if (now && (now == readButton || now == writeButton))
                return;
            runLeaveCheck(check);
        });
        return;
    }
    // The focus moving from the control (or a cell editor inside it) to
    // anything outside it.
    connect(qApp, &QApplication::focusChanged, this, [this, control, check](QWidget *old, QWidget *now) {
        const auto inside = [control](QWidget *w) { return w && (w == control || control->isAncestorOf(w)); };
        if (inside(old) && !inside(now))
            runLeaveCheck(check);
    });
    if (auto *grid = qobject_cast<QTableWidget *>(control))
        connect(grid, &QTableWidget::currentCellChanged, this,
                [this, grid, check](int row, int column, int previousRow, int previousColumn) {
                    if (previousRow < 0 || (row == previousRow && column == previousColumn))
                        return;
                    cellLeft_ = QPoint(previousRow, previousColumn);
                    if (!runLeaveCheck(check)) {
                        const QSignalBlocker quiet(grid);
                        grid->setCurrentCell(previousRow, previousColumn);
                    }
                });
}

bool ConfigPage::runLeaveCheck(const std::function<bool()> &check)
{
    // Not while another check runs or one of the page's boxes is open: the
    // box taking the focus is not the operator leaving the field.
    if (checking_ || boxOpen_)
        return true;
    checking_ = true;
    const bool good = check();
    checking_ = false;
    return good;
}

bool ConfigPage::takeNumber(QLineEdit *edit, double low, double high, const QString &message, double &value)
{
    const auto v = checkNumber(edit->text(), low, high);
    if (!v) {
        errorBox(message);
        return false;
    }
    value = *v;
    return true;
}

void ConfigPage::setStatus(const QString &text)
{
    if (text.isEmpty())
        return;
    statusBar->showMessage(text);
    statusBar->repaint();
}

void ConfigPage::errorBox(const QString &text)
{
    if (text.isEmpty())
        return;
    const bool wasOpen = std::exchange(boxOpen_, true);
    ctx_.prompt.error(this, text);
    boxOpen_ = wasOpen;
}

void ConfigPage::infoBox(const QString &text, const QString &caption)
{
    const bool wasOpen = std::exchange(boxOpen_, true);
    ctx_.prompt.inform(this, text, caption);
    boxOpen_ = wasOpen;
}

} // namespace k71t
