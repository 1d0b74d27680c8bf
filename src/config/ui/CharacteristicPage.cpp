#include "config/ui/CharacteristicPage.h"

#include "common/TextFormats.h"
#include "widgets/Widgets.h"
#include "config/PageIO.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <qcustomplot.h>

namespace k71t {

namespace {

constexpr int PointsRegister = 4008;
constexpr int FirstPoint = 7622; // H of point 1; Y follows; two registers a point

int hRegister(int point) { return FirstPoint + 2 * point; }
int yRegister(int point) { return FirstPoint + 2 * point + 1; }

// The grid, with a way to commit the cell being edited.
class PointGrid : public QTableWidget {
public:
    using QTableWidget::QTableWidget;
    void commitEditing()
    {
        if (state() != QAbstractItemView::EditingState)
            return;
        if (QWidget *editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

QTableWidgetItem *fixedItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignCenter);
    return item;
}

} // namespace

int characteristicPoints(std::uint16_t stored)
{
    return std::min<int>(stored, MaxCharacteristicPoints);
}

CharacteristicPage::CharacteristicPage(AppContext &context, QWidget *parent)
    : ConfigPage(context, Owner::Characteristic, parent, PageTexts::configuration())
{
    setObjectName(QStringLiteral("CharacteristicPage"));
    setWindowTitle(QStringLiteral("Charakterystyka Indywidualna"));

    buildPointEditor();
    buildChart();

    auto *left = new QVBoxLayout;
    left->addWidget(enabledCheck);
    left->addWidget(new QLabel(QStringLiteral("Liczba Punktów charakterystyki"), this));
    left->addWidget(pointCountSlider);
    left->addWidget(pointGrid);
    auto *top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(chart, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    finishPage(layout, QStringLiteral("Zapisz konfigurację"));

    // Leaving the grid, or choosing another cell, checks it.
    // A cell that is itself bad keeps the selection until it is mended.
    checkOnLeave(pointGrid, [this] { return gridCheck() || !badCells_.contains(cellLeft()); });
    connect(enabledCheck, &QCheckBox::clicked, this, &CharacteristicPage::onEnabledClicked);
    connect(pointCountSlider, &QSlider::valueChanged, this, &CharacteristicPage::onPointCountChanged);
    fillGridHeader();
}

// The switch, the number of points and the grid of H and Y.
void CharacteristicPage::buildPointEditor()
{
    enabledCheck = named(new QCheckBox(QStringLiteral("Włącz charakterystykę indywidualną"), this), "enabledCheck");
    pointCountSlider = named(new QSlider(Qt::Horizontal, this), "pointCountSlider");
    pointCountSlider->setRange(2, MaxCharacteristicPoints);
    pointCountSlider->setPageStep(1);
    pointCountSlider->setTickPosition(QSlider::TicksBelow);
    pointCountSlider->setTickInterval(1);
    pointGrid = named(new PointGrid(1, 3, this), "pointGrid");
    pointGrid->horizontalHeader()->hide();
    pointGrid->verticalHeader()->hide();
    pointGrid->setColumnWidth(0, 40);
    pointGrid->setColumnWidth(1, 110);
    pointGrid->setColumnWidth(2, 110);
    pointGrid->setFixedWidth(40 + 110 + 110 + 2 * pointGrid->frameWidth() + 20);
    pointGrid->setMinimumHeight(300);
}

void CharacteristicPage::buildChart()
{
    chart = named(new QCustomPlot(this), "chart");
    chart->setMinimumSize(420, 300);
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(0, 0, new QCPTextElement(chart, QStringLiteral("Charakterystyka indywidualna")));
    chart->xAxis->setLabel(QStringLiteral("Wartości H"));
    chart->yAxis->setLabel(QStringLiteral("Wartości Y"));
    // A curve, not a graph: the points are drawn in their stored order, so a
    // characteristic read from a meter is shown as it is, not sorted.
    curve = new QCPCurve(chart->xAxis, chart->yAxis);
    curve->setName(QStringLiteral("characteristic"));
    curve->setPen(QPen(QColor(0, 0, 200), 2));
    curve->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 6));
}

void CharacteristicPage::fillGridHeader()
{
    // Row 0 holds the headers; fillFromImage numbers the rows of the points.
    pointGrid->setItem(0, 1, fixedItem(QStringLiteral("H")));
    pointGrid->setItem(0, 2, fixedItem(QStringLiteral("Y")));
    fillFromImage();
}

void CharacteristicPage::fillFromImage()
{
    const RegisterImage &im = ctx_.image;
    const int n = characteristicPoints(im.reg16(PointsRegister));
    {
        // Showing the state is not a click or a move of the operator's.
        const QSignalBlocker b1(enabledCheck), b2(pointCountSlider), b3(pointGrid);
        enabledCheck->setChecked(n >= 2);
        pointCountSlider->setValue(std::max(n, 2));
        pointGrid->setRowCount(n + 1);
        for (int point = 0; point < n; ++point) {
            pointGrid->setItem(point + 1, 0, fixedItem(QString::number(point + 1)));
            pointGrid->setItem(point + 1, 1, new QTableWidgetItem(formatFloat(im.reg32(hRegister(point)))));
            pointGrid->setItem(point + 1, 2, new QTableWidgetItem(formatFloat(im.reg32(yRegister(point)))));
        }
    }
    curve->data()->clear();
    if (n > 1) {
        QVector<double> h, y;
        for (int point = 0; point < n; ++point) {
            h << im.reg32(hRegister(point));
            y << im.reg32(yRegister(point));
        }
        curve->setData(h, y);
        const auto [hLow, hHigh] = std::minmax_element(h.cbegin(), h.cend());
        const auto [yLow, yHigh] = std::minmax_element(y.cbegin(), y.cend());
        const auto range = [](double low, double high) {
            const double margin = high > low ? (high - low) * 0.05 : std::max(1.0, std::fabs(low) * 0.05);
            return QCPRange(low - margin, high + margin);
        };
        chart->xAxis->setRange(range(*hLow, *hHigh));
        chart->yAxis->setRange(range(*yLow, *yHigh));
    }
    pointGrid->setEnabled(n > 1);
    pointCountSlider->setEnabled(n > 1);
    chart->replot();
}

void CharacteristicPage::refresh()
{
    // The number of points as read, shown twice if it was off, so that the
    // redraw never changes it.
    const std::uint16_t stored = ctx_.image.reg16(PointsRegister);
    fillFromImage();
    if (stored < 2) {
        ctx_.image.reg16(PointsRegister) = stored;
        fillFromImage();
    }
}

void CharacteristicPage::commitEditing()
{
    static_cast<PointGrid *>(pointGrid)->commitEditing();
}

bool CharacteristicPage::gridError(const QString &text)
{
    errorBox(text);
    pointGrid->setFocus();
    return false;
}

bool CharacteristicPage::gridCheck()
{
    RegisterImage &im = ctx_.image;
    const int n = characteristicPoints(im.reg16(PointsRegister));
    std::array<float, MaxCharacteristicPoints> h{}, y{};
    for (int point = 0; point < MaxCharacteristicPoints; ++point) {
        h[point] = im.reg32(hRegister(point));
        y[point] = im.reg32(yRegister(point));
    }
    const auto cell = [this](int row, int column) {
        const QTableWidgetItem *item = pointGrid->item(row, column);
        return item ? item->text() : QString();
    };
    // The values as they will be stored: 32-bit floats.
    badCells_.clear();
    for (int point = 0; point < n; ++point) {
        const auto v = checkNumber(cell(point + 1, 1), -19999, 99999);
        if (!v) {
            badCells_ = {QPoint(point + 1, 1)};
            return gridError(QStringLiteral("Błędnie wprowadzony współczynnik H"));
        }
        h[point] = static_cast<float>(*v);
    }
    for (int point = 0; point < n; ++point) {
        const auto v = checkNumber(cell(point + 1, 2), -19999, 99999);
        if (!v) {
            badCells_ = {QPoint(point + 1, 2)};
            return gridError(QStringLiteral("Błędnie wprowadzony współczynnik Y"));
        }
        y[point] = static_cast<float>(*v);
    }
    for (int point = 1; point < n; ++point) {
        if (!(h[point] > h[point - 1])) {
            badCells_ = {QPoint(point, 1), QPoint(point + 1, 1)};
            return gridError(QStringLiteral("Błędnie wprowadzone współczynniki H. Brak zależności H1<H2<H3<...<Hn"));
        }
    }
    for (int point = 0; point < n; ++point) {
        im.reg32(hRegister(point)) = h[point];
        im.reg32(yRegister(point)) = y[point];
    }
    fillFromImage();
    return true;
}

bool CharacteristicPage::takeIntoImage()
{
    commitEditing();
    return gridCheck();
}

void CharacteristicPage::onEnabledClicked()
{
    ctx_.image.reg16(PointsRegister) = enabledCheck->isChecked() ? 2 : 1;
    fillFromImage();
}

void CharacteristicPage::onPointCountChanged()
{
    ctx_.image.reg16(PointsRegister) = static_cast<std::uint16_t>(pointCountSlider->value());
    fillFromImage();
}

} // namespace k71t
