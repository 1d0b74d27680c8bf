#pragma once
// The attached devices page: where and how the meter polls each of its ten
// devices and which of their registers it archives, one device at a time,
// and the primary interface they are polled on.
#include "config/ui/ConfigPage.h"

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace k71t {

class DevicesPage : public ConfigPage {
    Q_OBJECT
public:
    explicit DevicesPage(AppContext &context, QWidget *parent = nullptr);

    // The transmission parameters and the current device.
    void fillFromImage() override;
    // The timeout (its own message), then the current device; stops at the
    // first field that fails.
    bool takeIntoImage() override;
    void onClosing() override;
    void refresh() override;

    // Device d to controls / controls to the image. takeDevice stores
    // nothing of the device unless every field passes, and tells when more
    // registers are archived than polled.
    void showDevice(int d);
    bool takeDevice(int d);
    bool takeTimeout();

    // The device shown; -1 until the window is created.
    std::int16_t currentDevice() const { return current_; }

    QTreeWidget *deviceTree = nullptr;
    QComboBox *speedList = nullptr;   // primary interface speed, 4035
    QComboBox *modeList = nullptr;    // primary interface mode, 4036
    QLineEdit *timeoutEdit = nullptr; // answer timeout, 4037
    QLineEdit *deviceAddressEdit = nullptr, *baseRegisterEdit = nullptr, *registerCountEdit = nullptr,
              *pollingPeriodEdit = nullptr;
    QLineEdit *archivingPeriodEdit = nullptr, *lowThresholdEdit = nullptr, *highThresholdEdit = nullptr;
    QComboBox *registerTypeList = nullptr;        // register type
    QComboBox *archivingKindList = nullptr;       // archiving kind
    std::array<QCheckBox *, 10> archivedChecks{}; // R0 .. R9
    QPushButton *defaultsButton = nullptr;

public slots:
    void onDeviceChosen();
    void onSpeedChosen();
    void onModeChosen();
    void onDefaultsClicked();

protected:
    bool checkBeforeWrite() override;
    bool confirmWrite() override;

private:
    void buildDeviceTree();
    QGroupBox *buildTransmissionGroup();
    QGroupBox *buildDeviceGroup();
    // The transmission parameters and the current device's fields.
    void describeFields();
    void fillLists();

    FieldGroup transmission_;
    FieldGroup device_;
    std::int16_t current_ = -1;
};

} // namespace k71t
