#include "common/Prompt.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace k71t {

QString qtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2)
        names << parts.at(i);
    return names.join(QStringLiteral(";;"));
}

PromptAnswer QtPrompt::message(QWidget *parent, const QString &text, const QString &caption,
                               PromptIcon icon, PromptButtons buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case PromptIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
    case PromptIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case PromptIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case PromptButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case PromptButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case PromptButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    if (auto *b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("Anuluj"));
    if (auto *b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("Tak"));
    if (auto *b = box.button(QMessageBox::No)) b->setText(QStringLiteral("Nie"));
    switch (box.exec()) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    default: return PromptAnswer::Cancel;
    }
}

QString QtPrompt::openFileName(QWidget *parent, const QString &filter, const QString &directory)
{
    return QFileDialog::getOpenFileName(parent, QString(), directory, qtFileFilter(filter));
}

QString QtPrompt::saveFileName(QWidget *parent, const QString &filter, const QString &directory)
{
    return QFileDialog::getSaveFileName(parent, QString(), directory, qtFileFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

int QtPrompt::showModal(QDialog *dialog)
{
    return dialog->exec();
}

} // namespace k71t
