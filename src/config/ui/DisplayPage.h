#pragma once
// The display and operating mode page.
#include "config/ui/ConfigPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace k71t {

class ClickablePanel;

class DisplayPage : public ConfigPage {
    Q_OBJECT
public:
    DisplayPage(AppContext &context, QWidget *parent = nullptr);

    void Show() override;

    QComboBox *ComboBox1 = nullptr; // displayed value, 4000
    QLineEdit *Edit1 = nullptr;     // measurement time, 4003
    QComboBox *ComboBox2 = nullptr; // display format, 4009
    QComboBox *ComboBox3 = nullptr; // operating mode, 4004
    QCheckBox *CheckBox1 = nullptr; // unit backlight, 4044
    QLineEdit *Edit2 = nullptr;     // maximum displayed value, 7603
    ClickablePanel *Panel1 = nullptr; // upper band colour, 4012
    QLineEdit *Edit3 = nullptr;     // upper colour threshold, 7601
    ClickablePanel *Panel2 = nullptr; // middle band colour, 4011
    QLineEdit *Edit4 = nullptr;     // lower colour threshold, 7600
    ClickablePanel *Panel3 = nullptr; // lower band colour, 4010
    QLineEdit *Edit5 = nullptr;     // minimum displayed value, 7602

public slots:
    void Panel1Click();
    void Panel2Click();
    void Panel3Click();

private:
    void FormCreate();
    void cycleColour(int reg, ClickablePanel *panel);
    void showColour(int reg, ClickablePanel *panel);
};

} // namespace k71t
