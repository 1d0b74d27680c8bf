#pragma once
// The chart analysis window: ten series on one line chart, their assignment
// editor and colours, the date range, loading from archive files, the table
// and information windows, and printing. It lives for the whole run; closing
// it only hides it, and its series keep their points.
#include "chart/Series.h"
#include "chart/SeriesDb.h"
#include "chart/SeriesLoad.h"
#include "chart/ui/SeriesEditor.h"
#include "chart/ui/SeriesPlot.h"
#include "context/AppContext.h"

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <array>
#include <memory>
#include <utility>

class QComboBox;
class QCPGraph;
class QCPRange;
class QDateEdit;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPrinter;
class QPushButton;
class QStatusBar;
class QTimer;

namespace k71t {

class ChartTableWindow;
class ChartInfoWindow;
class SourceAddressDialog;
class DictionaryWindow;

class ChartWindow : public QDialog {
    Q_OBJECT
public:
    // The table window exists before this one: creation writes its captions.
    ChartWindow(AppContext &context, ChartTableWindow &table, QWidget *parent = nullptr);
    ~ChartWindow() override;
    // Windows created after this one.
    void setCompanions(ChartInfoWindow *info, SourceAddressDialog *addressPrompt, DictionaryWindow *dictionary);

    SeriesModel &model() { return model_; }
    const QColor &colour(int s) const { return colours_[static_cast<std::size_t>(s)]; }
    QCPGraph *graph(int s) const;
    QString chartTitle() const;
    QString seriesConfPath() const;
    // The printer "Drukuj wykres" prints on, made at the first print (its
    // settings stay for the run).
    QPrinter &printer();

    // Loads every series that is on from one file for meter `address`, as
    // "Dodaj z Pliku" does once the address and the file are chosen.
    void loadFile(const QString &path, std::uint8_t address);
    // The view: zoomed to a range of both axes, and back to every point.
    void zoomTo(const QCPRange &x, const QCPRange &y);
    void fullView();
    // Prints the chart on a printer already set up (the dialog was answered):
    // landscape, scaled to the page inside the margins, the printer's
    // orientation restored afterwards. False when nothing came out.
    bool printChart(QPrinter &printer);

    QPushButton *clearButton = nullptr;  // "Wyczyść wykres"
    QPushButton *unlinkButton = nullptr; // "Usuń powiązania serii"
    QDateEdit *fromDateEdit = nullptr;
    QDateEdit *toDateEdit = nullptr;
    SeriesEditor *editor = nullptr;              // "Serie danych"
    QPushButton *databaseLoadButton = nullptr;   // "Pobierz z Bazy Danych"
    QPushButton *fileLoadButton = nullptr;       // "Dodaj z Pliku"
    QPushButton *tableButton = nullptr;          // "Pokaż dane"
    QPushButton *printButton = nullptr;          // "Drukuj wykres"
    QPushButton *dictionaryButton = nullptr;     // "Słownik"
    QPushButton *infoButton = nullptr;           // "Informacje o wykresie"
    SeriesPlot *chart = nullptr;
    std::array<QPushButton *, SeriesCount> colourButtons{};
    QStatusBar *statusBar = nullptr;
    QProgressBar *progressBar = nullptr;
    QTimer *databaseTimer = nullptr; // one series a tick of a database load

public slots:
    void onFileLoadClicked();
    void onDatabaseLoadClicked();
    void onDictionaryClicked();
    void onDatabaseTimer();
    void onClearClicked();
    // The editor changed series s: its points and rows go, series.conf is written.
    void onSeriesApplied(int s);
    void onInfoClicked();
    void onUnlinkClicked();
    void onTableClicked();
    void onPrintClicked();
    void onDatesChanged();
    void onColourClicked(int s);
    void showChartInfo();

private:
    QPushButton *addButton(const char *name, const QString &text, void (ChartWindow::*onClicked)(),
                           const QString &hint = QString());
    // The buttons, the dates and the series editor, in one column.
    QWidget *buildLeftPanel();
    // The colour buttons under the plot, two rows of five.
    QGridLayout *buildColourRow();
    void initialise();
    void setTitle(const QString &text);
    // The texts that carry series s's name: legend, colour button, table page.
    void showSeriesName(int s);
    void setColour(int s, const QColor &colour);
    void saveSeries();
    // During a database load the editor, the dates and the buttons that
    // change the series or start another load are disabled.
    void setDatabaseLoad(bool running);

    AppContext &ctx_;
    ChartTableWindow &table_;
    ChartInfoWindow *info_ = nullptr;
    SourceAddressDialog *addressPrompt_ = nullptr;
    DictionaryWindow *dictionary_ = nullptr;
    // The settings a database load uses, taken as it begins: the database
    // window may change the context's meanwhile.
    DatabaseSettings loadSettings_;
    DatabaseSeriesLoad databaseLoad_;
    bool loadingFromDatabase_ = false;
    SeriesModel model_;
    std::array<QColor, SeriesCount> colours_;
    std::unique_ptr<QPrinter> printer_;
    std::pair<QDate, QDate> shownDates_; // the range the chart holds data of
};

} // namespace k71t
