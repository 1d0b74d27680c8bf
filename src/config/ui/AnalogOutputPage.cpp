#include "config/ui/AnalogOutputPage.h"

#include "widgets/Widgets.h"
#include "config/RegisterMap.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace k71t {

bool analogSignalEnds(int type, double &low, double &high)
{
    switch (type) {
    case 0: low = 0; high = 10; return true;
    case 1: low = 0; high = 20; return true;
    case 2: low = 4; high = 20; return true;
    default: return false;
    }
}

AnalogOutputPage::AnalogOutputPage(AppContext &context, QWidget *parent)
    : ConfigPage(context, Owner::Analog, parent, [] {
          // A refused write also says so in the status, which would otherwise
          // still show the last read's "OK".
          PageTexts t = PageTexts::configuration();
          t.writeRefusedBox = QStringLiteral("Błędnie podane parametry wyjścia analogowego");
          return t;
      }())
{
    setObjectName(QStringLiteral("AnalogOutputPage"));
    setWindowTitle(QStringLiteral("Wyjście analogowe"));

    QFormLayout *form = buildFields();
    buildChart();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(chart);
    finishPage(layout, QStringLiteral("Zapisz konfigurację"));

    describeEdit(valueAt0Edit, 7612, QStringLiteral("Błędnie podana wartość dla sygnału 0%."));
    describeEdit(valueAt100Edit, 7613, QStringLiteral("Błędnie podana wartość dla sygnału 100%."));
    describeList(quantityList, 4029);
    describeList(outputTypeList, 4030);
    // Leaving an edit (or Enter) takes the page and redraws it: the chart
    // follows at once, and a bad number is replaced by the last good one.
    for (QLineEdit *edit : {valueAt0Edit, valueAt100Edit})
        checkOnLeave(edit, [this] {
            const bool good = takeIntoImage();
            fillFromImage();
            return good;
        });

    connect(quantityList, &QComboBox::activated, this, &AnalogOutputPage::onQuantityChosen);
    connect(outputTypeList, &QComboBox::activated, this, &AnalogOutputPage::onOutputTypeChosen);
    fillLists();
}

QFormLayout *AnalogOutputPage::buildFields()
{
    quantityList = named(new QComboBox(this), "quantityList");
    quantityList->setMinimumContentsLength(28);
    outputTypeList = named(new QComboBox(this), "outputTypeList");
    valueAt0Edit = named(new QLineEdit(this), "valueAt0Edit");
    valueAt100Edit = named(new QLineEdit(this), "valueAt100Edit");
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Wielkość sterująca"), quantityList);
    form->addRow(QStringLiteral("Typ wyjścia"), outputTypeList);
    form->addRow(QStringLiteral("Wartość sterująca dla której\nwysterowanie wyjścia wynosi 0%"), valueAt0Edit);
    form->addRow(QStringLiteral("Wartość sterującana dla której\nwysterowanie wyjścia wynosi 100%"), valueAt100Edit);
    return form;
}

// The straight line through the output at 0 % and 100 %.
void AnalogOutputPage::buildChart()
{
    chart = named(new QCustomPlot(this), "chart");
    chart->setMinimumSize(420, 260);
    chart->plotLayout()->insertRow(0);
    chart->plotLayout()->addElement(0, 0,
                                    new QCPTextElement(chart, QStringLiteral("Charakterystyka wyjścia analogowego")));
    chart->xAxis->setLabel(QStringLiteral("Wielkość sterująca"));
    chart->yAxis->setLabel(QStringLiteral("Sygnał wyjściowy"));
    characteristicGraph = chart->addGraph();
    characteristicGraph->setName(QStringLiteral("characteristic"));
    characteristicGraph->setPen(QPen(QColor(200, 0, 0), 2));
    characteristicGraph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 6));
}

void AnalogOutputPage::fillLists()
{
    quantityList->addItems(analogQuantityItems());
    outputTypeList->addItems(analogTypeItems());
    fillFromImage();
}

void AnalogOutputPage::fillFromImage()
{
    ConfigPage::fillFromImage();
    characteristicGraph->data()->clear();
    double low = 0, high = 0;
    if (analogSignalEnds(ctx_.image.reg16(4030), low, high)) {
        const double at0 = ctx_.image.reg32(7612), at100 = ctx_.image.reg32(7613);
        characteristicGraph->addData(at0, low);
        characteristicGraph->addData(at100, high);
        // Equal values for 0 % and 100 % still get an axis to stand on.
        const double left = std::min(at0, at100), right = std::max(at0, at100);
        const double margin = right > left ? (right - left) * 0.05 : std::max(1.0, std::fabs(left) * 0.05);
        chart->xAxis->setRange(left - margin, right + margin);
        chart->yAxis->setRange(0, 21);
    }
    chart->replot();
}

void AnalogOutputPage::onQuantityChosen()
{
    if (quantityList->currentIndex() >= 0)
        ctx_.image.reg16(4029) = static_cast<std::uint16_t>(quantityList->currentIndex());
}

void AnalogOutputPage::onOutputTypeChosen()
{
    if (outputTypeList->currentIndex() >= 0)
        ctx_.image.reg16(4030) = static_cast<std::uint16_t>(outputTypeList->currentIndex());
    fillFromImage();
}

} // namespace k71t
