#include "archive/ui/ArchiveWindow.h"

#include "archive/ArchiveFiles.h"
#include "common/DateFormats.h"
#include "widgets/Widgets.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <QWindow>

namespace k71t {

namespace {

const QString EmptyOrNotLoaded = QStringLiteral("Archiwum jest puste lub plik nie został załadowany");
const QString DatabaseOff = QStringLiteral("Obsługa MySQL jest wyłączona - sprawdź konfigurację MySQL");
const QString DatabaseFailed =
    QStringLiteral("Nie udało się zapisać danych do bazy. Sprawdź ustawienia komunikacji z bazą danych.");


QString recordStamp(const ArchiveRecord &r)
{
    return stampText(r.year(), r.month(), r.day(), r.hour(), r.minute(), r.second());
}

} // namespace

ArchiveWindow::ArchiveWindow(AppContext &context, QWidget *parent)
    : QDialog(parent), ctx_(context), download_(context.link, context.image, context.records),
      job_(download_, context.records, context.image, context.clock)
{
    setObjectName(QStringLiteral("ArchiveWindow"));
    setWindowTitle(QStringLiteral("Archiwum"));
    setBorder(true);

    SpeedButton2 = named(new QPushButton(QStringLiteral("Pobierz archiwum"), this), "SpeedButton2");
    SpeedButton3 = named(new QPushButton(QStringLiteral("Usuń archiwum"), this), "SpeedButton3");
    CheckBox1 = named(new QCheckBox(QStringLiteral("Skasuj archiwum po pobraniu"), this), "CheckBox1");
    CheckBox2 = named(new QCheckBox(QStringLiteral("Skasuj archiwum po pobraniu i umieść dane w bazie danych MySQL"),
                                    this),
                      "CheckBox2");
    Label1 = named(new QLabel(QStringLiteral("Odczytanych rekordów:"), this), "Label1");
    Edit1 = named(new QLineEdit(this), "Edit1");
    Edit1->setReadOnly(true);
    Edit2 = named(new QLineEdit(this), "Edit2");
    Edit2->setReadOnly(true);
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setToolTip(QStringLiteral("Pobieranie archiwum"));
    ProgressBar2 = named(new QProgressBar(this), "ProgressBar2");
    ProgressBar2->setToolTip(QStringLiteral("Pobieranie strony pamięci"));
    ProgressBar2->setMaximum(4);
    ProgressBar3 = named(new QProgressBar(this), "ProgressBar3");
    ProgressBar3->setToolTip(QStringLiteral("Dodawanie rekordów do bazy danych"));
    for (QProgressBar *bar : {ProgressBar1, ProgressBar2, ProgressBar3}) {
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setMaximumHeight(14);
    }

    auto *downloadButtons = new QHBoxLayout;
    downloadButtons->addWidget(SpeedButton2);
    downloadButtons->addWidget(SpeedButton3);
    auto *stamps = new QGridLayout;
    stamps->addWidget(new QLabel(QStringLiteral("Pierwszy Rekord"), this), 0, 0);
    stamps->addWidget(Edit1, 0, 1);
    stamps->addWidget(new QLabel(QStringLiteral("Ostatni rekord"), this), 1, 0);
    stamps->addWidget(Edit2, 1, 1);

    auto *exportGroup = named(new QGroupBox(QStringLiteral("Eksport danych"), this), "GroupBox1");
    SpeedButton1 = named(new QPushButton(QStringLiteral("Otwórz plik archiwum (*.bin)"), exportGroup), "SpeedButton1");
    MonthCalendar1 = named(new QCalendarWidget(exportGroup), "MonthCalendar1");
    MonthCalendar2 = named(new QCalendarWidget(exportGroup), "MonthCalendar2");
    for (QCalendarWidget *c : {MonthCalendar1, MonthCalendar2}) {
        c->setGridVisible(false);
        c->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        c->setFirstDayOfWeek(Qt::Monday);
        c->setLocale(QLocale(QLocale::Polish, QLocale::Poland)); // month and day names
    }
    DateTimePicker1 = named(new QTimeEdit(exportGroup), "DateTimePicker1");
    DateTimePicker2 = named(new QTimeEdit(exportGroup), "DateTimePicker2");
    for (QTimeEdit *t : {DateTimePicker1, DateTimePicker2})
        t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    SpeedButton4 = named(new QPushButton(QStringLiteral("Eksportuj dane do pliku"), exportGroup), "SpeedButton4");
    SpeedButton5 =
        named(new QPushButton(QStringLiteral("Eksportuj dane do bazy danych"), exportGroup), "SpeedButton5");
    auto *exportLayout = new QGridLayout(exportGroup);
    exportLayout->addWidget(SpeedButton1, 0, 0, 1, 2);
    exportLayout->addWidget(new QLabel(QStringLiteral("Start"), exportGroup), 1, 0);
    exportLayout->addWidget(new QLabel(QStringLiteral("Stop"), exportGroup), 1, 1);
    exportLayout->addWidget(MonthCalendar1, 2, 0);
    exportLayout->addWidget(MonthCalendar2, 2, 1);
    exportLayout->addWidget(DateTimePicker1, 3, 0);
    exportLayout->addWidget(DateTimePicker2, 3, 1);
    exportLayout->addWidget(SpeedButton4, 4, 0);
    exportLayout->addWidget(SpeedButton5, 4, 1);

    // Enter must not start a download or an export by itself.
    for (QPushButton *b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5})
        b->setAutoDefault(false);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(downloadButtons);
    layout->addWidget(CheckBox1);
    layout->addWidget(CheckBox2);
    layout->addWidget(Label1);
    layout->addLayout(stamps);
    layout->addWidget(ProgressBar1);
    layout->addWidget(ProgressBar2);
    layout->addWidget(ProgressBar3);
    layout->addWidget(exportGroup);
    layout->addWidget(StatusBar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(SpeedButton1, &QPushButton::clicked, this, &ArchiveWindow::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &ArchiveWindow::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &ArchiveWindow::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &ArchiveWindow::SpeedButton4Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &ArchiveWindow::SpeedButton5Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &ArchiveWindow::CheckBox2Click);

    download_.onPageStep = [this](int step) { ProgressBar2->setValue(step); };
    download_.onPagesProgress = [this](int max, int pos) {
        ProgressBar1->setMaximum(std::max(1, max));
        ProgressBar1->setValue(std::min(pos, std::max(1, max)));
    };
    job_.databaseStep = [this](int n, int address, QString *report) {
        const StoreOutcome out = ExportArchiveToDatabase(ctx_.database, ctx_.sql, ctx_.records, n,
                                                         static_cast<std::uint8_t>(address), databaseProgress());
        ctx_.database.Disconnect();
        if (!out.ok())
            *report = storeReport(out);
        return out.ok();
    };
    download_.onRecords = [this](int n) {
        Label1->setText(QStringLiteral("Odczytanych rekordów: %1").arg(n));
        repaint();
    };

    FormCreate();
}

void ArchiveWindow::FormCreate()
{
    const QDate today = ctx_.clock.now().date();
    MonthCalendar1->setSelectedDate(today);
    MonthCalendar2->setSelectedDate(today);
    DateTimePicker1->setTime(QTime(0, 0, 0));
    DateTimePicker2->setTime(QTime(23, 59, 59));
}

void ArchiveWindow::setBorder(bool dialog)
{
    const Qt::WindowFlags flags =
        dialog ? Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint
               : Qt::Dialog | Qt::FramelessWindowHint;
    // QWidget::setWindowFlags would hide the window, and hiding a dialog ends
    // its modal loop; the window system is told directly instead.
    overrideWindowFlags(flags);
    if (QWindow *window = windowHandle())
        window->setFlags(flags);
}

void ArchiveWindow::info(const QString &text, const QString &caption, PromptIcon icon)
{
    ctx_.prompt.message(this, text, caption, icon);
}

QString ArchiveWindow::statisticsText(int n, int seconds)
{
    return downloadStatistics(n, seconds);
}

void ArchiveWindow::ShowArchiveSummary()
{
    const RecordStore &store = ctx_.records;
    Label1->setText(QStringLiteral("Odczytanych rekordów: %1").arg(store.RecordCount));
    if (store.RecordCount < 1)
        return;
    const ArchiveRecord &first = store[0];
    const ArchiveRecord &last = store[store.RecordCount - 1];
    Edit1->setText(recordStamp(first));
    Edit2->setText(recordStamp(last));
    MonthCalendar1->setSelectedDate(QDate(first.year(), first.month(), first.day()));
    MonthCalendar2->setSelectedDate(QDate(last.year(), last.month(), last.day()));
    if (MonthCalendar1->selectedDate() == MonthCalendar2->selectedDate()) {
        DateTimePicker1->setTime(QTime(first.hour(), first.minute(), first.second()));
        DateTimePicker2->setTime(QTime(last.hour(), last.minute(), last.second()));
    } else {
        DateTimePicker1->setTime(QTime(0, 0, 0));
        DateTimePicker2->setTime(QTime(23, 59, 59));
    }
}

// Nothing is in memory after a file that could not be read or a failed
// download: the summary of the records that were there before goes.
void ArchiveWindow::clearArchiveSummary()
{
    Label1->setText(QStringLiteral("Odczytanych rekordów: 0"));
    Edit1->clear();
    Edit2->clear();
}

void ArchiveWindow::SpeedButton2Click()
{
    downloading_ = true;
    setBorder(false);
    ArchiveJobRequest request;
    request.directory = ctx_.ArchivesDirectory;
    request.meterAddress = ctx_.meterAddress;
    request.deleteAfter = CheckBox1->isChecked() || CheckBox2->isChecked();
    request.toDatabase = CheckBox2->isChecked() && ctx_.databaseEnabled();
    const ArchiveJobOutcome outcome = job_.run(request);
    const int n = outcome.records;

    if (n <= 0)
        clearArchiveSummary();
    if (n > 0) {
        ShowArchiveSummary();
        if (!outcome.saved() || outcome.deletion == ArchiveJobOutcome::Deletion::KeptUnsaved)
            info(QStringLiteral("Nie udało się zapisać pliku archiwum %1 (%2). Archiwum w K71T nie zostało skasowane, "
                                "dane pozostają w pamięci.%3")
                     .arg(QDir::toNativeSeparators(outcome.saved() ? outcome.binPath : outcome.plannedPath),
                          outcome.saveError,
                          outcome.database == ArchiveJobOutcome::Database::Skipped
                              ? QStringLiteral(" Dane nie zostały umieszczone w bazie danych.")
                              : QString()),
                 QStringLiteral("Błąd"), PromptIcon::Error);
        setWindowTitle(QStringLiteral("Dane w pamięci"));
        StatusBar1->showMessage(QStringLiteral("Dane w pamięci") + deletionText(outcome.deletion));
        // The rows are stored even when the meter could not be cleared; the
        // status keeps saying so, since the next download brings the same
        // records again.
        if (outcome.database == ArchiveJobOutcome::Database::Stored)
            StatusBar1->showMessage(QStringLiteral("Dane w pamięci.") +
                                    (outcome.deletion == ArchiveJobOutcome::Deletion::Failed
                                         ? QStringLiteral("  Kasowanie archiwum nie powiodło się.")
                                         : QString()) +
                                    QStringLiteral("   Dane umieszczone w bazie danych."));
        else if (outcome.database == ArchiveJobOutcome::Database::Failed)
            info(DatabaseFailed + QLatin1Char('\n') + outcome.databaseReport, QStringLiteral("Informacje"),
                 PromptIcon::Error);
    } else if (n < 0) {
        if (outcome.failure == ArchiveDownload::Failure::Pointers)
            StatusBar1->showMessage(QStringLiteral("Niepoprawny stan archiwum odczytany z K71T."));
        else if (outcome.failure == ArchiveDownload::Failure::Capacity)
            StatusBar1->showMessage(QStringLiteral("Archiwum nie mieści się w pamięci programu."));
        info(QStringLiteral("Błąd transmisji lub urządzenie nie podłączone"), QStringLiteral("Błąd"), PromptIcon::Error);
    } else {
        info(QStringLiteral("Archiwum jest puste"), QStringLiteral("Ostrzeżenie"), PromptIcon::Information);
    }

    setBorder(true);
    downloading_ = false;
    if (n > 0)
        info(statisticsText(n, outcome.seconds), QStringLiteral("Info"), PromptIcon::None);
}

QString ArchiveWindow::deletionText(ArchiveJobOutcome::Deletion deletion)
{
    switch (deletion) {
    case ArchiveJobOutcome::Deletion::NotAsked: return QStringLiteral(".");
    case ArchiveJobOutcome::Deletion::Deleted: return QStringLiteral(".  Archiwum K71T skasowane.");
    case ArchiveJobOutcome::Deletion::Failed: return QStringLiteral(".  Kasowanie archiwum nie powiodło się.");
    case ArchiveJobOutcome::Deletion::KeptUnsaved: return QStringLiteral(".  Archiwum K71T nie zostało skasowane.");
    }
    return QStringLiteral(".");
}

void ArchiveWindow::SpeedButton3Click()
{
    if (ctx_.prompt.message(this, QStringLiteral("Dane archiwlane zostaną usunięte. Kontynuować"),
                            QStringLiteral("Uwaga"), PromptIcon::Question,
                            PromptButtons::OkCancel) != PromptAnswer::Ok)
        return;
    if (download_.DeleteArchive())
        info(QStringLiteral("Archiwum skasowane"), QStringLiteral("Archiwum"), PromptIcon::Information);
}

void ArchiveWindow::CheckBox2Click()
{
    if (!ctx_.databaseEnabled())
        info(DatabaseOff, QStringLiteral("Błąd"), PromptIcon::Information);
}

void ArchiveWindow::SpeedButton1Click()
{
    const QString file = ctx_.prompt.openFileName(this, binFilter(), ctx_.ArchivesDirectory);
    if (file.isEmpty())
        return;
    bool tooLarge = false;
    ctx_.records.RecordCount = LoadBin(file, ctx_.records, ctx_.image, &tooLarge);
    setWindowTitle(QStringLiteral("Archiwum ") + file);
    StatusBar1->showMessage(file);
    if (tooLarge)
        info(QStringLiteral("Plik %1 zawiera więcej niż %2 rekordów i nie może zostać wczytany.")
                 .arg(file, QString::number(RecordStoreCapacity)),
             QStringLiteral("Błąd"), PromptIcon::Error);
    if (ctx_.records.RecordCount > 0)
        ShowArchiveSummary();
    else
        clearArchiveSummary();
}

void ArchiveWindow::exportRange(int &start, int &stop, int &tstart, int &tstop) const
{
    start = dateKey(MonthCalendar1->selectedDate());
    stop = dateKey(MonthCalendar2->selectedDate());
    if (start == stop) {
        tstart = timeKey(DateTimePicker1->time());
        tstop = timeKey(DateTimePicker2->time());
    } else {
        tstart = 0;
        tstop = 235959;
    }
}

void ArchiveWindow::SpeedButton4Click()
{
    if (ctx_.records.RecordCount < 1) {
        info(EmptyOrNotLoaded, QStringLiteral("Błąd"), PromptIcon::Information);
        return;
    }
    const QString file = ctx_.prompt.saveFileName(this, datFilter(), ctx_.ArchivesDirectory);
    if (file.isEmpty())
        return;
    int start, stop, tstart, tstop;
    exportRange(start, stop, tstart, tstop);
    QString error;
    if (!ExportDat(file, ctx_.records, ctx_.records.RecordCount, start, stop, tstart, tstop, ctx_.clock.now(), &error))
        info(QStringLiteral("Nie udało się zapisać pliku %1 (%2).").arg(datFileName(file), error),
             QStringLiteral("Błąd"), PromptIcon::Error);
}

void ArchiveWindow::SpeedButton5Click()
{
    int start, stop, tstart, tstop;
    exportRange(start, stop, tstart, tstop);
    if (ctx_.records.RecordCount <= 0) {
        info(EmptyOrNotLoaded, QStringLiteral("Błąd"), PromptIcon::Information);
        return;
    }
    if (!ctx_.databaseEnabled()) {
        info(DatabaseOff, QStringLiteral("Błąd"), PromptIcon::Information);
        return;
    }
    const ArchiveRange range{start, stop, tstart, tstop};
    const StoreOutcome out =
        ExportArchiveRangeToDatabase(ctx_.database, ctx_.sql, ctx_.records, ctx_.records.RecordCount, range,
                                     static_cast<std::uint8_t>(ctx_.meterAddress), databaseProgress());
    ctx_.database.Disconnect();
    if (out.total == 0)
        info(QStringLiteral("W wybranym zakresie dat nie ma danych. Nic nie zostało zapisane w bazie danych."),
             QStringLiteral("Informacje"), PromptIcon::Information);
    else if (out.ok())
        info(QStringLiteral("Dane umieszczone w bazie danych"), QStringLiteral("Informacje"), PromptIcon::Information);
    else
        info(DatabaseFailed + QLatin1Char('\n') + storeReport(out), QStringLiteral("Informacje"), PromptIcon::Error);
}

StoreProgress ArchiveWindow::databaseProgress()
{
    ProgressBar3->setValue(0);
    return [this](int done, int total) {
        ProgressBar3->setMaximum(std::max(1, total));
        ProgressBar3->setValue(done);
        ProgressBar3->repaint();
    };
}

} // namespace k71t
