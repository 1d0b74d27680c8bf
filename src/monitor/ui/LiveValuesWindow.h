#pragma once
// The last value of every register R0 .. R9 of every device DEV 0 .. DEV 9.
#include <QDialog>

class QTableWidget;

namespace k71t {

class RegisterImage;

class LiveValuesWindow : public QDialog {
    Q_OBJECT
public:
    explicit LiveValuesWindow(QWidget *parent = nullptr);

    // Cell (column d + 1, row r + 1) from register 8000 + 10 d + r.
    void showValues(const RegisterImage &image);

    QTableWidget *valueGrid = nullptr;
};

} // namespace k71t
