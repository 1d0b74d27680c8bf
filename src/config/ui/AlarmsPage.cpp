#include "config/ui/AlarmsPage.h"

#include "widgets/Widgets.h"
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

    struct Alarm {
        QComboBox **quantity, **type;
        QLineEdit **low, **high, **delay;
        QCheckBox **memory;
        const char *names[6];
    };
    const Alarm alarms[4] = {
        {&ComboBox1, &ComboBox2, &Edit1, &Edit2, &Edit9, &CheckBox1,
         {"ComboBox1", "ComboBox2", "Edit1", "Edit2", "Edit9", "CheckBox1"}},
        {&ComboBox3, &ComboBox4, &Edit3, &Edit4, &Edit10, &CheckBox2,
         {"ComboBox3", "ComboBox4", "Edit3", "Edit4", "Edit10", "CheckBox2"}},
        {&ComboBox5, &ComboBox6, &Edit5, &Edit6, &Edit11, &CheckBox3,
         {"ComboBox5", "ComboBox6", "Edit5", "Edit6", "Edit11", "CheckBox3"}},
        {&ComboBox7, &ComboBox8, &Edit7, &Edit8, &Edit12, &CheckBox4,
         {"ComboBox7", "ComboBox8", "Edit7", "Edit8", "Edit12", "CheckBox4"}},
    };
    auto *groups = new QGridLayout;
    for (int k = 0; k < 4; ++k) {
        const Alarm &a = alarms[k];
        auto *group = named(new QGroupBox(QStringLiteral("Alarm %1").arg(k + 1), this),
                            QStringLiteral("GroupBox%1").arg(k + 1).toLatin1().constData());
        *a.quantity = named(new QComboBox(group), a.names[0]);
        *a.type = named(new QComboBox(group), a.names[1]);
        *a.low = named(new QLineEdit(group), a.names[2]);
        *a.high = named(new QLineEdit(group), a.names[3]);
        *a.delay = named(new QLineEdit(group), a.names[4]);
        *a.memory = named(new QCheckBox(QStringLiteral("Pamięć alarmu"), group), a.names[5]);
        (*a.quantity)->setMinimumContentsLength(28);
        auto *form = new QFormLayout(group);
        form->addRow(QStringLiteral("Wielkość sterująca"), *a.quantity);
        form->addRow(QStringLiteral("Typ alarmu"), *a.type);
        form->addRow(QStringLiteral("PrL - Dolny próg zadziałania"), *a.low);
        form->addRow(QStringLiteral("PrH - Górny próg zadziałania"), *a.high);
        form->addRow(QStringLiteral("Opóźnienie [s]"), *a.delay);
        form->addRow(QString(), *a.memory);
        groups->addWidget(group, k / 2, k % 2);

        // Take checks alarm by alarm: PrL, PrH, delay.
        const QString al = QStringLiteral("AL%1.").arg(k + 1);
        describeEdit(*a.low, 7604 + 2 * k, QStringLiteral("Błędnie podana wartość dolnego progu ") + al);
        describeEdit(*a.high, 7605 + 2 * k, QStringLiteral("Błędnie podana wartość górnego progu ") + al);
        describeEdit(*a.delay, 4015 + 4 * k, QStringLiteral("Błędnie podane opóźnienie ") + al);
    }
    for (int k = 0; k < 4; ++k) {
        describeList(*alarms[k].quantity, 4013 + 4 * k);
        describeList(*alarms[k].type, 4014 + 4 * k);
        describeCheck(*alarms[k].memory, 4016 + 4 * k);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    finishPage(layout, QStringLiteral("Zapisz konfigurację"));
    FormCreate();
}

void AlarmsPage::FormCreate()
{
    for (QComboBox *box : {ComboBox1, ComboBox3, ComboBox5, ComboBox7})
        box->addItems(alarmQuantityItems());
    for (QComboBox *box : {ComboBox2, ComboBox4, ComboBox6, ComboBox8})
        box->addItems(alarmTypeItems());
    Show();
}

} // namespace k71t
