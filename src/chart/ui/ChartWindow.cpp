#include "chart/ui/ChartWindow.h"

#include "archive/ui/SourceAddressDialog.h"
#include "chart/ui/ChartInfoWindow.h"
#include "chart/SeriesDb.h"
#include "chart/ui/DictionaryWindow.h"
#include "chart/ui/ChartTableWindow.h"
#include "common/DateFormats.h"
#include "widgets/Widgets.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
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

QPushButton *button(const char *name, const QString &text, QWidget *parent, const QString &hint = {})
{
    auto *b = named(new QPushButton(text, parent), name);
    // Enter in a field does not press a button of the window.
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

} // namespace

ChartWindow::ChartWindow(AppContext &context, ChartTableWindow &table, QWidget *parent)
    : QDialog(parent), ctx_(context), table_(table), colours_(StartColours)
{
    setObjectName(QStringLiteral("ChartWindow"));
    setWindowTitle(QStringLiteral("Wykres"));
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    SpeedButton3 = button("SpeedButton3", QStringLiteral("Wyczyść wykres"), this,
                          QStringLiteral("Czyści wykres, nie usuwa powiązań"));
    SpeedButton7 = button("SpeedButton7", QStringLiteral("Usuń powiązania serii"), this,
                          QStringLiteral("Usuwa powiązania serii"));
    auto *fromLabel = named(new QLabel(QStringLiteral("Dane od:"), this), "Label1");
    DateTimePicker1 = named(new QDateEdit(this), "DateTimePicker1");
    DateTimePicker1->setToolTip(QStringLiteral("Data określająca początek danych do pobrania"));
    auto *toLabel = named(new QLabel(QStringLiteral("Dane do"), this), "Label2");
    DateTimePicker2 = named(new QDateEdit(this), "DateTimePicker2");
    DateTimePicker2->setToolTip(QStringLiteral("Data określająca koniec danych do pobrania"));
    for (QDateEdit *picker : {DateTimePicker1, DateTimePicker2}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        // The drop-down calendar names months and days in Polish, as the
        // archive window's calendars do.
        picker->calendarWidget()->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
        picker->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    }

    GroupBox1 = named(new QGroupBox(QStringLiteral("Serie danych"), this), "GroupBox1");
    ComboBox1 = named(new QComboBox(GroupBox1), "ComboBox1");
    auto *nameLabel = named(new QLabel(QStringLiteral("Nazwa Serii"), GroupBox1), "Label3");
    Edit1 = named(new QLineEdit(GroupBox1), "Edit1");
    auto *addressLabel = named(new QLabel(QStringLiteral("Adres K71T"), GroupBox1), "Label4");
    Edit2 = named(new QLineEdit(GroupBox1), "Edit2");
    ComboBox2 = named(new QComboBox(GroupBox1), "ComboBox2");
    ComboBox3 = named(new QComboBox(GroupBox1), "ComboBox3");
    SpeedButton10 = button("SpeedButton10", QStringLiteral("..."), GroupBox1, QStringLiteral("Otwórz słownik"));
    SpeedButton10->setFixedWidth(32);
    SpeedButton4 = button("SpeedButton4", QStringLiteral("Zastosuj"), GroupBox1);
    Label8 = named(new QLabel(GroupBox1), "Label8");
    auto *editor = new QGridLayout(GroupBox1);
    editor->addWidget(ComboBox1, 0, 0, 1, 2);
    editor->addWidget(nameLabel, 1, 0, 1, 2);
    editor->addWidget(Edit1, 2, 0, 1, 2);
    editor->addWidget(addressLabel, 3, 0, 1, 2);
    editor->addWidget(Edit2, 4, 0);
    editor->addWidget(SpeedButton10, 4, 1);
    editor->addWidget(ComboBox2, 5, 0);
    editor->addWidget(ComboBox3, 5, 1);
    editor->addWidget(SpeedButton4, 6, 0, 1, 2);
    editor->addWidget(Label8, 7, 0, 1, 2);

    SpeedButton2 = button("SpeedButton2", QStringLiteral("Pobierz z Bazy Danych"), this);
    SpeedButton1 = button("SpeedButton1", QStringLiteral("Dodaj z Pliku"), this);
    SpeedButton8 = button("SpeedButton8", QStringLiteral("Pokaż dane"), this);
    SpeedButton9 = button("SpeedButton9", QStringLiteral("Drukuj wykres"), this);
    SpeedButton6 = button("SpeedButton6", QStringLiteral("Słownik"), this);
    SpeedButton5 = button("SpeedButton5", QStringLiteral("Informacje o wykresie"), this);

    auto *left = new QVBoxLayout;
    left->addWidget(SpeedButton3);
    left->addWidget(SpeedButton7);
    left->addSpacing(6);
    left->addWidget(fromLabel);
    left->addWidget(DateTimePicker1);
    left->addWidget(toLabel);
    left->addWidget(DateTimePicker2);
    left->addSpacing(6);
    left->addWidget(GroupBox1);
    left->addSpacing(6);
    for (QPushButton *b : {SpeedButton2, SpeedButton1, SpeedButton8, SpeedButton9, SpeedButton6, SpeedButton5})
        left->addWidget(b);
    left->addStretch(1);
    auto *leftPanel = new QWidget(this);
    leftPanel->setLayout(left);
    leftPanel->setFixedWidth(190);
    left->setContentsMargins(0, 0, 0, 0);

    Chart1 = named(new QCustomPlot(this), "Chart1");
    QLinearGradient gradient(0, 0, 1, 1);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, QColor(192, 192, 192));
    gradient.setColorAt(1, Qt::white);
    Chart1->setBackground(QBrush(gradient));
    Chart1->axisRect()->setBackground(Qt::NoBrush);
    Chart1->plotLayout()->insertRow(0);
    title_ = new QCPTextElement(Chart1, QString(), QFont(font().family(), -1, QFont::Bold));
    QFont titleFont = title_->font();
    titleFont.setPixelSize(13);
    title_->setFont(titleFont);
    title_->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
    title_->setObjectName(QStringLiteral("title"));
    Chart1->plotLayout()->addElement(0, 0, title_);
    // The legend in a row of its own above the plot, five series a line.
    Chart1->legend->setVisible(true);
    Chart1->axisRect()->insetLayout()->take(Chart1->legend);
    Chart1->plotLayout()->insertRow(1);
    Chart1->plotLayout()->addElement(1, 0, Chart1->legend);
    Chart1->plotLayout()->setRowStretchFactor(0, 0.001);
    Chart1->plotLayout()->setRowStretchFactor(1, 0.001);
    Chart1->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    Chart1->legend->setWrap(5);
    Chart1->legend->setBrush(QColor(255, 255, 255, 160));
    Chart1->legend->setBorderPen(QPen(Qt::gray));
    Chart1->legend->setMargins(QMargins(6, 2, 6, 2));
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat(QStringLiteral("hh:mm:ss & dd-MM-yyyy"));
    ticker->setDateTimeSpec(Qt::UTC); // the points carry the archive's wall-clock time
    Chart1->xAxis->setTicker(ticker);
    // A date-time label is wide: as many ticks as fit side by side.
    connect(Chart1, &QCustomPlot::beforeReplot, this, [this, ticker] {
        ticker->setTickCount(std::max(2, Chart1->axisRect()->width() / 230));
    });
    for (int s = 0; s < SeriesCount; ++s) {
        QCPGraph *g = Chart1->addGraph();
        g->setAdaptiveSampling(true);
        g->setAntialiased(false);
        g->setLineStyle(QCPGraph::lsLine);
    }
    Chart1->setNoAntialiasingOnDrag(true);
    Chart1->setPlottingHint(QCP::phFastPolylines, true);
    Chart1->setSelectionRectMode(QCP::srmCustom);
    Chart1->selectionRect()->setPen(QPen(Qt::red, 1, Qt::DashLine));
    connect(Chart1, &QCustomPlot::mousePress, this, [this](QMouseEvent *event) { pressedAt_ = event->pos(); });
    connect(Chart1->selectionRect(), &QCPSelectionRect::accepted, this, &ChartWindow::selectionDone);

    // Two rows of five, so the names fit on the buttons.
    auto *colourRow = new QGridLayout;
    colourRow->setSpacing(2);
    for (int s = 0; s < SeriesCount; ++s) {
        auto *b = new QPushButton(this);
        b->setAutoDefault(false);
        b->setObjectName(QStringLiteral("ButtonColor%1").arg(s + 1));
        b->setMinimumWidth(40);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        ButtonColor[static_cast<std::size_t>(s)] = b;
        colourRow->addWidget(b, s / 5, s % 5);
        connect(b, &QPushButton::clicked, this, [this, s] { ButtonColorClick(s); });
    }
    auto *right = new QVBoxLayout;
    right->addWidget(Chart1, 1);
    right->addLayout(colourRow);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setRange(0, 10);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedWidth(180);
    StatusBar1->addPermanentWidget(ProgressBar1);
    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(10);

    auto *columns = new QHBoxLayout;
    columns->addWidget(leftPanel);
    columns->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(StatusBar1);
    layout->setContentsMargins(6, 6, 6, 0);
    resize(1008, 718);

    connect(SpeedButton1, &QPushButton::clicked, this, &ChartWindow::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &ChartWindow::SpeedButton2Click);
    connect(SpeedButton6, &QPushButton::clicked, this, &ChartWindow::SpeedButton6Click);
    connect(SpeedButton10, &QPushButton::clicked, this, &ChartWindow::SpeedButton6Click);
    connect(Timer1, &QTimer::timeout, this, &ChartWindow::Timer1Timer);
    connect(SpeedButton3, &QPushButton::clicked, this, &ChartWindow::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &ChartWindow::SpeedButton4Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &ChartWindow::SpeedButton5Click);
    connect(SpeedButton7, &QPushButton::clicked, this, &ChartWindow::SpeedButton7Click);
    connect(SpeedButton8, &QPushButton::clicked, this, &ChartWindow::SpeedButton8Click);
    connect(SpeedButton9, &QPushButton::clicked, this, &ChartWindow::SpeedButton9Click);
    connect(ComboBox1, &QComboBox::activated, this, &ChartWindow::ComboBox1Change);
    FormCreate();
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, &ChartWindow::DateTimePicker1Change);
    connect(DateTimePicker2, &QDateEdit::dateChanged, this, &ChartWindow::DateTimePicker1Change);
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
    return Chart1->graph(s);
}

QString ChartWindow::chartTitle() const
{
    return title_->text();
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

void ChartWindow::FormCreate()
{
    for (int s = 0; s < SeriesCount; ++s)
        setColour(s, colours_[static_cast<std::size_t>(s)]);
    setTitle(QStringLiteral("Wykres: brak danych."));
    for (int s = 0; s < SeriesCount; ++s)
        ComboBox1->addItem(defaultSeriesName(s));
    for (int i = 0; i < 10; ++i) {
        ComboBox2->addItem(QStringLiteral("DEV%1").arg(i));
        ComboBox3->addItem(QStringLiteral("R%1").arg(i));
    }
    model_.unlink();
    LoadSeriesConf(seriesConfPath(), model_);
    for (int s = 0; s < SeriesCount; ++s)
        ComboBox1->setItemText(s, model_.series[static_cast<std::size_t>(s)].name);
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
    ComboBox3->setCurrentIndex(0);
    ComboBox1Change();
    const QDate today = ctx_.clock.now().date();
    DateTimePicker1->setDate(today);
    DateTimePicker2->setDate(today);
    shownDates_ = {today, today};
    model_.clearStatistics();
    for (int s = 0; s < SeriesCount; ++s)
        showSeriesName(s);
    fullView();
}

void ChartWindow::setTitle(const QString &text)
{
    title_->setText(text);
}

void ChartWindow::showSeriesName(int s)
{
    const QString &name = model_.series[static_cast<std::size_t>(s)].name;
    graph(s)->setName(name);
    ButtonColor[static_cast<std::size_t>(s)]->setText(name);
    table_.setPage(s, name, seriesDescription(model_, s));
}

void ChartWindow::setColour(int s, const QColor &colour)
{
    colours_[static_cast<std::size_t>(s)] = colour;
    ButtonColor[static_cast<std::size_t>(s)]->setIcon(swatch(colour));
    graph(s)->setPen(QPen(colour, 2));
    if (QCPPlottableLegendItem *item = Chart1->legend->itemWithPlottable(graph(s)))
        item->setTextColor(colour);
}

void ChartWindow::ComboBox1Change()
{
    const int s = std::max(0, ComboBox1->currentIndex());
    const WYKRES &w = model_.series[static_cast<std::size_t>(s)];
    Edit1->setText(w.name);
    Edit2->setText(QString::number(w.address));
    ComboBox2->setCurrentIndex(w.device);
    ComboBox3->setCurrentIndex(w.registerNo);
    Label8->setText(w.on() ? QStringLiteral("Seria włączona") : QStringLiteral("Seria wyłączona"));
}

void ChartWindow::SpeedButton4Click()
{
    bool ok = false;
    const int address = Edit2->text().trimmed().toInt(&ok, 10);
    if (!ok || address < 0 || address > 247) {
        ctx_.prompt.message(this,
                            QStringLiteral("Błędnie podany adres. Podaj wartość od 1 do 247 lub 0 żeby wyłączyć serię"),
                            QStringLiteral("Błąd"), PromptIcon::Error);
        return;
    }
    const int s = std::max(0, ComboBox1->currentIndex());
    WYKRES &w = model_.series[static_cast<std::size_t>(s)];
    w.name = storableSeriesName(Edit1->text());
    w.address = static_cast<std::uint8_t>(address);
    w.device = static_cast<std::uint8_t>(std::max(0, ComboBox2->currentIndex()));
    w.registerNo = static_cast<std::uint8_t>(std::max(0, ComboBox3->currentIndex()));
    ComboBox1->setItemText(s, w.name);
    ComboBox1->setCurrentIndex(s);
    graph(s)->data()->clear();
    table_.clearRows(s);
    showSeriesName(s);
    Label8->setText(w.on() ? QStringLiteral("Seria włączona") : QStringLiteral("Seria wyłączona"));
    setTitle(QStringLiteral("Zmieniono parametry wykresu"));
    fullView();
    saveSeries();
}

void ChartWindow::SpeedButton7Click()
{
    model_.unlink();
    for (int s = 0; s < SeriesCount; ++s) {
        ComboBox1->setItemText(s, defaultSeriesName(s));
        graph(s)->setName(defaultSeriesName(s));
        graph(s)->data()->clear();
        ButtonColor[static_cast<std::size_t>(s)]->setText(defaultSeriesName(s));
    }
    ComboBox1->setCurrentIndex(0);
    ComboBox1Change();
    for (int s = 0; s < SeriesCount; ++s)
        table_.clearRows(s);
    // The table's page captions and labels keep their texts until the next
    // apply or start.
    setTitle(QStringLiteral("Brak danych"));
    fullView();
    saveSeries();
}

void ChartWindow::SpeedButton3Click()
{
    for (int s = 0; s < SeriesCount; ++s)
        graph(s)->data()->clear();
    model_.clearStatistics();
    for (int s = 0; s < SeriesCount; ++s)
        table_.clearRows(s);
    setTitle(QStringLiteral("Brak danych"));
    fullView();
}

void ChartWindow::DateTimePicker1Change()
{
    // The pickers also report a date confirmed unchanged (Enter): only a
    // new date empties the chart.
    const std::pair<QDate, QDate> dates{DateTimePicker1->date(), DateTimePicker2->date()};
    if (dates == shownDates_)
        return;
    shownDates_ = dates;
    setTitle(QStringLiteral("Zmieniono parametry wykresu"));
    SpeedButton3Click();
}

void ChartWindow::saveSeries()
{
    // A file that cannot be written is not reported: the assignments stay
    // in force for this run.
    SaveSeriesConf(seriesConfPath(), model_);
}

void ChartWindow::SpeedButton1Click()
{
    const bool anyOn = std::any_of(model_.series.begin(), model_.series.end(), [](const WYKRES &w) { return w.on(); });
    if (!anyOn)
        ctx_.prompt.message(this, QStringLiteral("Brak zadań. Zdefiniuj serie danych i spróbuj ponownie."),
                            QStringLiteral("Błąd"), PromptIcon::Error);
    ProgressBar1->setValue(0);
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
    const QString path = ctx_.prompt.openFileName(this, FileFilter, ctx_.ArchivesDirectory);
    if (path.isEmpty())
        return;
    loadFile(path, address);
}

void ChartWindow::loadFile(const QString &path, std::uint8_t address)
{
    const QDate from = DateTimePicker1->date();
    const QDate to = DateTimePicker2->date();
    std::array<SeriesData, SeriesCount> loaded;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FileLoadOutcome out = loadSeriesFromFile(path, address, dateKey(from), dateKey(to), model_, loaded);
    QApplication::restoreOverrideCursor();
    if (out.kind == FileLoadOutcome::Kind::Unknown) {
        StatusBar1->showMessage(QStringLiteral("Nie wczytano danych: plik nie ma rozszerzenia .dat ani .bin."));
        return;
    }
    if (out.tooLarge) {
        ctx_.prompt.message(this,
                            QStringLiteral("Plik archiwum zawiera więcej niż 616000 rekordów. Dane nie zostały "
                                           "wczytane."),
                            QStringLiteral("Błąd"), PromptIcon::Error);
        return;
    }
    setTitle(QStringLiteral("Dane z okresu: od ") + dateText(from) + QStringLiteral(" do ") + dateText(to));
    if (!out.opened) {
        StatusBar1->showMessage(out.wrongSize
                                    ? QStringLiteral("Plik nie jest archiwum K71T (nieprawidłowy rozmiar): ") + path
                                    : QStringLiteral("Nie można otworzyć pliku: ") + path);
        Chart1->replot();
        return;
    }
    for (int s = 0; s < SeriesCount; ++s) {
        SeriesData &d = loaded[static_cast<std::size_t>(s)];
        addPoints(s, d.points);
        table_.appendRows(s, std::move(d.rows));
    }
    fullView();
    ProgressBar1->setValue(ProgressBar1->maximum());
    StatusBar1->showMessage(QStringLiteral("Wczytano wierszy: %1").arg(out.rowsTaken));
}

void ChartWindow::addPoints(int s, std::vector<SeriesPoint> &points)
{
    if (points.empty())
        return;
    std::stable_sort(points.begin(), points.end(),
                     [](const SeriesPoint &a, const SeriesPoint &b) { return a.x < b.x; });
    QVector<QCPGraphData> bulk;
    bulk.reserve(static_cast<qsizetype>(points.size()));
    for (const SeriesPoint &p : points)
        bulk.append(QCPGraphData(p.x, p.y));
    graph(s)->data()->add(bulk, true);
    std::vector<SeriesPoint>().swap(points);
}

void ChartWindow::fullView()
{
    bool any = false;
    for (int s = 0; s < SeriesCount; ++s)
        any = any || !graph(s)->data()->isEmpty();
    if (!any) {
        // Nothing loaded: the time axis shows the chosen days.
        Chart1->xAxis->setRange(seriesX(dateKey(DateTimePicker1->date()), 0),
                                seriesX(dateKey(DateTimePicker2->date()), 0) + 86400);
    } else {
        Chart1->rescaleAxes(true);
        // A flat line or a single point still gets a visible span.
        for (QCPAxis *axis : {Chart1->xAxis, Chart1->yAxis}) {
            const QCPRange r = axis->range();
            if (r.size() <= 0)
                axis->setRange(r.lower - 1, r.upper + 1);
        }
    }
    Chart1->replot();
}

void ChartWindow::zoomTo(const QCPRange &x, const QCPRange &y)
{
    Chart1->xAxis->setRange(x);
    Chart1->yAxis->setRange(y);
    Chart1->replot();
}

void ChartWindow::selectionDone(const QRect &rect, QMouseEvent *event)
{
    // Dragged to the left: back to every point. Dragged to the right: the
    // rectangle becomes the view.
    if (event->pos().x() < pressedAt_.x()) {
        fullView();
        return;
    }
    if (rect.normalized().width() < 3 || rect.normalized().height() < 3)
        return;
    zoomTo(Chart1->selectionRect()->range(Chart1->xAxis), Chart1->selectionRect()->range(Chart1->yAxis));
}

void ChartWindow::ButtonColorClick(int s)
{
    const QColor chosen = ctx_.prompt.chooseColour(this, colours_[static_cast<std::size_t>(s)]);
    if (!chosen.isValid())
        return;
    setColour(s, chosen);
    Chart1->replot();
}

void ChartWindow::SpeedButton6Click()
{
    if (!dictionary_)
        return;
    dictionary_->show();
    dictionary_->raise();
    dictionary_->activateWindow();
}

void ChartWindow::setDatabaseLoad(bool running)
{
    databaseLoad_ = running;
    for (QWidget *w : std::initializer_list<QWidget *>{GroupBox1, DateTimePicker1, DateTimePicker2, SpeedButton1,
                                                       SpeedButton2, SpeedButton3, SpeedButton7})
        w->setEnabled(!running);
}

void ChartWindow::SpeedButton2Click()
{
    if (databaseLoad_)
        return;
    setDatabaseLoad(true);
    StatusBar1->showMessage(QStringLiteral("Pobieranie danych z bazy danych..."));
    const bool anyOn = std::any_of(model_.series.begin(), model_.series.end(), [](const WYKRES &w) { return w.on(); });
    if (!anyOn) {
        ctx_.prompt.message(this, QStringLiteral("Brak zadań. Zdefiniuj serie danych i spróbuj ponownie."),
                            QStringLiteral("Błąd"), PromptIcon::Error);
        setDatabaseLoad(false);
        return;
    }
    // No statement goes out with a table name the settings would refuse.
    const QString problem = nameProblem(ctx_.databaseSettings.table, QStringLiteral("tablicy"));
    QString message;
    if (!problem.isEmpty() || !ctx_.database.Connect(ctx_.databaseSettings, &message)) {
        ctx_.prompt.message(this, problem.isEmpty() ? message : problem, QStringLiteral("Błąd"), PromptIcon::Error);
        ctx_.prompt.message(this,
                            QStringLiteral("Błąd połączenia z bazą danych. Skonfiguruj połączenie i spróbuj ponownie"),
                            QStringLiteral("Błąd"), PromptIcon::Error);
        setDatabaseLoad(false);
        return;
    }
    SpeedButton3Click();
    seriesCursor_ = 0;
    loadProblems_.clear();
    loadSkipped_ = 0;
    Timer1->start();
}

void ChartWindow::Timer1Timer()
{
    // A step runs with the timer stopped: a slow query never has a second
    // tick waiting behind it, and the next step starts only after this one.
    Timer1->stop();
    if (!databaseLoad_ || seriesCursor_ >= SeriesCount)
        return;
    const int s = seriesCursor_;
    ProgressBar1->setValue(s + 1);
    const WYKRES &w = model_.series[static_cast<std::size_t>(s)];
    if (w.on()) {
        QString message;
        if (!ctx_.database.connected() && !ctx_.database.Connect(ctx_.databaseSettings, &message)) {
            loadProblems_ << QStringLiteral("Seria %1: %2").arg(s + 1).arg(message);
        } else {
            SeriesData loaded;
            const DbSeriesOutcome out =
                LoadSeriesFromDatabase(ctx_.database, ctx_.databaseSettings.table, w, DateTimePicker1->date(),
                                       DateTimePicker2->date(), model_.info[static_cast<std::size_t>(s)], loaded);
            if (out.result != DbSeriesOutcome::Result::Loaded)
                loadProblems_ << QStringLiteral("Seria %1: %2").arg(s + 1).arg(out.error);
            loadSkipped_ += out.skipped;
            addPoints(s, loaded.points);
            table_.appendRows(s, std::move(loaded.rows));
        }
    }
    setColour(s, colours_[static_cast<std::size_t>(s)]);
    ++seriesCursor_;
    fullView();
    if (seriesCursor_ < SeriesCount) {
        Timer1->start();
        return;
    }
    finishDatabaseLoad();
}

void ChartWindow::finishDatabaseLoad()
{
    ctx_.database.Disconnect();
    setDatabaseLoad(false);
    QString status = QStringLiteral("Pobieranie danych z bazy danych...Zakończono");
    if (loadSkipped_ > 0)
        status += QStringLiteral("   Pominięto wierszy z nieczytelnymi polami: %1").arg(loadSkipped_);
    if (!loadProblems_.isEmpty())
        status += QStringLiteral("   ") + loadProblems_.join(QStringLiteral("; "));
    StatusBar1->showMessage(status);
    setTitle(QStringLiteral("Dane z okresu: od ") + dateText(DateTimePicker1->date()) + QStringLiteral(" do ") +
             dateText(DateTimePicker2->date()));
    Chart1->replot();
}

void ChartWindow::SpeedButton8Click()
{
    // The header is the view's own column header: it stays in place however
    // far the rows are scrolled.
    table_.show();
    table_.raise();
    table_.activateWindow();
}

void ChartWindow::SpeedButton5Click()
{
    ShowChartInfo();
}

void ChartWindow::ShowChartInfo()
{
    if (!info_)
        return;
    info_->Memo1->setPlainText(chartInfoText(model_));
    info_->show();
    info_->raise();
    info_->activateWindow();
}

void ChartWindow::SpeedButton9Click()
{
    QPrinter &p = printer();
    if (!ctx_.prompt.printDialog(this, p))
        return;
    if (!printChart(p))
        ctx_.prompt.message(this,
                            QStringLiteral("Nie udało się wydrukować wykresu. Sprawdź drukarkę lub wskazany plik i "
                                           "spróbuj ponownie."),
                            QStringLiteral("Błąd"), PromptIcon::Error);
}

bool ChartWindow::printChart(QPrinter &p)
{
    const QPageLayout::Orientation previous = p.pageLayout().orientation();
    const int resolution = p.resolution();
    p.setPageOrientation(QPageLayout::Landscape);
    // The chart is laid out at the screen's resolution (its fonts and pens
    // keep their proportions) and drawn as vectors, so the page stays sharp.
    p.setResolution(Chart1->logicalDpiX());
    bool ok = false;
    {
        QCPPainter painter;
        if (painter.begin(&p)) {
            const QRectF page = p.pageRect(QPrinter::DevicePixel);
            // Margins 3 % left, 4 % top, 3 % right, 2 % bottom; the chart is
            // stretched to fill what is inside them.
            const QRectF area(page.width() * 0.03, page.height() * 0.04, page.width() * 0.94, page.height() * 0.94);
            const int w = std::max(Chart1->width(), 800);
            const int h = std::max(Chart1->height(), 500);
            painter.setMode(QCPPainter::pmVectorized);
            painter.setMode(QCPPainter::pmNoCaching);
            painter.translate(area.topLeft());
            painter.scale(area.width() / w, area.height() / h);
            Chart1->toPainter(&painter, w, h);
            ok = painter.end();
        }
    }
    ok = ok && p.printerState() != QPrinter::Error && p.printerState() != QPrinter::Aborted;
    p.setPageOrientation(previous);
    p.setResolution(resolution);
    return ok;
}

} // namespace k71t
