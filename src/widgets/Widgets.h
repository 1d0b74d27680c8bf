#pragma once
// Small helpers the windows share.
#include <QScreen>
#include <QString>
#include <QWidget>

namespace k71t {

// Gives a control its component name and returns it.
template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Moves a window to the middle of the screen it is on.
inline void centreOnScreen(QWidget *window)
{
    if (const QScreen *screen = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace k71t
