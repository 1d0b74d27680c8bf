#pragma once
// The analog output page: controlling quantity, output type, the values for
// 0 % and 100 %, and the straight-line characteristic they give.
#include "config/ui/ConfigPage.h"

class QComboBox;
class QFormLayout;
class QCustomPlot;
class QCPGraph;
class QLineEdit;

namespace k71t {

// The output signal at 0 % and 100 % of an output type (0: 0-10 V,
// 1: 0-20 mA, 2: 4-20 mA); false for any other type.
bool analogSignalEnds(int type, double &low, double &high);

class AnalogOutputPage : public ConfigPage {
    Q_OBJECT
public:
    explicit AnalogOutputPage(AppContext &context, QWidget *parent = nullptr);

    void fillFromImage() override;

    QComboBox *quantityList = nullptr;   // controlling quantity, 4029
    QComboBox *outputTypeList = nullptr; // output type, 4030
    QLineEdit *valueAt0Edit = nullptr;   // value for 0 %, 7612
    QLineEdit *valueAt100Edit = nullptr; // value for 100 %, 7613
    QCustomPlot *chart = nullptr;
    QCPGraph *characteristicGraph = nullptr;

public slots:
    void onQuantityChosen();
    void onOutputTypeChosen();

private:
    QFormLayout *buildFields();
    void buildChart();
    void fillLists();
};

} // namespace k71t
