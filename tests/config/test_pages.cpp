// The alarm, attached devices, analog output and individual characteristic
// pages against the simulated meter: their texts, their blocks on the wire,
// their checks and what reaches the image and the meter.
#include "config/ui/AlarmsPage.h"
#include "config/ConfigFile.h"
#include "config/StandardConfig.h"
#include "config/ui/AnalogOutputPage.h"
#include "config/ui/CharacteristicPage.h"
#include "config/ui/DevicesPage.h"
#include "support/AppHarness.h"
#include "support/SimFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace k71t;
using k71t::sim::Bytes;
using k71t::sim::Fault;

namespace {

using Request = std::tuple<int, int, int>; // function, start, count

struct Pages : ::testing::Test {
    test::SimHarness sim;
    test::AppHarness app;

    void SetUp() override { app.startWithMeter(sim.path); }
    std::vector<Request> requests() const { return sim.requests(); }
    QStringList messages() const
    {
        QStringList out;
        for (const auto &m : app.prompt.messages)
            out << m.text;
        return out;
    }
    static QString status(const ConfigPage *page) { return page->statusBar->currentMessage(); }
    // The page's read and write buttons, as the operator presses them.
    struct PageCase {
        const char *name;
        ConfigPage *page;
        std::vector<Request> blocks;
    };
    std::vector<PageCase> pageCases()
    {
        return {
            {"alarms", app.windows->alarmsPage, {{4013, 16, 0}, {7604, 8, 0}}},
            {"devices", app.windows->devicesPage, {{4300, 80, 0}, {4035, 3, 0}, {7664, 20, 0}}},
            {"analog", app.windows->analogOutputPage, {{4029, 2, 0}, {7612, 2, 0}}},
            {"characteristic", app.windows->characteristicPage, {{4008, 1, 0}, {7622, 42, 0}}},
        };
    }
    static void press(ConfigPage *page, const char *button)
    {
        page->findChild<QPushButton *>(QString::fromLatin1(button))->click();
    }
    static std::vector<Request> withFunction(int function, const std::vector<Request> &blocks)
    {
        std::vector<Request> out;
        for (const auto &[start, count, unused] : blocks)
            out.emplace_back(function, start, count);
        return out;
    }
};

QStringList texts(const QWidget *window)
{
    QStringList out{window->windowTitle()};
    for (const QLabel *l : window->findChildren<QLabel *>())
        out << l->text();
    for (const QGroupBox *g : window->findChildren<QGroupBox *>())
        out << g->title();
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>())
        out << b->text();
    for (const QWidget *w : window->findChildren<QWidget *>())
        if (!w->toolTip().isEmpty())
            out << w->toolTip();
    return out;
}

} // namespace

TEST_F(Pages, EveryTextOfThePages)
{
    struct Case {
        QWidget *window;
        QStringList expected;
    };
    const Case cases[] = {
        {app.windows->alarmsPage,
         {"Konfiguracja alarmów", "Alarm 1", "Alarm 4", "Wielkość sterująca", "Typ alarmu",
          "PrL - Dolny próg zadziałania", "PrH - Górny próg zadziałania", "Opóźnienie [s]", "Pamięć alarmu",
          "Odczytaj konfigurację", "Zapisz konfigurację"}},
        {app.windows->devicesPage,
         {"Urządzenia dołączone", "Parametry transmisji", "Prędkość", "Tryb transmisji",
          "Czas oczekiwania na odpowiedź", "[ms]", "Konfiguracja odczytu i archiwizacji", "Adres w sieci",
          "Rejestr bazowy", "Liczba rejestrów", "Typ rejestrów", "Okres odpytywania", "Rejestry archiwizowane", "R0",
          "R9", "Okres Archiwizacji [s*10]", "Rodzaj archiwizacji", "Próg dolny", "Próg górny",
          "Dolny próg dla archiwizacji warunkowej.", "Rórny próg dla archiwizacji warunkowej.",
          "Odczytaj konfigurację", "Zapisz Konfigurację", "Wypełnij parametrami domyślnymi"}},
        {app.windows->analogOutputPage,
         {"Wyjście analogowe", "Wielkość sterująca", "Typ wyjścia",
          "Wartość sterująca dla której\nwysterowanie wyjścia wynosi 0%",
          "Wartość sterującana dla której\nwysterowanie wyjścia wynosi 100%", "Odczytaj konfigurację",
          "Zapisz konfigurację"}},
        {app.windows->characteristicPage,
         {"Charakterystyka Indywidualna", "Włącz charakterystykę indywidualną", "Liczba Punktów charakterystyki",
          "Odczytaj konfigurację", "Zapisz konfigurację"}},
    };
    for (const Case &c : cases) {
        const QStringList shown = texts(c.window);
        for (const QString &t : c.expected)
            EXPECT_TRUE(shown.contains(t)) << qPrintable(c.window->objectName()) << ": " << qPrintable(t);
    }
    // Lists.
    const auto items = [](QComboBox *box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    };
    AlarmsPage &alarms = *app.windows->alarmsPage;
    EXPECT_EQ(alarms.alarms[3].quantityList->count(), 102);
    EXPECT_EQ(alarms.alarms[3].quantityList->itemText(25), QStringLiteral("Dev 2 R 5 - Urządzenie 2 rejestr 5"));
    EXPECT_EQ(alarms.alarms[3].quantityList->itemText(100), QStringLiteral("Zegar czasu rzeczywistego"));
    EXPECT_EQ(alarms.alarms[3].quantityList->itemText(101), QStringLiteral("Wartość wyświetlana"));
    EXPECT_EQ(items(alarms.alarms[3].typeList),
              (QStringList{"n-on", "n-off", "on", "off", "zawsze właczony", "zawsze wyłączony"}));
    DevicesPage &devices = *app.windows->devicesPage;
    EXPECT_EQ(items(devices.speedList), (QStringList{"4800", "9600", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(items(devices.modeList), (QStringList{"RTU 8N2", "RTU 8E1", "RTU 8O1", "RTU 8N1"}));
    EXPECT_EQ(devices.registerTypeList->count(), 26);
    EXPECT_EQ(devices.registerTypeList->itemText(20), QStringLiteral("fun. 4 - float 3210"));
    EXPECT_EQ(items(devices.archivingKindList).mid(0, 2), (QStringList{"Ciągła", "R0 - warunkowa"}));
    EXPECT_EQ(devices.archivingKindList->itemText(10), QStringLiteral("R9 - warunkowa"));
    EXPECT_EQ(devices.deviceTree->headerItem()->text(0), QStringLiteral("Wybierz urządzenie "));
    EXPECT_EQ(devices.deviceTree->topLevelItem(9)->text(0), QStringLiteral("DEV 9 - Urządzenie 10"));
    AnalogOutputPage &analog = *app.windows->analogOutputPage;
    EXPECT_EQ(analog.quantityList->itemText(100), QStringLiteral("Wartość wyświetlana"));
    EXPECT_EQ(analog.quantityList->itemText(101), QStringLiteral("Zegar czasu rzeczywistego"));
    EXPECT_EQ(items(analog.outputTypeList),
              (QStringList{"Napięciowe 0...10V", "Prądowe 0...20mA", "Prądowe 4...20mA"}));
    CharacteristicPage &characteristic = *app.windows->characteristicPage;
    EXPECT_EQ(characteristic.pointCountSlider->minimum(), 2);
    EXPECT_EQ(characteristic.pointCountSlider->maximum(), 21);
    // Chart titles and axes.
    for (const auto &[chart, title, bottom, left] :
         {std::tuple{analog.chart, "Charakterystyka wyjścia analogowego", "Wielkość sterująca", "Sygnał wyjściowy"},
          std::tuple{characteristic.chart, "Charakterystyka indywidualna", "Wartości H", "Wartości Y"}}) {
        EXPECT_EQ(static_cast<QCPTextElement *>(chart->plotLayout()->element(0, 0))->text(), QString::fromUtf8(title));
        EXPECT_EQ(chart->xAxis->label(), QString::fromUtf8(bottom));
        EXPECT_EQ(chart->yAxis->label(), QString::fromUtf8(left));
    }
}

TEST_F(Pages, ReadAndWriteSendExactlyThePageBlocksAndStopAtAFailingOne)
{
    for (const PageCase &c : pageCases()) {
        sim.meter.clearReceived();
        press(c.page, "readButton");
        EXPECT_EQ(requests(), withFunction(3, c.blocks)) << c.name;
        EXPECT_TRUE(status(c.page).endsWith(QStringLiteral("...OK"))) << c.name;
        sim.meter.clearReceived();
        press(c.page, "writeButton");
        EXPECT_EQ(requests(), withFunction(16, c.blocks)) << c.name;
        EXPECT_TRUE(status(c.page).endsWith(QStringLiteral("...OK"))) << c.name;
        EXPECT_TRUE(app.prompt.messages.size() <= 1) << c.name; // the devices page asks first
        app.prompt.messages.clear();

        // The second block silent: the third is never asked.
        sim.meter.clearReceived();
        sim.fault(Fault::Silence, 2);
        press(c.page, "readButton");
        EXPECT_EQ(requests().size(), 2u) << c.name;
        EXPECT_TRUE(messages().contains(QStringLiteral("Odczyt danych zakończony błędem"))) << c.name;
        sim.fault(Fault::None);
        app.prompt.messages.clear();
    }
}

TEST_F(Pages, AWriteFailsOnACorruptAcknowledgeOrAnExceptionOnEveryPage)
{
    for (const PageCase &c : pageCases()) {
        for (Fault f : {Fault::BadCrc, Fault::Exception, Fault::WrongSlave}) {
            const int first = std::get<0>(c.blocks.front());
            sim.fault(f, 0, 4, 1500, first);
            sim.meter.clearReceived();
            app.prompt.messages.clear();
            press(c.page, "writeButton");
            EXPECT_EQ(requests().size(), 1u) << c.name << int(f); // nothing after the failed block
            EXPECT_TRUE(status(c.page).contains(QStringLiteral("błędem"))) << c.name << int(f);
        }
        sim.fault(Fault::None);
    }
    // The pages that tell a failed write in a box.
    for (ConfigPage *page : {static_cast<ConfigPage *>(app.windows->alarmsPage), static_cast<ConfigPage *>(app.windows->analogOutputPage),
                             static_cast<ConfigPage *>(app.windows->characteristicPage)}) {
        sim.fault(Fault::Exception);
        app.prompt.messages.clear();
        press(page, "writeButton");
        EXPECT_EQ(messages(), QStringList{"Zapis danych zakończony błędem"}) << qPrintable(page->objectName());
    }
}

TEST_F(Pages, AlarmTakeChecksAlarmByAlarmAndStoresTheListsOnlyWhenAllPassed)
{
    AlarmsPage &page = *app.windows->alarmsPage;
    RegisterImage &im = app.ctx->image;
    page.alarms[0].lowThresholdEdit->setText("1.5");    // AL1 PrL
    page.alarms[1].highThresholdEdit->setText("-2.5");  // AL2 PrH
    page.alarms[1].delayEdit->setText("7.8");           // AL2 delay, stored as 7
    page.alarms[2].lowThresholdEdit->setText("100000"); // AL3 PrL: out of range
    page.alarms[2].highThresholdEdit->setText("5");     // AL3 PrH: after the failure, not stored
    page.alarms[0].quantityList->setCurrentIndex(101);
    page.alarms[3].memoryCheck->setChecked(true);
    page.onWriteClicked();
    EXPECT_EQ(messages(), QStringList{"Błędnie podana wartość dolnego progu AL3."});
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
    EXPECT_EQ(im.reg32(7604), 1.5f);
    EXPECT_EQ(im.reg32(7607), -2.5f);
    EXPECT_EQ(im.reg16(4019), 7);
    EXPECT_EQ(im.reg32(7609), 200.0f); // not reached
    EXPECT_EQ(im.reg16(4013), 0);      // no list of any alarm stored
    EXPECT_EQ(im.reg16(4028), 0);

    struct Delay {
        const char *text;
        bool ok;
    };
    for (const Delay d : {Delay{"120", true}, Delay{"121", false}, Delay{"-1", false}, Delay{"0", true}}) {
        page.fillFromImage();
        page.alarms[3].delayEdit->setText(QString::fromLatin1(d.text));
        app.prompt.messages.clear();
        EXPECT_EQ(page.takeIntoImage(), d.ok) << d.text;
        if (!d.ok) {
            EXPECT_EQ(messages(), QStringList{"Błędnie podane opóźnienie AL4."}) << d.text;
        }
    }
    // Each memory flag follows its own check box: only AL4's is set.
    page.fillFromImage();
    page.alarms[3].memoryCheck->setChecked(true);
    app.prompt.messages.clear();
    sim.meter.clearReceived();
    page.onWriteClicked();
    EXPECT_EQ(status(&page), QStringLiteral("Zapis konfiguracji...OK"));
    EXPECT_EQ(sim.meter.reg16(4016), 0);
    EXPECT_EQ(sim.meter.reg16(4020), 0);
    EXPECT_EQ(sim.meter.reg16(4024), 0);
    EXPECT_EQ(sim.meter.reg16(4028), 1);
    // A failed write redraws the window from the image, which holds what was taken.
    page.alarms[1].lowThresholdEdit->setText("42");
    sim.fault(Fault::Silence);
    page.onWriteClicked();
    EXPECT_EQ(status(&page), QStringLiteral("Zapis konfiguracji zakończony błędem"));
    EXPECT_EQ(page.alarms[1].lowThresholdEdit->text(), QStringLiteral("42.0000"));
}

TEST_F(Pages, DevicesKeepTheEditsOfEveryDeviceVisited)
{
    DevicesPage &page = *app.windows->devicesPage;
    RegisterImage &im = app.ctx->image;
    EXPECT_EQ(page.currentDevice(), 0);
    page.deviceTree->setCurrentItem(page.deviceTree->topLevelItem(3));
    page.deviceAddressEdit->setText("17");
    page.deviceTree->setCurrentItem(page.deviceTree->topLevelItem(5));
    EXPECT_EQ(page.currentDevice(), 5);
    EXPECT_EQ(page.deviceAddressEdit->text(), QStringLiteral("0"));
    page.onWriteClicked();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text,
              QStringLiteral("Zapis spowoduje usunięcie danych archiwlanych z pamięci wewnętrznej. Kontynuować"));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Archiwum"));
    EXPECT_EQ(app.prompt.messages[0].buttons, PromptButtons::OkCancel);
    EXPECT_EQ(status(&page), QStringLiteral("Zapis danych...OK"));
    EXPECT_EQ(sim.meter.reg16(4300 + 8 * 3), 17);

    // More registers archived than polled: told, and stored all the same.
    page.archivedChecks[0]->setChecked(true);
    page.archivedChecks[1]->setChecked(true);
    page.archivedChecks[2]->setChecked(true);
    page.registerCountEdit->setText("2");
    app.prompt.messages.clear();
    EXPECT_TRUE(page.takeDevice(5));
    EXPECT_EQ(messages(), QStringList{"Wybrano archiwizację większej liczby rejestrów niż jest odczytywana"});
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Informacja"));
    EXPECT_EQ(im.reg16(4300 + 8 * 5 + 5), 0b111);

    // Thresholds reach down to -9999 only; a failing field stores nothing of the device.
    struct Threshold {
        const char *text;
        bool ok;
    };
    for (const Threshold t : {Threshold{"-9999", true}, Threshold{"-10000", false}, Threshold{"99999", true},
                              Threshold{"1,5", false}, Threshold{"", false}}) {
        page.showDevice(5);
        page.baseRegisterEdit->setText("1234");
        page.lowThresholdEdit->setText(QString::fromLatin1(t.text));
        app.prompt.messages.clear();
        EXPECT_EQ(page.takeDevice(5), t.ok) << t.text;
        EXPECT_EQ(im.reg16(4300 + 8 * 5 + 1), t.ok ? 1234 : 7505) << t.text;
        if (!t.ok) {
            EXPECT_EQ(messages(), QStringList{"Błędnie podany dolny próg archiwizacji warunkowej"}) << t.text;
        }
        im.reg16(4300 + 8 * 5 + 1) = 7505;
    }
}

TEST_F(Pages, DevicesWriteStopsBeforeTheQuestionOnBadInput)
{
    DevicesPage &page = *app.windows->devicesPage;
    struct Case {
        const char *what;
        QLineEdit *edit;
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {"timeout 99", page.timeoutEdit, "99", "Błędnie podany czas oczekiwania na odpowiedź"},
        {"timeout 5001", page.timeoutEdit, "5001", "Błędnie podany czas oczekiwania na odpowiedź"},
        {"address 248", page.deviceAddressEdit, "248", "Błędnie podany adres"},
        {"11 registers", page.registerCountEdit, "11", "Błędnie podana liczba rejestrow"},
        {"period 0", page.pollingPeriodEdit, "0", "Błędnie podany okres odpytywania"},
    };
    for (const Case &c : cases) {
        page.fillFromImage();
        c.edit->setText(QString::fromLatin1(c.text));
        app.prompt.messages.clear();
        page.onWriteClicked();
        EXPECT_EQ(messages(), QStringList{QString::fromUtf8(c.message)}) << c.what; // no question asked
        EXPECT_EQ(status(&page), QStringLiteral("Zapis przerwany. Błędne parametry.")) << c.what;
        EXPECT_TRUE(sim.meter.receivedFrames().empty()) << c.what;
    }
    // 100 and 5000 pass; Cancel sends nothing.
    for (const char *timeout : {"100", "5000"}) {
        page.fillFromImage();
        page.timeoutEdit->setText(QString::fromLatin1(timeout));
        app.prompt.answers << PromptAnswer::Cancel;
        page.onWriteClicked();
        EXPECT_EQ(app.ctx->image.reg16(4037), QString::fromLatin1(timeout).toInt());
        EXPECT_TRUE(sim.meter.receivedFrames().empty());
    }
    // The question comes first: Cancel keeps the device's edits out of the
    // image, OK takes them (and tells of more archived than polled registers).
    for (const PromptAnswer answer : {PromptAnswer::Cancel, PromptAnswer::Ok}) {
        page.fillFromImage();
        page.registerCountEdit->setText("1");
        page.archivedChecks[0]->setChecked(true);
        page.archivedChecks[1]->setChecked(true);
        app.prompt.messages.clear();
        app.prompt.answers << answer;
        page.onWriteClicked();
        const bool ok = answer == PromptAnswer::Ok;
        ASSERT_EQ(app.prompt.messages.size(), ok ? 2 : 1);
        EXPECT_TRUE(app.prompt.messages[0].text.startsWith(QStringLiteral("Zapis spowoduje usunięcie")));
        if (ok)
            EXPECT_EQ(app.prompt.messages[1].text,
                      QStringLiteral("Wybrano archiwizację większej liczby rejestrów niż jest odczytywana"));
        EXPECT_EQ(app.ctx->image.reg16(4300 + 5), ok ? 0b11 : 0);
    }
}

TEST_F(Pages, DevicesDefaultsReachTheImageNotTheMeter)
{
    DevicesPage &page = *app.windows->devicesPage;
    RegisterImage &im = app.ctx->image;
    im.reg16(4037) = 4000;
    im.reg16(4300 + 8 * 9) = 77;
    im.reg32(7683) = 5.0f;
    page.onDefaultsClicked();
    page.done(QDialog::Accepted);
    EXPECT_EQ(im.reg16(4037), 500);
    EXPECT_EQ(im.reg16(4300 + 8 * 9), 0);
    EXPECT_EQ(im.reg16(4300 + 8 * 9 + 1), 7505);
    EXPECT_EQ(im.reg32(7683), 200.0f);
    EXPECT_EQ(im.reg32(7682), 100.0f);
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
}

TEST_F(Pages, AnalogChartFollowsTheTypedValues)
{
    AnalogOutputPage &page = *app.windows->analogOutputPage;
    RegisterImage &im = app.ctx->image;
    im.reg16(4030) = 2;
    im.reg32(7612) = 0;
    im.reg32(7613) = 1000;
    page.fillFromImage();
    ASSERT_EQ(page.characteristicGraph->data()->size(), 2);
    EXPECT_EQ(page.characteristicGraph->data()->at(0)->key, 0);
    EXPECT_EQ(page.characteristicGraph->data()->at(0)->value, 4);
    EXPECT_EQ(page.characteristicGraph->data()->at(1)->key, 1000);
    EXPECT_EQ(page.characteristicGraph->data()->at(1)->value, 20);
    // Equal values still get an axis; an unknown type draws nothing.
    im.reg32(7613) = 0;
    page.fillFromImage();
    EXPECT_GT(page.chart->xAxis->range().size(), 0);
    im.reg16(4030) = 7;
    page.fillFromImage();
    EXPECT_EQ(page.characteristicGraph->data()->size(), 0);
    EXPECT_EQ(page.outputTypeList->currentIndex(), -1);

    // Leaving an edit with a bad number: its box once, the last good value back.
    im.reg16(4030) = 0;
    im.reg32(7613) = 500;
    page.show();
    QApplication::setActiveWindow(&page);
    page.valueAt100Edit->setFocus();
    page.valueAt100Edit->setText("abc");
    // A real error box takes the focus from the field while it is open.
    app.prompt.onMessage = [&] {
        page.readButton->setFocus();
        QApplication::processEvents();
    };
    QTest::keyClick(page.valueAt100Edit, Qt::Key_Return);
    app.prompt.onMessage = nullptr;
    page.valueAt100Edit->setFocus();
    page.valueAt0Edit->setFocus(); // and then leaves the field
    QApplication::processEvents();
    EXPECT_EQ(messages(), QStringList{"Błędnie podana wartość dla sygnału 100%."});
    EXPECT_EQ(page.valueAt100Edit->text(), QStringLiteral("500.0000"));
    // A good number moves the chart at once.
    app.prompt.messages.clear();
    page.valueAt0Edit->setText("-100");
    QTest::keyClick(page.valueAt0Edit, Qt::Key_Return);
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    EXPECT_EQ(page.characteristicGraph->data()->at(0)->key, -100);
    // A bad number, then a click on the write button: the write's own box
    // and status, not the field's leave check in its way.
    page.valueAt0Edit->setFocus();
    page.valueAt0Edit->setText("1e30");
    app.prompt.messages.clear();
    QTest::mouseClick(page.writeButton, Qt::LeftButton);
    EXPECT_EQ(messages(), (QStringList{"Błędnie podana wartość dla sygnału 0%.",
                                       "Błędnie podane parametry wyjścia analogowego"}));
    EXPECT_EQ(status(&page), QStringLiteral("Zapis przerwany. Błędne parametry."));
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
    page.hide();

    // A bad field refuses the write with a second box; nothing is sent.
    page.valueAt0Edit->setText("1e6");
    app.prompt.messages.clear();
    page.onWriteClicked();
    EXPECT_EQ(messages(), (QStringList{"Błędnie podana wartość dla sygnału 0%.",
                                       "Błędnie podane parametry wyjścia analogowego"}));
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
    // Index 100 of the quantity list is the displayed value, stored as 100.
    page.fillFromImage();
    page.quantityList->setCurrentIndex(100);
    page.onQuantityChosen();
    EXPECT_EQ(im.reg16(4029), 100);
}

TEST_F(Pages, CharacteristicGridIsCheckedAsItWillBeStored)
{
    CharacteristicPage &page = *app.windows->characteristicPage;
    RegisterImage &im = app.ctx->image;
    im.reg16(4008) = 3;
    page.fillFromImage();
    const auto setPoints = [&](std::initializer_list<std::pair<const char *, const char *>> points) {
        int row = 1;
        for (const auto &[h, y] : points) {
            page.pointGrid->item(row, 1)->setText(QString::fromLatin1(h));
            page.pointGrid->item(row, 2)->setText(QString::fromLatin1(y));
            ++row;
        }
    };
    struct Case {
        const char *what;
        std::initializer_list<std::pair<const char *, const char *>> points;
        const char *message; // nullptr: accepted
    };
    const Case cases[] = {
        {"increasing", {{"0", "1"}, {"10", "2"}, {"20", "3"}}, nullptr},
        {"H repeated", {{"0", "1"}, {"10", "2"}, {"10", "3"}}, "Błędnie wprowadzone współczynniki H. Brak zależności H1<H2<H3<...<Hn"},
        // Different as typed, the same 32-bit float as stored.
        {"equal as stored", {{"0", "1"}, {"99998", "2"}, {"99998.001", "3"}}, "Błędnie wprowadzone współczynniki H. Brak zależności H1<H2<H3<...<Hn"},
        {"equal as floats", {{"0", "1"}, {"0.1", "2"}, {"0.100000001", "3"}}, "Błędnie wprowadzone współczynniki H. Brak zależności H1<H2<H3<...<Hn"},
        {"a comma", {{"0", "1"}, {"1,5", "2"}, {"20", "3"}}, "Błędnie wprowadzony współczynnik H"},
        {"Y out of range", {{"0", "1"}, {"10", "100000"}, {"20", "3"}}, "Błędnie wprowadzony współczynnik Y"},
    };
    im.reg32(7624) = 5.0f;
    for (const Case &c : cases) {
        page.fillFromImage();
        setPoints(c.points);
        app.prompt.messages.clear();
        EXPECT_EQ(page.gridCheck(), c.message == nullptr) << c.what;
        if (c.message) {
            EXPECT_EQ(messages(), QStringList{QString::fromUtf8(c.message)}) << c.what;
        }
        // The first case stored its points; a refused grid leaves them.
        EXPECT_EQ(im.reg32(7624), 10.0f) << c.what;
    }
    EXPECT_EQ(im.reg32(7626), 20.0f);

    // The track bar from 3 to 2: row 3 hidden, its values kept in the image.
    page.fillFromImage();
    page.pointCountSlider->setValue(2);
    EXPECT_EQ(im.reg16(4008), 2);
    EXPECT_EQ(page.pointGrid->rowCount(), 3);
    EXPECT_EQ(im.reg32(7626), 20.0f);
    // Off and on again shows the first two points unchanged.
    page.enabledCheck->click();
    EXPECT_EQ(im.reg16(4008), 1);
    EXPECT_FALSE(page.pointGrid->isEnabled());
    page.enabledCheck->click();
    EXPECT_EQ(im.reg16(4008), 2);
    EXPECT_EQ(page.pointGrid->item(2, 1)->text(), QStringLiteral("10.0000"));
}

TEST_F(Pages, CharacteristicFromTheMeterIsShownAsItIs)
{
    CharacteristicPage &page = *app.windows->characteristicPage;
    struct Case {
        int stored;
        int shown;
        bool on;
    };
    // Above 21 counts as 21; below 2 is off; the register keeps what the meter sent.
    for (const Case c : {Case{0, 0, false}, Case{7, 7, true}, Case{21, 21, true}, Case{300, 21, true}}) {
        sim.meter.setReg16(4008, static_cast<std::uint16_t>(c.stored));
        for (int i = 0; i < 42; ++i)
            sim.meter.setReg32(7622 + i, static_cast<float>(i % 2 ? 100 - i : 50 - i)); // H falling
        page.onReadClicked();
        EXPECT_EQ(status(&page), QStringLiteral("Odczyt konfiguracji...OK")) << c.stored;
        EXPECT_EQ(app.ctx->image.reg16(4008), c.stored);
        EXPECT_EQ(page.enabledCheck->isChecked(), c.on) << c.stored;
        EXPECT_EQ(page.pointGrid->rowCount(), c.shown + 1) << c.stored;
        if (c.shown > 0) {
            EXPECT_EQ(page.pointGrid->item(c.shown, 0)->text(), QString::number(c.shown)) << c.stored;
        }
        // Drawn in the stored order, not sorted.
        EXPECT_EQ(page.curve->data()->size(), c.shown > 1 ? c.shown : 0) << c.stored;
        if (c.shown > 1) {
            EXPECT_EQ(page.curve->data()->at(1)->key, 48.0) << c.stored;
        }
    }
    // The write sends what the operator sees: the cell being edited first.
    sim.meter.setReg16(4008, 2);
    page.onReadClicked();
    page.show();
    QApplication::setActiveWindow(&page);
    page.pointGrid->setFocus();
    page.pointGrid->setCurrentCell(2, 1);
    page.pointGrid->editItem(page.pointGrid->item(2, 1));
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setText("75");
    sim.meter.clearReceived();
    app.prompt.messages.clear();
    page.onWriteClicked();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    EXPECT_EQ(sim.meter.reg32(7624), 75.0f);
    // A bad cell: its box once (the grid's own checks on leaving do not
    // repeat it), and nothing is sent.
    page.pointGrid->setCurrentCell(2, 1);
    page.pointGrid->editItem(page.pointGrid->item(2, 1));
    editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setText("-5");
    sim.meter.clearReceived();
    app.prompt.onMessage = [&] {
        page.readButton->setFocus(); // as a real error box would
        QApplication::processEvents();
    };
    page.onWriteClicked();
    app.prompt.onMessage = nullptr;
    EXPECT_EQ(messages(), QStringList{"Błędnie wprowadzone współczynniki H. Brak zależności H1<H2<H3<...<Hn"});
    EXPECT_EQ(status(&page), QStringLiteral("Zapis przerwany. Błędne parametry."));
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
    // Another cell chosen while one is bad: the box, and the selection stays
    // on the bad cell until it is mended.
    for (const char *text : {"-5", "75"}) {
        page.pointGrid->item(2, 1)->setText(QString::fromLatin1(text));
        app.prompt.messages.clear();
        page.pointGrid->setCurrentCell(1, 2);
        const bool bad = QByteArray(text) == "-5";
        EXPECT_EQ(app.prompt.messages.size(), bad ? 1 : 0) << text;
        EXPECT_EQ(page.pointGrid->currentRow(), bad ? 2 : 1) << text;
        EXPECT_EQ(page.pointGrid->currentColumn(), bad ? 1 : 2) << text;
        page.pointGrid->setCurrentCell(2, 1);
    }
    page.hide();
}

TEST_F(Pages, AConfigurationFileRedrawsTheNewPages)
{
    RegisterImage im;
    loadStandardConfiguration(im);
    im.reg32(7606) = 123.5f;   // AL2 PrL
    im.reg16(4300 + 1) = 4242; // DEV 0 base register
    im.reg32(7613) = 777;
    im.reg16(4008) = 4;
    app.dir.write("cfg.k71t", buildConfigFile(im));
    app.prompt.fileNames << app.dir.file("cfg.k71t");
    app.startPanel->onOpenConfigurationClicked();
    EXPECT_EQ(app.windows->alarmsPage->alarms[1].lowThresholdEdit->text(), QStringLiteral("123.5000"));
    EXPECT_EQ(app.windows->devicesPage->baseRegisterEdit->text(), QStringLiteral("4242"));
    EXPECT_EQ(app.windows->analogOutputPage->valueAt100Edit->text(), QStringLiteral("777.0000"));
    EXPECT_EQ(app.windows->characteristicPage->pointGrid->rowCount(), 5);
}

TEST_F(Pages, EveryEditRefusesBadInputAndTakesItsBounds)
{
    AlarmsPage &alarms = *app.windows->alarmsPage;
    DevicesPage &devices = *app.windows->devicesPage;
    AnalogOutputPage &analog = *app.windows->analogOutputPage;
    struct Field {
        ConfigPage *page;
        QLineEdit *edit;
        const char *message;
        const char *low, *high, *belowLow, *aboveHigh;
    };
    const char *const floatLow = "-19999", *floatHigh = "99999", *belowFloat = "-19999.01", *aboveFloat = "99999.5";
    const Field fields[] = {
        {&alarms, alarms.alarms[0].lowThresholdEdit, "Błędnie podana wartość dolnego progu AL1.", floatLow, floatHigh,
         belowFloat, aboveFloat},
        {&alarms, alarms.alarms[3].highThresholdEdit, "Błędnie podana wartość górnego progu AL4.", floatLow, floatHigh,
         belowFloat, aboveFloat},
        {&alarms, alarms.alarms[2].delayEdit, "Błędnie podane opóźnienie AL3.", "0", "120", "-1", "121"},
        {&devices, devices.timeoutEdit, "Błędnie podany czas oczekiwania na odpowiedź", "100", "5000", "99", "5001"},
        {&devices, devices.deviceAddressEdit, "Błędnie podany adres", "0", "247", "-1", "248"},
        {&devices, devices.baseRegisterEdit, "Błędnie podany rejestr bazowy", "0", "65535", "-1", "65536"},
        {&devices, devices.registerCountEdit, "Błędnie podana liczba rejestrow", "1", "10", "0", "11"},
        {&devices, devices.pollingPeriodEdit, "Błędnie podany okres odpytywania", "1", "60", "0", "61"},
        {&devices, devices.archivingPeriodEdit, "Błędnie podany okres archiwizacji", "1", "360", "0", "361"},
        {&devices, devices.lowThresholdEdit, "Błędnie podany dolny próg archiwizacji warunkowej", "-9999", floatHigh,
         "-10000", aboveFloat},
        {&devices, devices.highThresholdEdit, "Błędnie podany górny próg archiwizacji warunkowej", "-9999", floatHigh,
         "-10000", aboveFloat},
        {&analog, analog.valueAt0Edit, "Błędnie podana wartość dla sygnału 0%.", floatLow, floatHigh, belowFloat,
         aboveFloat},
        {&analog, analog.valueAt100Edit, "Błędnie podana wartość dla sygnału 100%.", floatLow, floatHigh, belowFloat,
         aboveFloat},
    };
    for (const Field &f : fields) {
        const QString name = f.page->objectName() + "." + f.edit->objectName();
        for (const char *bad : {"abc", "1,5", "", "1e30", "inf", f.belowLow, f.aboveHigh}) {
            f.page->fillFromImage();
            f.edit->setText(QString::fromLatin1(bad));
            app.prompt.messages.clear();
            EXPECT_FALSE(f.page->takeIntoImage()) << qPrintable(name) << " " << bad;
            EXPECT_EQ(messages(), QStringList{QString::fromUtf8(f.message)}) << qPrintable(name) << " " << bad;
        }
        for (const char *good : {f.low, f.high}) {
            f.page->fillFromImage();
            f.edit->setText(QString::fromLatin1(good));
            app.prompt.messages.clear();
            EXPECT_TRUE(f.page->takeIntoImage()) << qPrintable(name) << " " << good;
            f.page->fillFromImage();
            EXPECT_EQ(f.edit->text().toDouble(), QString::fromLatin1(good).toDouble()) << qPrintable(name) << " " << good;
        }
    }
    EXPECT_TRUE(sim.meter.receivedFrames().empty());

    // Codes with no list item, from a meter or a file: no selection, and Take leaves them.
    RegisterImage &im = app.ctx->image;
    im.reg16(4014) = 9;    // alarm 1 type
    im.reg16(4303) = 40;   // DEV 0 register type
    im.reg16(4030) = 3;    // analog output type
    for (ConfigPage *page : {static_cast<ConfigPage *>(&alarms), static_cast<ConfigPage *>(&devices),
                             static_cast<ConfigPage *>(&analog)}) {
        page->fillFromImage();
        EXPECT_TRUE(page->takeIntoImage()) << qPrintable(page->objectName());
    }
    EXPECT_EQ(alarms.alarms[0].typeList->currentIndex(), -1);
    EXPECT_EQ(devices.registerTypeList->currentIndex(), -1);
    EXPECT_EQ(analog.outputTypeList->currentIndex(), -1);
    EXPECT_EQ(im.reg16(4014), 9);
    EXPECT_EQ(im.reg16(4303), 40);
    EXPECT_EQ(im.reg16(4030), 3);

    // Leaving a device with a bad field: its edits are lost, the move happens.
    devices.deviceTree->setCurrentItem(devices.deviceTree->topLevelItem(2));
    devices.deviceAddressEdit->setText("9");
    devices.registerCountEdit->setText("0");
    app.prompt.messages.clear();
    devices.deviceTree->setCurrentItem(devices.deviceTree->topLevelItem(4));
    EXPECT_EQ(messages(), QStringList{"Błędnie podana liczba rejestrow"});
    EXPECT_EQ(devices.currentDevice(), 4);
    EXPECT_EQ(im.reg16(4300 + 8 * 2), 0);
}
