#include "monitor/ui/LiveValuesWindow.h"

#include "widgets/Widgets.h"
#include "link/RegisterImage.h"
#include "monitor/MonitorModel.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace k71t {

LiveValuesWindow::LiveValuesWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LiveValuesWindow"));
    setWindowTitle(QStringLiteral("Wartości Odczytane"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    valueGrid = named(new QTableWidget(11, 11, this), "valueGrid");
    valueGrid->horizontalHeader()->hide();
    valueGrid->verticalHeader()->hide();
    valueGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    valueGrid->setSelectionMode(QAbstractItemView::NoSelection);
    valueGrid->setFocusPolicy(Qt::NoFocus);
    valueGrid->setStyleSheet(
        QStringLiteral("QTableWidget { background: black; color: silver; gridline-color: #404040; }"));
    const auto cell = [this](int row, int column, const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        valueGrid->setItem(row, column, item);
    };
    for (int d = 0; d < 10; ++d)
        cell(0, d + 1, QStringLiteral("DEV %1").arg(d));
    for (int r = 0; r < 10; ++r) {
        cell(r + 1, 0, QStringLiteral("R%1").arg(r));
        for (int d = 0; d < 10; ++d)
            cell(r + 1, d + 1, QStringLiteral("*****"));
    }
    valueGrid->setColumnWidth(0, 40);
    for (int c = 1; c <= 10; ++c)
        valueGrid->setColumnWidth(c, 90);
    valueGrid->setFixedSize(40 + 10 * 90 + 4, 11 * valueGrid->rowHeight(0) + 4);
    valueGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    valueGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(valueGrid);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void LiveValuesWindow::showValues(const RegisterImage &image)
{
    for (int d = 0; d < 10; ++d)
        for (int r = 0; r < 10; ++r)
            valueGrid->item(r + 1, d + 1)->setText(MonitorModel::gridText(image.reg32(8000 + 10 * d + r)));
}

} // namespace k71t
