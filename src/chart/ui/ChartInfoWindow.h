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

    QPlainTextEdit *infoMemo = nullptr;
    QPushButton *closeButton = nullptr; // "Zamknij"

protected:
    // Shown in the middle of the screen.
    void showEvent(QShowEvent *event) override;
};

} // namespace k71t
