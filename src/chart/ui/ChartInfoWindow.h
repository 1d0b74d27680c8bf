#pragma once
// The chart information window: the statistics of every series as text.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace k71t {

class ChartInfoWindow : public QDialog {
    Q_OBJECT
public:
    explicit ChartInfoWindow(QWidget *parent = nullptr);

    QPlainTextEdit *Memo1 = nullptr;
    QPushButton *SpeedButton1 = nullptr; // "Zamknij"

protected:
    // Shown in the middle of the screen.
    void showEvent(QShowEvent *event) override;
};

} // namespace k71t
