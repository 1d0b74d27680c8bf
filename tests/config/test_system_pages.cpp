// The system parameters page and the interface parameters page against the
// simulated meter over the pseudo-terminal: the status lines, every command
// on the wire, the clock synchronisation with the fake clock, and the change
// of the meter's interface with the PC following it.
#include "shell/UartCfg.h"
#include "config/ui/SystemPage.h"
#include "config/SystemStatus.h"
#include "config/ui/InterfacePage.h"
#include "support/AppHarness.h"
#include "support/SimFixture.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimeEdit>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k71t;
using k71t::sim::Bytes;
using k71t::sim::Fault;

namespace {

using Request = std::tuple<int, int, int>; // function, start, count

// The thirteen status lines, bit by bit: (bit, set, clear).
const std::tuple<int, const char *, const char *> StatusTable[] = {
    {15, "* Przerwa w zasilaniu.", "* Brak przerw w zasilaniu"},
    {14, "* RTC - przestawiony zegar.", "* RTC - O.K."},
    {13, "* Nastąpiła zmiana czasu.", "* Brak zmian czasu."},
    {12, "* FRAM-pamięć danych-błędy w komunikacji.", "* FRAM-pamięć danych-O.K."},
    {11, "* FRAM-pamięć danych-błąd nastaw.", "* FRAM-pamięć danych-nastawy O.K."},
    {10, "* Przywrócono nastawy fabryczne", "* Nastawy O.K."},
    {9, "* Brak wartości min i max.", "* Wartości min. i max. - O.K."},
    {8, "* Utracono archiwum - brak parametrów początku i końca", "* Parametry archiwum O.K."},
    {7, "* Wykryto płytkę wyjść dodatkowych.", "* Brak płytki wyjść dodatkowych."},
    {6, "* Płytka wyjść dodatkowych nieskalibrowana.", "* Płytka wyjść dodatkowych skalibrowana."},
    {5, "* Brak komunikacji z pamięcią archiwum.", "* Komunikacja z pamięcią archiwum O.K."},
    {2, "* Błędna konfiguracja ch-ki indywidualnej", "* Brak błędów w charkterystyce indywidualnej."},
    {0, "* Wartość wyświetlana-nie upłynął okres uśredniania",
     "* Wartość wyświetlana-upłynął okres uśredniania O.K."},
};

QStringList expectedStatus(std::uint16_t word)
{
    QStringList out;
    for (const auto &[bit, set, clear] : StatusTable)
        out << QString::fromUtf8((word >> bit) & 1 ? set : clear);
    return out;
}

struct SystemPages : ::testing::Test {
    test::SimHarness sim;
    test::AppHarness app;
    SystemPage *system = nullptr;
    InterfacePage *uart = nullptr;

    void SetUp() override
    {
        app.startWithMeter(sim.path);
        system = app.windows->systemPage;
        uart = app.windows->interfacePage;
    }
    std::vector<Request> requests() const { return sim.requests(); }
    QStringList messages() const
    {
        QStringList out;
        for (const auto &m : app.prompt.messages)
            out << m.text;
        return out;
    }
    static QString status(const ConfigPage *page) { return page->statusBar->currentMessage(); }
    static QStringList lines(const QPlainTextEdit *memo)
    {
        return memo->toPlainText().isEmpty() ? QStringList{} : memo->toPlainText().split(QLatin1Char('\n'));
    }
    // Status read to the memos, as the operator presses "Odczytaj status".
    void readStatus()
    {
        system->readStatusButton->click();
        ASSERT_EQ(status(system), QStringLiteral("Odczyt statusu...OK"));
    }
};

} // namespace

TEST(SystemStatusLines, StatusWordDevicesAlarmsAndCard)
{
    // Each shown bit alone, every bit, none, and the three bits not shown.
    for (const auto &[bit, set, clear] : StatusTable)
        EXPECT_EQ(statusWordLines(static_cast<std::uint16_t>(1u << bit)), expectedStatus(1u << bit)) << bit;
    EXPECT_EQ(statusWordLines(0x8000).first(), QStringLiteral("* Przerwa w zasilaniu."));
    EXPECT_EQ(statusWordLines(0x001A), expectedStatus(0)); // bits 1, 3, 4
    EXPECT_EQ(statusWordLines(0xFFFF), expectedStatus(0xFFFF));
    EXPECT_EQ(statusWordLines(0xFFFF).size(), 13);

    const QStringList devices = deviceLines(0x0201);
    ASSERT_EQ(devices.size(), 10);
    EXPECT_EQ(devices.at(0), QStringLiteral("* Dev 0-urządzenie nr 1 brak komunikacji."));
    EXPECT_EQ(devices.at(1), QStringLiteral("* Dev 1-urządzenie nr 2 komunikacja O.K."));
    EXPECT_EQ(devices.at(9), QStringLiteral("* Dev 9-urządzenie nr 10 brak komunikacji."));

    // AL1 on, AL3 signalling on, AL4 both.
    EXPECT_EQ(alarmLines(0x01 | 0x40 | 0x08 | 0x80),
              (QStringList{"*AL1-stan-załączony.", "*AL1-sygnalizacja-wyłączona.", "*AL2-stan-wyłączony.",
                           "*AL2-sygnalizacja-wyłączona.", "*AL3-stan-wyłączony.", "*AL3-sygnalizacja-włączona.",
                           "*AL4-stan-załączony.", "*AL4-sygnalizacja-włączona."}));

    const std::pair<int, const char *> cards[] = {
        {0, "Status: 0: Nie wykryto karty pamięci lub karta została usunięta."},
        {1, "Status: 1: Karta umieszczona w gnieździe, ale przeznaczona do wysunięcia - karta odmontowana. Można "
            "bezpiecznie usunąć kartę."},
        {2, "Status: 2: Karta umieszczona w gnieździe. Próba zainicjowana zakończona błędem."},
        {3, "Status: 3: Karta umieszczona w gnieździe. Próba zainicjowana zakończona sukcesem. Włączona ochrona "
            "przed zapisem. Karta przygotowana do usunięcia - odmontowana."},
        {4, "Status: 4: Karta umieszczona w gnieździe i zainicjowana poprawnie. Gotowa do zapisu danych."},
        {5, "Status: 5: Karta umieszczona w gnieździe i zainicjowana poprawnie. Brak wolnego miejsca na karcie"},
        {6, ""},
        {7, ""},
        {65535, ""},
    };
    for (const auto &[card, text] : cards)
        EXPECT_EQ(cardLine(static_cast<std::uint16_t>(card)), QString::fromUtf8(text)) << card;
}

TEST_F(SystemPages, TheStatusReadShowsWhatTheMeterHolds)
{
    QStringList texts{system->windowTitle()};
    for (const QLabel *l : system->findChildren<QLabel *>())
        texts << l->text();
    for (const QGroupBox *g : system->findChildren<QGroupBox *>())
        texts << g->title();
    for (const QAbstractButton *b : system->findChildren<QAbstractButton *>())
        texts << b->text();
    for (const char *t : {"Parametry systemowe", "Status komunikacji z urządzeniami", "Status K71T", "Status alarmów",
                          "Status karty pamięci", "Tryb obsługi karty pamięci", "Czas / Data",
                          "Automatyczna zmiana czasu", "Odczytaj czas / date", "Zapisz czas / date",
                          "Synchronizuj czas / date", "Odczytaj status", "Kasuj flagi statusu", "Kasuj archiwum",
                          "Kasuj min/max", "Przywróć parametry domyślne", "Kod dostępu", "Zmień"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
    EXPECT_EQ(system->accessCodeEdit->text(), QStringLiteral("0"));
    EXPECT_EQ(system->cardModeList->itemText(0), QStringLiteral("Szybki"));
    EXPECT_EQ(system->cardModeList->itemText(1), QStringLiteral("Bezpieczny - wolny"));
    EXPECT_EQ(system->calendar->selectedDate(), app.clock.at.date()); // today, by the program's clock

    // Not shown before the first read.
    EXPECT_TRUE(system->statusMemo->toPlainText().isEmpty());
    sim.meter.setReg16(4051, 0x8000 | 0x0400 | 0x0004);
    sim.meter.setReg16(4050, 0x0005);
    sim.meter.setReg16(4052, 0x12);
    sim.meter.setReg16(4054, 4);
    sim.meter.setReg16(4039, 4321);
    sim.meter.setReg16(4005, 7);
    sim.meter.setReg16(4043, 0);
    sim.meter.setClock(QDateTime(QDate(2027, 3, 14), QTime(9, 26)));
    readStatus();
    EXPECT_EQ(requests(), (std::vector<Request>{{3, 4039, 16}, {3, 4005, 1}}));
    EXPECT_EQ(lines(system->statusMemo), expectedStatus(0x8404));
    EXPECT_EQ(lines(system->devicesMemo), deviceLines(0x0005));
    EXPECT_EQ(lines(system->alarmsMemo), alarmLines(0x12));
    EXPECT_EQ(lines(system->cardMemo), QStringList{cardLine(4)});
    EXPECT_EQ(system->accessCodeEdit->text(), QStringLiteral("4321"));
    EXPECT_EQ(system->calendar->selectedDate(), QDate(2027, 3, 14));
    EXPECT_EQ(system->timeEdit->time(), QTime(9, 26));
    EXPECT_FALSE(system->automaticTimeChangeCheck->isChecked());
    EXPECT_EQ(system->cardModeList->currentText(), QStringLiteral("Bezpieczny - wolny")); // any code but 0

    // Card status 7 shows no line; registers that form no date or time leave
    // the calendar and the time picker as they are.
    sim.meter.setReg16(4054, 7);
    sim.meter.setReg16(4041, 0);    // month 0
    sim.meter.setReg16(4040, 2460); // no such time
    readStatus();
    EXPECT_TRUE(system->cardMemo->toPlainText().isEmpty());
    EXPECT_EQ(system->calendar->selectedDate(), QDate(2027, 3, 14));
    EXPECT_EQ(system->timeEdit->time(), QTime(9, 26));

    // A silent meter: the status text and the box, the memos as they were.
    sim.fault(Fault::Silence);
    system->readStatusButton->click();
    EXPECT_EQ(status(system), QStringLiteral("Odczyt statusu...Błąd"));
    EXPECT_EQ(messages(), QStringList{"Odczyt danych zakończony błędem"});
    EXPECT_EQ(lines(system->statusMemo), expectedStatus(0x8404));
}

TEST_F(SystemPages, EachCommandSendsItsRegistersAndReportsItsTexts)
{
    struct Case {
        const char *name;
        std::function<void()> press;
        std::vector<Request> sent; // when the meter answers
        const char *done;
        const char *failed;
        QStringList failedBoxes;
        std::function<void()> check; // what the meter holds after success
    };
    const Case cases[] = {
        {"clear flags",
         [&] { system->clearStatusButton->click(); },
         {{16, 4051, 2}, {3, 4039, 16}, {3, 4005, 1}},
         "Skasowano flagi statusu. Odczytano status.",
         "Kasowanie flag statusu...Błąd",
         {"Kasowanie flag statusu zakończone błędem."},
         [&] {
             EXPECT_EQ(sim.meter.reg16(4051), 0);
             EXPECT_EQ(lines(system->statusMemo), expectedStatus(0)); // redrawn from the read
         }},
        {"clear archive",
         [&] { system->clearArchiveButton->click(); },
         {{16, 4045, 1}},
         "Archiwum skasowane.",
         "Kasowanie archiwum nie powiodło się.",
         {"Kasowanie archiwum nie powiodło się."},
         [&] { EXPECT_TRUE(sim.meter.archiveRecords().empty()); }},
        {"clear min/max",
         [&] { system->clearMinMaxButton->click(); },
         {{16, 4055, 1}},
         "Skasowano wartości minimum i maksimum.",
         "Błąd podczas kasowania minimum i maksimum",
         {},
         [] {}},
        {"factory settings",
         [&] { system->factorySettingsButton->click(); },
         {{16, 4038, 1}},
         "Przywracanie nastaw fabrycznych...OK",
         "Błąd podczas przywracania nastaw fabrycznych",
         {},
         [&] { EXPECT_EQ(sim.meter.reg16(4051) & 0x0400, 0x0400); }},
        {"access code",
         [&] {
             system->accessCodeEdit->setText(QStringLiteral("60000"));
             system->accessCodeButton->click();
         },
         {{16, 4039, 1}},
         "Kod dostępu zapisano poprawnie.",
         "Zapis kodu dostępu...Błąd",
         {"Zapis kodu dostepu zakończony błędem."},
         [&] { EXPECT_EQ(sim.meter.reg16(4039), 60000); }},
        {"card mode",
         [&] {
             system->cardModeList->setCurrentIndex(1);
             system->cardModeButton->click();
         },
         {{16, 4005, 1}},
         "Zmieniono sposób obsługi karty pamięci.",
         "Zmiana trybu obsługi karty...Błąd",
         {},
         [&] { EXPECT_EQ(sim.meter.reg16(4005), 1); }},
        {"write clock",
         [&] {
             system->calendar->setSelectedDate(QDate(2028, 2, 29));
             system->timeEdit->setTime(QTime(23, 58, 41));
             system->automaticTimeChangeCheck->setChecked(true);
             system->writeClockButton->click();
         },
         {{16, 4040, 4}},
         "Zapis czasu...OK",
         "Zapis czasu...Błąd",
         {"Zapisz czasu zakończony błędem."},
         [&] {
             EXPECT_EQ(sim.meter.reg16(4041), 229);
             EXPECT_EQ(sim.meter.reg16(4042), 2028);
             EXPECT_EQ(sim.meter.reg16(4043), 1);
         }},
        {"read clock",
         [&] {
             system->calendar->setSelectedDate(QDate(2001, 1, 1));
             system->readClockButton->click();
         },
         {{3, 4039, 16}, {3, 4005, 1}},
         "Odczyt czasu i daty...OK",
         "Odczyt czasu i daty zakończony błędem",
         {},
         [&] { EXPECT_EQ(system->calendar->selectedDate().year(), 2028); }}, // the clock written before
    };
    sim.meter.setReg16(4051, 0x9000);
    sim.meter.setReg16(4052, 0x0F);
    sim.meter.fillArchive(20);
    for (const Case &c : cases) {
        sim.fault(Fault::None);
        sim.meter.clearReceived();
        app.prompt.messages.clear();
        c.press();
        EXPECT_EQ(requests(), c.sent) << c.name;
        EXPECT_EQ(status(system), QString::fromUtf8(c.done)) << c.name;
        c.check();

        sim.fault(Fault::Silence);
        sim.meter.clearReceived();
        app.prompt.messages.clear();
        c.press();
        // Asked once, not repeated.
        ASSERT_EQ(requests().size(), 1u) << c.name;
        EXPECT_EQ(requests().front(), c.sent.front()) << c.name;
        EXPECT_EQ(status(system), QString::fromUtf8(c.failed)) << c.name;
        QStringList boxes = messages();
        boxes.removeAll(QStringLiteral("Dane archiwlane zostaną usunięte. Kontynuować"));
        boxes.removeAll(QStringLiteral(
            "Zostaną przywrócone nastawy fabryczne. Dane archiwlane zostaną usunięte. Kontynuować"));
        EXPECT_EQ(boxes, c.failedBoxes) << c.name;
    }
    // Commands never stay armed in the image, whatever their outcome.
    for (int reg : {4038, 4045, 4055})
        EXPECT_EQ(app.ctx->image.reg16(reg), 0) << reg;
    // The flags are cleared in the image even when the meter did not hear it.
    ASSERT_NE(app.ctx->image.reg16(4051), 0); // bit 10 from the factory settings, read by the last case
    sim.fault(Fault::Silence);
    system->clearStatusButton->click();
    EXPECT_EQ(app.ctx->image.reg16(4051), 0);
    EXPECT_EQ(app.ctx->image.reg16(4052), 0);
}

TEST_F(SystemPages, QuestionsAndTheAccessCodeCheckSendNothingWhenRefused)
{
    app.prompt.answers = {PromptAnswer::Cancel, PromptAnswer::Cancel};
    system->clearArchiveButton->click();
    system->factorySettingsButton->click();
    EXPECT_EQ(status(system), QStringLiteral("Przywracanie nastaw fabrycznych...zrezygnowano."));
    ASSERT_EQ(app.prompt.messages.size(), 2);
    EXPECT_EQ(app.prompt.messages.at(0).caption, QStringLiteral("Uwaga"));
    EXPECT_EQ(app.prompt.messages.at(0).buttons, PromptButtons::OkCancel);

    for (const char *bad : {"60001", "-1", "abc", "", "1e30", "12,5"}) {
        app.prompt.messages.clear();
        system->accessCodeEdit->setText(QString::fromUtf8(bad));
        system->accessCodeButton->click();
        EXPECT_EQ(messages(), QStringList{"Błędnie podana wartość kodu dostępu."}) << bad;
        EXPECT_EQ(status(system), QStringLiteral("Zapis kodu niemożliwy.")) << bad;
    }
    EXPECT_TRUE(requests().empty());
}

TEST_F(SystemPages, SynchronisationWritesTheNextMinuteOnceAtSecondZero)
{
    app.clock.at = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58, 900));
    system->synchroniseClockButton->click();
    ASSERT_TRUE(system->syncTimer->isActive());
    EXPECT_EQ(system->syncTimer->interval(), 100);
    QStringList shown;
    // The window's timer ticks every 100 ms of the program's clock.
    while (system->syncTimer->isActive()) {
        system->onSyncTimer();
        shown << status(system);
        app.clock.at = app.clock.at.addMSecs(100);
        ASSERT_LT(shown.size(), 20);
    }
    // 58.9 .. 59.9 count down, and 00.0, the first tick of second 0, writes.
    EXPECT_EQ(shown.first(), QStringLiteral(" Do synchronizacji pozostało: 1 sekund"));
    EXPECT_EQ(shown.at(1), QStringLiteral(" Do synchronizacji pozostało: 0 sekund"));
    EXPECT_EQ(shown.size(), 12);
    EXPECT_EQ(shown.last(), QStringLiteral("Zapis czasu...OK"));
    ASSERT_EQ(requests(), (std::vector<Request>{{16, 4040, 4}}));
    // The date and the time of one reading: the new year's, not the old one's.
    const Bytes frame = sim.validFrames().at(0);
    EXPECT_EQ(frame[7] << 8 | frame[8], 0);    // 00:00
    EXPECT_EQ(frame[9] << 8 | frame[10], 101); // 1 January
    EXPECT_EQ(frame[11] << 8 | frame[12], 2027);
    EXPECT_EQ(system->calendar->selectedDate(), QDate(2027, 1, 1));

    // The meter's clock runs on from what was written.
    sim.meter.clearReceived();
    system->calendar->setSelectedDate(QDate(2000, 1, 1));
    system->readClockButton->click();
    EXPECT_EQ(status(system), QStringLiteral("Odczyt czasu i daty...OK"));
    EXPECT_EQ(system->calendar->selectedDate(), QDate(2027, 1, 1));
    EXPECT_EQ(app.ctx->image.reg16(4042), 2027);

    // At second 0 it writes on the first tick.
    sim.meter.clearReceived();
    app.clock.at = QDateTime(QDate(2026, 12, 8), QTime(10, 30, 0, 0));
    system->synchroniseClockButton->click();
    system->onSyncTimer();
    EXPECT_FALSE(system->syncTimer->isActive());
    EXPECT_EQ(requests(), (std::vector<Request>{{16, 4040, 4}}));
}

TEST_F(SystemPages, ClosingTheWindowCancelsASynchronisation)
{
    app.clock.at = QDateTime(QDate(2026, 12, 8), QTime(10, 30, 30));
    system->synchroniseClockButton->click();
    ASSERT_TRUE(system->syncTimer->isActive());
    system->done(0);
    EXPECT_FALSE(system->syncTimer->isActive());
    EXPECT_TRUE(requests().empty());
}

TEST_F(SystemPages, TheInterfacePageReadsAndChecksWhatIsTyped)
{
    EXPECT_EQ(uart->windowTitle(), QStringLiteral("Parametry połączenia"));
    EXPECT_EQ(uart->readButton->text(), QStringLiteral("Odczytaj"));
    EXPECT_EQ(uart->writeButton->text(), QStringLiteral("Zapisz"));
    EXPECT_EQ(uart->primaryTimeoutEdit->toolTip(),
              QStringLiteral("Czas oczekiwania na odpowiedź z urządzenia podrzędnego"));
    QStringList texts;
    for (const QLabel *l : uart->findChildren<QLabel *>())
        texts << l->text();
    for (const QGroupBox *g : uart->findChildren<QGroupBox *>())
        texts << g->title();
    for (const char *t : {"Interfejs dodatkowy", "Interfejs podstawowy", "Adres", "Tryb", "Prędkość", "TimeOut  [ms]"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
    for (QComboBox *box : {uart->additionalModeList, uart->primaryModeList}) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        EXPECT_EQ(items, (QStringList{"8N2", "8E1", "8O1", "8N1"}));
    }
    for (QComboBox *box : {uart->additionalSpeedList, uart->primarySpeedList}) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        EXPECT_EQ(items, (QStringList{"4.8k", "9.6k", "19.2k", "38.4k", "57.6k", "115.2k"}));
    }
    sim.meter.setReg16(4037, 1500);
    sim.meter.setReg16(4032, 2);
    uart->readButton->click();
    EXPECT_EQ(requests(), (std::vector<Request>{{3, 4031, 7}}));
    EXPECT_EQ(status(uart), QStringLiteral("Odczyt parametrów transmisji...OK"));
    EXPECT_EQ(uart->primaryTimeoutEdit->text(), QStringLiteral("1500"));
    EXPECT_EQ(uart->additionalModeList->currentText(), QStringLiteral("8O1"));
    EXPECT_EQ(uart->primarySpeedList->currentText(), QStringLiteral("115.2k"));

    struct Bad {
        const char *address, *timeout, *message;
    };
    for (const Bad &b : {Bad{"0", "500", "Błędnie podany adres"}, Bad{"248", "500", "Błędnie podany adres"},
                         Bad{"x", "500", "Błędnie podany adres"}, Bad{"", "500", "Błędnie podany adres"},
                         Bad{"5", "99", "Błędnie podany czas oczekiwania na odpowiedź - TimeOut"},
                         Bad{"5", "5001", "Błędnie podany czas oczekiwania na odpowiedź - TimeOut"},
                         Bad{"5", "1e3x", "Błędnie podany czas oczekiwania na odpowiedź - TimeOut"}}) {
        sim.meter.clearReceived();
        app.prompt.messages.clear();
        uart->additionalAddressEdit->setText(QString::fromUtf8(b.address));
        uart->primaryTimeoutEdit->setText(QString::fromUtf8(b.timeout));
        uart->writeButton->click();
        EXPECT_EQ(messages(), QStringList{QString::fromUtf8(b.message)}) << b.address << " " << b.timeout;
        EXPECT_EQ(status(uart), QStringLiteral("Błędne parametry. Zmiana parametrów niemożliwa."));
        EXPECT_TRUE(requests().empty());
    }
    EXPECT_EQ(app.ctx->meterAddress, 1);

    sim.fault(Fault::Silence);
    app.prompt.messages.clear();
    uart->readButton->click();
    EXPECT_EQ(status(uart), QStringLiteral("Odczyt parametrów transmisji zakończony błędem."));
    EXPECT_TRUE(app.prompt.messages.isEmpty());

    // The start panel opens both pages modally, and a new configuration redraws them.
    app.startPanel->systemButton->click();
    app.startPanel->interfaceButton->click();
    EXPECT_EQ(app.prompt.modalWindows, (QStringList{"SystemPage", "InterfacePage"}));
    app.ctx->image.reg16(4037) = 4321;
    app.ctx->image.reg16(4051) = 0x8000;
    app.windows->refreshPages();
    EXPECT_EQ(uart->primaryTimeoutEdit->text(), QStringLiteral("4321"));
    EXPECT_EQ(lines(system->statusMemo).first(), QStringLiteral("* Przerwa w zasilaniu."));
}

TEST_F(SystemPages, TheInterfaceWriteTakesThePcAlongToTheNewSettings)
{
    struct Case {
        bool board;
        int baud, stopBits; // of the read-back
        const char *speed, *mode;
    };
    // Primary 19200 8E1, additional 38400 8N1: which one the PC follows
    // depends on the outputs board.
    for (const Case c : {Case{false, 19200, 1, "19.2k", "8E1"}, Case{true, 38400, 1, "38.4k", "8N1"}}) {
        SCOPED_TRACE(c.board ? "additional interface" : "primary interface");
        test::SimHarness meter;
        test::AppHarness program;
        program.startWithMeter(meter.path);
        if (c.board) {
            meter.meter.setOutputsBoard(true);
            meter.meter.setPcInterface(5, 0);
        }
        InterfacePage &page = *program.windows->interfacePage;
        page.additionalAddressEdit->setText(QStringLiteral("7"));
        page.additionalModeList->setCurrentIndex(3);  // additional 8N1
        page.additionalSpeedList->setCurrentIndex(3); // additional 38.4k
        page.primaryTimeoutEdit->setText(QStringLiteral("800"));
        page.primaryModeList->setCurrentIndex(1);  // primary 8E1
        page.primarySpeedList->setCurrentIndex(2); // primary 19.2k
        page.writeButton->click();

        const auto arrivals = meter.line.arrivals();
        std::vector<Request> sent;
        for (const auto &a : arrivals)
            sent.emplace_back(a.frame[1], a.frame[2] << 8 | a.frame[3], a.frame[4] << 8 | a.frame[5]);
        ASSERT_EQ(sent, (std::vector<Request>{
                            {3, 4039, 16}, {3, 4005, 1}, {16, 4031, 7}, {16, 4034, 1}, {3, 4031, 7}}));
        for (std::size_t i = 0; i + 1 < arrivals.size(); ++i) {
            EXPECT_EQ(arrivals[i].baud, 115200) << i;
            EXPECT_EQ(arrivals[i].stopBits, 2) << i;
            EXPECT_EQ(arrivals[i].frame[0], 1) << i;
        }
        EXPECT_EQ(arrivals.back().baud, c.baud);
        EXPECT_EQ(arrivals.back().stopBits, c.stopBits);
        EXPECT_EQ(arrivals.back().frame[0], 7); // the address in 4033, whichever interface

        EXPECT_EQ(page.statusBar->currentMessage(), QStringLiteral("Zapis parametrów transmisji...OK"));
        ASSERT_EQ(program.prompt.messages.size(), 1);
        EXPECT_EQ(program.prompt.messages.at(0).text, QStringLiteral("Parametry transmisji zostały zmienione."));
        EXPECT_EQ(program.prompt.messages.at(0).caption, QStringLiteral("Uwaga"));
        EXPECT_EQ(program.startPanel->speedList->currentText(), QString::fromUtf8(c.speed));
        EXPECT_EQ(program.startPanel->modeList->currentText(), QString::fromUtf8(c.mode));
        EXPECT_EQ(program.startPanel->addressEdit->text(), QStringLiteral("7"));
        EXPECT_EQ(program.ctx->meterAddress, 7);
        EXPECT_EQ(program.ctx->image.reg16(4034), 0);
        EXPECT_EQ(meter.meter.reg16(4037), 800);
        // The link goes on at the new settings; they are kept at exit.
        program.windows->systemPage->readStatusButton->click();
        EXPECT_EQ(program.windows->systemPage->statusBar->currentMessage(), QStringLiteral("Odczyt statusu...OK"));
        program.startPanel->close();
        PortSettings saved;
        saved.speedIndex = 0;
        ASSERT_TRUE(loadUartCfg(program.dir.path() + QStringLiteral("/uart.cfg"), saved));
        EXPECT_EQ(saved.speedIndex, program.ctx->portSettings.speedIndex);
        EXPECT_EQ(saved.modeKind, program.ctx->portSettings.modeKind);
    }
}

TEST_F(SystemPages, AFailedChangeNeverLeavesThePcWhereTheMeterIsNot)
{
    const auto atOldSettings = [&] {
        EXPECT_EQ(app.ctx->portSettings.speedIndex, 7);
        EXPECT_EQ(app.ctx->portSettings.modeKind, 1);
        EXPECT_EQ(app.ctx->meterAddress, 1);
        EXPECT_EQ(app.startPanel->speedList->currentText(), QStringLiteral("115.2k"));
        EXPECT_EQ(app.startPanel->addressEdit->text(), QStringLiteral("1"));
    };
    const auto failedBox = [&] {
        EXPECT_EQ(status(uart), QStringLiteral("Zapis parametrów transmisji zakończony błędem."));
        EXPECT_EQ(messages(), QStringList{"Podczas zmiany parametrów wystapił błąd"});
        app.prompt.messages.clear();
    };
    // Only reads reached the meter, the status read first.
    const auto nothingWritten = [&] {
        const auto sent = requests();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.front(), (Request{3, 4039, 16}));
        for (const Request &r : sent)
            EXPECT_EQ(std::get<0>(r), 3);
    };
    // What came after the last apply: the speeds the PC tried, in order, and
    // whether the meter took them for noise (consecutive alike merged).
    const auto afterApply = [&] {
        std::vector<std::pair<int, bool>> tried;
        bool applied = false;
        for (const auto &a : sim.line.arrivals()) {
            if (!a.ignored && a.frame[1] == 16 && (a.frame[2] << 8 | a.frame[3]) == 4034) {
                applied = true;
                tried.clear();
            } else if (applied && (tried.empty() || tried.back() != std::pair{a.baud, a.ignored})) {
                tried.emplace_back(a.baud, a.ignored);
            }
        }
        return tried;
    };
    uart->additionalAddressEdit->setText(QStringLiteral("9"));
    uart->primarySpeedList->setCurrentIndex(1); // primary 9.6k

    // A silent status read: nothing is written.
    sim.fault(Fault::Silence);
    uart->writeButton->click();
    failedBox();
    nothingWritten();
    atOldSettings();

    // The apply refused: the meter does not answer at the new settings but
    // still at the old ones, so the PC goes back there.
    sim.fault(Fault::None);
    sim.meter.setRefuseApply(true);
    uart->writeButton->click();
    failedBox();
    atOldSettings();
    EXPECT_EQ(afterApply(), (std::vector<std::pair<int, bool>>{{9600, true}, {115200, false}}));
    system->readStatusButton->click();
    EXPECT_EQ(status(system), QStringLiteral("Odczyt statusu...OK"));

    // The meter stops answering after the apply: the old settings get no
    // answer either, so the PC stays at the new ones, where the meter is.
    sim.meter.setRefuseApply(false);
    sim.meter.clearReceived();
    sim.fault(Fault::Silence, 2, 4, 1500, 4031, true); // every read of 4031 .. 4037 after the block write
    uart->writeButton->click();
    failedBox();
    EXPECT_EQ(app.ctx->portSettings.speedIndex, 2);
    EXPECT_EQ(app.ctx->meterAddress, 9);
    EXPECT_EQ(app.startPanel->speedList->currentText(), QStringLiteral("9.6k"));
    const auto sent = requests();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), Request{3, 4031, 7}), 3); // asked three times at 9600
    EXPECT_EQ(afterApply(), (std::vector<std::pair<int, bool>>{{9600, false}, {115200, true}}));
    sim.fault(Fault::None);
    uart->readButton->click();
    EXPECT_EQ(status(uart), QStringLiteral("Odczyt parametrów transmisji...OK"));

    // A code no list shows, from a configuration file: refused before anything is sent.
    sim.meter.clearReceived();
    app.ctx->image.reg16(4035) = 9;
    uart->fillFromImage();
    uart->writeButton->click();
    failedBox();
    nothingWritten();
}
