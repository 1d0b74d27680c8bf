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
            FormClose();
    });

    auto *menu = new QMenuBar(this);
    QMenu *file = menu->addMenu(QStringLiteral("Plik"));
    WczytajSownik1 = named(file->addAction(QStringLiteral("Wczytaj Słownik")), "WczytajSownik1");
    ZapiszSownik1 = named(file->addAction(QStringLiteral("Zapisz Słownik")), "ZapiszSownik1");
    file->addSeparator();
    Zamknij1 = named(file->addAction(QStringLiteral("Zamknij")), "Zamknij1");

    ListBox1 = named(new QListWidget(this), "ListBox1");
    ListBox1->setMinimumWidth(170);
    ListBox1->setMaximumWidth(220);
    SpeedButton1 = named(new QPushButton(QStringLiteral("Dodaj pozycję"), this), "SpeedButton1");
    SpeedButton1->setToolTip(QStringLiteral("Dodaje pozycje do słownika"));
    SpeedButton2 = named(new QPushButton(QStringLiteral("Usuń pozycję"), this), "SpeedButton2");
    SpeedButton2->setToolTip(QStringLiteral("Usuwa wskazaną pozycję ze slownika"));
    Edit1 = named(new QLineEdit(QStringLiteral("1"), this), "Edit1");
    Edit1->setToolTip(QStringLiteral("Adres wskaźnika K71T w sieci MODBUS"));
    Edit2 = named(new QLineEdit(QStringLiteral("K71T"), this), "Edit2");
    Edit2->setToolTip(QStringLiteral("Nazwa wskaźnika (dowolna)"));
    Edit2->setMaxLength(DictionaryNameLength);
    SpeedButton4 = named(new QPushButton(QStringLiteral("Wpisz do Slownika"), this), "SpeedButton4");
    StringGrid1 = named(new QTableWidget(11, 11, this), "StringGrid1");
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setDefaultSectionSize(78);
    StringGrid1->setColumnWidth(0, 56);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *hint = named(new QLabel(QStringLiteral("Wybierz serię i naciśnij zastosuj, aby wypełnić parametry serii "
                                                 "automatycznie"),
                                  this),
                       "Label3");
    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ComboBox1->setToolTip(QStringLiteral("Wybierz serię, która ma zostać wypełniona ze słownika"));
    ComboBox1->setMinimumWidth(200);
    SpeedButton3 = named(new QPushButton(QStringLiteral("Zastosuj"), this), "SpeedButton3");

    auto *fields = new QFormLayout;
    fields->addRow(named(new QLabel(QStringLiteral("Adres K71T"), this), "Label1"), Edit1);
    fields->addRow(named(new QLabel(QStringLiteral("Nazwa miernika"), this), "Label2"), Edit2);
    auto *left = new QVBoxLayout;
    left->addWidget(ListBox1, 1);
    left->addWidget(SpeedButton1);
    left->addWidget(SpeedButton2);
    auto *right = new QVBoxLayout;
    auto *top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addWidget(SpeedButton4, 0, Qt::AlignBottom);
    right->addLayout(top);
    right->addWidget(StringGrid1, 1);
    right->addWidget(hint);
    auto *apply = new QHBoxLayout;
    apply->addWidget(named(new QLabel(QStringLiteral("Seria"), this), "Label4"));
    apply->addWidget(ComboBox1);
    apply->addWidget(SpeedButton3);
    apply->addStretch(1);
    right->addLayout(apply);
    auto *columns = new QHBoxLayout(this);
    columns->setMenuBar(menu);
    columns->addLayout(left);
    columns->addLayout(right, 1);
    resize(1100, 520);

    // Enter in a field or the grid does not press a button of the window.
    for (QPushButton *b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        b->setAutoDefault(false);
    connect(ListBox1, &QListWidget::currentRowChanged, this, &DictionaryWindow::ListBox1Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &DictionaryWindow::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &DictionaryWindow::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &DictionaryWindow::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &DictionaryWindow::SpeedButton4Click);
    connect(WczytajSownik1, &QAction::triggered, this, &DictionaryWindow::WczytajSownik1Click);
    connect(ZapiszSownik1, &QAction::triggered, this, &DictionaryWindow::ZapiszSownik1Click);
    connect(Zamknij1, &QAction::triggered, this, &DictionaryWindow::Zamknij1Click);
    FormCreate();
}

QString DictionaryWindow::defaultPath() const
{
    return ctx_.appFile(QStringLiteral("def.slo"));
}

void DictionaryWindow::FormCreate()
{
    for (int i = 0; i < 11; ++i)
        for (int j = 0; j < 11; ++j)
            StringGrid1->setItem(i, j, new QTableWidgetItem);
    for (int k = 0; k < 10; ++k) {
        StringGrid1->item(0, k + 1)->setText(QStringLiteral("DEV%1").arg(k));
        QTableWidgetItem *fixed = StringGrid1->item(k + 1, 0);
        fixed->setText(QStringLiteral("REG%1").arg(k));
    }
    // Column 0 is fixed: it names the registers and cannot be chosen.
    for (int r = 0; r < 11; ++r) {
        QTableWidgetItem *fixed = StringGrid1->item(r, 0);
        fixed->setFlags(Qt::NoItemFlags);
        fixed->setBackground(palette().button());
        fixed->setForeground(palette().buttonText());
    }
    // A damaged def.slo keeps the meters read before its damage.
    LoadDictionary(defaultPath(), dictionary_, true);
    rebuildList();
    for (int s = 0; s < SeriesCount; ++s)
        ComboBox1->addItem(chart_.model().series[static_cast<std::size_t>(s)].name);
    ComboBox1->setCurrentIndex(-1);
    ListBox1Click();
}

void DictionaryWindow::rebuildList()
{
    dictionary_.compact();
    const QSignalBlocker block(ListBox1);
    ListBox1->clear();
    for (int i = 0; i < dictionary_.entryCount; ++i)
        ListBox1->addItem(dictionary_.meters[static_cast<std::size_t>(i)].name);
}

void DictionaryWindow::FormActivate()
{
    const int chosen = ComboBox1->currentIndex();
    for (int s = 0; s < SeriesCount && s < ComboBox1->count(); ++s)
        ComboBox1->setItemText(s, chart_.model().series[static_cast<std::size_t>(s)].name);
    ComboBox1->setCurrentIndex(chosen);
}

void DictionaryWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void DictionaryWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void DictionaryWindow::ShowEntry(int i)
{
    if (i < 0 || i >= DictionarySlots)
        return;
    const K71T_OPIS &m = dictionary_.meters[static_cast<std::size_t>(i)];
    Edit1->setText(QString::number(m.address));
    Edit2->setText(m.name);
    for (int d = 0; d < 10; ++d) {
        StringGrid1->item(0, d + 1)->setText(m.deviceNames[static_cast<std::size_t>(d)]);
        for (int r = 0; r < 10; ++r)
            StringGrid1->item(r + 1, d + 1)->setText(m.registerNames[static_cast<std::size_t>(d)][static_cast<std::size_t>(r)]);
    }
}

bool DictionaryWindow::StoreEntry(int i)
{
    if (i < 0 || i >= DictionarySlots)
        return false;
    K71T_OPIS &m = dictionary_.meters[static_cast<std::size_t>(i)];
    m.address = static_cast<std::uint8_t>(Edit1->text().trimmed().toInt());
    m.name = storableDictionaryName(Edit2->text());
    for (int d = 0; d < 10; ++d) {
        m.deviceNames[static_cast<std::size_t>(d)] = storableDictionaryName(StringGrid1->item(0, d + 1)->text());
        for (int r = 0; r < 10; ++r)
            m.registerNames[static_cast<std::size_t>(d)][static_cast<std::size_t>(r)] =
                storableDictionaryName(StringGrid1->item(r + 1, d + 1)->text());
    }
    return true;
}

void DictionaryWindow::ListBox1Click()
{
    const int i = ListBox1->currentRow();
    const bool chosen = i >= 0;
    if (chosen)
        ShowEntry(i);
    StringGrid1->setEnabled(chosen);
    SpeedButton4->setEnabled(chosen);
}

void DictionaryWindow::SpeedButton1Click()
{
    if (dictionary_.add()) {
        const int i = dictionary_.entryCount - 1;
        const QSignalBlocker block(ListBox1);
        ListBox1->addItem(dictionary_.meters[static_cast<std::size_t>(i)].name);
        ListBox1->setCurrentRow(i);
        ListBox1->item(i)->setText(dictionary_.longName(i));
        ShowEntry(i);
    }
    ListBox1Click();
}

void DictionaryWindow::SpeedButton2Click()
{
    const int i = ListBox1->currentRow();
    if (dictionary_.entryCount > 0 && i >= 0 && dictionary_.remove(i)) {
        const QSignalBlocker block(ListBox1);
        delete ListBox1->takeItem(i);
        for (int j = 0; j < dictionary_.entryCount; ++j)
            ListBox1->item(j)->setText(dictionary_.meters[static_cast<std::size_t>(j)].name);
    }
    ListBox1Click();
}

void DictionaryWindow::SpeedButton4Click()
{
    bool ok = false;
    const int address = Edit1->text().trimmed().toInt(&ok, 10);
    // A negative number is as wrong as a word; 0 and numbers above 247 are
    // passed over silently.
    if (!ok || address < 0) {
        error(QStringLiteral("Podano błędny adres. Podaj wartość z przedziału 1..247"));
        return;
    }
    if (address == 0 || address > 247)
        return;
    const int i = ListBox1->currentRow();
    if (dictionary_.meterWithAddress(address, i) >= 0) {
        error(QStringLiteral("W słowniku istniej już wpis o takim adresie."));
        return;
    }
    if (i < 0 || i >= dictionary_.entryCount)
        return;
    if (StoreEntry(i))
        ListBox1->item(i)->setText(dictionary_.longName(i));
    ShowEntry(i);
}

void DictionaryWindow::SpeedButton3Click()
{
    const int i = ListBox1->currentRow();
    if (i < 0 || i >= dictionary_.entryCount) {
        error(QStringLiteral("Nie wskazano miernika."));
        return;
    }
    const int row = StringGrid1->currentRow(), column = StringGrid1->currentColumn();
    if (row < 1 || column < 1) {
        error(QStringLiteral("Nie wskazano rejestru. Proszę wskazać rejestr i spróbować ponownie"));
        return;
    }
    const int s = ComboBox1->currentIndex();
    if (s < 0 || s >= SeriesCount) {
        error(QStringLiteral("Nie wybrano serii. Wybierz serię i spróbuj ponownie."));
        return;
    }
    const int d = column - 1, g = row - 1;
    const K71T_OPIS &m = dictionary_.meters[static_cast<std::size_t>(i)];
    chart_.ComboBox1->setCurrentIndex(s);
    chart_.Edit1->setText(m.name + QLatin1Char('_') + m.deviceNames[static_cast<std::size_t>(d)] + QLatin1Char('_') +
                          m.registerNames[static_cast<std::size_t>(d)][static_cast<std::size_t>(g)]);
    chart_.Edit2->setText(QString::number(m.address));
    chart_.ComboBox2->setCurrentIndex(d);
    chart_.ComboBox3->setCurrentIndex(g);
    chart_.SpeedButton4Click();
    FormActivate();
}

void DictionaryWindow::WczytajSownik1Click()
{
    const QString path = ctx_.prompt.openFileName(this, FileFilter, ctx_.AppDirectory);
    if (path.isEmpty())
        return;
    if (!LoadDictionary(path, dictionary_)) {
        error(QStringLiteral("Błąd podczas odczytu pliku. Plik ma niewłaściwy format lub jest uszkodzony"));
        return;
    }
    rebuildList();
    ListBox1Click();
}

void DictionaryWindow::ZapiszSownik1Click()
{
    const QString path = ctx_.prompt.saveFileName(this, FileFilter, ctx_.AppDirectory);
    if (path.isEmpty())
        return;
    if (!SaveDictionary(path, dictionary_))
        error(QStringLiteral("Błąd podczas zapisu pliku. Sprawdź czy dysk nie jest chroniony i spróbuj ponownie."));
}

void DictionaryWindow::Zamknij1Click()
{
    close();
}

void DictionaryWindow::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void DictionaryWindow::FormClose()
{
    SaveDictionary(defaultPath(), dictionary_);
}

void DictionaryWindow::error(const QString &text)
{
    ctx_.prompt.message(this, text, QStringLiteral("Błąd"), PromptIcon::Error);
}

} // namespace k71t
