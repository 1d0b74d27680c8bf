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

    bool Take() override;
    // Take, then the interface write with the PC following it.
    void writePage() override;

    QLineEdit *Edit1 = nullptr;     // additional interface: address, 4033
    QComboBox *ComboBox1 = nullptr; // additional interface: mode, 4032
    QComboBox *ComboBox2 = nullptr; // additional interface: speed, 4031
    QLineEdit *Edit2 = nullptr;     // primary interface: answer timeout, 4037
    QComboBox *ComboBox3 = nullptr; // primary interface: mode, 4036
    QComboBox *ComboBox4 = nullptr; // primary interface: speed, 4035

private:
    void FormCreate();
};

} // namespace k71t
