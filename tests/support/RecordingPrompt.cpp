#include "support/RecordingPrompt.h"

#include <QPrinter>

#include <QDialog>

namespace k71t::test {

PromptAnswer RecordingPrompt::message(QWidget *, const QString &text, const QString &caption, PromptIcon icon,
                                      PromptButtons buttons)
{
    messages.append({text, caption, icon, buttons});
    if (onMessage)
        onMessage();
    return answers.isEmpty() ? PromptAnswer::Ok : answers.takeFirst();
}

QString RecordingPrompt::openFileName(QWidget *, const QString &filter, const QString &directory)
{
    fileFilters << filter;
    fileStarts << directory;
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString RecordingPrompt::saveFileName(QWidget *, const QString &filter, const QString &directory)
{
    fileFilters << filter;
    fileStarts << directory;
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString RecordingPrompt::browseFolder(QWidget *, const QString &title, const QString &start,
                                      const std::function<bool(const QString &)> &acceptable)
{
    folderTitles << title;
    folderStarts << start;
    if (folders.isEmpty())
        return {};
    const QString folder = folders.takeFirst();
    // OK is not enabled for a folder the browser does not accept.
    return !acceptable || acceptable(folder) ? folder : QString();
}

QColor RecordingPrompt::chooseColour(QWidget *, const QColor &)
{
    return colours.isEmpty() ? QColor() : colours.takeFirst();
}

bool RecordingPrompt::printDialog(QWidget *, QPrinter &printer)
{
    ++printDialogs;
    printOrientations << static_cast<int>(printer.pageLayout().orientation());
    const bool print = !printAnswers.isEmpty() && printAnswers.takeFirst();
    if (print && !printFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printFile);
    }
    return print;
}

int RecordingPrompt::showModal(QDialog *dialog)
{
    modalWindows << dialog->objectName();
    if (onModal)
        onModal(dialog);
    return modalResults.isEmpty() ? 0 : modalResults.takeFirst();
}

} // namespace k71t::test
