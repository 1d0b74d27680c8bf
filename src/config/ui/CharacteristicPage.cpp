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

    CheckBox1 = named(new QCheckBox(QStringLiteral("Włącz charakterystykę indywidualną"), this), "CheckBox1");
    TrackBar1 = named(new QSlider(Qt::Horizontal, this), "TrackBar1");
    TrackBar1->setRange(2, MaxCharacteristicPoints);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    StringGrid1 = named(new PointGrid(1, 3, this), "StringGrid1");
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setColumnWidth(0, 40);
    StringGrid1->setColumnWidth(1, 110);
    StringGrid1->setColumnWidth(2, 110);
    StringGrid1->setFixedWidth(40 + 110 + 110 + 2 * StringGrid1->frameWidth() + 20);
    StringGrid1->setMinimumHeight(300);

    Chart1 = named(new QCustomPlot(this), "Chart1");
    Chart1->setMinimumSize(420, 300);
    Chart1->plotLayout()->insertRow(0);
    Chart1->plotLayout()->addElement(0, 0, new QCPTextElement(Chart1, QStringLiteral("Charakterystyka indywidualna")));
    Chart1->xAxis->setLabel(QStringLiteral("Wartości H"));
    Chart1->yAxis->setLabel(QStringLiteral("Wartości Y"));
    // A curve, not a graph: the points are drawn in their stored order, so a
    // characteristic read from a meter is shown as it is, not sorted.
    Series1 = new QCPCurve(Chart1->xAxis, Chart1->yAxis);
    Series1->setName(QStringLiteral("Series1"));
    Series1->setPen(QPen(QColor(0, 0, 200), 2));
    Series1->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 6));

    auto *left = new QVBoxLayout;
    left->addWidget(CheckBox1);
    left->addWidget(new QLabel(QStringLiteral("Liczba Punktów charakterystyki"), this));
    left->addWidget(TrackBar1);
    left->addWidget(StringGrid1);
    auto *top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(Chart1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    finishPage(layout, QStringLiteral("Zapisz konfigurację"));

    // Leaving the grid, or choosing another cell, checks it.
    checkOnLeave(StringGrid1, [this] { gridCheck(); });
    connect(CheckBox1, &QCheckBox::clicked, this, &CharacteristicPage::CheckBox1Click);
    connect(TrackBar1, &QSlider::valueChanged, this, &CharacteristicPage::TrackBar1Change);
    FormCreate();
}

void CharacteristicPage::FormCreate()
{
    // Row 0 holds the headers; Show numbers the rows of the points.
    StringGrid1->setItem(0, 1, fixedItem(QStringLiteral("H")));
    StringGrid1->setItem(0, 2, fixedItem(QStringLiteral("Y")));
    Show();
}

void CharacteristicPage::Show()
{
    const RegisterImage &im = ctx_.image;
    const int n = characteristicPoints(im.reg16(PointsRegister));
    {
        // Showing the state is not a click or a move of the operator's.
        const QSignalBlocker b1(CheckBox1), b2(TrackBar1), b3(StringGrid1);
        CheckBox1->setChecked(n >= 2);
        TrackBar1->setValue(std::max(n, 2));
        StringGrid1->setRowCount(n + 1);
        for (int point = 0; point < n; ++point) {
            StringGrid1->setItem(point + 1, 0, fixedItem(QString::number(point + 1)));
            StringGrid1->setItem(point + 1, 1, new QTableWidgetItem(formatFloat(im.reg32(hRegister(point)))));
            StringGrid1->setItem(point + 1, 2, new QTableWidgetItem(formatFloat(im.reg32(yRegister(point)))));
        }
    }
    Series1->data()->clear();
    if (n > 1) {
        QVector<double> h, y;
        for (int point = 0; point < n; ++point) {
            h << im.reg32(hRegister(point));
            y << im.reg32(yRegister(point));
        }
        Series1->setData(h, y);
        const auto [hLow, hHigh] = std::minmax_element(h.cbegin(), h.cend());
        const auto [yLow, yHigh] = std::minmax_element(y.cbegin(), y.cend());
        const auto range = [](double low, double high) {
            const double margin = high > low ? (high - low) * 0.05 : std::max(1.0, std::fabs(low) * 0.05);
            return QCPRange(low - margin, high + margin);
        };
        Chart1->xAxis->setRange(range(*hLow, *hHigh));
        Chart1->yAxis->setRange(range(*yLow, *yHigh));
    }
    StringGrid1->setEnabled(n > 1);
    TrackBar1->setEnabled(n > 1);
    Chart1->replot();
}

void CharacteristicPage::refresh()
{
    // The number of points as read, shown twice if it was off, so that the
    // redraw never changes it.
    const std::uint16_t stored = ctx_.image.reg16(PointsRegister);
    Show();
    if (stored < 2) {
        ctx_.image.reg16(PointsRegister) = stored;
        Show();
    }
}

void CharacteristicPage::commitEditing()
{
    static_cast<PointGrid *>(StringGrid1)->commitEditing();
}

bool CharacteristicPage::gridError(const QString &text)
{
    errorBox(text);
    StringGrid1->setFocus();
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
        const QTableWidgetItem *item = StringGrid1->item(row, column);
        return item ? item->text() : QString();
    };
    // The values as they will be stored: 32-bit floats.
    for (int point = 0; point < n; ++point) {
        const auto v = checkNumber(cell(point + 1, 1), -19999, 99999);
        if (!v)
            return gridError(QStringLiteral("Błędnie wprowadzony współczynnik H"));
        h[point] = static_cast<float>(*v);
    }
    for (int point = 0; point < n; ++point) {
        const auto v = checkNumber(cell(point + 1, 2), -19999, 99999);
        if (!v)
            return gridError(QStringLiteral("Błędnie wprowadzony współczynnik Y"));
        y[point] = static_cast<float>(*v);
    }
    for (int point = 1; point < n; ++point)
        if (!(h[point] > h[point - 1]))
            return gridError(QStringLiteral("Błędnie wprowadzone współczynniki H. Brak zależności H1<H2<H3<...<Hn"));
    for (int point = 0; point < n; ++point) {
        im.reg32(hRegister(point)) = h[point];
        im.reg32(yRegister(point)) = y[point];
    }
    Show();
    return true;
}

bool CharacteristicPage::Take()
{
    commitEditing();
    return gridCheck();
}

void CharacteristicPage::CheckBox1Click()
{
    ctx_.image.reg16(PointsRegister) = CheckBox1->isChecked() ? 2 : 1;
    Show();
}

void CharacteristicPage::TrackBar1Change()
{
    ctx_.image.reg16(PointsRegister) = static_cast<std::uint16_t>(TrackBar1->value());
    Show();
}

} // namespace k71t
