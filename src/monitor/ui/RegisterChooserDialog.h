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

    QCheckBox *CheckBox1 = nullptr;
    QComboBox *ComboBox1 = nullptr; // device
    QComboBox *ComboBox2 = nullptr; // register
    QPushButton *Button1 = nullptr;

public slots:
    void CheckBox1Click();
    void Button1Click();

private:
    int channel_ = 100;
};

} // namespace k71t
