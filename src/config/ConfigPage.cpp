#include "config/ConfigPage.h"

#include "common/TextFormats.h"
#include "common/UiStyle.h"
#include "config/PageIO.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <cmath>

namespace k71t {

ConfigPage::ConfigPage(AppContext &context, Owner page, QWidget *parent, PageTexts texts)
    : QDialog(parent), ctx_(context), page_(page), texts_(std::move(texts))
{
    Q_ASSERT(pageBlocks(page));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
}

void ConfigPage::describeEdit(QLineEdit *edit, int reg, const QString &message, int decimals)
{
    Q_ASSERT(registerInfo(reg));
    edits_.append({edit, reg, message, decimals});
}

void ConfigPage::describeCheck(QCheckBox *box, int reg)
{
    checks_.append({box, reg});
}

void ConfigPage::describeList(QComboBox *box, int reg)
{
    box->setMaxVisibleItems(ListRows);
    lists_.append({box, reg});
}

void ConfigPage::Show()
{
    const RegisterImage &im = ctx_.image;
    for (const EditField &f : edits_) {
        if (registerInfo(f.reg)->kind == RegKind::U16)
            f.edit->setText(QString::number(im.reg16(f.reg)));
        else
            f.edit->setText(formatFloat(im.reg32(f.reg), f.decimals));
    }
    for (const RegisterControl &c : checks_)
        static_cast<QCheckBox *>(c.control)->setChecked(im.reg16(c.reg) != 0);
    for (const RegisterControl &l : lists_) {
        auto *box = static_cast<QComboBox *>(l.control);
        const int code = im.reg16(l.reg);
        box->setCurrentIndex(code < box->count() ? code : -1);
    }
}

bool ConfigPage::Take()
{
    RegisterImage &im = ctx_.image;
    for (const EditField &f : edits_) {
        const RegisterInfo *info = registerInfo(f.reg);
        double v = 0;
        if (!takeNumber(f.edit, info->low, info->high, f.message, v))
            return false;
        if (info->kind == RegKind::U16)
            im.reg16(f.reg) = static_cast<std::uint16_t>(std::trunc(v));
        else
            im.reg32(f.reg) = static_cast<float>(v);
    }
    for (const RegisterControl &c : checks_)
        im.reg16(c.reg) = static_cast<QCheckBox *>(c.control)->isChecked() ? 1 : 0;
    // A list without a selection keeps its register as it is.
    for (const RegisterControl &l : lists_) {
        const int index = static_cast<QComboBox *>(l.control)->currentIndex();
        if (index >= 0)
            im.reg16(l.reg) = static_cast<std::uint16_t>(index);
    }
    return true;
}

void ConfigPage::readPage()
{
    setStatus(texts_.reading);
    if (pageRead(ctx_.link, pageBlocks(page_)->read)) {
        Show();
        setStatus(texts_.readOk);
    } else {
        setStatus(texts_.readFailed);
        errorBox(texts_.readFailedBox);
    }
}

void ConfigPage::writePage()
{
    if (!Take()) {
        setStatus(texts_.writeRefused);
        return;
    }
    setStatus(texts_.writing);
    if (pageWrite(ctx_.link, pageBlocks(page_)->write)) {
        setStatus(texts_.writeOk);
    } else {
        setStatus(texts_.writeFailed);
        if (!texts_.writeFailedBox.isEmpty())
            errorBox(texts_.writeFailedBox);
    }
    if (texts_.showAfterWrite)
        Show();
}

void ConfigPage::done(int result)
{
    FormClose();
    QDialog::done(result);
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
    StatusBar1->showMessage(text);
    StatusBar1->repaint();
}

void ConfigPage::errorBox(const QString &text)
{
    ctx_.prompt.message(this, text, QStringLiteral("Błąd"), PromptIcon::Error);
}

} // namespace k71t
