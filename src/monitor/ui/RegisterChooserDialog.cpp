#include "monitor/ui/RegisterChooserDialog.h"

#include "widgets/Widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace k71t {

RegisterChooserDialog::RegisterChooserDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RegisterChooserDialog"));
    setWindowTitle(QStringLiteral("Wybór rejestru monitorowanego"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    CheckBox1 = named(new QCheckBox(QStringLiteral("Wartość wyświetlana"), this), "CheckBox1");
    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ComboBox2 = named(new QComboBox(this), "ComboBox2");
    for (int i = 0; i < 10; ++i) {
        ComboBox1->addItem(QStringLiteral("Urządzenie nr %1 - DEV%1").arg(i));
        ComboBox2->addItem(QStringLiteral("Rejestr nr %1 - R%1").arg(i));
    }
    Button1 = named(new QPushButton(QStringLiteral("Zastosuj i zamknij"), this), "Button1");
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Urządzenie"), ComboBox1);
    form->addRow(QStringLiteral("Rejestr"), ComboBox2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(CheckBox1);
    layout->addLayout(form);
    layout->addWidget(Button1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Set once: later openings show the last choice.
    CheckBox1->setChecked(true);
    CheckBox1Click();
    connect(CheckBox1, &QCheckBox::toggled, this, &RegisterChooserDialog::CheckBox1Click);
    connect(Button1, &QPushButton::clicked, this, &RegisterChooserDialog::Button1Click);
}

void RegisterChooserDialog::CheckBox1Click()
{
    ComboBox1->setEnabled(!CheckBox1->isChecked());
    ComboBox2->setEnabled(!CheckBox1->isChecked());
}

void RegisterChooserDialog::Button1Click()
{
    channel_ = CheckBox1->isChecked() ? 100 : 10 * ComboBox1->currentIndex() + ComboBox2->currentIndex();
    accept();
}

} // namespace k71t
