#include "chart/ui/DictionaryWindow.h"

#include "chart/ui/ChartWindow.h"
#include "widgets/Widgets.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace k71t {

namespace {

const QString FileFilter = QStringLiteral("Pliki słownika (*.slo)|*.slo");

} // namespace

DictionaryWindow::DictionaryWindow(AppContext &context, ChartWindow &chart, QWidget *parent)
    : QDialog(parent), ctx_(context), chart_(chart)
{
    setObjectName(QStringLiteral("DictionaryWindow"));
    setWindowTitle(QStringLiteral("Słownik"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    // The window is not modal: the program may end while it is open (the
    // start panel closed, Ctrl+C), and its names are then saved as on closing.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible())
            saveDefaultDictionary();
    });

    QMenuBar *menu = buildMenu();
    buildControls();
    layOut(menu);

    // Enter in a field or the grid does not press a button of the window.
    for (QPushButton *b : {addButton, removeButton, applyButton, storeButton})
        b->setAutoDefault(false);
    connect(meterList, &QListWidget::currentRowChanged, this, &DictionaryWindow::onMeterChosen);
    connect(addButton, &QPushButton::clicked, this, &DictionaryWindow::onAddClicked);
    connect(removeButton, &QPushButton::clicked, this, &DictionaryWindow::onRemoveClicked);
    connect(applyButton, &QPushButton::clicked, this, &DictionaryWindow::onApplyClicked);
    connect(storeButton, &QPushButton::clicked, this, &DictionaryWindow::onStoreClicked);
    connect(loadAction, &QAction::triggered, this, &DictionaryWindow::onLoadChosen);
    connect(saveAction, &QAction::triggered, this, &DictionaryWindow::onSaveChosen);
    connect(closeAction, &QAction::triggered, this, &DictionaryWindow::onCloseChosen);
    loadDefaultDictionary();
}

QMenuBar *DictionaryWindow::buildMenu()
{
    auto *menu = new QMenuBar(this);
    QMenu *file = menu->addMenu(QStringLiteral("Plik"));
    loadAction = named(file->addAction(QStringLiteral("Wczytaj Słownik")), "loadAction");
    saveAction = named(file->addAction(QStringLiteral("Zapisz Słownik")), "saveAction");
    file->addSeparator();
    closeAction = named(file->addAction(QStringLiteral("Zamknij")), "closeAction");
    return menu;
}

void DictionaryWindow::buildControls()
{
    meterList = named(new QListWidget(this), "meterList");
    meterList->setMinimumWidth(170);
    meterList->setMaximumWidth(220);
    addButton = named(new QPushButton(QStringLiteral("Dodaj pozycję"), this), "addButton");
    addButton->setToolTip(QStringLiteral("Dodaje pozycje do słownika"));
    removeButton = named(new QPushButton(QStringLiteral("Usuń pozycję"), this), "removeButton");
    removeButton->setToolTip(QStringLiteral("Usuwa wskazaną pozycję ze slownika"));
    addressEdit = named(new QLineEdit(QStringLiteral("1"), this), "addressEdit");
    addressEdit->setToolTip(QStringLiteral("Adres wskaźnika K71T w sieci MODBUS"));
    nameEdit = named(new QLineEdit(QStringLiteral("K71T"), this), "nameEdit");
    nameEdit->setToolTip(QStringLiteral("Nazwa wskaźnika (dowolna)"));
    nameEdit->setMaxLength(DictionaryNameLength);
    storeButton = named(new QPushButton(QStringLiteral("Wpisz do Slownika"), this), "storeButton");
    namesGrid = named(new QTableWidget(11, 11, this), "namesGrid");
    namesGrid->horizontalHeader()->hide();
    namesGrid->verticalHeader()->hide();
    namesGrid->horizontalHeader()->setDefaultSectionSize(78);
    namesGrid->setColumnWidth(0, 56);
    namesGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    hintLabel = named(new QLabel(QStringLiteral("Wybierz serię i naciśnij zastosuj, aby wypełnić parametry serii "
                                                "automatycznie"),
                                 this),
                      "hintLabel");
    seriesList = named(new QComboBox(this), "seriesList");
    seriesList->setToolTip(QStringLiteral("Wybierz serię, która ma zostać wypełniona ze słownika"));
    seriesList->setMinimumWidth(200);
    applyButton = named(new QPushButton(QStringLiteral("Zastosuj"), this), "applyButton");
}

// The meters left, their names and the series to fill right, the menu above.
void DictionaryWindow::layOut(QMenuBar *menu)
{
    auto *fields = new QFormLayout;
    fields->addRow(named(new QLabel(QStringLiteral("Adres K71T"), this), "addressLabel"), addressEdit);
    fields->addRow(named(new QLabel(QStringLiteral("Nazwa miernika"), this), "nameLabel"), nameEdit);
    auto *left = new QVBoxLayout;
    left->addWidget(meterList, 1);
    left->addWidget(addButton);
    left->addWidget(removeButton);
    auto *right = new QVBoxLayout;
    auto *top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addWidget(storeButton, 0, Qt::AlignBottom);
    right->addLayout(top);
    right->addWidget(namesGrid, 1);
    right->addWidget(hintLabel);
    auto *apply = new QHBoxLayout;
    apply->addWidget(named(new QLabel(QStringLiteral("Seria"), this), "seriesLabel"));
    apply->addWidget(seriesList);
    apply->addWidget(applyButton);
    apply->addStretch(1);
    right->addLayout(apply);
    auto *columns = new QHBoxLayout(this);
    columns->setMenuBar(menu);
    columns->addLayout(left);
    columns->addLayout(right, 1);
    resize(1100, 520);
}

QString DictionaryWindow::defaultPath() const
{
    return ctx_.appFile(QStringLiteral("def.slo"));
}

void DictionaryWindow::loadDefaultDictionary()
{
    for (int i = 0; i < 11; ++i)
        for (int j = 0; j < 11; ++j)
            namesGrid->setItem(i, j, new QTableWidgetItem);
    for (int k = 0; k < 10; ++k) {
        namesGrid->item(0, k + 1)->setText(QStringLiteral("DEV%1").arg(k));
        QTableWidgetItem *fixed = namesGrid->item(k + 1, 0);
        fixed->setText(QStringLiteral("REG%1").arg(k));
    }
    // Column 0 is fixed: it names the registers and cannot be chosen.
    for (int r = 0; r < 11; ++r) {
        QTableWidgetItem *fixed = namesGrid->item(r, 0);
        fixed->setFlags(Qt::NoItemFlags);
        fixed->setBackground(palette().button());
        fixed->setForeground(palette().buttonText());
    }
    // A damaged def.slo keeps the meters read before its damage.
    loadDictionary(defaultPath(), dictionary_, true);
    rebuildList();
    for (int s = 0; s < SeriesCount; ++s)
        seriesList->addItem(chart_.model().series[static_cast<std::size_t>(s)].name);
    seriesList->setCurrentIndex(-1);
    onMeterChosen();
}

void DictionaryWindow::rebuildList()
{
    dictionary_.compact();
    const QSignalBlocker block(meterList);
    meterList->clear();
    for (int i = 0; i < dictionary_.entryCount; ++i)
        meterList->addItem(dictionary_.meters[static_cast<std::size_t>(i)].name);
}

void DictionaryWindow::onActivated()
{
    const int chosen = seriesList->currentIndex();
    for (int s = 0; s < SeriesCount && s < seriesList->count(); ++s)
        seriesList->setItemText(s, chart_.model().series[static_cast<std::size_t>(s)].name);
    seriesList->setCurrentIndex(chosen);
}

void DictionaryWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    onActivated();
}

void DictionaryWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        onActivated();
}

void DictionaryWindow::showEntry(int i)
{
    if (i < 0 || i >= DictionarySlots)
        return;
    const DictionaryEntry &m = dictionary_.meters[static_cast<std::size_t>(i)];
    addressEdit->setText(QString::number(m.address));
    nameEdit->setText(m.name);
    for (int d = 0; d < 10; ++d) {
        namesGrid->item(0, d + 1)->setText(m.deviceNames[static_cast<std::size_t>(d)]);
        for (int r = 0; r < 10; ++r)
            namesGrid->item(r + 1, d + 1)
                ->setText(m.registerNames[static_cast<std::size_t>(d)][static_cast<std::size_t>(r)]);
    }
}

bool DictionaryWindow::storeEntry(int i)
{
    if (i < 0 || i >= DictionarySlots)
        return false;
    DictionaryEntry &m = dictionary_.meters[static_cast<std::size_t>(i)];
    m.address = static_cast<std::uint8_t>(addressEdit->text().trimmed().toInt());
    m.name = storableDictionaryName(nameEdit->text());
    for (int d = 0; d < 10; ++d) {
        m.deviceNames[static_cast<std::size_t>(d)] = storableDictionaryName(namesGrid->item(0, d + 1)->text());
        for (int r = 0; r < 10; ++r)
            m.registerNames[static_cast<std::size_t>(d)][static_cast<std::size_t>(r)] =
                storableDictionaryName(namesGrid->item(r + 1, d + 1)->text());
    }
    return true;
}

void DictionaryWindow::onMeterChosen()
{
    const int i = meterList->currentRow();
    const bool chosen = i >= 0;
    if (chosen)
        showEntry(i);
    namesGrid->setEnabled(chosen);
    storeButton->setEnabled(chosen);
}

void DictionaryWindow::onAddClicked()
{
    if (dictionary_.add()) {
        const int i = dictionary_.entryCount - 1;
        const QSignalBlocker block(meterList);
        meterList->addItem(dictionary_.meters[static_cast<std::size_t>(i)].name);
        meterList->setCurrentRow(i);
        meterList->item(i)->setText(dictionary_.longName(i));
        showEntry(i);
    }
    onMeterChosen();
}

void DictionaryWindow::onRemoveClicked()
{
    const int i = meterList->currentRow();
    if (dictionary_.entryCount > 0 && i >= 0 && dictionary_.remove(i)) {
        const QSignalBlocker block(meterList);
        delete meterList->takeItem(i);
        for (int j = 0; j < dictionary_.entryCount; ++j)
            meterList->item(j)->setText(dictionary_.meters[static_cast<std::size_t>(j)].name);
    }
    onMeterChosen();
}

void DictionaryWindow::onStoreClicked()
{
    bool ok = false;
    const int address = addressEdit->text().trimmed().toInt(&ok, 10);
    // A negative number is as wrong as a word; 0 and numbers above 247 are
    // passed over silently.
    if (!ok || address < 0) {
        ctx_.prompt.error(this, QStringLiteral("Podano błędny adres. Podaj wartość z przedziału 1..247"));
        return;
    }
    if (address == 0 || address > 247)
        return;
    const int i = meterList->currentRow();
    if (dictionary_.meterWithAddress(address, i) >= 0) {
        ctx_.prompt.error(this, QStringLiteral("W słowniku istniej już wpis o takim adresie."));
        return;
    }
    if (i < 0 || i >= dictionary_.entryCount)
        return;
    if (storeEntry(i))
        meterList->item(i)->setText(dictionary_.longName(i));
    showEntry(i);
}

void DictionaryWindow::onApplyClicked()
{
    const int i = meterList->currentRow();
    if (i < 0 || i >= dictionary_.entryCount) {
        ctx_.prompt.error(this, QStringLiteral("Nie wskazano miernika."));
        return;
    }
    const int row = namesGrid->currentRow(), column = namesGrid->currentColumn();
    if (row < 1 || column < 1) {
        ctx_.prompt.error(this, QStringLiteral("Nie wskazano rejestru. Proszę wskazać rejestr i spróbować ponownie"));
        return;
    }
    const int s = seriesList->currentIndex();
    if (s < 0 || s >= SeriesCount) {
        ctx_.prompt.error(this, QStringLiteral("Nie wybrano serii. Wybierz serię i spróbuj ponownie."));
        return;
    }
    const int d = column - 1, g = row - 1;
    const DictionaryEntry &m = dictionary_.meters[static_cast<std::size_t>(i)];
    chart_.editor->seriesList->setCurrentIndex(s);
    chart_.editor->seriesNameEdit->setText(m.name + QLatin1Char('_') + m.deviceNames[static_cast<std::size_t>(d)] +
                                           QLatin1Char('_') +
                                           m.registerNames[static_cast<std::size_t>(d)][static_cast<std::size_t>(g)]);
    chart_.editor->seriesAddressEdit->setText(QString::number(m.address));
    chart_.editor->deviceList->setCurrentIndex(d);
    chart_.editor->registerList->setCurrentIndex(g);
    chart_.editor->onApplyClicked();
    onActivated();
}

void DictionaryWindow::onLoadChosen()
{
    const QString path = ctx_.prompt.openFileName(this, FileFilter, ctx_.appDirectory);
    if (path.isEmpty())
        return;
    if (!loadDictionary(path, dictionary_)) {
        ctx_.prompt.error(this,
                          QStringLiteral("Błąd podczas odczytu pliku. Plik ma niewłaściwy format lub jest uszkodzony"));
        return;
    }
    rebuildList();
    onMeterChosen();
}

void DictionaryWindow::onSaveChosen()
{
    const QString path = ctx_.prompt.saveFileName(this, FileFilter, ctx_.appDirectory);
    if (path.isEmpty())
        return;
    if (!saveDictionary(path, dictionary_))
        ctx_.prompt.error(
            this, QStringLiteral("Błąd podczas zapisu pliku. Sprawdź czy dysk nie jest chroniony i spróbuj ponownie."));
}

void DictionaryWindow::onCloseChosen()
{
    close();
}

void DictionaryWindow::done(int result)
{
    saveDefaultDictionary();
    QDialog::done(result);
}

void DictionaryWindow::saveDefaultDictionary()
{
    saveDictionary(defaultPath(), dictionary_);
}

} // namespace k71t
