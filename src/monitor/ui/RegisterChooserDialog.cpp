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
    displayedValueCheck = named(new QCheckBox(QStringLiteral("Wartość wyświetlana"), this), "displayedValueCheck");
    deviceList = named(new QComboBox(this), "deviceList");
    registerList = named(new QComboBox(this), "registerList");
    for (int i = 0; i < 10; ++i) {
        deviceList->addItem(QStringLiteral("Urządzenie nr %1 - DEV%1").arg(i));
        registerList->addItem(QStringLiteral("Rejestr nr %1 - R%1").arg(i));
    }
    applyButton = named(new QPushButton(QStringLiteral("Zastosuj i zamknij"), this), "applyButton");
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Urządzenie"), deviceList);
    form->addRow(QStringLiteral("Rejestr"), registerList);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(displayedValueCheck);
    layout->addLayout(form);
    layout->addWidget(applyButton);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Wide enough for its whole title beside the title bar's icon and buttons.
    layout->addStrut(fontMetrics().horizontalAdvance(windowTitle()) + 140);

    // Set once: later openings show the last choice.
    displayedValueCheck->setChecked(true);
    onDisplayedValueToggled();
    connect(displayedValueCheck, &QCheckBox::toggled, this, &RegisterChooserDialog::onDisplayedValueToggled);
    connect(applyButton, &QPushButton::clicked, this, &RegisterChooserDialog::onApplyClicked);
}

void RegisterChooserDialog::onDisplayedValueToggled()
{
    deviceList->setEnabled(!displayedValueCheck->isChecked());
    registerList->setEnabled(!displayedValueCheck->isChecked());
}

void RegisterChooserDialog::onApplyClicked()
{
    channel_ = displayedValueCheck->isChecked() ? 100 : 10 * deviceList->currentIndex() + registerList->currentIndex();
    accept();
}

} // namespace k71t
