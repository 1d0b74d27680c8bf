#include "widgets/ClickablePanel.h"

#include <QMouseEvent>

namespace k71t {

ClickablePanel::ClickablePanel(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
}

void ClickablePanel::setColour(const QColor &colour)
{
    colour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

void ClickablePanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

} // namespace k71t
