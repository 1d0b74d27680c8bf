#pragma once
// The program's side of the operator seam: Qt's dialogs, in Polish.
#include "context/Prompt.h"

#include <memory>

class QMessageBox;

namespace k71t {

// Converts "Text (*.ext)|*.ext|Other (*.x)|*.x" to Qt's "Text (*.ext);;Other (*.x)".
QString qtFileFilter(const QString &filter);

class QtPrompt : public Prompt {
public:
    PromptAnswer message(QWidget *parent, const QString &text, const QString &caption, PromptIcon icon,
                         PromptButtons buttons) override;
    QString openFileName(QWidget *parent, const QString &filter, const QString &directory) override;
    QString saveFileName(QWidget *parent, const QString &filter, const QString &directory) override;
    QString browseFolder(QWidget *parent, const QString &title, const QString &start,
                         const std::function<bool(const QString &)> &acceptable) override;
    QColor chooseColour(QWidget *parent, const QColor &initial) override;
    bool printDialog(QWidget *parent, QPrinter &printer) override;
    int showModal(QDialog *dialog) override;

    // The message box `message` shows, before it is shown.
    static std::unique_ptr<QMessageBox> messageBox(QWidget *parent, const QString &text, const QString &caption,
                                                   PromptIcon icon, PromptButtons buttons);

    // While the program is being closed by a signal nobody is there to
    // answer: messages go to standard error, questions are answered with
    // Cancel (or No), dialogs are not shown.
    void setUnattended(bool on) { unattended_ = on; }
    bool unattended() const { return unattended_; }

private:
    bool unattended_ = false;
};

} // namespace k71t
