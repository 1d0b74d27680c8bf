#include "chart/ui/SeriesEditor.h"

#include "context/Prompt.h"
#include "widgets/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace k71t
{

SeriesEditor::SeriesEditor(Prompt &prompt, SeriesModel &model, QWidget *parent)
    : QGroupBox(QStringLiteral("Serie danych"), parent), prompt_(prompt), model_(model)
{
    setObjectName(QStringLiteral("editorGroup"));
    seriesList = named(new QComboBox(this), "seriesList");
    auto *nameLabel = named(new QLabel(QStringLiteral("Nazwa Serii"), this), "nameLabel");
    seriesNameEdit = named(new QLineEdit(this), "seriesNameEdit");
    auto *addressLabel = named(new QLabel(QStringLiteral("Adres K71T"), this), "addressLabel");
    seriesAddressEdit = named(new QLineEdit(this), "seriesAddressEdit");
    deviceList = named(new QComboBox(this), "deviceList");
    registerList = named(new QComboBox(this), "registerList");
    dictionaryPickButton = named(new QPushButton(QStringLiteral("..."), this), "dictionaryPickButton");
    dictionaryPickButton->setToolTip(QStringLiteral("Otwórz słownik"));
    dictionaryPickButton->setFixedWidth(32);
    applyButton = named(new QPushButton(QStringLiteral("Zastosuj"), this), "applyButton");
    // Enter in a field does not press a button of the window.
    for (QPushButton *b : {dictionaryPickButton, applyButton})
        b->setAutoDefault(false);
    seriesStateLabel = named(new QLabel(this), "seriesStateLabel");
    auto *grid = new QGridLayout(this);
    grid->addWidget(seriesList, 0, 0, 1, 2);
    grid->addWidget(nameLabel, 1, 0, 1, 2);
    grid->addWidget(seriesNameEdit, 2, 0, 1, 2);
    grid->addWidget(addressLabel, 3, 0, 1, 2);
    grid->addWidget(seriesAddressEdit, 4, 0);
    grid->addWidget(dictionaryPickButton, 4, 1);
    grid->addWidget(deviceList, 5, 0);
    grid->addWidget(registerList, 5, 1);
    grid->addWidget(applyButton, 6, 0, 1, 2);
    grid->addWidget(seriesStateLabel, 7, 0, 1, 2);

    for (int s = 0; s < SeriesCount; ++s)
        seriesList->addItem(defaultSeriesName(s));
    for (int i = 0; i < 10; ++i) {
        deviceList->addItem(QStringLiteral("DEV%1").arg(i));
        registerList->addItem(QStringLiteral("R%1").arg(i));
    }
    connect(seriesList, &QComboBox::activated, this, &SeriesEditor::onSeriesChosen);
    connect(applyButton, &QPushButton::clicked, this, &SeriesEditor::onApplyClicked);
    connect(dictionaryPickButton, &QPushButton::clicked, this, &SeriesEditor::dictionaryWanted);
}

void SeriesEditor::showNames()
{
    for (int s = 0; s < SeriesCount; ++s)
        seriesList->setItemText(s, model_.series[static_cast<std::size_t>(s)].name);
    seriesList->setCurrentIndex(0);
    deviceList->setCurrentIndex(0);
    registerList->setCurrentIndex(0);
    onSeriesChosen();
}

int SeriesEditor::current() const
{
    return std::max(0, seriesList->currentIndex());
}

void SeriesEditor::showState(const SeriesAssignment &series)
{
    seriesStateLabel->setText(series.on() ? QStringLiteral("Seria włączona") : QStringLiteral("Seria wyłączona"));
}

void SeriesEditor::onSeriesChosen()
{
    const SeriesAssignment &w = model_.series[static_cast<std::size_t>(current())];
    seriesNameEdit->setText(w.name);
    seriesAddressEdit->setText(QString::number(w.address));
    deviceList->setCurrentIndex(w.device);
    registerList->setCurrentIndex(w.registerNo);
    showState(w);
}

void SeriesEditor::onApplyClicked()
{
    bool ok = false;
    const int address = seriesAddressEdit->text().trimmed().toInt(&ok, 10);
    if (!ok || address < 0 || address > 247) {
        prompt_.error(this,
                      QStringLiteral("Błędnie podany adres. Podaj wartość od 1 do 247 lub 0 żeby wyłączyć serię"));
        return;
    }
    const int s = current();
    SeriesAssignment &w = model_.series[static_cast<std::size_t>(s)];
    w.name = storableSeriesName(seriesNameEdit->text());
    w.address = static_cast<std::uint8_t>(address);
    w.device = static_cast<std::uint8_t>(std::max(0, deviceList->currentIndex()));
    w.registerNo = static_cast<std::uint8_t>(std::max(0, registerList->currentIndex()));
    seriesList->setItemText(s, w.name);
    seriesList->setCurrentIndex(s);
    showState(w);
    emit applied(s);
}

} // namespace k71t
