#include "config/ui/DisplayPage.h"

#include "widgets/Widgets.h"
#include "widgets/ClickablePanel.h"
#include "config/RegisterMap.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace k71t {

DisplayPage::DisplayPage(AppContext &context, QWidget *parent) : ConfigPage(context, Owner::Display, parent)
{
    setObjectName(QStringLiteral("DisplayPage"));
    setWindowTitle(QStringLiteral("Wyświetlanie / Tryb pracy"));

    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    Edit1 = named(new QLineEdit(this), "Edit1");
    Edit1->setToolTip(QStringLiteral("Czas uśredniania wyniku pomiaru."));
    ComboBox2 = named(new QComboBox(this), "ComboBox2");
    ComboBox3 = named(new QComboBox(this), "ComboBox3");
    CheckBox1 = named(new QCheckBox(QStringLiteral("Włącz podświetlanie jednostki"), this), "CheckBox1");

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Wartość wyświetlana"), ComboBox1);
    form->addRow(QStringLiteral("Czas pomiaru [s]"), Edit1);
    form->addRow(QStringLiteral("Format wyświetlania"), ComboBox2);
    form->addRow(QStringLiteral("Tryb pracy"), ComboBox3);
    form->addRow(QString(), CheckBox1);

    // The display range as a bar: the colour bands from top to bottom with
    // the limits and thresholds at their edges.
    auto *group = named(new QGroupBox(QStringLiteral("Kolory i zakres wskazań"), this), "GroupBox1");
    auto *bar = new QGridLayout(group);
    auto edge = [&](const char *name, const QString &hint, int row) {
        auto *e = named(new QLineEdit(group), name);
        e->setToolTip(hint);
        e->setMaximumWidth(110);
        bar->addWidget(e, row, 1);
        return e;
    };
    auto band = [&](const char *name, int row) {
        auto *p = named(new ClickablePanel(group), name);
        p->setToolTip(QStringLiteral("Naciśnij aby zmienić kolor"));
        p->setMinimumSize(60, 36);
        bar->addWidget(p, row, 0, 1, 1);
        return p;
    };
    Edit2 = edge("Edit2", QStringLiteral("Maksymalna wartość wyświetlana"), 0);
    Panel1 = band("Panel1", 1);
    Edit3 = edge("Edit3", QStringLiteral("Górny próg zmiany koloru"), 2);
    Panel2 = band("Panel2", 3);
    Edit4 = edge("Edit4", QStringLiteral("Dolny próg zmiany koloru"), 4);
    Panel3 = band("Panel3", 5);
    Edit5 = edge("Edit5", QStringLiteral("Minimalna wartość wyświetlana"), 6);
    bar->setColumnStretch(0, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group);
    finishPage(layout, QStringLiteral("Zapisz konfigurację"));

    // Take checks and stores in this order; the lists only when all passed.
    describeEdit(Edit1, 4003, QStringLiteral("Błędnie podany czas pomiaru"));
    describeEdit(Edit2, 7603, QStringLiteral("Błędnie podany górny próg ograniczający wyświetlanie"));
    describeEdit(Edit5, 7602, QStringLiteral("Błędnie podany dolny próg ograniczający wyświetlanie"));
    describeEdit(Edit3, 7601, QStringLiteral("Błędnie podany górny próg zmiany koloru"));
    describeEdit(Edit4, 7600, QStringLiteral("Błędnie podany dolny próg zmiany koloru"));
    describeCheck(CheckBox1, 4044);
    describeList(ComboBox1, 4000);
    describeList(ComboBox2, 4009);
    describeList(ComboBox3, 4004);

    connect(Panel1, &ClickablePanel::clicked, this, &DisplayPage::Panel1Click);
    connect(Panel2, &ClickablePanel::clicked, this, &DisplayPage::Panel2Click);
    connect(Panel3, &ClickablePanel::clicked, this, &DisplayPage::Panel3Click);

    FormCreate();
}

void DisplayPage::FormCreate()
{
    ComboBox1->addItems(displayQuantityItems());
    ComboBox2->addItems(displayFormatItems());
    ComboBox3->addItems(operatingModeItems());
    Show();
}

void DisplayPage::showColour(int reg, ClickablePanel *panel)
{
    const QColor c = colourForCode(ctx_.image.reg16(reg));
    if (c.isValid())
        panel->setColour(c);
}

void DisplayPage::Show()
{
    ConfigPage::Show();
    showColour(4012, Panel1);
    showColour(4011, Panel2);
    showColour(4010, Panel3);
}

void DisplayPage::cycleColour(int reg, ClickablePanel *panel)
{
    std::uint16_t &code = ctx_.image.reg16(reg);
    code = code + 1 >= ColourCodeCount ? 0 : code + 1;
    showColour(reg, panel);
}

void DisplayPage::Panel1Click() { cycleColour(4012, Panel1); }
void DisplayPage::Panel2Click() { cycleColour(4011, Panel2); }
void DisplayPage::Panel3Click() { cycleColour(4010, Panel3); }

} // namespace k71t
