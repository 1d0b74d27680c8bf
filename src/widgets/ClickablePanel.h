#pragma once
// A plain coloured panel that reports clicks.
#include <QColor>
#include <QFrame>

namespace k71t {

class ClickablePanel : public QFrame {
    Q_OBJECT
public:
    explicit ClickablePanel(QWidget *parent = nullptr);
    void setColour(const QColor &colour);
    QColor colour() const { return colour_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor colour_;
};

} // namespace k71t
