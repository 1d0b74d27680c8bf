#include "widgets/QtPrompt.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>
#include <cstdio>

namespace k71t {

namespace {

// Widest single line a message box keeps unbroken.
constexpr int LongestUnbrokenLine = 900;

void tellStandardError(const QString &caption, const QString &text)
{
    std::fprintf(stderr, "k71t: %s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
}

} // namespace

QString qtFileFilter(const QString &filter)
{
    // Qt takes the patterns from the last brackets of the text and splits
    // them at blanks, so "(*.dat, *.bin)" would be "*.dat," and "*.bin": the
    // brackets get the patterns of the part after "|", which decide.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2) {
        QString name = parts.at(i);
        if (i + 1 < parts.size()) {
            const QString patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
            const qsizetype open = name.lastIndexOf(QLatin1Char('('));
            if (open >= 0 && name.endsWith(QLatin1Char(')')))
                name = name.left(open) + QLatin1Char('(') + patterns + QLatin1Char(')');
            else
                name += QStringLiteral(" (") + patterns + QLatin1Char(')');
        }
        names << name;
    }
    return names.join(QStringLiteral(";;"));
}

PromptAnswer QtPrompt::message(QWidget *parent, const QString &text, const QString &caption, PromptIcon icon,
                               PromptButtons buttons)
{
    if (unattended_) {
        tellStandardError(caption, text);
        switch (buttons) {
        case PromptButtons::Ok: return PromptAnswer::Ok;
        case PromptButtons::OkCancel: return PromptAnswer::Cancel;
        case PromptButtons::YesNo: return PromptAnswer::No;
        }
    }
    const std::unique_ptr<QMessageBox> box = messageBox(parent, text, caption, icon, buttons);
    switch (box->exec()) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    default: return PromptAnswer::Cancel;
    }
}

std::unique_ptr<QMessageBox> QtPrompt::messageBox(QWidget *parent, const QString &text, const QString &caption,
                                                 PromptIcon icon, PromptButtons buttons)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(caption);
    box->setText(text);
    switch (icon) {
    case PromptIcon::None: box->setIcon(QMessageBox::NoIcon); break;
    case PromptIcon::Information: box->setIcon(QMessageBox::Information); break;
    case PromptIcon::Warning: box->setIcon(QMessageBox::Warning); break;
    case PromptIcon::Error: box->setIcon(QMessageBox::Critical); break;
    case PromptIcon::Question: box->setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case PromptButtons::Ok: box->setStandardButtons(QMessageBox::Ok); break;
    case PromptButtons::OkCancel: box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case PromptButtons::YesNo: box->setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    if (auto *b = box->button(QMessageBox::Cancel))
        b->setText(QStringLiteral("Anuluj"));
    if (auto *b = box->button(QMessageBox::Yes))
        b->setText(QStringLiteral("Tak"));
    if (auto *b = box->button(QMessageBox::No))
        b->setText(QStringLiteral("Nie"));
    // A message box breaks lines from about 500 pixels on; a one-line text
    // of reasonable length stays on one line ("rekordów/sekundę" whole).
    if (!text.contains(QLatin1Char('\n'))) {
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
            const int width = label->fontMetrics().horizontalAdvance(text) + 4;
            if (width <= LongestUnbrokenLine)
                label->setMinimumWidth(width);
        }
    }
    return box;
}

QString QtPrompt::openFileName(QWidget *parent, const QString &filter, const QString &directory)
{
    if (unattended_)
        return {};
    return QFileDialog::getOpenFileName(parent, QString(), directory, qtFileFilter(filter));
}

QString QtPrompt::saveFileName(QWidget *parent, const QString &filter, const QString &directory)
{
    if (unattended_)
        return {};
    return QFileDialog::getSaveFileName(parent, QString(), directory, qtFileFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString QtPrompt::browseFolder(QWidget *parent, const QString &title, const QString &start,
                               const std::function<bool(const QString &)> &acceptable)
{
    if (unattended_)
        return {};
    QFileDialog dialog(parent, title, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (acceptable) {
        // OK is enabled only while the folder shown or selected is acceptable.
        auto update = [&dialog, &acceptable](const QString &folder) {
            if (auto *box = dialog.findChild<QDialogButtonBox *>()) {
                for (QAbstractButton *b : box->buttons())
                    if (box->buttonRole(b) == QDialogButtonBox::AcceptRole)
                        b->setEnabled(!folder.isEmpty() && acceptable(folder));
            }
        };
        QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, update);
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, update);
        update(start);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    return !acceptable || acceptable(chosen) ? chosen : QString();
}

QColor QtPrompt::chooseColour(QWidget *parent, const QColor &initial)
{
    if (unattended_)
        return {};
    return QColorDialog::getColor(initial, parent);
}

bool QtPrompt::printDialog(QWidget *parent, QPrinter &printer)
{
    if (unattended_)
        return false;
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

int QtPrompt::showModal(QDialog *dialog)
{
    if (unattended_)
        return QDialog::Rejected;
    return dialog->exec();
}

} // namespace k71t
