#include "chart/ui/ChartWindow.h"

#include "archive/ui/SourceAddressDialog.h"
#include "chart/SeriesDb.h"
#include "chart/ui/ChartInfoWindow.h"
#include "chart/ui/ChartTableWindow.h"
#include "chart/ui/DictionaryWindow.h"
#include "chart/ui/SeriesEditor.h"
#include "chart/ui/SeriesPlot.h"
#include "common/DateFormats.h"
#include "widgets/Widgets.h"

#include <QApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <qcustomplot.h>

namespace k71t {

namespace {

const QString FileFilter = QStringLiteral("Pliki danych (*.dat, *.bin)|*.dat;*.bin");

// The series' colours at start: red, green, black, blue, RGB(255, 0, 128),
// grey, fuchsia, teal, navy, maroon.
const std::array<QColor, SeriesCount> StartColours{
    QColor(255, 0, 0),   QColor(0, 128, 0),   QColor(0, 0, 0),   QColor(0, 0, 255), QColor(255, 0, 128),
    QColor(128, 128, 128), QColor(255, 0, 255), QColor(0, 128, 128), QColor(0, 0, 128), QColor(128, 0, 0)};

QIcon swatch(const QColor &colour)
{
    QPixmap pixmap(14, 14);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 13, 13);
    return QIcon(pixmap);
}

} // namespace

ChartWindow::ChartWindow(AppContext &context, ChartTableWindow &table, QWidget *parent)
    : QDialog(parent), ctx_(context), table_(table), databaseLoad_(context.database, loadSettings_),
      colours_(StartColours)
{
    setObjectName(QStringLiteral("ChartWindow"));
    setWindowTitle(QStringLiteral("Wykres"));
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    QWidget *leftPanel = buildLeftPanel();
    chart = new SeriesPlot(this);
    connect(chart, &SeriesPlot::fullViewWanted, this, &ChartWindow::fullView);
    QGridLayout *colourRow = buildColourRow();
    auto *right = new QVBoxLayout;
    right->addWidget(chart, 1);
    right->addLayout(colourRow);

    statusBar = named(new QStatusBar(this), "statusBar");
    statusBar->setSizeGripEnabled(false);
    progressBar = named(new QProgressBar(this), "progressBar");
    progressBar->setRange(0, 10);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    progressBar->setFixedWidth(180);
    statusBar->addPermanentWidget(progressBar);
    databaseTimer = named(new QTimer(this), "databaseTimer");
    databaseTimer->setInterval(10);

    auto *columns = new QHBoxLayout;
    columns->addWidget(leftPanel);
    columns->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(statusBar);
    layout->setContentsMargins(6, 6, 6, 0);
    resize(1008, 718);

    connect(databaseTimer, &QTimer::timeout, this, &ChartWindow::onDatabaseTimer);
    initialise();
    connect(fromDateEdit, &QDateEdit::dateChanged, this, &ChartWindow::onDatesChanged);
    connect(toDateEdit, &QDateEdit::dateChanged, this, &ChartWindow::onDatesChanged);
}

QPushButton *ChartWindow::addButton(const char *name, const QString &text, void (ChartWindow::*onClicked)(),
                                    const QString &hint)
{
    auto *b = named(new QPushButton(text, this), name);
    // Enter in a field does not press a button of the window.
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    connect(b, &QPushButton::clicked, this, onClicked);
    return b;
}

QWidget *ChartWindow::buildLeftPanel()
{
    clearButton = addButton("clearButton", QStringLiteral("Wyczyść wykres"), &ChartWindow::onClearClicked,
                            QStringLiteral("Czyści wykres, nie usuwa powiązań"));
    unlinkButton = addButton("unlinkButton", QStringLiteral("Usuń powiązania serii"), &ChartWindow::onUnlinkClicked,
                             QStringLiteral("Usuwa powiązania serii"));
    auto *fromLabel = named(new QLabel(QStringLiteral("Dane od:"), this), "fromLabel");
    fromDateEdit = named(new QDateEdit(this), "fromDateEdit");
    fromDateEdit->setToolTip(QStringLiteral("Data określająca początek danych do pobrania"));
    auto *toLabel = named(new QLabel(QStringLiteral("Dane do"), this), "toLabel");
    toDateEdit = named(new QDateEdit(this), "toDateEdit");
    toDateEdit->setToolTip(QStringLiteral("Data określająca koniec danych do pobrania"));
    for (QDateEdit *picker : {fromDateEdit, toDateEdit}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        // The drop-down calendar names months and days in Polish, as the
        // archive window's calendars do.
        picker->calendarWidget()->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
        picker->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    }

    editor = new SeriesEditor(ctx_.prompt, model_, this);
    connect(editor, &SeriesEditor::applied, this, &ChartWindow::onSeriesApplied);
    connect(editor, &SeriesEditor::dictionaryWanted, this, &ChartWindow::onDictionaryClicked);
    databaseLoadButton =
        addButton("databaseLoadButton", QStringLiteral("Pobierz z Bazy Danych"), &ChartWindow::onDatabaseLoadClicked);
    fileLoadButton = addButton("fileLoadButton", QStringLiteral("Dodaj z Pliku"), &ChartWindow::onFileLoadClicked);
    tableButton = addButton("tableButton", QStringLiteral("Pokaż dane"), &ChartWindow::onTableClicked);
    printButton = addButton("printButton", QStringLiteral("Drukuj wykres"), &ChartWindow::onPrintClicked);
    dictionaryButton = addButton("dictionaryButton", QStringLiteral("Słownik"), &ChartWindow::onDictionaryClicked);
    infoButton = addButton("infoButton", QStringLiteral("Informacje o wykresie"), &ChartWindow::onInfoClicked);

    auto *left = new QVBoxLayout;
    left->addWidget(clearButton);
    left->addWidget(unlinkButton);
    left->addSpacing(6);
    left->addWidget(fromLabel);
    left->addWidget(fromDateEdit);
    left->addWidget(toLabel);
    left->addWidget(toDateEdit);
    left->addSpacing(6);
    left->addWidget(editor);
    left->addSpacing(6);
    for (QPushButton *b : {databaseLoadButton, fileLoadButton, tableButton, printButton, dictionaryButton, infoButton})
        left->addWidget(b);
    left->addStretch(1);
    auto *leftPanel = new QWidget(this);
    leftPanel->setLayout(left);
    leftPanel->setFixedWidth(190);
    left->setContentsMargins(0, 0, 0, 0);
    return leftPanel;
}

// Two rows of five, so the names fit on the buttons.
QGridLayout *ChartWindow::buildColourRow()
{
    auto *colourRow = new QGridLayout;
    colourRow->setSpacing(2);
    for (int s = 0; s < SeriesCount; ++s) {
        auto *b = new QPushButton(this);
        b->setAutoDefault(false);
        b->setObjectName(QStringLiteral("colourButton%1").arg(s + 1));
        b->setMinimumWidth(40);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        colourButtons[static_cast<std::size_t>(s)] = b;
        colourRow->addWidget(b, s / 5, s % 5);
        connect(b, &QPushButton::clicked, this, [this, s] { onColourClicked(s); });
    }
    return colourRow;
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::setCompanions(ChartInfoWindow *info, SourceAddressDialog *addressPrompt, DictionaryWindow *dictionary)
{
    info_ = info;
    addressPrompt_ = addressPrompt;
    dictionary_ = dictionary;
}

QCPGraph *ChartWindow::graph(int s) const
{
    return chart->graph(s);
}

QString ChartWindow::chartTitle() const
{
    return chart->title();
}

QString ChartWindow::seriesConfPath() const
{
    return ctx_.appFile(QStringLiteral("series.conf"));
}

QPrinter &ChartWindow::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    return *printer_;
}

void ChartWindow::initialise()
{
    for (int s = 0; s < SeriesCount; ++s)
        setColour(s, colours_[static_cast<std::size_t>(s)]);
    setTitle(QStringLiteral("Wykres: brak danych."));
    model_.unlink();
    loadSeriesConf(seriesConfPath(), model_);
    editor->showNames();
    const QDate today = ctx_.clock.now().date();
    fromDateEdit->setDate(today);
    toDateEdit->setDate(today);
    shownDates_ = {today, today};
    model_.clearStatistics();
    for (int s = 0; s < SeriesCount; ++s)
        showSeriesName(s);
    fullView();
}

void ChartWindow::setTitle(const QString &text)
{
    chart->setTitle(text);
}

void ChartWindow::showSeriesName(int s)
{
    const QString &name = model_.series[static_cast<std::size_t>(s)].name;
    graph(s)->setName(name);
    colourButtons[static_cast<std::size_t>(s)]->setText(name);
    table_.setPage(s, name, seriesDescription(model_, s));
}

void ChartWindow::setColour(int s, const QColor &colour)
{
    colours_[static_cast<std::size_t>(s)] = colour;
    colourButtons[static_cast<std::size_t>(s)]->setIcon(swatch(colour));
    chart->setColour(s, colour);
}

void ChartWindow::onSeriesApplied(int s)
{
    graph(s)->data()->clear();
    table_.clearRows(s);
    showSeriesName(s);
    setTitle(QStringLiteral("Zmieniono parametry wykresu"));
    fullView();
    saveSeries();
}

void ChartWindow::onUnlinkClicked()
{
    model_.unlink();
    for (int s = 0; s < SeriesCount; ++s) {
        editor->seriesList->setItemText(s, defaultSeriesName(s));
        graph(s)->setName(defaultSeriesName(s));
        graph(s)->data()->clear();
        colourButtons[static_cast<std::size_t>(s)]->setText(defaultSeriesName(s));
    }
    editor->seriesList->setCurrentIndex(0);
    editor->onSeriesChosen();
    for (int s = 0; s < SeriesCount; ++s)
        table_.clearRows(s);
    // The table's page captions and labels keep their texts until the next
    // apply or start.
    setTitle(QStringLiteral("Brak danych"));
    fullView();
    saveSeries();
}

void ChartWindow::onClearClicked()
{
    for (int s = 0; s < SeriesCount; ++s)
        graph(s)->data()->clear();
    model_.clearStatistics();
    for (int s = 0; s < SeriesCount; ++s)
        table_.clearRows(s);
    setTitle(QStringLiteral("Brak danych"));
    fullView();
}

void ChartWindow::onDatesChanged()
{
    // The pickers also report a date confirmed unchanged (Enter): only a
    // new date empties the chart.
    const std::pair<QDate, QDate> dates{fromDateEdit->date(), toDateEdit->date()};
    if (dates == shownDates_)
        return;
    shownDates_ = dates;
    setTitle(QStringLiteral("Zmieniono parametry wykresu"));
    onClearClicked();
}

void ChartWindow::saveSeries()
{
    // A file that cannot be written is not reported: the assignments stay
    // in force for this run.
    saveSeriesConf(seriesConfPath(), model_);
}

void ChartWindow::onFileLoadClicked()
{
    const bool anyOn =
        std::any_of(model_.series.begin(), model_.series.end(), [](const SeriesAssignment &w) { return w.on(); });
    if (!anyOn)
        ctx_.prompt.error(this, QStringLiteral("Brak zadań. Zdefiniuj serie danych i spróbuj ponownie."));
    progressBar->setValue(0);
    if (!anyOn)
        return;
    std::uint8_t address = 1;
    if (addressPrompt_) {
        ctx_.prompt.showModal(addressPrompt_);
        const std::int16_t given = addressPrompt_->sourceAddress;
        if (given < 1 || given > 247)
            return; // the prompt has told the operator why
        address = static_cast<std::uint8_t>(given);
    }
    const QString path = ctx_.prompt.openFileName(this, FileFilter, ctx_.archivesDirectory);
    if (path.isEmpty())
        return;
    loadFile(path, address);
}

void ChartWindow::loadFile(const QString &path, std::uint8_t address)
{
    const QDate from = fromDateEdit->date();
    const QDate to = toDateEdit->date();
    std::array<SeriesData, SeriesCount> loaded;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FileLoadOutcome out = loadSeriesFromFile(path, address, dateKey(from), dateKey(to), model_, loaded);
    QApplication::restoreOverrideCursor();
    if (out.kind == FileLoadOutcome::Kind::Unknown) {
        statusBar->showMessage(QStringLiteral("Nie wczytano danych: plik nie ma rozszerzenia .dat ani .bin."));
        return;
    }
    if (out.tooLarge) {
        ctx_.prompt.error(this, QStringLiteral("Plik archiwum zawiera więcej niż 616000 rekordów. Dane nie zostały "
                                               "wczytane."));
        return;
    }
    setTitle(QStringLiteral("Dane z okresu: od ") + dateText(from) + QStringLiteral(" do ") + dateText(to));
    if (!out.opened) {
        statusBar->showMessage(out.wrongSize
                                   ? QStringLiteral("Plik nie jest archiwum K71T (nieprawidłowy rozmiar): ") + path
                                   : QStringLiteral("Nie można otworzyć pliku: ") + path);
        chart->replot();
        return;
    }
    for (int s = 0; s < SeriesCount; ++s) {
        SeriesData &d = loaded[static_cast<std::size_t>(s)];
        chart->addPoints(s, d.points);
        table_.appendRows(s, std::move(d.rows));
    }
    fullView();
    progressBar->setValue(progressBar->maximum());
    QString status = QStringLiteral("Wczytano wierszy: %1").arg(out.rowsTaken);
    if (out.refused.count > 0)
        status += QStringLiteral(". ") + out.refused.report();
    statusBar->showMessage(status);
}

void ChartWindow::fullView()
{
    // With nothing loaded the time axis shows the chosen days.
    chart->fullView(seriesX(dateKey(fromDateEdit->date()), 0), seriesX(dateKey(toDateEdit->date()), 0) + 86400);
}

void ChartWindow::zoomTo(const QCPRange &x, const QCPRange &y)
{
    chart->zoomTo(x, y);
}

void ChartWindow::onColourClicked(int s)
{
    const QColor chosen = ctx_.prompt.chooseColour(this, colours_[static_cast<std::size_t>(s)]);
    if (!chosen.isValid())
        return;
    setColour(s, chosen);
    chart->replot();
}

void ChartWindow::onDictionaryClicked()
{
    if (!dictionary_)
        return;
    dictionary_->show();
    dictionary_->raise();
    dictionary_->activateWindow();
}

void ChartWindow::setDatabaseLoad(bool running)
{
    loadingFromDatabase_ = running;
    for (QWidget *w : std::initializer_list<QWidget *>{editor, fromDateEdit, toDateEdit, fileLoadButton,
                                                       databaseLoadButton, clearButton, unlinkButton})
        w->setEnabled(!running);
}

void ChartWindow::onDatabaseLoadClicked()
{
    if (loadingFromDatabase_)
        return;
    setDatabaseLoad(true);
    statusBar->showMessage(QStringLiteral("Pobieranie danych z bazy danych..."));
    const bool anyOn =
        std::any_of(model_.series.begin(), model_.series.end(), [](const SeriesAssignment &w) { return w.on(); });
    if (!anyOn) {
        ctx_.prompt.error(this, QStringLiteral("Brak zadań. Zdefiniuj serie danych i spróbuj ponownie."));
        setDatabaseLoad(false);
        return;
    }
    QString message;
    loadSettings_ = ctx_.databaseSettings;
    if (!ctx_.databaseWorker.call([&, from = fromDateEdit->date(), to = toDateEdit->date()] {
            return databaseLoad_.begin(from, to, &message);
        })) {
        ctx_.prompt.error(this, message);
        ctx_.prompt.error(this,
                          QStringLiteral("Błąd połączenia z bazą danych. Skonfiguruj połączenie i spróbuj ponownie"));
        setDatabaseLoad(false);
        return;
    }
    onClearClicked();
    databaseTimer->start();
}

void ChartWindow::onDatabaseTimer()
{
    // A step runs with the timer stopped: a slow query never has a second
    // tick waiting behind it, and the next step starts only after this one.
    databaseTimer->stop();
    if (!databaseLoad_.running() || databaseLoad_.nextSeries() >= SeriesCount)
        return;
    const int s = databaseLoad_.nextSeries();
    progressBar->setValue(s + 1);
    SeriesData loaded;
    // On the database worker; the window goes on (its controls wait, as during the whole load).
    ctx_.databaseWorker.call([&] { databaseLoad_.step(model_, loaded); });
    chart->addPoints(s, loaded.points);
    table_.appendRows(s, std::move(loaded.rows));
    setColour(s, colours_[static_cast<std::size_t>(s)]);
    fullView();
    if (databaseLoad_.nextSeries() < SeriesCount) {
        databaseTimer->start();
        return;
    }
    setDatabaseLoad(false);
    statusBar->showMessage(ctx_.databaseWorker.call([this] { return databaseLoad_.finish(); }));
    setTitle(QStringLiteral("Dane z okresu: od ") + dateText(fromDateEdit->date()) + QStringLiteral(" do ") +
             dateText(toDateEdit->date()));
    chart->replot();
}

void ChartWindow::onTableClicked()
{
    // The header is the view's own column header: it stays in place however
    // far the rows are scrolled.
    table_.show();
    table_.raise();
    table_.activateWindow();
}

void ChartWindow::onInfoClicked()
{
    showChartInfo();
}

void ChartWindow::showChartInfo()
{
    if (!info_)
        return;
    info_->infoMemo->setPlainText(chartInfoText(model_));
    info_->show();
    info_->raise();
    info_->activateWindow();
}

void ChartWindow::onPrintClicked()
{
    QPrinter &p = printer();
    if (!ctx_.prompt.printDialog(this, p))
        return;
    if (!printChart(p))
        ctx_.prompt.error(this, QStringLiteral("Nie udało się wydrukować wykresu. Sprawdź drukarkę lub wskazany plik i "
                                               "spróbuj ponownie."));
}

bool ChartWindow::printChart(QPrinter &p)
{
    return chart->printOn(p);
}

} // namespace k71t
