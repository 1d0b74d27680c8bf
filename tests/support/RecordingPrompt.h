#pragma once
// The tests' side of the operator seam: records every question and answers
// from a script, so no test ever blocks on a modal window.
#include "context/Prompt.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace k71t::test {

struct AskedMessage {
    QString text;
    QString caption;
    PromptIcon icon;
    PromptButtons buttons;
};

class RecordingPrompt : public Prompt {
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

    QList<AskedMessage> messages;
    QList<PromptAnswer> answers;     // next answers to messages; Ok when empty
    QStringList fileNames;           // next answers to file dialogs; "" when empty
    QStringList fileFilters;         // filters the dialogs were opened with
    QStringList fileStarts;          // and the folders they were opened in
    QStringList folderTitles;        // titles the folder browser was opened with
    QStringList folderStarts;        // and its preselected folders
    QStringList folders;             // next answers of the folder browser; "" when empty
    QList<QColor> colours;           // next answers of the colour chooser; invalid when empty
    QList<bool> printAnswers;        // next answers of the print dialog; false when empty
    int printDialogs = 0;            // how often the print dialog was opened
    QString printFile;               // when set, a confirmed print dialog chose a PDF file of this name
    QList<int> printOrientations;    // the printer's orientation (QPageLayout) each time the dialog opened
    QStringList modalWindows;        // object names of windows shown modally
    QList<int> modalResults;         // their results; 0 when empty
    std::function<void(QDialog *)> onModal; // runs while a window is shown modally
    std::function<void()> onMessage; // runs while a message is being asked
};

} // namespace k71t::test
