#pragma once
// Small helpers the windows share.
#include <QString>

namespace k71t {

// Gives a control its component name and returns it.
template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace k71t
