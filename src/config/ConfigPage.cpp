#include "config/ConfigPage.h"

#include <QLineEdit>
#include <QStatusBar>

namespace k71t {

ConfigPage::ConfigPage(AppContext &context, QWidget *parent) : QDialog(parent), ctx_(context)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
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
