#include "archive/ui/MonthlyArchiveDialog.h"

#include "context/Prompt.h"
#include "widgets/Widgets.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace k71t {

namespace {

QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

MonthlyArchiveDialog::MonthlyArchiveDialog(AppContext &context, QWidget *parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("MonthlyArchiveDialog"));
    setWindowTitle(QStringLiteral("Archiwum miesięczne"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);

    Banner = named(new QLabel(QStringLiteral("Tworzenie archiwum miesięcznego na podstawie archiwum dziennego"), this),
                   "Banner");
    QFont bannerFont = Banner->font();
    bannerFont.setBold(true);
    Banner->setFont(bannerFont);
    EditFrom = named(new QLineEdit(this), "EditFrom");
    BtnFrom = named(new QPushButton(QStringLiteral("Przeglądaj..."), this), "BtnFrom");
    EditTo = named(new QLineEdit(this), "EditTo");
    BtnTo = named(new QPushButton(QStringLiteral("Przeglądaj..."), this), "BtnTo");
    StaticFileM = named(new QLabel(this), "StaticFileM");
    BtnCreate = named(new QPushButton(QStringLiteral("Utwórz nowe archiwum"), this), "BtnCreate");
    StaticFileDay = named(new QLabel(this), "StaticFileDay");
    StaticDropped = named(new QLabel(this), "StaticDropped");
    // The fields only show the folders chosen with the buttons.
    for (QLineEdit *e : {EditFrom, EditTo}) {
        e->setReadOnly(true);
        e->setMinimumWidth(420);
    }
    StaticFileDay->setTextInteractionFlags(Qt::TextSelectableByMouse);
    StaticFileDay->setWordWrap(true);
    StaticDropped->setWordWrap(true);

    auto *grid = new QGridLayout;
    grid->addWidget(named(new QLabel(QStringLiteral("Katalog z archiwum dziennym"), this), "Label1"), 0, 0, 1, 2);
    grid->addWidget(EditFrom, 1, 0);
    grid->addWidget(BtnFrom, 1, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("Zapisz do "), this), "Label2"), 2, 0, 1, 2);
    grid->addWidget(EditTo, 3, 0);
    grid->addWidget(BtnTo, 3, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("Plik archiwum miesięcznego"), this), "Label3"), 4, 0, 1, 2);
    StaticFileM->setFrameShape(QFrame::StyledPanel);
    StaticFileM->setMinimumHeight(24);
    grid->addWidget(StaticFileM, 5, 0);
    grid->addWidget(BtnCreate, 5, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Banner);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(StaticFileDay);
    layout->addWidget(StaticDropped);
    layout->addStretch(1);

    for (QPushButton *b : {BtnFrom, BtnTo, BtnCreate})
        b->setAutoDefault(false);
    connect(BtnFrom, &QPushButton::clicked, this, &MonthlyArchiveDialog::BtnFromClick);
    connect(BtnTo, &QPushButton::clicked, this, &MonthlyArchiveDialog::BtnToClick);
    connect(BtnCreate, &QPushButton::clicked, this, &MonthlyArchiveDialog::BtnCreateClick);
    FormShow();
}

void MonthlyArchiveDialog::FormShow()
{
    EditFrom->clear();
    EditTo->clear();
    StaticFileM->clear();
    StaticFileDay->clear();
    StaticDropped->clear();
    BtnCreate->setEnabled(false);
}

void MonthlyArchiveDialog::updateCreate()
{
    // A run needs a month folder (its prefix) and a destination.
    BtnCreate->setEnabled(!prefix_.isEmpty() && !destination_.isEmpty());
}

void MonthlyArchiveDialog::BtnFromClick()
{
    QString chosen;
    if (browseForFolder(ctx_.prompt, this, source_, QStringLiteral("*.*"), &chosen,
                        QStringLiteral("Wybierz katalog źródłowy")) == 0)
        source_ = withSeparator(chosen);
    EditFrom->setText(QDir::toNativeSeparators(source_));
    prefix_ = MonthlyPrefix(source_);
    if (prefix_.isEmpty()) {
        StaticFileM->clear();
        updateCreate();
        ctx_.prompt.message(this, QStringLiteral("Nieprawidłowy katalog danych."), QStringLiteral("Błąd"),
                            PromptIcon::Error);
    } else {
        StaticFileM->setText(monthlyFileName(prefix_, 0));
        updateCreate();
    }
    StaticFileDay->clear();
}

void MonthlyArchiveDialog::BtnToClick()
{
    // Any folder will do as the destination, an empty new one too; only the
    // source must hold something.
    QString chosen;
    if (browseForFolder(ctx_.prompt, this, destination_, QString(), &chosen,
                        QStringLiteral("Wybierz katalog docelowy")) == 0)
        destination_ = withSeparator(chosen);
    EditTo->setText(QDir::toNativeSeparators(destination_));
    updateCreate();
    StaticFileDay->clear();
}

void MonthlyArchiveDialog::BtnCreateClick()
{
    if (prefix_.isEmpty() || destination_.isEmpty())
        return;
    StaticDropped->clear();
    lastRun_ = CreateMonthlyArchive(source_, destination_, prefix_, [this](const QString &daily) {
        StaticFileDay->setText(QDir::toNativeSeparators(daily));
        StaticFileDay->repaint();
    });
    const MonthlyOutcome &o = lastRun_;
    if (!o.lastFile.isEmpty())
        StaticFileM->setText(o.lastFile);
    if (o.droppedNoValue > 0 || o.droppedDevice > 0 || o.droppedLong > 0) {
        QString text = QStringLiteral("Pominięte wiersze: z brakiem wartości (E+020): %1, bez numeru urządzenia: %2")
                           .arg(o.droppedNoValue)
                           .arg(o.droppedDevice);
        if (o.droppedLong > 0)
            text += QStringLiteral(", dłuższe niż 1 MiB: %1").arg(o.droppedLong);
        StaticDropped->setText(text);
    }
    if (!o.error.isEmpty()) {
        StaticFileM->setText(monthlyFileName(prefix_, 0));
        ctx_.prompt.message(this,
                            QStringLiteral("Nie udało się utworzyć archiwum miesięcznego; poprzednie pliki "
                                           "pozostały bez zmian.\n") +
                                o.error,
                            QStringLiteral("Błąd"), PromptIcon::Error);
    } else if (o.wrote) {
        ctx_.prompt.message(this, QStringLiteral("Zakończono tworzenie archiwum miesięcznego."),
                            QStringLiteral("Sukces"), PromptIcon::Information);
    } else {
        ctx_.prompt.message(this, QStringLiteral("Brak danych."), QStringLiteral("Uwaga"), PromptIcon::Error);
    }
}

bool folderMatchesMask(const QString &folder, const QString &mask)
{
    if (folder.isEmpty())
        return false;
    const QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    const QStringList names =
        mask.isEmpty() || mask == QLatin1String("*.*") ? QStringList() : QStringList{mask};
    QDirIterator entries(folder, names, filters);
    return entries.hasNext();
}

int browseForFolder(Prompt &prompt, QWidget *owner, const QString &initial, const QString &mask, QString *out,
                    const QString &title)
{
    if (!out)
        return -1;
    std::function<bool(const QString &)> acceptable;
    if (!mask.isEmpty())
        acceptable = [mask](const QString &folder) { return folderMatchesMask(folder, mask); };
    const QString chosen = prompt.browseFolder(owner, title, initial, acceptable);
    if (chosen.isEmpty())
        return 1;
    *out = chosen;
    return 0;
}

} // namespace k71t
