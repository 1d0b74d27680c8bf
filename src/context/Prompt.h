#pragma once
// The one seam between the program and its operator: every message box,
// question, file dialog, folder browser, colour chooser, print dialog and
// every window shown modally passes through here. The program shows Qt
// dialogs (QtPrompt); tests record what was asked and answer from a script.
// Only windows use it: the logic below them reports results and never asks.
#include <QColor>
#include <QString>
#include <functional>

class QWidget;
class QDialog;
class QPrinter;

namespace k71t {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo };
enum class PromptAnswer { Ok, Cancel, Yes, No };

class Prompt {
public:
    virtual ~Prompt() = default;

    virtual PromptAnswer message(QWidget *parent, const QString &text, const QString &caption, PromptIcon icon,
                                 PromptButtons buttons = PromptButtons::Ok) = 0;
    // An OK/Cancel question with the question icon: true only for OK.
    bool ask(QWidget *parent, const QString &text, const QString &caption)
    {
        return message(parent, text, caption, PromptIcon::Question, PromptButtons::OkCancel) == PromptAnswer::Ok;
    }

    // A box with the error icon and the caption "Błąd".
    void error(QWidget *parent, const QString &text)
    {
        message(parent, text, QStringLiteral("Błąd"), PromptIcon::Error);
    }
    // A box with the information icon.
    void inform(QWidget *parent, const QString &text, const QString &caption)
    {
        message(parent, text, caption, PromptIcon::Information);
    }

    // File dialogs take the filter in the program's "Text (*.ext)|*.ext" form
    // and return the chosen path, or an empty string when cancelled.
    virtual QString openFileName(QWidget *parent, const QString &filter, const QString &directory) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &filter, const QString &directory) = 0;

    // Folder browser with a title and a preselected folder. `acceptable`
    // decides for which folders OK is enabled (every folder when empty).
    // Returns the chosen folder, or an empty string when cancelled.
    virtual QString browseFolder(QWidget *parent, const QString &title, const QString &start,
                                 const std::function<bool(const QString &)> &acceptable = {}) = 0;

    // Colour chooser starting at `initial`; an invalid colour when cancelled.
    virtual QColor chooseColour(QWidget *parent, const QColor &initial) = 0;

    // Print dialog for `printer` (which it may reconfigure, a PDF file among
    // the choices); true when the operator chose to print.
    virtual bool printDialog(QWidget *parent, QPrinter &printer) = 0;

    // Shows a window modally and returns its result code.
    virtual int showModal(QDialog *dialog) = 0;
};

} // namespace k71t
