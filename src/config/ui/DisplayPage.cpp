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

    QFormLayout *form = buildModeFields();
    QGroupBox *colours = buildColourBar();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(colours);
    finishPage(layout, QStringLiteral("Zapisz konfigurację"));
    describeFields();

    connect(upperColourPanel, &ClickablePanel::clicked, this, &DisplayPage::onUpperColourClicked);
    connect(middleColourPanel, &ClickablePanel::clicked, this, &DisplayPage::onMiddleColourClicked);
    connect(lowerColourPanel, &ClickablePanel::clicked, this, &DisplayPage::onLowerColourClicked);

    fillLists();
}

QFormLayout *DisplayPage::buildModeFields()
{
    displayedValueList = named(new QComboBox(this), "displayedValueList");
    measurementTimeEdit = named(new QLineEdit(this), "measurementTimeEdit");
    measurementTimeEdit->setToolTip(QStringLiteral("Czas uśredniania wyniku pomiaru."));
    displayFormatList = named(new QComboBox(this), "displayFormatList");
    operatingModeList = named(new QComboBox(this), "operatingModeList");
    unitBacklightCheck =
        named(new QCheckBox(QStringLiteral("Włącz podświetlanie jednostki"), this), "unitBacklightCheck");

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Wartość wyświetlana"), displayedValueList);
    form->addRow(QStringLiteral("Czas pomiaru [s]"), measurementTimeEdit);
    form->addRow(QStringLiteral("Format wyświetlania"), displayFormatList);
    form->addRow(QStringLiteral("Tryb pracy"), operatingModeList);
    form->addRow(QString(), unitBacklightCheck);
    return form;
}

// The display range as a bar: the colour bands from top to bottom with the
// limits and thresholds at their edges.
QGroupBox *DisplayPage::buildColourBar()
{
    auto *group = named(new QGroupBox(QStringLiteral("Kolory i zakres wskazań"), this), "coloursGroup");
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
    displayMaximumEdit = edge("displayMaximumEdit", QStringLiteral("Maksymalna wartość wyświetlana"), 0);
    upperColourPanel = band("upperColourPanel", 1);
    upperThresholdEdit = edge("upperThresholdEdit", QStringLiteral("Górny próg zmiany koloru"), 2);
    middleColourPanel = band("middleColourPanel", 3);
    lowerThresholdEdit = edge("lowerThresholdEdit", QStringLiteral("Dolny próg zmiany koloru"), 4);
    lowerColourPanel = band("lowerColourPanel", 5);
    displayMinimumEdit = edge("displayMinimumEdit", QStringLiteral("Minimalna wartość wyświetlana"), 6);
    bar->setColumnStretch(0, 1);
    return group;
}

void DisplayPage::describeFields()
{
    // Taken (checked and stored) in this order; the lists only when all passed.
    describeEdit(measurementTimeEdit, 4003, QStringLiteral("Błędnie podany czas pomiaru"));
    describeEdit(displayMaximumEdit, 7603, QStringLiteral("Błędnie podany górny próg ograniczający wyświetlanie"));
    describeEdit(displayMinimumEdit, 7602, QStringLiteral("Błędnie podany dolny próg ograniczający wyświetlanie"));
    describeEdit(upperThresholdEdit, 7601, QStringLiteral("Błędnie podany górny próg zmiany koloru"));
    describeEdit(lowerThresholdEdit, 7600, QStringLiteral("Błędnie podany dolny próg zmiany koloru"));
    describeCheck(unitBacklightCheck, 4044);
    describeList(displayedValueList, 4000);
    describeList(displayFormatList, 4009);
    describeList(operatingModeList, 4004);
}

void DisplayPage::fillLists()
{
    displayedValueList->addItems(displayQuantityItems());
    displayFormatList->addItems(displayFormatItems());
    operatingModeList->addItems(operatingModeItems());
    fillFromImage();
}

void DisplayPage::showColour(int reg, ClickablePanel *panel)
{
    const QColor c = colourForCode(ctx_.image.reg16(reg));
    if (c.isValid())
        panel->setColour(c);
}

void DisplayPage::fillFromImage()
{
    ConfigPage::fillFromImage();
    showColour(4012, upperColourPanel);
    showColour(4011, middleColourPanel);
    showColour(4010, lowerColourPanel);
}

void DisplayPage::cycleColour(int reg, ClickablePanel *panel)
{
    std::uint16_t &code = ctx_.image.reg16(reg);
    code = code + 1 >= ColourCodeCount ? 0 : code + 1;
    showColour(reg, panel);
}

void DisplayPage::onUpperColourClicked()
{
    cycleColour(4012, upperColourPanel);
}
void DisplayPage::onMiddleColourClicked()
{
    cycleColour(4011, middleColourPanel);
}
void DisplayPage::onLowerColourClicked()
{
    cycleColour(4010, lowerColourPanel);
}

} // namespace k71t
