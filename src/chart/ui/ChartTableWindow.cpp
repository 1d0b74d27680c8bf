#include "chart/ui/ChartTableWindow.h"

#include "widgets/Widgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace k71t {

ChartTableWindow::ChartTableWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ChartTableWindow"));
    setWindowTitle(QStringLiteral("Tabela"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    pages = named(new QTabWidget(this), "pages");
    pages->setUsesScrollButtons(true);
    for (int s = 0; s < 10; ++s) {
        const QByteArray n = QByteArray::number(s + 1);
        auto *page = new QWidget;
        page->setObjectName(QStringLiteral("page%1").arg(s + 1));
        pageWidgets[s] = page;
        descriptionLabels[s] = new QLabel(page);
        descriptionLabels[s]->setObjectName(QStringLiteral("descriptionLabel%1").arg(s + 1));
        auto *grid = new QTableView(page);
        grid->setObjectName(QStringLiteral("rowView%1").arg(s + 1));
        models_[s] = new SeriesTableModel(rows_[static_cast<std::size_t>(s)], this);
        grid->setModel(models_[s]);
        // Every row is one line of the same height: the view never measures
        // the rows, so a page of 616,000 rows opens at once.
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
        grid->verticalHeader()->hide();
        // Columns as wide as their widest text ("-2.00000E+20"), so no value
        // is cut short; the page scrolls sideways when they do not fit.
        const QFontMetrics metrics = grid->fontMetrics();
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        grid->horizontalHeader()->setDefaultSectionSize(metrics.horizontalAdvance(QStringLiteral("-2.00000E+20")) + 14);
        grid->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("2026-12-31")) + 14);
        grid->setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 14);
        grid->horizontalHeader()->setStretchLastSection(false);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setWordWrap(false);
        rowViews[s] = grid;
        auto *layout = new QVBoxLayout(page);
        layout->addWidget(descriptionLabels[s]);
        layout->addWidget(grid, 1);
        pages->addTab(page, QStringLiteral("Seria %1").arg(s + 1));
    }
    closeButton = named(new QPushButton(QStringLiteral("Zamknij"), this), "closeButton");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages, 1);
    layout->addWidget(closeButton, 0, Qt::AlignRight);
    setFixedSize(788, 667);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

ChartTableWindow::~ChartTableWindow() = default;

void ChartTableWindow::appendRows(int s, std::vector<SeriesRow> &&rows)
{
    if (rows.empty())
        return;
    std::vector<SeriesRow> &to = rows_[static_cast<std::size_t>(s)];
    models_[s]->beginChange();
    if (to.empty())
        to = std::move(rows);
    else
        to.insert(to.end(), rows.begin(), rows.end());
    models_[s]->endChange();
}

void ChartTableWindow::clearRows(int s)
{
    std::vector<SeriesRow> &rows = rows_[static_cast<std::size_t>(s)];
    if (rows.empty())
        return;
    models_[s]->beginChange();
    std::vector<SeriesRow>().swap(rows); // the memory goes back too
    models_[s]->endChange();
}

void ChartTableWindow::setPage(int s, const QString &caption, const QString &label)
{
    pages->setTabText(s, caption);
    descriptionLabels[s]->setText(label);
}

void ChartTableWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

} // namespace k71t
