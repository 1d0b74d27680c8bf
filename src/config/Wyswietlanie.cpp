#include "config/Wyswietlanie.h"

#include "common/Widgets.h"
#include "common/ClickablePanel.h"
#include "common/TextFormats.h"
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
#include <cmath>

namespace k71t {

namespace {
constexpr double FloatLow = -19999.0;
constexpr double FloatHigh = 99999.0;

} // namespace

TForm5::TForm5(AppContext &context, QWidget *parent) : ConfigPage(context, parent)
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Wyświetlanie / Tryb pracy"));

    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ComboBox1->setMaxVisibleItems(20);
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

    SpeedButton1 = named(new QPushButton(QStringLiteral("Odczytaj konfigurację"), this), "SpeedButton1");
    SpeedButton2 = named(new QPushButton(QStringLiteral("Zapisz konfigurację"), this), "SpeedButton2");
    // Enter in a field must not read over what was typed.
    SpeedButton1->setAutoDefault(false);
    SpeedButton2->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Panel1, &ClickablePanel::clicked, this, &TForm5::Panel1Click);
    connect(Panel2, &ClickablePanel::clicked, this, &TForm5::Panel2Click);
    connect(Panel3, &ClickablePanel::clicked, this, &TForm5::Panel3Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TForm5::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TForm5::SpeedButton2Click);

    FormCreate();
}

void TForm5::FormCreate()
{
    ComboBox1->addItems(displayQuantityItems());
    ComboBox2->addItems(displayFormatItems());
    ComboBox3->addItems(operatingModeItems());
    Show();
}

void TForm5::showColour(int reg, ClickablePanel *panel)
{
    const QColor c = colourForCode(ctx_.image.reg16(reg));
    if (c.isValid())
        panel->setColour(c);
}

void TForm5::Show()
{
    const RegisterImage &im = ctx_.image;
    ComboBox1->setCurrentIndex(im.reg16(4000) < ComboBox1->count() ? im.reg16(4000) : -1);
    Edit1->setText(QString::number(im.reg16(4003)));
    ComboBox2->setCurrentIndex(im.reg16(4009) < ComboBox2->count() ? im.reg16(4009) : -1);
    ComboBox3->setCurrentIndex(im.reg16(4004) < ComboBox3->count() ? im.reg16(4004) : -1);
    Edit2->setText(formatFloat(im.reg32(7603)));
    Edit5->setText(formatFloat(im.reg32(7602)));
    Edit3->setText(formatFloat(im.reg32(7601)));
    Edit4->setText(formatFloat(im.reg32(7600)));
    showColour(4012, Panel1);
    showColour(4011, Panel2);
    showColour(4010, Panel3);
    CheckBox1->setChecked(im.reg16(4044) != 0);
}

bool TForm5::Take()
{
    RegisterImage &im = ctx_.image;
    double v = 0;
    if (!takeNumber(Edit1, 1, 3600, QStringLiteral("Błędnie podany czas pomiaru"), v))
        return false;
    im.reg16(4003) = static_cast<std::uint16_t>(std::trunc(v));
    if (!takeNumber(Edit2, FloatLow, FloatHigh, QStringLiteral("Błędnie podany górny próg ograniczający wyświetlanie"), v))
        return false;
    im.reg32(7603) = static_cast<float>(v);
    if (!takeNumber(Edit5, FloatLow, FloatHigh, QStringLiteral("Błędnie podany dolny próg ograniczający wyświetlanie"), v))
        return false;
    im.reg32(7602) = static_cast<float>(v);
    if (!takeNumber(Edit3, FloatLow, FloatHigh, QStringLiteral("Błędnie podany górny próg zmiany koloru"), v))
        return false;
    im.reg32(7601) = static_cast<float>(v);
    if (!takeNumber(Edit4, FloatLow, FloatHigh, QStringLiteral("Błędnie podany dolny próg zmiany koloru"), v))
        return false;
    im.reg32(7600) = static_cast<float>(v);
    im.reg16(4044) = CheckBox1->isChecked() ? 1 : 0;
    // A list without a selection keeps the register as it is.
    if (ComboBox1->currentIndex() >= 0)
        im.reg16(4000) = static_cast<std::uint16_t>(ComboBox1->currentIndex());
    if (ComboBox2->currentIndex() >= 0)
        im.reg16(4009) = static_cast<std::uint16_t>(ComboBox2->currentIndex());
    if (ComboBox3->currentIndex() >= 0)
        im.reg16(4004) = static_cast<std::uint16_t>(ComboBox3->currentIndex());
    return true;
}

void TForm5::cycleColour(int reg, ClickablePanel *panel)
{
    std::uint16_t &code = ctx_.image.reg16(reg);
    code = code + 1 >= ColourCodeCount ? 0 : code + 1;
    showColour(reg, panel);
}

void TForm5::Panel1Click() { cycleColour(4012, Panel1); }
void TForm5::Panel2Click() { cycleColour(4011, Panel2); }
void TForm5::Panel3Click() { cycleColour(4010, Panel3); }

void TForm5::SpeedButton1Click()
{
    setStatus(QStringLiteral("Odczyt danych..."));
    if (pageRead(ctx_.link, ReadBlocks)) {
        Show();
        setStatus(QStringLiteral("Odczyt danych...OK"));
    } else {
        errorBox(QStringLiteral("Odczyt danych zakończony błędem"));
        setStatus(QStringLiteral("Odczyt zakończony błędem"));
    }
}

void TForm5::SpeedButton2Click()
{
    if (!Take()) {
        setStatus(QStringLiteral("Zapis przerwany. Błędne parametry."));
        return;
    }
    setStatus(QStringLiteral("Zapis konfiguracji..."));
    setStatus(pageWrite(ctx_.link, WriteBlocks) ? QStringLiteral("Zapis konfiguracji...OK")
                                                : QStringLiteral("Zapis konfiguracji zakończony błędem"));
}

} // namespace k71t
