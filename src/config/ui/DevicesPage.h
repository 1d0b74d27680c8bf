#pragma once
// The attached devices page: where and how the meter polls each of its ten
// devices and which of their registers it archives, one device at a time,
// and the primary interface they are polled on.
#include "config/ui/ConfigPage.h"

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace k71t {

class DevicesPage : public ConfigPage {
    Q_OBJECT
public:
    explicit DevicesPage(AppContext &context, QWidget *parent = nullptr);

    // The transmission parameters and the current device.
    void Show() override;
    // The timeout (its own message), then the current device; stops at the
    // first field that fails.
    bool Take() override;
    void FormClose() override;
    void refresh() override;

    // Device d to controls / controls to the image. TakeDevice stores
    // nothing of the device unless every field passes, and tells when more
    // registers are archived than polled.
    void ShowDevice(int d);
    bool TakeDevice(int d);
    bool TakeTimeout();

    // The device shown; -1 until the window is created.
    std::int16_t currentDevice() const { return current_; }

    QTreeWidget *TreeView1 = nullptr;
    QComboBox *ComboBox1 = nullptr; // primary interface speed, 4035
    QComboBox *ComboBox2 = nullptr; // primary interface mode, 4036
    QLineEdit *Edit1 = nullptr;     // answer timeout, 4037
    QLineEdit *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr;
    QLineEdit *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr;
    QComboBox *ComboBox3 = nullptr; // register type
    QComboBox *ComboBox4 = nullptr; // archiving kind
    std::array<QCheckBox *, 10> archived{}; // CheckBox1 .. CheckBox10: R0 .. R9
    QPushButton *SpeedButton4 = nullptr;

public slots:
    void TreeView1Change();
    void ComboBox1Change();
    void ComboBox2Change();
    void SpeedButton4Click();

protected:
    bool confirmWrite() override;

private:
    void FormCreate();

    FieldGroup transmission_;
    FieldGroup device_;
    std::int16_t current_ = -1;
};

} // namespace k71t
