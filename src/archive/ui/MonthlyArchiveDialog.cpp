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

    buildControls();
    layOut();

    for (QPushButton *b : {sourceButton, destinationButton, createButton})
        b->setAutoDefault(false);
    connect(sourceButton, &QPushButton::clicked, this, &MonthlyArchiveDialog::onSourceClicked);
    connect(destinationButton, &QPushButton::clicked, this, &MonthlyArchiveDialog::onDestinationClicked);
    connect(createButton, &QPushButton::clicked, this, &MonthlyArchiveDialog::onCreateClicked);
    clearFolders();
}

void MonthlyArchiveDialog::buildControls()
{
    bannerLabel =
        named(new QLabel(QStringLiteral("Tworzenie archiwum miesięcznego na podstawie archiwum dziennego"), this),
              "bannerLabel");
    QFont bannerFont = bannerLabel->font();
    bannerFont.setBold(true);
    bannerLabel->setFont(bannerFont);
    sourceEdit = named(new QLineEdit(this), "sourceEdit");
    sourceButton = named(new QPushButton(QStringLiteral("Przeglądaj..."), this), "sourceButton");
    destinationEdit = named(new QLineEdit(this), "destinationEdit");
    destinationButton = named(new QPushButton(QStringLiteral("Przeglądaj..."), this), "destinationButton");
    monthlyFileLabel = named(new QLabel(this), "monthlyFileLabel");
    createButton = named(new QPushButton(QStringLiteral("Utwórz nowe archiwum"), this), "createButton");
    dailyFileLabel = named(new QLabel(this), "dailyFileLabel");
    droppedLabel = named(new QLabel(this), "droppedLabel");
    // The fields only show the folders chosen with the buttons.
    for (QLineEdit *e : {sourceEdit, destinationEdit}) {
        e->setReadOnly(true);
        e->setMinimumWidth(420);
    }
    dailyFileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    dailyFileLabel->setWordWrap(true);
    droppedLabel->setWordWrap(true);
}

void MonthlyArchiveDialog::layOut()
{
    auto *grid = new QGridLayout;
    grid->addWidget(named(new QLabel(QStringLiteral("Katalog z archiwum dziennym"), this), "sourceCaption"), 0, 0, 1,
                    2);
    grid->addWidget(sourceEdit, 1, 0);
    grid->addWidget(sourceButton, 1, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("Zapisz do "), this), "destinationCaption"), 2, 0, 1, 2);
    grid->addWidget(destinationEdit, 3, 0);
    grid->addWidget(destinationButton, 3, 1);
    grid->addWidget(named(new QLabel(QStringLiteral("Plik archiwum miesięcznego"), this), "monthlyFileCaption"), 4, 0,
                    1, 2);
    monthlyFileLabel->setFrameShape(QFrame::StyledPanel);
    monthlyFileLabel->setMinimumHeight(24);
    grid->addWidget(monthlyFileLabel, 5, 0);
    grid->addWidget(createButton, 5, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(bannerLabel);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(dailyFileLabel);
    layout->addWidget(droppedLabel);
    layout->addStretch(1);
}

void MonthlyArchiveDialog::clearFolders()
{
    sourceEdit->clear();
    destinationEdit->clear();
    monthlyFileLabel->clear();
    dailyFileLabel->clear();
    droppedLabel->clear();
    createButton->setEnabled(false);
}

void MonthlyArchiveDialog::updateCreate()
{
    // A run needs a month folder (its prefix) and a destination.
    createButton->setEnabled(!prefix_.isEmpty() && !destination_.isEmpty());
}

void MonthlyArchiveDialog::onSourceClicked()
{
    QString chosen;
    if (browseForFolder(ctx_.prompt, this, source_, QStringLiteral("*.*"), &chosen,
                        QStringLiteral("Wybierz katalog źródłowy")) == 0)
        source_ = withSeparator(chosen);
    sourceEdit->setText(QDir::toNativeSeparators(source_));
    prefix_ = monthlyFilePrefix(source_);
    if (prefix_.isEmpty()) {
        monthlyFileLabel->clear();
        updateCreate();
        ctx_.prompt.error(this, QStringLiteral("Nieprawidłowy katalog danych."));
    } else {
        monthlyFileLabel->setText(monthlyFileName(prefix_, 0));
        updateCreate();
    }
    dailyFileLabel->clear();
}

void MonthlyArchiveDialog::onDestinationClicked()
{
    // Any folder will do as the destination, an empty new one too; only the
    // source must hold something.
    QString chosen;
    if (browseForFolder(ctx_.prompt, this, destination_, QString(), &chosen,
                        QStringLiteral("Wybierz katalog docelowy")) == 0)
        destination_ = withSeparator(chosen);
    destinationEdit->setText(QDir::toNativeSeparators(destination_));
    updateCreate();
    dailyFileLabel->clear();
}

void MonthlyArchiveDialog::onCreateClicked()
{
    if (prefix_.isEmpty() || destination_.isEmpty())
        return;
    droppedLabel->clear();
    lastRun_ = createMonthlyArchive(source_, destination_, prefix_, [this](const QString &daily) {
        dailyFileLabel->setText(QDir::toNativeSeparators(daily));
        dailyFileLabel->repaint();
    });
    const MonthlyOutcome &o = lastRun_;
    if (!o.lastFile.isEmpty())
        monthlyFileLabel->setText(o.lastFile);
    if (o.droppedNoValue > 0 || o.droppedDevice > 0 || o.droppedLong > 0) {
        QString text = QStringLiteral("Pominięte wiersze: z brakiem wartości (E+020): %1, bez numeru urządzenia: %2")
                           .arg(o.droppedNoValue)
                           .arg(o.droppedDevice);
        if (o.droppedLong > 0)
            text += QStringLiteral(", dłuższe niż 1 MiB: %1").arg(o.droppedLong);
        droppedLabel->setText(text);
    }
    if (!o.error.isEmpty()) {
        monthlyFileLabel->setText(monthlyFileName(prefix_, 0));
        ctx_.prompt.error(this, QStringLiteral("Nie udało się utworzyć archiwum miesięcznego; poprzednie pliki "
                                               "pozostały bez zmian.\n") +
                                    o.error);
    } else if (o.wrote) {
        ctx_.prompt.inform(this, QStringLiteral("Zakończono tworzenie archiwum miesięcznego."),
                           QStringLiteral("Sukces"));
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
