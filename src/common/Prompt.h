#pragma once
// The one seam between the program and its operator: every message box,
// question, file dialog and every window shown modally passes through here.
// The program shows Qt dialogs; tests record what was asked and answer it.
#include <QString>

class QWidget;
class QDialog;

namespace k71t {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo };
enum class PromptAnswer { Ok, Cancel, Yes, No };

class Prompt {
public:
    virtual ~Prompt() = default;
    virtual PromptAnswer message(QWidget *parent, const QString &text, const QString &caption,
                                 PromptIcon icon, PromptButtons buttons = PromptButtons::Ok) = 0;
    // File dialogs take the filter in the program's "Text (*.ext)|*.ext" form
    // and return the chosen path, or an empty string when cancelled.
    virtual QString openFileName(QWidget *parent, const QString &filter, const QString &directory) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &filter, const QString &directory) = 0;
    // Shows a window modally and returns its result code.
    virtual int showModal(QDialog *dialog) = 0;
};

// Converts "Text (*.ext)|*.ext|Other (*.x)|*.x" to Qt's "Text (*.ext);;Other (*.x)".
QString qtFileFilter(const QString &filter);

class QtPrompt : public Prompt {
public:
    PromptAnswer message(QWidget *parent, const QString &text, const QString &caption,
                         PromptIcon icon, PromptButtons buttons) override;
    QString openFileName(QWidget *parent, const QString &filter, const QString &directory) override;
    QString saveFileName(QWidget *parent, const QString &filter, const QString &directory) override;
    int showModal(QDialog *dialog) override;
};

} // namespace k71t
