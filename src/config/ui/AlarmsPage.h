#pragma once
// The alarm configuration page: the four alarm outputs AL1 .. AL4.
#include "config/ui/ConfigPage.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace k71t {

class AlarmsPage : public ConfigPage {
    Q_OBJECT
public:
    explicit AlarmsPage(AppContext &context, QWidget *parent = nullptr);

    // The controls of one alarm output.
    struct AlarmControls {
        QComboBox *quantityList = nullptr;
        QComboBox *typeList = nullptr;
        QLineEdit *lowThresholdEdit = nullptr;  // PrL
        QLineEdit *highThresholdEdit = nullptr; // PrH
        QLineEdit *delayEdit = nullptr;
        QCheckBox *memoryCheck = nullptr;
    };
    // AL1 .. AL4.
    std::array<AlarmControls, 4> alarms;

private:
    // The group of alarm k (0-based) with its fields described.
    QGroupBox *buildAlarm(int k);
    void fillLists();
};

} // namespace k71t
