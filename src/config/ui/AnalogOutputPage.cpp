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
          PageTexts t = PageTexts::configuration();
          t.writeRefused.clear();
          t.writeRefusedBox = QStringLiteral("Błędnie podane parametry wyjścia analogowego");
          return t;
      }())
{
    setObjectName(QStringLiteral("AnalogOutputPage"));
    setWindowTitle(QStringLiteral("Wyjście analogowe"));

    ComboBox1 = named(new QComboBox(this), "ComboBox1");
    ComboBox1->setMinimumContentsLength(28);
    ComboBox2 = named(new QComboBox(this), "ComboBox2");
    Edit1 = named(new QLineEdit(this), "Edit1");
    Edit2 = named(new QLineEdit(this), "Edit2");
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Wielkość sterująca"), ComboBox1);
    form->addRow(QStringLiteral("Typ wyjścia"), ComboBox2);
    form->addRow(QStringLiteral("Wartość sterująca dla której\nwysterowanie wyjścia wynosi 0%"), Edit1);
    form->addRow(QStringLiteral("Wartość sterującana dla której\nwysterowanie wyjścia wynosi 100%"), Edit2);

    Chart1 = named(new QCustomPlot(this), "Chart1");
    Chart1->setMinimumSize(420, 260);
    Chart1->plotLayout()->insertRow(0);
    Chart1->plotLayout()->addElement(
        0, 0, new QCPTextElement(Chart1, QStringLiteral("Charakterystyka wyjścia analogowego")));
    Chart1->xAxis->setLabel(QStringLiteral("Wielkość sterująca"));
    Chart1->yAxis->setLabel(QStringLiteral("Sygnał wyjściowy"));
    Series1 = Chart1->addGraph();
    Series1->setName(QStringLiteral("Series1"));
    Series1->setPen(QPen(QColor(200, 0, 0), 2));
    Series1->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 6));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Chart1);
    finishPage(layout, QStringLiteral("Zapisz konfigurację"));

    describeEdit(Edit1, 7612, QStringLiteral("Błędnie podana wartość dla sygnału 0%."));
    describeEdit(Edit2, 7613, QStringLiteral("Błędnie podana wartość dla sygnału 100%."));
    describeList(ComboBox1, 4029);
    describeList(ComboBox2, 4030);
    // Leaving an edit (or Enter) takes the page and redraws it: the chart
    // follows at once, and a bad number is replaced by the last good one.
    for (QLineEdit *edit : {Edit1, Edit2})
        checkOnLeave(edit, [this] {
            Take();
            Show();
        });

    connect(ComboBox1, &QComboBox::activated, this, &AnalogOutputPage::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &AnalogOutputPage::ComboBox2Change);
    FormCreate();
}

void AnalogOutputPage::FormCreate()
{
    ComboBox1->addItems(analogQuantityItems());
    ComboBox2->addItems(analogTypeItems());
    Show();
}

void AnalogOutputPage::Show()
{
    ConfigPage::Show();
    Series1->data()->clear();
    double low = 0, high = 0;
    if (analogSignalEnds(ctx_.image.reg16(4030), low, high)) {
        const double at0 = ctx_.image.reg32(7612), at100 = ctx_.image.reg32(7613);
        Series1->addData(at0, low);
        Series1->addData(at100, high);
        // Equal values for 0 % and 100 % still get an axis to stand on.
        const double left = std::min(at0, at100), right = std::max(at0, at100);
        const double margin = right > left ? (right - left) * 0.05 : std::max(1.0, std::fabs(left) * 0.05);
        Chart1->xAxis->setRange(left - margin, right + margin);
        Chart1->yAxis->setRange(0, 21);
    }
    Chart1->replot();
}

void AnalogOutputPage::ComboBox1Change()
{
    if (ComboBox1->currentIndex() >= 0)
        ctx_.image.reg16(4029) = static_cast<std::uint16_t>(ComboBox1->currentIndex());
}

void AnalogOutputPage::ComboBox2Change()
{
    if (ComboBox2->currentIndex() >= 0)
        ctx_.image.reg16(4030) = static_cast<std::uint16_t>(ComboBox2->currentIndex());
    Show();
}

} // namespace k71t
