#include "archive/ui/SourceAddressDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace k71t {

SourceAddressDialog::SourceAddressDialog(AppContext &context, QWidget *parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("SourceAddressDialog"));
    setWindowTitle(QStringLiteral("Adres K71T"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto *label = new QLabel(QStringLiteral("Podaj adres K71T z którego pochodzą dane"), this);
    label->setObjectName(QStringLiteral("promptLabel"));
    addressEdit = new QLineEdit(QStringLiteral("1"), this);
    addressEdit->setObjectName(QStringLiteral("addressEdit"));
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(addressEdit);
    layout->addWidget(okButton, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(okButton, &QPushButton::clicked, this, &SourceAddressDialog::onOkClicked);
}

void SourceAddressDialog::onOkClicked()
{
    bool ok = false;
    const int value = addressEdit->text().trimmed().toInt(&ok);
    if (ok && value >= 1 && value <= 247) {
        sourceAddress = static_cast<std::int16_t>(value);
    } else {
        sourceAddress = NoAddress;
        ctx_.prompt.error(this, QStringLiteral("Podano nieprawidłowy adres. Podaj wartość z zakresu 1...247."));
    }
    accept();
}

} // namespace k71t
