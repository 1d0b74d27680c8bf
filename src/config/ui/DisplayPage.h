#pragma once
// The display and operating mode page.
#include "config/ui/ConfigPage.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace k71t {

class ClickablePanel;

class DisplayPage : public ConfigPage {
    Q_OBJECT
public:
    DisplayPage(AppContext &context, QWidget *parent = nullptr);

    void fillFromImage() override;

    QComboBox *displayedValueList = nullptr;     // displayed value, 4000
    QLineEdit *measurementTimeEdit = nullptr;    // measurement time, 4003
    QComboBox *displayFormatList = nullptr;      // display format, 4009
    QComboBox *operatingModeList = nullptr;      // operating mode, 4004
    QCheckBox *unitBacklightCheck = nullptr;     // unit backlight, 4044
    QLineEdit *displayMaximumEdit = nullptr;     // maximum displayed value, 7603
    ClickablePanel *upperColourPanel = nullptr;  // upper band colour, 4012
    QLineEdit *upperThresholdEdit = nullptr;     // upper colour threshold, 7601
    ClickablePanel *middleColourPanel = nullptr; // middle band colour, 4011
    QLineEdit *lowerThresholdEdit = nullptr;     // lower colour threshold, 7600
    ClickablePanel *lowerColourPanel = nullptr;  // lower band colour, 4010
    QLineEdit *displayMinimumEdit = nullptr;     // minimum displayed value, 7602

public slots:
    void onUpperColourClicked();
    void onMiddleColourClicked();
    void onLowerColourClicked();

private:
    QFormLayout *buildModeFields();
    QGroupBox *buildColourBar();
    // Taken (checked and stored) in this order; the lists only when all passed.
    void describeFields();
    void fillLists();
    void cycleColour(int reg, ClickablePanel *panel);
    void showColour(int reg, ClickablePanel *panel);
};

} // namespace k71t
