#pragma once
// The alarm configuration page: the four alarm outputs AL1 .. AL4.
#include "config/ui/ConfigPage.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace k71t {

class AlarmsPage : public ConfigPage {
    Q_OBJECT
public:
    explicit AlarmsPage(AppContext &context, QWidget *parent = nullptr);

    // Alarm k (0-based): quantity, type, PrL, PrH, delay, memory.
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr, *ComboBox3 = nullptr, *ComboBox4 = nullptr;
    QComboBox *ComboBox5 = nullptr, *ComboBox6 = nullptr, *ComboBox7 = nullptr, *ComboBox8 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr;
    QLineEdit *Edit5 = nullptr, *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr;
    QLineEdit *Edit9 = nullptr, *Edit10 = nullptr, *Edit11 = nullptr, *Edit12 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr, *CheckBox4 = nullptr;
private:
    void FormCreate();
};

} // namespace k71t
