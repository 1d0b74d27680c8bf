#include "config/ui/AlarmsPage.h"

#include "config/RegisterMap.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace k71t {

AlarmsPage::AlarmsPage(AppContext &context, QWidget *parent)
    : ConfigPage(context, Owner::Alarms, parent, [] {
          PageTexts t = PageTexts::configuration();
          t.writeRefused.clear(); // the field's own box has told why
          t.showAfterWrite = true;
          return t;
      }())
{
    setObjectName(QStringLiteral("AlarmsPage"));
    setWindowTitle(QStringLiteral("Konfiguracja alarmów"));

    auto *groups = new QGridLayout;
    for (int k = 0; k < 4; ++k)
        groups->addWidget(buildAlarm(k), k / 2, k % 2);
    for (int k = 0; k < 4; ++k) {
        const AlarmControls &a = alarms[static_cast<std::size_t>(k)];
        describeList(a.quantityList, 4013 + 4 * k);
        describeList(a.typeList, 4014 + 4 * k);
        describeCheck(a.memoryCheck, 4016 + 4 * k);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    finishPage(layout, QStringLiteral("Zapisz konfigurację"));
    fillLists();
}

QGroupBox *AlarmsPage::buildAlarm(int k)
{
    AlarmControls &a = alarms[static_cast<std::size_t>(k)];
    const auto name = [k](const char *control) {
        return QStringLiteral("alarm%1%2").arg(k + 1).arg(QLatin1String(control));
    };
    auto *group = new QGroupBox(QStringLiteral("Alarm %1").arg(k + 1), this);
    group->setObjectName(name("Group"));
    a.quantityList = new QComboBox(group);
    a.typeList = new QComboBox(group);
    a.lowThresholdEdit = new QLineEdit(group);
    a.highThresholdEdit = new QLineEdit(group);
    a.delayEdit = new QLineEdit(group);
    a.memoryCheck = new QCheckBox(QStringLiteral("Pamięć alarmu"), group);
    a.quantityList->setObjectName(name("QuantityList"));
    a.typeList->setObjectName(name("TypeList"));
    a.lowThresholdEdit->setObjectName(name("LowThresholdEdit"));
    a.highThresholdEdit->setObjectName(name("HighThresholdEdit"));
    a.delayEdit->setObjectName(name("DelayEdit"));
    a.memoryCheck->setObjectName(name("MemoryCheck"));
    a.quantityList->setMinimumContentsLength(28);
    auto *form = new QFormLayout(group);
    form->addRow(QStringLiteral("Wielkość sterująca"), a.quantityList);
    form->addRow(QStringLiteral("Typ alarmu"), a.typeList);
    form->addRow(QStringLiteral("PrL - Dolny próg zadziałania"), a.lowThresholdEdit);
    form->addRow(QStringLiteral("PrH - Górny próg zadziałania"), a.highThresholdEdit);
    form->addRow(QStringLiteral("Opóźnienie [s]"), a.delayEdit);
    form->addRow(QString(), a.memoryCheck);

    // Taking the page checks alarm by alarm: PrL, PrH, delay.
    const QString al = QStringLiteral("AL%1.").arg(k + 1);
    describeEdit(a.lowThresholdEdit, 7604 + 2 * k, QStringLiteral("Błędnie podana wartość dolnego progu ") + al);
    describeEdit(a.highThresholdEdit, 7605 + 2 * k, QStringLiteral("Błędnie podana wartość górnego progu ") + al);
    describeEdit(a.delayEdit, 4015 + 4 * k, QStringLiteral("Błędnie podane opóźnienie ") + al);
    return group;
}

void AlarmsPage::fillLists()
{
    for (const AlarmControls &a : alarms) {
        a.quantityList->addItems(alarmQuantityItems());
        a.typeList->addItems(alarmTypeItems());
    }
    fillFromImage();
}

} // namespace k71t
