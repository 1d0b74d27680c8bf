// The chart window with its table and information windows, created as the
// program creates them: the texts, the series editor and series.conf, loads
// from .dat and .bin files through the address prompt and the file dialog,
// zooming by dragging, the colours and printing to a PDF file.
#include "archive/ArchiveFiles.h"
#include "chart/ui/ChartInfoWindow.h"
#include "chart/ui/ChartTableWindow.h"
#include "chart/ui/ChartWindow.h"
#include "support/AppHarness.h"

#include <QComboBox>
#include <cmath>
#include <ctime>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace k71t;

namespace {

QByteArray confOf(std::initializer_list<const char *> records)
{
    QByteArray out = "\t";
    int s = 0;
    for (const char *r : records) {
        out += r;
        ++s;
    }
    for (; s < 10; ++s)
        out += "0\t0\t0\tSeria " + QByteArray::number(s + 1) + "\t";
    return out;
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

double utc(int y, int mo, int d, int h, int mi, int s)
{
    return static_cast<double>(QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toSecsSinceEpoch());
}

struct ChartApp : test::AppHarness {
    ChartWindow *w = nullptr;
    ChartApp(const QByteArray &conf = {})
    {
        if (!conf.isEmpty())
            dir.write(QStringLiteral("series.conf"), conf);
        start();
        w = windows->chartWindow;
        // The address prompt is answered with `address` and its OK button.
        prompt.onModal = [this](QDialog *d) {
            if (auto *p = qobject_cast<SourceAddressDialog *>(d)) {
                p->addressEdit->setText(address);
                p->onOkClicked();
            }
        };
    }
    QString address = QStringLiteral("5");

    void range(QDate from, QDate to)
    {
        w->fromDateEdit->setDate(from);
        w->toDateEdit->setDate(to);
    }
    void load(const QString &path)
    {
        prompt.fileNames << path;
        w->fileLoadButton->click();
    }
    int points(int s) const { return w->graph(s)->data()->size(); }
    int rows(int s) const { return static_cast<int>(windows->chartTableWindow->rows(s).size()); }
};

// Records of DEV 0..2 (R0..R2 each) every 10 minutes over two days, the
// second day first in the file, and a value above 1.0E+10 among them.
int twoDays(RecordStore &store)
{
    int n = 0;
    for (int day : {17, 16})
        for (int m = 0; m < 24 * 60; m += 10)
            for (int d = 0; d < 3; ++d)
                for (int r = 0; r < 3; ++r) {
                    const float v = (d == 1 && r == 0 && m == 600) ? 5e10f : static_cast<float>(100 * d + r) + m / 1440.0f;
                    store[n++] = ArchiveRecord::make(d + 1, r, 2013, 9, day, m / 60, m % 60, 0, v);
                }
    return n;
}

} // namespace

TEST(ChartWindow, TextsAndTheStart)
{
    ChartApp app(confOf({"5\t2\t7\tHala\t"}));
    ChartWindow &w = *app.w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Wykres"));
    EXPECT_EQ(app.windows->chartTableWindow->windowTitle(), QStringLiteral("Tabela"));
    EXPECT_EQ(app.windows->chartInfoWindow->windowTitle(), QStringLiteral("Informacje o wykresie"));
    struct Text {
        const char *name;
        const char *text;
        const char *hint;
    };
    const Text texts[] = {
        {"clearButton", "Wyczyść wykres", "Czyści wykres, nie usuwa powiązań"},
        {"unlinkButton", "Usuń powiązania serii", "Usuwa powiązania serii"},
        {"fromLabel", "Dane od:", ""},
        {"fromDateEdit", "", "Data określająca początek danych do pobrania"},
        {"toLabel", "Dane do", ""},
        {"toDateEdit", "", "Data określająca koniec danych do pobrania"},
        {"nameLabel", "Nazwa Serii", ""},
        {"addressLabel", "Adres K71T", ""},
        {"applyButton", "Zastosuj", ""},
        {"dictionaryPickButton", "...", "Otwórz słownik"},
        {"databaseLoadButton", "Pobierz z Bazy Danych", ""},
        {"fileLoadButton", "Dodaj z Pliku", ""},
        {"tableButton", "Pokaż dane", ""},
        {"printButton", "Drukuj wykres", ""},
        {"dictionaryButton", "Słownik", ""},
        {"infoButton", "Informacje o wykresie", ""},
        {"seriesStateLabel", "Seria włączona", ""},
    };
    for (const Text &t : texts) {
        QWidget *c = w.findChild<QWidget *>(QString::fromLatin1(t.name));
        ASSERT_NE(c, nullptr) << t.name;
        if (auto *b = qobject_cast<QAbstractButton *>(c)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(t.text)) << t.name;
        } else if (auto *l = qobject_cast<QLabel *>(c)) {
            EXPECT_EQ(l->text(), QString::fromUtf8(t.text)) << t.name;
        }
        EXPECT_EQ(c->toolTip(), QString::fromUtf8(t.hint)) << t.name;
    }
    EXPECT_EQ(w.editor->title(), QStringLiteral("Serie danych"));
    for (QPushButton *b :
         {w.fileLoadButton, w.databaseLoadButton, w.dictionaryButton, w.editor->dictionaryPickButton}) {
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
    }

    // series.conf read at the start: series 1 is Hala on meter 5, DEV2, R7.
    QStringList names{QStringLiteral("Hala")};
    for (int s = 2; s <= 10; ++s)
        names << QStringLiteral("Seria %1").arg(s);
    EXPECT_EQ(itemsOf(w.editor->seriesList), names);
    EXPECT_EQ(itemsOf(w.editor->deviceList).join(','),
              QStringLiteral("DEV0,DEV1,DEV2,DEV3,DEV4,DEV5,DEV6,DEV7,DEV8,DEV9"));
    EXPECT_EQ(itemsOf(w.editor->registerList).join(','), QStringLiteral("R0,R1,R2,R3,R4,R5,R6,R7,R8,R9"));
    EXPECT_EQ(w.editor->seriesNameEdit->text(), QStringLiteral("Hala"));
    EXPECT_EQ(w.editor->seriesAddressEdit->text(), QStringLiteral("5"));
    EXPECT_EQ(w.editor->deviceList->currentIndex(), 2);
    EXPECT_EQ(w.editor->registerList->currentIndex(), 7);
    EXPECT_EQ(w.chartTitle(), QStringLiteral("Wykres: brak danych."));
    EXPECT_EQ(w.fromDateEdit->date(), QDate(2026, 12, 8));
    EXPECT_EQ(w.toDateEdit->date(), QDate(2026, 12, 8));
    const QColor colours[] = {Qt::red,         QColor(0, 128, 0),   Qt::black,        Qt::blue,
                              QColor(255, 0, 128), QColor(128, 128, 128), QColor(255, 0, 255), QColor(0, 128, 128),
                              QColor(0, 0, 128),   QColor(128, 0, 0)};
    ChartTableWindow &table = *app.windows->chartTableWindow;
    for (int s = 0; s < 10; ++s) {
        EXPECT_EQ(w.graph(s)->name(), names[s]) << s;
        EXPECT_EQ(w.colourButtons[s]->text(), names[s]) << s;
        EXPECT_EQ(w.colourButtons[s]->objectName(), QStringLiteral("colourButton%1").arg(s + 1));
        EXPECT_EQ(w.graph(s)->pen().color(), colours[s]) << s;
        EXPECT_EQ(w.graph(s)->pen().width(), 2);
        EXPECT_EQ(w.chart->legend->itemWithPlottable(w.graph(s))->textColor(), colours[s]) << s;
        EXPECT_EQ(table.pages->tabText(s), names[s]);
        EXPECT_EQ(table.pageWidgets[s]->objectName(), QStringLiteral("page%1").arg(s + 1));
        EXPECT_EQ(table.rowViews[s]->model()->rowCount(), 0);
        QStringList header;
        for (int c = 0; c < 12; ++c)
            header << table.rowViews[s]->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(header.join(','), QStringLiteral("Data,Czas,R0,R1,R2,R3,R4,R5,R6,R7,R8,R9"));
    }
    EXPECT_EQ(table.descriptionLabels[0]->text(), QStringLiteral("Seria1: Hala K71T Adres: 5 Urządzenie: DEV2"));
    EXPECT_EQ(table.descriptionLabels[9]->text(), QStringLiteral("Seria10: Seria 10 K71T Adres: 0 Urządzenie: DEV0"));
    auto ticker = w.chart->xAxis->ticker().dynamicCast<QCPAxisTickerDateTime>();
    ASSERT_TRUE(ticker);
    EXPECT_EQ(ticker->dateTimeFormat(), QStringLiteral("hh:mm:ss & dd-MM-yyyy"));
    EXPECT_EQ(ticker->dateTimeSpec(), Qt::UTC);

    // The start panel opens the chart without blocking.
    EXPECT_FALSE(w.isVisible());
    app.startPanel->chartButton->click();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(app.prompt.modalWindows.isEmpty());
    // "Zamknij" closes the table and the information window.
    w.tableButton->click();
    EXPECT_TRUE(table.isVisible());
    table.closeButton->click();
    EXPECT_FALSE(table.isVisible());
    w.close();
    EXPECT_FALSE(w.isVisible());
}

TEST(ChartWindow, TheEditorAndSeriesConf)
{
    ChartApp app;
    ChartWindow &w = *app.w;
    const QString conf = app.dir.file(QStringLiteral("series.conf"));
    EXPECT_FALSE(QFile::exists(conf));
    // Bad addresses are refused and nothing is written.
    w.editor->seriesList->setCurrentIndex(2);
    w.editor->onSeriesChosen();
    w.editor->seriesNameEdit->setText(QStringLiteral("Piec"));
    for (const char *bad : {"248", "300", "-1", "abc", "", "0x10"}) {
        w.editor->seriesAddressEdit->setText(QString::fromLatin1(bad));
        app.prompt.messages.clear();
        w.editor->applyButton->click();
        ASSERT_EQ(app.prompt.messages.size(), 1) << bad;
        EXPECT_EQ(app.prompt.messages[0].text,
                  QStringLiteral("Błędnie podany adres. Podaj wartość od 1 do 247 lub 0 żeby wyłączyć serię"));
        EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
        EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Error);
        EXPECT_FALSE(w.model().series[2].on()) << bad;
        EXPECT_FALSE(QFile::exists(conf)) << bad;
    }
    // 247 is taken: the series, the chooser, the legend, the table page and
    // the file; a TAB in the name would break the file and is dropped.
    w.editor->seriesNameEdit->setText(QStringLiteral("Piec\t1"));
    w.editor->seriesAddressEdit->setText(QStringLiteral("247"));
    w.editor->deviceList->setCurrentIndex(9);
    w.editor->registerList->setCurrentIndex(4);
    w.editor->applyButton->click();
    EXPECT_EQ(w.model().series[2], (SeriesAssignment{247, 9, 4, QStringLiteral("Piec1")}));
    EXPECT_EQ(w.editor->seriesList->itemText(2), QStringLiteral("Piec1"));
    EXPECT_EQ(w.editor->seriesList->currentIndex(), 2);
    EXPECT_EQ(w.graph(2)->name(), QStringLiteral("Piec1"));
    EXPECT_EQ(w.colourButtons[2]->text(), QStringLiteral("Piec1"));
    EXPECT_EQ(app.windows->chartTableWindow->pages->tabText(2), QStringLiteral("Piec1"));
    EXPECT_EQ(app.windows->chartTableWindow->descriptionLabels[2]->text(),
              QStringLiteral("Seria3: Piec1 K71T Adres: 247 Urządzenie: DEV9"));
    EXPECT_EQ(w.editor->seriesStateLabel->text(), QStringLiteral("Seria włączona"));
    EXPECT_EQ(w.chartTitle(), QStringLiteral("Zmieniono parametry wykresu"));
    EXPECT_EQ(app.dir.read(QStringLiteral("series.conf")),
              confOf({"0\t0\t0\tSeria 1\t", "0\t0\t0\tSeria 2\t", "247\t9\t4\tPiec1\t"}));
    // Address 0 switches the series off.
    w.editor->seriesAddressEdit->setText(QStringLiteral("0"));
    w.editor->applyButton->click();
    EXPECT_EQ(w.editor->seriesStateLabel->text(), QStringLiteral("Seria wyłączona"));
    EXPECT_FALSE(w.model().series[2].on());

    // The chooser shows each series' assignment.
    w.editor->seriesAddressEdit->setText(QStringLiteral("7"));
    w.editor->applyButton->click();
    w.editor->seriesList->setCurrentIndex(0);
    w.editor->onSeriesChosen();
    EXPECT_EQ(w.editor->seriesNameEdit->text(), QStringLiteral("Seria 1"));
    EXPECT_EQ(w.editor->seriesAddressEdit->text(), QStringLiteral("0"));
    EXPECT_EQ(w.editor->seriesStateLabel->text(), QStringLiteral("Seria wyłączona"));

    // The next start reads what was stored; "Usuń powiązania serii" writes
    // the defaults, and the start after it has ten default series.
    {
        ChartApp next(app.dir.read(QStringLiteral("series.conf")));
        EXPECT_EQ(next.w->model().series[2], (SeriesAssignment{7, 9, 4, QStringLiteral("Piec1")}));
        EXPECT_EQ(next.w->editor->seriesList->itemText(2), QStringLiteral("Piec1"));
    }
    w.editor->seriesList->setCurrentIndex(2);
    w.unlinkButton->click();
    EXPECT_EQ(itemsOf(w.editor->seriesList)[2], QStringLiteral("Seria 3"));
    EXPECT_EQ(w.editor->seriesList->currentIndex(), 0);
    EXPECT_EQ(w.graph(2)->name(), QStringLiteral("Seria 3"));
    EXPECT_EQ(w.chartTitle(), QStringLiteral("Brak danych"));
    EXPECT_EQ(app.dir.read(QStringLiteral("series.conf")), confOf({}));
    ChartApp after(app.dir.read(QStringLiteral("series.conf")));
    EXPECT_EQ(after.w->model().series, SeriesModel().series);
}

TEST(ChartWindow, LoadsFilesThroughThePromptAndTheFileDialog)
{
    ChartApp app;
    ChartWindow &w = *app.w;
    // No series on: the message, and nothing is asked.
    w.fileLoadButton->click();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Brak zadań. Zdefiniuj serie danych i spróbuj ponownie."));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
    EXPECT_TRUE(app.prompt.modalWindows.isEmpty());
    EXPECT_TRUE(app.prompt.fileFilters.isEmpty());
    app.prompt.messages.clear();

    auto store = std::make_unique<RecordStore>();
    const int n = twoDays(*store);
    ASSERT_TRUE(saveBin(app.dir.file(QStringLiteral("a.bin")), *store, n, RegisterImage{}));
    ASSERT_TRUE(exportDat(app.dir.file(QStringLiteral("a.dat")), *store, n, 20130916, 20130917, 0, 235959,
                          QDateTime(QDate(2013, 9, 18), QTime(6, 0))));
    auto &series = w.model().series;
    series[0] = SeriesAssignment{5, 1, 0, QStringLiteral("DEV1 R0")};
    series[3] = SeriesAssignment{5, 2, 2, QStringLiteral("DEV2 R2")};
    series[6] = SeriesAssignment{6, 2, 2, QStringLiteral("meter 6")};
    app.range(QDate(2013, 9, 16), QDate(2013, 9, 16));

    for (const char *file : {"a.bin", "a.dat"}) {
        SCOPED_TRACE(file);
        w.clearButton->click();
        app.load(app.dir.file(QString::fromLatin1(file)));
        EXPECT_EQ(app.prompt.modalWindows.takeLast(), QStringLiteral("SourceAddressDialog"));
        EXPECT_EQ(app.prompt.fileFilters.takeLast(), QStringLiteral("Pliki danych (*.dat, *.bin)|*.dat;*.bin"));
        EXPECT_TRUE(app.prompt.messages.isEmpty());
        // One day: 144 rows for each series of meter 5; DEV1's R0 above
        // 1.0E+10 at 10:00 is a row but not a point.
        EXPECT_EQ(app.rows(0), 144);
        EXPECT_EQ(app.points(0), 143);
        EXPECT_EQ(app.rows(3), 144);
        EXPECT_EQ(app.points(3), 144);
        EXPECT_EQ(app.rows(6), 0);
        EXPECT_EQ(app.rows(1), 0);
        // The points in time order, on the archive's wall-clock time.
        auto data = w.graph(3)->data();
        EXPECT_EQ(data->begin()->key, utc(2013, 9, 16, 0, 0, 0));
        EXPECT_EQ((data->end() - 1)->key, utc(2013, 9, 16, 23, 50, 0));
        EXPECT_FLOAT_EQ(static_cast<float>(data->begin()->value), 202.0f);
        EXPECT_EQ(w.chartTitle(), QStringLiteral("Dane z okresu: od 2013-09-16 do 2013-09-16"));
        EXPECT_EQ(w.progressBar->value(), 10);
        EXPECT_EQ(w.statusBar->currentMessage(), QStringLiteral("Wczytano wierszy: 288"));
        const SeriesStatistics &info = w.model().statistics[3];
        EXPECT_EQ(info.pointCount, 144u);
        EXPECT_EQ(info.maxTime, QStringLiteral("2013-09-16 23:50:00"));
        EXPECT_EQ(info.minTime, QStringLiteral("2013-09-16 00:00:00"));
        // The table shows all ten registers of the row, the no-value
        // markers among them.
        QAbstractItemModel *rows = app.windows->chartTableWindow->rowViews[0]->model();
        EXPECT_EQ(rows->index(0, 0).data().toString(), QStringLiteral("2013-09-16"));
        EXPECT_EQ(rows->index(60, 1).data().toString(), QStringLiteral("10:00:00"));
        EXPECT_EQ(rows->index(60, 2).data().toString(), QStringLiteral("2.00000E+20"));
        EXPECT_EQ(rows->index(0, 3).data().toString(), QStringLiteral("101.000000"));
        EXPECT_EQ(rows->index(0, 5).data().toString(), QStringLiteral("2.00000E+20"));
    }
    // A second load adds to the first.
    app.load(app.dir.file(QStringLiteral("a.bin")));
    EXPECT_EQ(app.points(3), 288);
    EXPECT_EQ(w.model().statistics[3].pointCount, 288u);
    EXPECT_EQ(app.rows(3), 288);

    // Enter in a field presses no button (none of them would be harmless).
    w.show();
    w.editor->seriesAddressEdit->setFocus();
    QTest::keyClick(w.editor->seriesAddressEdit, Qt::Key_Return);
    QTest::keyClick(w.fromDateEdit, Qt::Key_Enter);
    EXPECT_EQ(app.points(3), 288);
    EXPECT_TRUE(w.isVisible());
    // The series chooser shows the series picked in it.
    w.editor->seriesList->setCurrentIndex(3);
    emit w.editor->seriesList->activated(3);
    EXPECT_EQ(w.editor->seriesNameEdit->text(), QStringLiteral("DEV2 R2"));
    EXPECT_EQ(w.editor->registerList->currentIndex(), 2);

    // The information window: the statistics as text, the series off as one line.
    w.infoButton->click();
    ChartInfoWindow &infoWindow = *app.windows->chartInfoWindow;
    EXPECT_TRUE(infoWindow.isVisible());
    EXPECT_EQ(infoWindow.infoMemo->toPlainText(), chartInfoText(w.model()));
    EXPECT_TRUE(infoWindow.infoMemo->toPlainText().contains(QStringLiteral("Liczba punktów: 288\n")));
    EXPECT_TRUE(infoWindow.infoMemo->toPlainText().contains(QStringLiteral("Seria 2 jest wyłączona.")));
    infoWindow.closeButton->click();
    EXPECT_FALSE(infoWindow.isVisible());

    // Applying a series empties its points and rows, not its statistics.
    w.editor->seriesList->setCurrentIndex(3);
    w.editor->onSeriesChosen();
    w.editor->applyButton->click();
    EXPECT_EQ(app.points(3), 0);
    EXPECT_EQ(app.rows(3), 0);
    EXPECT_EQ(w.model().statistics[3].pointCount, 288u);
    EXPECT_EQ(app.points(0), 286);

    // A change of date empties everything.
    w.fromDateEdit->setDate(QDate(2013, 9, 15));
    EXPECT_EQ(w.chartTitle(), QStringLiteral("Brak danych"));
    for (int s = 0; s < 10; ++s) {
        EXPECT_EQ(app.points(s), 0);
        EXPECT_EQ(app.rows(s), 0);
        EXPECT_EQ(w.model().statistics[s], SeriesStatistics{});
    }
    // Nothing left: the time axis shows the chosen days.
    EXPECT_EQ(w.chart->xAxis->range().lower, utc(2013, 9, 15, 0, 0, 0));
    EXPECT_EQ(w.chart->xAxis->range().upper, utc(2013, 9, 17, 0, 0, 0));
    w.infoButton->click();
    EXPECT_TRUE(infoWindow.infoMemo->toPlainText().startsWith(QStringLiteral(
        "Seria 1\nNazwa: DEV1 R0\nAdres K71T: 5   Urządzenie: DEV1   Rejestr: R0\nMIN: 2.00000E+20   Czas: Brak "
        "danych\nMAX: -2.00000E+20   Czas: Brak danych\nŚrednia: 2.00000E+20\nLiczba punktów: 0\n\n"
        "-------------------------------\n\n")));

    // The to-date empties the chart as well; "Usuń powiązania serii" takes
    // the points and rows with the assignments, the table's page captions
    // stay until the next apply or start.
    app.load(app.dir.file(QStringLiteral("a.bin")));
    ASSERT_EQ(app.points(0), 143);
    w.toDateEdit->setDate(QDate(2013, 9, 18));
    EXPECT_EQ(app.points(0), 0);
    EXPECT_EQ(w.model().statistics[0], SeriesStatistics{});
    w.editor->seriesList->setCurrentIndex(0);
    w.editor->onSeriesChosen();
    w.editor->seriesNameEdit->setText(QStringLiteral("Hala"));
    w.editor->applyButton->click();
    app.load(app.dir.file(QStringLiteral("a.bin")));
    ASSERT_EQ(app.points(0), 286); // two days, each with one value above 1.0E+10
    w.unlinkButton->click();
    for (int s = 0; s < 10; ++s) {
        EXPECT_EQ(app.points(s), 0);
        EXPECT_EQ(app.rows(s), 0);
    }
    EXPECT_EQ(app.windows->chartTableWindow->pages->tabText(0), QStringLiteral("Hala"));
    EXPECT_EQ(w.graph(0)->name(), QStringLiteral("Seria 1"));
    w.close();
}

TEST(ChartWindow, RefusedAndFailedLoads)
{
    ChartApp app;
    ChartWindow &w = *app.w;
    w.model().series[0] = SeriesAssignment{5, 1, 0, QStringLiteral("a")};
    app.dir.write(QStringLiteral("short.bin"), QByteArray(250, '\0'));
    {
        QFile huge(app.dir.file(QStringLiteral("huge.bin")));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(240 + 12 * 616001)); // sparse: no disk used
    }
    app.dir.write(QStringLiteral("a.txt"), "2013-09-16\t00:00:00\t1\t1\t*\t*\t*\t*\t*\t*\t*\t*\t*\n");

    // A bad address in the prompt: the prompt's own message, no file dialog.
    app.address = QStringLiteral("abc");
    w.fileLoadButton->click();
    EXPECT_TRUE(app.prompt.fileFilters.isEmpty());
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Podano nieprawidłowy adres. Podaj wartość z zakresu 1...247."));
    app.prompt.messages.clear();
    app.address = QStringLiteral("5");
    // The file dialog cancelled: nothing.
    w.fileLoadButton->click();
    EXPECT_EQ(app.prompt.fileFilters.size(), 1);
    EXPECT_EQ(w.chartTitle(), QStringLiteral("Wykres: brak danych."));

    struct Case {
        const char *file;
        const char *status; // the start of the status text
        bool box;
    };
    const Case cases[] = {
        {"huge.bin", "", true},
        {"short.bin", "Plik nie jest archiwum K71T (nieprawidłowy rozmiar): ", false},
        {"none.dat", "Nie można otworzyć pliku: ", false},
        {"none.bin", "Nie można otworzyć pliku: ", false},
        {"a.txt", "Nie wczytano danych: plik nie ma rozszerzenia .dat ani .bin.", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        w.statusBar->clearMessage();
        app.prompt.messages.clear();
        app.load(app.dir.file(QString::fromLatin1(c.file)));
        EXPECT_EQ(app.rows(0), 0);
        if (c.box) {
            EXPECT_TRUE(w.statusBar->currentMessage().isEmpty());
            ASSERT_EQ(app.prompt.messages.size(), 1);
            EXPECT_EQ(app.prompt.messages[0].text,
                      QStringLiteral("Plik archiwum zawiera więcej niż 616000 rekordów. Dane nie zostały wczytane."));
        } else {
            EXPECT_TRUE(w.statusBar->currentMessage().startsWith(QString::fromUtf8(c.status)))
                << w.statusBar->currentMessage().toStdString();
            EXPECT_TRUE(app.prompt.messages.isEmpty());
        }
    }
}

TEST(ChartWindow, ZoomByDraggingAndBack)
{
    ChartApp app;
    ChartWindow &w = *app.w;
    auto store = std::make_unique<RecordStore>();
    const int n = twoDays(*store);
    ASSERT_TRUE(saveBin(app.dir.file(QStringLiteral("a.bin")), *store, n, RegisterImage{}));
    w.model().series[1] = SeriesAssignment{5, 2, 1, QStringLiteral("b")};
    app.range(QDate(2013, 9, 16), QDate(2013, 9, 17));
    w.show();
    app.load(app.dir.file(QStringLiteral("a.bin")));
    const QCPRange full = w.chart->xAxis->range();
    EXPECT_EQ(full.lower, utc(2013, 9, 16, 0, 0, 0));
    EXPECT_EQ(full.upper, utc(2013, 9, 17, 23, 50, 0));

    // A rectangle dragged to the right is the new view (the left half).
    const QRect plot = w.chart->axisRect()->rect();
    const QPoint from(plot.left() + 5, plot.top() + 5);
    const QPoint to(plot.center().x(), plot.bottom() - 5);
    QTest::mousePress(w.chart, Qt::LeftButton, {}, from);
    QTest::mouseMove(w.chart, (from + to) / 2);
    QTest::mouseMove(w.chart, to);
    QTest::mouseRelease(w.chart, Qt::LeftButton, {}, to);
    const QCPRange zoomed = w.chart->xAxis->range();
    EXPECT_GT(zoomed.lower, full.lower);
    EXPECT_LT(zoomed.upper, full.center() + full.size() * 0.05);
    EXPECT_GT(zoomed.upper, full.center() - full.size() * 0.05);
    // Dragged to the left: every point again.
    QTest::mousePress(w.chart, Qt::LeftButton, {}, to);
    QTest::mouseMove(w.chart, (from + to) / 2);
    QTest::mouseMove(w.chart, from);
    QTest::mouseRelease(w.chart, Qt::LeftButton, {}, from);
    EXPECT_EQ(w.chart->xAxis->range().lower, full.lower);
    EXPECT_EQ(w.chart->xAxis->range().upper, full.upper);
    w.close();
}

TEST(ChartWindow, ColoursAndPrinting)
{
    ChartApp app;
    ChartWindow &w = *app.w;
    // A colour chosen on the button colours its series; cancelled, nothing.
    app.prompt.colours << QColor(10, 20, 30);
    w.colourButtons[4]->click();
    EXPECT_EQ(w.graph(4)->pen().color(), QColor(10, 20, 30));
    EXPECT_EQ(w.graph(4)->pen().width(), 2);
    EXPECT_EQ(w.chart->legend->itemWithPlottable(w.graph(4))->textColor(), QColor(10, 20, 30));
    w.colourButtons[4]->click();
    EXPECT_EQ(w.colour(4), QColor(10, 20, 30));

    // The print dialog cancelled: nothing printed.
    const QString pdf = app.dir.file(QStringLiteral("chart.pdf"));
    app.prompt.printFile = pdf;
    w.printButton->click();
    EXPECT_EQ(app.prompt.printDialogs, 1);
    EXPECT_FALSE(QFile::exists(pdf));
    // Confirmed: one landscape page, and the printer's orientation back.
    app.prompt.printAnswers << true;
    w.printButton->click();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    const QByteArray bytes = app.dir.read(QStringLiteral("chart.pdf"));
    ASSERT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]")).match(QString::fromLatin1(bytes));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_GT(box.captured(1).toDouble(), box.captured(2).toDouble());
    EXPECT_EQ(w.printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(app.prompt.printOrientations, (QList<int>{QPageLayout::Portrait, QPageLayout::Portrait}));
    // A printer that cannot print (a file in a missing folder): the box.
    app.prompt.printFile = app.dir.file(QStringLiteral("missing/chart.pdf"));
    app.prompt.printAnswers << true;
    w.printButton->click();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text,
              QStringLiteral("Nie udało się wydrukować wykresu. Sprawdź drukarkę lub wskazany plik i spróbuj ponownie."));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Error);
    EXPECT_EQ(w.printer().pageLayout().orientation(), QPageLayout::Portrait);
}

// What an operator reads off the chart: every series name whole in the
// legend, a value axis with room and labels at both ends, and days that
// begin at midnight whatever the machine's time zone.
TEST(ChartWindow, LegendAndAxesAnOperatorCanRead)
{
    ChartApp app;
    ChartWindow &w = *app.w;
    w.resize(900, 600);
    w.show();
    for (int s = 0; s < SeriesCount; ++s)
        w.graph(s)->setName(QStringLiteral("Kotłownia_Pompa_Ciśnienie_zasilania %1").arg(s + 1));
    w.graph(0)->addData(QVector<double>{utc(2013, 9, 16, 0, 0, 0), utc(2013, 9, 16, 6, 0, 0)},
                        QVector<double>{-4.99, 3.2});
    w.chart->fullView(0, 1);
    for (int i = 0; i < w.chart->legend->itemCount(); ++i) {
        QCPAbstractLegendItem *item = w.chart->legend->item(i);
        EXPECT_GE(item->outerRect().width(), item->minimumOuterSizeHint().width()) << i;
        EXPECT_GE(item->outerRect().left(), 0) << i;
    }
    const QCPRange y = w.chart->yAxis->range();
    EXPECT_LT(y.lower, -4.99);
    EXPECT_GT(y.upper, 3.2);
    const QVector<double> ticks = w.chart->yAxis->tickVector();
    ASSERT_FALSE(ticks.isEmpty());
    EXPECT_LE(ticks.first(), -4.99); // a label below the lowest value
    EXPECT_GE(ticks.last(), 3.2);

    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Warsaw"); // summer: two hours from UTC
    ::tzset();
    QVector<double> days;
    auto ticker = w.chart->xAxis->ticker();
    ticker->setTickCount(4);
    ticker->generate(QCPRange(utc(2013, 7, 1, 0, 0, 0), utc(2013, 7, 21, 0, 0, 0)), QLocale::c(), 'g', 6, days,
                     nullptr, nullptr);
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    ::tzset();
    ASSERT_FALSE(days.isEmpty());
    for (double t : days)
        EXPECT_EQ(std::fmod(t, 86400.0), 0.0) << QDateTime::fromSecsSinceEpoch(qint64(t), Qt::UTC).toString().toStdString();
    w.close();
}
