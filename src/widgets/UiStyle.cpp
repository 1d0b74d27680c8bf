#include "widgets/UiStyle.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QMouseEvent>

namespace k71t {

namespace {

// A click into a date or time field selects the section it lands in, as Tab
// does, so the digits typed next replace it: otherwise they are inserted
// beside the old ones, the field refuses the result and nothing changes.
class SectionOnClick : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease && qobject_cast<QLineEdit *>(watched))
            if (auto *field = qobject_cast<QDateTimeEdit *>(watched->parent()))
                if (!static_cast<QLineEdit *>(watched)->hasSelectedText())
                    QMetaObject::invokeMethod(field, [field] { field->setSelectedSection(field->currentSection()); },
                                              Qt::QueuedConnection);
        return false;
    }
};

} // namespace

void applyUiStyle(QApplication &app)
{
    // Without this the Fusion style opens a list as tall as its items.
    app.setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    app.installEventFilter(new SectionOnClick(&app));
}

} // namespace k71t
