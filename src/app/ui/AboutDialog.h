#pragma once
#include <QDialog>

class QPushButton;

namespace k71t {

// The about box.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
    QPushButton *closeButton = nullptr;
};

} // namespace k71t
