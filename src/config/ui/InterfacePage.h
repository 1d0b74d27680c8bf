#pragma once
// The interface parameters page: both serial interfaces of the meter, and the
// PC following a change of the one it is on.
#include "config/ui/ConfigPage.h"

class QComboBox;
class QLineEdit;

namespace k71t {

class InterfacePage : public ConfigPage {
    Q_OBJECT
public:
    explicit InterfacePage(AppContext &context, QWidget *parent = nullptr);

    bool takeIntoImage() override;
    // takeIntoImage, then the interface write with the PC following it.
    void writePage() override;

    QLineEdit *additionalAddressEdit = nullptr; // additional interface: address, 4033
    QComboBox *additionalModeList = nullptr;    // additional interface: mode, 4032
    QComboBox *additionalSpeedList = nullptr;   // additional interface: speed, 4031
    QLineEdit *primaryTimeoutEdit = nullptr;    // primary interface: answer timeout, 4037
    QComboBox *primaryModeList = nullptr;       // primary interface: mode, 4036
    QComboBox *primarySpeedList = nullptr;      // primary interface: speed, 4035

private:
    void fillLists();
};

} // namespace k71t
