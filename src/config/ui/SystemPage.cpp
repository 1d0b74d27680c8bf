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

    QGroupBox *devices = buildMemoGroup(QStringLiteral("Status komunikacji z urządzeniami"), devicesMemo, "devicesMemo",
                                        10, deviceLines(0) + deviceLines(0x3FF));
    QGroupBox *status = buildMemoGroup(QStringLiteral("Status K71T"), statusMemo, "statusMemo", 13,
                                       statusWordLines(0) + statusWordLines(0xFFFF));
    QGroupBox *alarms =
        buildMemoGroup(QStringLiteral("Status alarmów"), alarmsMemo, "alarmsMemo", 8, alarmLines(0) + alarmLines(0xFF));
    QGroupBox *card = buildCardGroup();
    QGroupBox *clock = buildClockGroup();
    QVBoxLayout *commands = buildCommands();

    // Left the meter's own state, in the middle its devices and alarms,
    // right the clock and the commands.
    auto *grid = new QGridLayout;
    grid->addWidget(status, 0, 0);
    grid->addWidget(card, 1, 0);
    grid->addWidget(devices, 0, 1);
    grid->addWidget(alarms, 1, 1);
    grid->addWidget(clock, 0, 2);
    grid->addLayout(commands, 1, 2);

    syncTimer = new QTimer(this);
    syncTimer->setObjectName(QStringLiteral("syncTimer"));
    syncTimer->setInterval(100);
    connect(syncTimer, &QTimer::timeout, this, &SystemPage::onSyncTimer);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(statusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(readClockButton, &QPushButton::clicked, this, &SystemPage::onReadClockClicked);
    connect(writeClockButton, &QPushButton::clicked, this, &SystemPage::onWriteClockClicked);
    connect(clearStatusButton, &QPushButton::clicked, this, &SystemPage::onClearStatusClicked);
    connect(clearArchiveButton, &QPushButton::clicked, this, &SystemPage::onClearArchiveClicked);
    connect(clearMinMaxButton, &QPushButton::clicked, this, &SystemPage::onClearMinMaxClicked);
    connect(readStatusButton, &QPushButton::clicked, this, &SystemPage::onReadStatusClicked);
    connect(synchroniseClockButton, &QPushButton::clicked, this, &SystemPage::onSynchroniseClockClicked);
    connect(factorySettingsButton, &QPushButton::clicked, this, &SystemPage::onFactorySettingsClicked);
    connect(accessCodeButton, &QPushButton::clicked, this, &SystemPage::onAccessCodeClicked);
    connect(cardModeButton, &QPushButton::clicked, this, &SystemPage::onCardModeClicked);
    initialise();
}

QGroupBox *SystemPage::buildMemoGroup(const QString &title, QPlainTextEdit *&memoField, const char *name, int lines,
                                      const QStringList &samples)
{
    auto *group = new QGroupBox(title, this);
    memoField = memo(group, name, lines, samples);
    (new QVBoxLayout(group))->addWidget(memoField);
    return group;
}

QGroupBox *SystemPage::buildCardGroup()
{
    auto *card = new QGroupBox(QStringLiteral("Status karty pamięci"), this);
    cardMemo = memo(card, "cardMemo", 3, {});
    cardMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    cardModeList = named(new QComboBox(card), "cardModeList");
    cardModeButton = button(card, "cardModeButton", QStringLiteral("Zmień"));
    auto *cardMode = new QHBoxLayout;
    cardMode->addWidget(new QLabel(QStringLiteral("Tryb obsługi karty pamięci"), card));
    cardMode->addWidget(cardModeList, 1);
    cardMode->addWidget(cardModeButton);
    auto *cardLayout = new QVBoxLayout(card);
    cardLayout->addWidget(cardMemo);
    cardLayout->addLayout(cardMode);
    return card;
}

QGroupBox *SystemPage::buildClockGroup()
{
    auto *clock = new QGroupBox(QStringLiteral("Czas / Data"), this);
    calendar = named(new QCalendarWidget(clock), "calendar");
    calendar->setGridVisible(true);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // Month and day names in Polish, whatever the process's number formats.
    calendar->setLocale(QLocale(QLocale::Polish, QLocale::Poland));
    timeEdit = named(new QTimeEdit(clock), "timeEdit");
    timeEdit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    automaticTimeChangeCheck =
        named(new QCheckBox(QStringLiteral("Automatyczna zmiana czasu"), clock), "automaticTimeChangeCheck");
    readClockButton = button(clock, "readClockButton", QStringLiteral("Odczytaj czas / date"));
    writeClockButton = button(clock, "writeClockButton", QStringLiteral("Zapisz czas / date"));
    synchroniseClockButton = button(clock, "synchroniseClockButton", QStringLiteral("Synchronizuj czas / date"));
    auto *clockLayout = new QVBoxLayout(clock);
    clockLayout->addWidget(calendar);
    auto *time = new QHBoxLayout;
    time->addWidget(timeEdit);
    time->addWidget(automaticTimeChangeCheck);
    clockLayout->addLayout(time);
    for (QPushButton *b : {readClockButton, writeClockButton, synchroniseClockButton})
        clockLayout->addWidget(b);
    return clock;
}

QVBoxLayout *SystemPage::buildCommands()
{
    readStatusButton = button(this, "readStatusButton", QStringLiteral("Odczytaj status"));
    clearStatusButton = button(this, "clearStatusButton", QStringLiteral("Kasuj flagi statusu"));
    clearArchiveButton = button(this, "clearArchiveButton", QStringLiteral("Kasuj archiwum"));
    clearMinMaxButton = button(this, "clearMinMaxButton", QStringLiteral("Kasuj min/max"));
    factorySettingsButton = button(this, "factorySettingsButton", QStringLiteral("Przywróć parametry domyślne"));
    accessCodeEdit = named(new QLineEdit(QStringLiteral("0"), this), "accessCodeEdit");
    accessCodeEdit->setMaximumWidth(90);
    accessCodeButton = button(this, "accessCodeButton", QStringLiteral("Zmień"));
    auto *commands = new QVBoxLayout;
    for (QPushButton *b :
         {readStatusButton, clearStatusButton, clearArchiveButton, clearMinMaxButton, factorySettingsButton})
        commands->addWidget(b);
    commands->addSpacing(12);
    auto *code = new QHBoxLayout;
    code->addWidget(new QLabel(QStringLiteral("Kod dostępu"), this));
    code->addWidget(accessCodeEdit);
    code->addWidget(accessCodeButton);
    commands->addLayout(code);
    commands->addStretch(1);
    return commands;
}

void SystemPage::initialise()
{
    const QDateTime now = ctx_.clock.now();
    calendar->setSelectedDate(now.date());
    timeEdit->setTime(now.time());
    cardModeList->addItems(memoryCardModeItems());
}

void SystemPage::fillFromImage()
{
    const RegisterImage &im = ctx_.image;
    statusMemo->setPlainText(statusWordLines(im.reg16(4051)).join(QLatin1Char('\n')));
    devicesMemo->setPlainText(deviceLines(im.reg16(4050)).join(QLatin1Char('\n')));
    alarmsMemo->setPlainText(alarmLines(im.reg16(4052)).join(QLatin1Char('\n')));
    cardMemo->setPlainText(cardLine(im.reg16(4054)));
    accessCodeEdit->setText(QString::number(im.reg16(4039)));
    showClock();
    cardModeList->setCurrentIndex(im.reg16(4005) == 0 ? 0 : 1);
}

void SystemPage::showClock()
{
    if (const auto date = clockDate(ctx_.image))
        calendar->setSelectedDate(*date);
    if (const auto time = clockTime(ctx_.image))
        timeEdit->setTime(*time);
    automaticTimeChangeCheck->setChecked(ctx_.image.reg16(4043) != 0);
}

void SystemPage::onClosing()
{
    // A synchronisation still waiting for its minute is cancelled.
    syncTimer->stop();
}

void SystemPage::onReadStatusClicked()
{
    setStatus(QStringLiteral("Odczyt statusu..."));
    if (onLink([this] { return statusRead(ctx_.link); })) {
        setStatus(QStringLiteral("Odczyt statusu...OK"));
        fillFromImage();
    } else {
        setStatus(QStringLiteral("Odczyt statusu...Błąd"));
        errorBox(QStringLiteral("Odczyt danych zakończony błędem"));
    }
}

void SystemPage::onClearStatusClicked()
{
    setStatus(QStringLiteral("Kasowanie flag statusu."));
    ctx_.image.reg16(4051) = 0;
    ctx_.image.reg16(4052) = 0;
    if (!onLink([this] { return commandWrite(ctx_.link, 4051, 2); })) {
        setStatus(QStringLiteral("Kasowanie flag statusu...Błąd"));
        errorBox(QStringLiteral("Kasowanie flag statusu zakończone błędem."));
        return;
    }
    if (onLink([this] { return statusRead(ctx_.link); })) {
        fillFromImage();
        setStatus(QStringLiteral("Skasowano flagi statusu. Odczytano status."));
    } else {
        setStatus(QStringLiteral("Skasowano flagi statusu. Brak odczytu aktualnego statusu."));
    }
}

void SystemPage::onClearArchiveClicked()
{
    if (!ctx_.prompt.ask(this, QStringLiteral("Dane archiwlane zostaną usunięte. Kontynuować"), QStringLiteral("Uwaga")))
        return;
    if (onLink([this] { return ArchiveDownload(ctx_.link, ctx_.image, ctx_.records).deleteArchive(); })) {
        infoBox(QStringLiteral("Archiwum skasowane"), QStringLiteral("Archiwum"));
        setStatus(QStringLiteral("Archiwum skasowane."));
    } else {
        // The operator must know that the meter still holds its archive.
        setStatus(QStringLiteral("Kasowanie archiwum nie powiodło się."));
        errorBox(QStringLiteral("Kasowanie archiwum nie powiodło się."));
    }
}

void SystemPage::onClearMinMaxClicked()
{
    setStatus(QStringLiteral("Kasowanie wartości minimum i maksimum."));
    setStatus(onLink([this] { return sendCommand(ctx_.link, ctx_.image, 4055); }) ? QStringLiteral("Skasowano wartości minimum i maksimum.")
                                                       : QStringLiteral("Błąd podczas kasowania minimum i maksimum"));
}

void SystemPage::onFactorySettingsClicked()
{
    if (!ctx_.prompt.ask(this,
                         QStringLiteral("Zostaną przywrócone nastawy fabryczne. Dane archiwlane zostaną usunięte. "
                                        "Kontynuować"),
                         QStringLiteral("Uwaga"))) {
        setStatus(QStringLiteral("Przywracanie nastaw fabrycznych...zrezygnowano."));
        return;
    }
    setStatus(QStringLiteral("Przywracanie nastaw fabrycznych..."));
    setStatus(onLink([this] { return sendCommand(ctx_.link, ctx_.image, 4038); }) ? QStringLiteral("Przywracanie nastaw fabrycznych...OK")
                                                       : QStringLiteral("Błąd podczas przywracania nastaw fabrycznych"));
}

void SystemPage::onAccessCodeClicked()
{
    const auto code = checkNumber(accessCodeEdit->text(), 0, 60000);
    if (!code) {
        setStatus(QStringLiteral("Zapis kodu niemożliwy."));
        errorBox(QStringLiteral("Błędnie podana wartość kodu dostępu."));
        return;
    }
    ctx_.image.reg16(4039) = static_cast<std::uint16_t>(std::trunc(*code));
    if (onLink([this] { return commandWrite(ctx_.link, 4039); })) {
        setStatus(QStringLiteral("Kod dostępu zapisano poprawnie."));
    } else {
        setStatus(QStringLiteral("Zapis kodu dostępu...Błąd"));
        errorBox(QStringLiteral("Zapis kodu dostepu zakończony błędem."));
    }
}

void SystemPage::onCardModeClicked()
{
    setStatus(QStringLiteral("Zmiana trybu obsługi karty...."));
    ctx_.image.reg16(4005) = cardModeList->currentIndex() == 0 ? 0 : 1;
    setStatus(onLink([this] { return commandWrite(ctx_.link, 4005); }) ? QStringLiteral("Zmieniono sposób obsługi karty pamięci.")
                                            : QStringLiteral("Zmiana trybu obsługi karty...Błąd"));
}

void SystemPage::onReadClockClicked()
{
    setStatus(QStringLiteral("Odczyt czasu i daty..."));
    if (onLink([this] { return statusRead(ctx_.link); })) {
        showClock();
        setStatus(QStringLiteral("Odczyt czasu i daty...OK"));
    } else {
        setStatus(QStringLiteral("Odczyt czasu i daty zakończony błędem"));
    }
}

void SystemPage::onWriteClockClicked()
{
    writeClock(calendar->selectedDate(), timeEdit->time());
}

void SystemPage::writeClock(const QDate &date, const QTime &time)
{
    setClockRegisters(ctx_.image, date, time, automaticTimeChangeCheck->isChecked());
    setStatus(QStringLiteral("Zapisz czasu..."));
    if (onLink([this] { return commandWrite(ctx_.link, 4040, 4); })) {
        setStatus(QStringLiteral("Zapis czasu...OK"));
    } else {
        setStatus(QStringLiteral("Zapis czasu...Błąd"));
        errorBox(QStringLiteral("Zapisz czasu zakończony błędem."));
    }
}

void SystemPage::onSynchroniseClockClicked()
{
    syncTimer->start();
}

void SystemPage::onSyncTimer()
{
    // One reading of the clock gives both the date and the time, so a write
    // at midnight cannot pair today's date with tomorrow's time.
    const QDateTime now = ctx_.clock.now();
    const int s = now.time().second();
    if (s != 0) {
        setStatus(QStringLiteral(" Do synchronizacji pozostało: %1 sekund").arg(59 - s));
        return;
    }
    syncTimer->stop();
    calendar->setSelectedDate(now.date());
    timeEdit->setTime(now.time());
    writeClock(now.date(), now.time());
}

} // namespace k71t
