#pragma once
// The chooser of the quantity the monitor's chart follows.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace k71t {

class RegisterChooserDialog : public QDialog {
    Q_OBJECT
public:
    explicit RegisterChooserDialog(QWidget *parent = nullptr);

    // 100 for the displayed value, else 10 * device + register; set by
    // "Zastosuj i zamknij".
    int channel() const { return channel_; }

    QCheckBox *displayedValueCheck = nullptr;
    QComboBox *deviceList = nullptr;   // device
    QComboBox *registerList = nullptr; // register
    QPushButton *applyButton = nullptr;

public slots:
    void onDisplayedValueToggled();
    void onApplyClicked();

private:
    int channel_ = 100;
};

} // namespace k71t
