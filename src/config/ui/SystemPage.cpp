#include "config/ui/SystemPage.h"

#include "archive/Download.h"
#include "widgets/Widgets.h"
#include "config/PageIO.h"
#include "config/RegisterMap.h"
#include "config/SystemStatus.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace k71t {

namespace {

// A read-only memo wide enough for the longest of `samples` and high enough for `lines`.
QPlainTextEdit *memo(QWidget *parent, const char *name, int lines, const QStringList &samples)
{
    auto *m = named(new QPlainTextEdit(parent), name);
    m->setReadOnly(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics fm(m->font());
    int width = 0;
    for (const QString &line : samples)
        width = std::max(width, fm.horizontalAdvance(line));
    const int margins = 2 * m->frameWidth() + 2 * static_cast<int>(m->document()->documentMargin()) + 8;
    m->setMinimumHeight(fm.lineSpacing() * lines + margins);
    m->setMinimumWidth(width + margins);
    return m;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = named(new QPushButton(caption, parent), name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

SystemPage::SystemPage(AppContext &context, QWidget *parent) : ConfigPage(context, Owner::System, parent)
{
    setObjectName(QStringLiteral("SystemPage"));
    setWindowTitle(QStringLiteral("Parametry systemowe"));

    auto *devices = new QGroupBox(QStringLiteral("Status komunikacji z urządzeniami"), this);
    Memo1 = memo(devices, "Memo1", 10, deviceLines(0) + deviceLines(0x3FF));
    (new QVBoxLayout(devices))->addWidget(Memo1);

    auto *status = new QGroupBox(QStringLiteral("Status K71T"), this);
    Memo2 = memo(status, "Memo2", 13, statusWordLines(0) + statusWordLines(0xFFFF));
    (new QVBoxLayout(status))->addWidget(Memo2);

    auto *alarms = new QGroupBox(QStringLiteral("Status alarmów"), this);
    Memo3 = memo(alarms, "Memo3", 8, alarmLines(0) + alarmLines(0xFF));
    (new QVBoxLayout(alarms))->addWidget(Memo3);

    auto *card = new QGroupBox(QStringLiteral("Status karty pamięci"), this);
    Memo4 = memo(card, "Memo4", 3, {});
    Memo4->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ComboBox1 = named(new QComboBox(card), "ComboBox1");
    SpeedButton10 = button(card, "SpeedButton10", QStringLiteral("Zmień"));
    auto *cardMode = new QHBoxLayout;
    cardMode->addWidget(new QLabel(QStringLiteral("Tryb obsługi karty pamięci"), card));
    cardMode->addWidget(ComboBox1, 1);
    cardMode->addWidget(SpeedButton10);
    auto *cardLayout = new QVBoxLayout(card);
    cardLayout->addWidget(Memo4);
    cardLayout->addLayout(cardMode);

    auto *clock = new QGroupBox(QStringLiteral("Czas / Data"), this);
    MonthCalendar1 = named(new QCalendarWidget(clock), "MonthCalendar1");
    MonthCalendar1->setGridVisible(true);
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // Month and day names in Polish, whatever the process's number formats.
    MonthCalendar1->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    DateTimePicker1 = named(new QTimeEdit(clock), "DateTimePicker1");
    DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    CheckBox1 = named(new QCheckBox(QStringLiteral("Automatyczna zmiana czasu"), clock), "CheckBox1");
    SpeedButton1 = button(clock, "SpeedButton1", QStringLiteral("Odczytaj czas / date"));
    SpeedButton2 = button(clock, "SpeedButton2", QStringLiteral("Zapisz czas / date"));
    SpeedButton7 = button(clock, "SpeedButton7", QStringLiteral("Synchronizuj czas / date"));
    auto *clockLayout = new QVBoxLayout(clock);
    clockLayout->addWidget(MonthCalendar1);
    auto *time = new QHBoxLayout;
    time->addWidget(DateTimePicker1);
    time->addWidget(CheckBox1);
    clockLayout->addLayout(time);
    for (QPushButton *b : {SpeedButton1, SpeedButton2, SpeedButton7})
        clockLayout->addWidget(b);

    SpeedButton6 = button(this, "SpeedButton6", QStringLiteral("Odczytaj status"));
    SpeedButton3 = button(this, "SpeedButton3", QStringLiteral("Kasuj flagi statusu"));
    SpeedButton4 = button(this, "SpeedButton4", QStringLiteral("Kasuj archiwum"));
    SpeedButton5 = button(this, "SpeedButton5", QStringLiteral("Kasuj min/max"));
    SpeedButton8 = button(this, "SpeedButton8", QStringLiteral("Przywróć parametry domyślne"));
    Edit1 = named(new QLineEdit(QStringLiteral("0"), this), "Edit1");
    Edit1->setMaximumWidth(90);
    SpeedButton9 = button(this, "SpeedButton9", QStringLiteral("Zmień"));
    auto *commands = new QVBoxLayout;
    for (QPushButton *b : {SpeedButton6, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton8})
        commands->addWidget(b);
    commands->addSpacing(12);
    auto *code = new QHBoxLayout;
    code->addWidget(new QLabel(QStringLiteral("Kod dostępu"), this));
    code->addWidget(Edit1);
    code->addWidget(SpeedButton9);
    commands->addLayout(code);
    commands->addStretch(1);

    // Left the meter's own state, in the middle its devices and alarms,
    // right the clock and the commands.
    auto *grid = new QGridLayout;
    grid->addWidget(status, 0, 0);
    grid->addWidget(card, 1, 0);
    grid->addWidget(devices, 0, 1);
    grid->addWidget(alarms, 1, 1);
    grid->addWidget(clock, 0, 2);
    grid->addLayout(commands, 1, 2);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &SystemPage::Timer1Timer);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(StatusBar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(SpeedButton1, &QPushButton::clicked, this, &SystemPage::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &SystemPage::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &SystemPage::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &SystemPage::SpeedButton4Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &SystemPage::SpeedButton5Click);
    connect(SpeedButton6, &QPushButton::clicked, this, &SystemPage::SpeedButton6Click);
    connect(SpeedButton7, &QPushButton::clicked, this, &SystemPage::SpeedButton7Click);
    connect(SpeedButton8, &QPushButton::clicked, this, &SystemPage::SpeedButton8Click);
    connect(SpeedButton9, &QPushButton::clicked, this, &SystemPage::SpeedButton9Click);
    connect(SpeedButton10, &QPushButton::clicked, this, &SystemPage::SpeedButton10Click);
    FormCreate();
}

void SystemPage::FormCreate()
{
    const QDateTime now = ctx_.clock.now();
    MonthCalendar1->setSelectedDate(now.date());
    DateTimePicker1->setTime(now.time());
    ComboBox1->addItems(memoryCardModeItems());
}

void SystemPage::Show()
{
    const RegisterImage &im = ctx_.image;
    Memo2->setPlainText(statusWordLines(im.reg16(4051)).join(QLatin1Char('\n')));
    Memo1->setPlainText(deviceLines(im.reg16(4050)).join(QLatin1Char('\n')));
    Memo3->setPlainText(alarmLines(im.reg16(4052)).join(QLatin1Char('\n')));
    Memo4->setPlainText(cardLine(im.reg16(4054)));
    Edit1->setText(QString::number(im.reg16(4039)));
    showClock();
    ComboBox1->setCurrentIndex(im.reg16(4005) == 0 ? 0 : 1);
}

void SystemPage::showClock()
{
    if (const auto date = clockDate(ctx_.image))
        MonthCalendar1->setSelectedDate(*date);
    if (const auto time = clockTime(ctx_.image))
        DateTimePicker1->setTime(*time);
    CheckBox1->setChecked(ctx_.image.reg16(4043) != 0);
}

void SystemPage::FormClose()
{
    // A synchronisation still waiting for its minute is cancelled.
    Timer1->stop();
}

void SystemPage::SpeedButton6Click()
{
    setStatus(QStringLiteral("Odczyt statusu..."));
    if (statusRead(ctx_.link)) {
        setStatus(QStringLiteral("Odczyt statusu...OK"));
        Show();
    } else {
        setStatus(QStringLiteral("Odczyt statusu...Błąd"));
        errorBox(QStringLiteral("Odczyt danych zakończony błędem"));
    }
}

void SystemPage::SpeedButton3Click()
{
    setStatus(QStringLiteral("Kasowanie flag statusu."));
    ctx_.image.reg16(4051) = 0;
    ctx_.image.reg16(4052) = 0;
    if (!commandWrite(ctx_.link, 4051, 2)) {
        setStatus(QStringLiteral("Kasowanie flag statusu...Błąd"));
        errorBox(QStringLiteral("Kasowanie flag statusu zakończone błędem."));
        return;
    }
    if (statusRead(ctx_.link)) {
        Show();
        setStatus(QStringLiteral("Skasowano flagi statusu. Odczytano status."));
    } else {
        setStatus(QStringLiteral("Skasowano flagi statusu. Brak odczytu aktualnego statusu."));
    }
}

void SystemPage::SpeedButton4Click()
{
    if (!ctx_.prompt.ask(this, QStringLiteral("Dane archiwlane zostaną usunięte. Kontynuować"), QStringLiteral("Uwaga")))
        return;
    ArchiveDownload archive(ctx_.link, ctx_.image, ctx_.records);
    if (archive.DeleteArchive()) {
        infoBox(QStringLiteral("Archiwum skasowane"), QStringLiteral("Archiwum"));
        setStatus(QStringLiteral("Archiwum skasowane."));
    } else {
        // The operator must know that the meter still holds its archive.
        setStatus(QStringLiteral("Kasowanie archiwum nie powiodło się."));
        errorBox(QStringLiteral("Kasowanie archiwum nie powiodło się."));
    }
}

void SystemPage::SpeedButton5Click()
{
    setStatus(QStringLiteral("Kasowanie wartości minimum i maksimum."));
    setStatus(sendCommand(ctx_.link, ctx_.image, 4055) ? QStringLiteral("Skasowano wartości minimum i maksimum.")
                                                       : QStringLiteral("Błąd podczas kasowania minimum i maksimum"));
}

void SystemPage::SpeedButton8Click()
{
    if (!ctx_.prompt.ask(this,
                         QStringLiteral("Zostaną przywrócone nastawy fabryczne. Dane archiwlane zostaną usunięte. "
                                        "Kontynuować"),
                         QStringLiteral("Uwaga"))) {
        setStatus(QStringLiteral("Przywracanie nastaw fabrycznych...zrezygnowano."));
        return;
    }
    setStatus(QStringLiteral("Przywracanie nastaw fabrycznych..."));
    setStatus(sendCommand(ctx_.link, ctx_.image, 4038) ? QStringLiteral("Przywracanie nastaw fabrycznych...OK")
                                                       : QStringLiteral("Błąd podczas przywracania nastaw fabrycznych"));
}

void SystemPage::SpeedButton9Click()
{
    const auto code = checkNumber(Edit1->text(), 0, 60000);
    if (!code) {
        setStatus(QStringLiteral("Zapis kodu niemożliwy."));
        errorBox(QStringLiteral("Błędnie podana wartość kodu dostępu."));
        return;
    }
    ctx_.image.reg16(4039) = static_cast<std::uint16_t>(std::trunc(*code));
    if (commandWrite(ctx_.link, 4039)) {
        setStatus(QStringLiteral("Kod dostępu zapisano poprawnie."));
    } else {
        setStatus(QStringLiteral("Zapis kodu dostępu...Błąd"));
        errorBox(QStringLiteral("Zapis kodu dostepu zakończony błędem."));
    }
}

void SystemPage::SpeedButton10Click()
{
    setStatus(QStringLiteral("Zmiana trybu obsługi karty...."));
    ctx_.image.reg16(4005) = ComboBox1->currentIndex() == 0 ? 0 : 1;
    setStatus(commandWrite(ctx_.link, 4005) ? QStringLiteral("Zmieniono sposób obsługi karty pamięci.")
                                            : QStringLiteral("Zmiana trybu obsługi karty...Błąd"));
}

void SystemPage::SpeedButton1Click()
{
    setStatus(QStringLiteral("Odczyt czasu i daty..."));
    if (statusRead(ctx_.link)) {
        showClock();
        setStatus(QStringLiteral("Odczyt czasu i daty...OK"));
    } else {
        setStatus(QStringLiteral("Odczyt czasu i daty zakończony błędem"));
    }
}

void SystemPage::SpeedButton2Click()
{
    writeClock(MonthCalendar1->selectedDate(), DateTimePicker1->time());
}

void SystemPage::writeClock(const QDate &date, const QTime &time)
{
    setClockRegisters(ctx_.image, date, time, CheckBox1->isChecked());
    setStatus(QStringLiteral("Zapisz czasu..."));
    if (commandWrite(ctx_.link, 4040, 4)) {
        setStatus(QStringLiteral("Zapis czasu...OK"));
    } else {
        setStatus(QStringLiteral("Zapis czasu...Błąd"));
        errorBox(QStringLiteral("Zapisz czasu zakończony błędem."));
    }
}

void SystemPage::SpeedButton7Click()
{
    Timer1->start();
}

void SystemPage::Timer1Timer()
{
    // One reading of the clock gives both the date and the time, so a write
    // at midnight cannot pair today's date with tomorrow's time.
    const QDateTime now = ctx_.clock.now();
    const int s = now.time().second();
    if (s != 0) {
        setStatus(QStringLiteral(" Do synchronizacji pozostało: %1 sekund").arg(59 - s));
        return;
    }
    Timer1->stop();
    MonthCalendar1->setSelectedDate(now.date());
    DateTimePicker1->setTime(now.time());
    writeClock(now.date(), now.time());
}

} // namespace k71t
