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
    label->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(QStringLiteral("1"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    SpeedButton1 = new QPushButton(QStringLiteral("OK"), this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(Edit1);
    layout->addWidget(SpeedButton1, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(SpeedButton1, &QPushButton::clicked, this, &SourceAddressDialog::SpeedButton1Click);
}

void SourceAddressDialog::SpeedButton1Click()
{
    bool ok = false;
    const int value = Edit1->text().trimmed().toInt(&ok);
    if (ok && value >= 1 && value <= 247) {
        DataSourceAddress = static_cast<std::int16_t>(value);
    } else {
        DataSourceAddress = NoAddress;
        ctx_.prompt.message(this, QStringLiteral("Podano nieprawidłowy adres. Podaj wartość z zakresu 1...247."),
                            QStringLiteral("Błąd"), PromptIcon::Error);
    }
    accept();
}

} // namespace k71t
