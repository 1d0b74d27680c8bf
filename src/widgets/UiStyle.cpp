#include "widgets/UiStyle.h"

#include <QApplication>

namespace k71t {

void applyUiStyle(QApplication &app)
{
    // Without this the Fusion style opens a list as tall as its items.
    app.setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
}

} // namespace k71t
