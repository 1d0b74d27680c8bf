#pragma once
// The table window: one page per chart series, each listing the rows loaded
// into that series (date, time and all ten registers of the row). It owns
// the rows; the chart window appends and clears them.
#include "chart/SeriesLoad.h"
#include "chart/SeriesTableModel.h"

#include <QDialog>
#include <array>
#include <vector>

class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace k71t {

class ChartTableWindow : public QDialog {
    Q_OBJECT
public:
    explicit ChartTableWindow(QWidget *parent = nullptr);
    ~ChartTableWindow() override;

    // Appends a load's rows to series s's page.
    void appendRows(int s, std::vector<SeriesRow> &&rows);
    // Cuts series s's page back to its header.
    void clearRows(int s);
    const std::vector<SeriesRow> &rows(int s) const { return rows_[static_cast<std::size_t>(s)]; }
    // The page's caption (the series name) and its label (the description).
    void setPage(int s, const QString &caption, const QString &label);

    QTabWidget *pages = nullptr;
    std::array<QWidget *, 10> pageWidgets{};
    std::array<QLabel *, 10> descriptionLabels{};
    std::array<QTableView *, 10> rowViews{};
    QPushButton *closeButton = nullptr; // "Zamknij"

protected:
    // Shown in the middle of the screen.
    void showEvent(QShowEvent *event) override;

private:
    std::array<std::vector<SeriesRow>, 10> rows_;
    std::array<SeriesTableModel *, 10> models_{};
};

} // namespace k71t
