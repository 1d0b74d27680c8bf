// The alarm, attached devices, analog output and individual characteristic
// pages against the simulated meter: their texts, their blocks on the wire,
// their checks and what reaches the image and the meter.
#include "config/Alarmy.h"
#include "config/Analog.h"
#include "config/Indywidualna.h"
#include "config/Urzadzenia.h"
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
    std::vector<Request> requests() const
    {
        std::vector<Request> out;
        for (const Bytes &f : sim.validFrames())
            out.emplace_back(f[1], f[2] << 8 | f[3], f[4] << 8 | f[5]);
        return out;
    }
    QStringList messages() const
    {
        QStringList out;
        for (const auto &m : app.prompt.messages)
            out << m.text;
        return out;
    }
    static QString status(const ConfigPage *page) { return page->StatusBar1->currentMessage(); }
    // The page's read and write buttons, as the operator presses them.
    struct PageCase {
        const char *name;
        ConfigPage *page;
        std::vector<Request> blocks;
    };
    std::vector<PageCase> pageCases()
    {
        return {
            {"alarms", app.windows->form8, {{4013, 16, 0}, {7604, 8, 0}}},
            {"devices", app.windows->form2, {{4300, 80, 0}, {4035, 3, 0}, {7664, 20, 0}}},
            {"analog", app.windows->form7, {{4029, 2, 0}, {7612, 2, 0}}},
            {"characteristic", app.windows->form6, {{4008, 1, 0}, {7622, 42, 0}}},
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
        {app.windows->form8,
         {"Konfiguracja alarmów", "Alarm 1", "Alarm 4", "Wielkość sterująca", "Typ alarmu",
          "PrL - Dolny próg zadziałania", "PrH - Górny próg zadziałania", "Opóźnienie [s]", "Pamięć alarmu",
          "Odczytaj konfigurację", "Zapisz konfigurację"}},
        {app.windows->form2,
         {"Urządzenia dołączone", "Parametry transmisji", "Prędkość", "Tryb transmisji",
          "Czas oczekiwania na odpowiedź", "[ms]", "Konfiguracja odczytu i archiwizacji", "Adres w sieci",
          "Rejestr bazowy", "Liczba rejestrów", "Typ rejestrów", "Okres odpytywania", "Rejestry archiwizowane", "R0",
          "R9", "Okres Archiwizacji [s*10]", "Rodzaj archiwizacji", "Próg dolny", "Próg górny",
          "Dolny próg dla archiwizacji warunkowej.", "Rórny próg dla archiwizacji warunkowej.",
          "Odczytaj konfigurację", "Zapisz Konfigurację", "Wypełnij parametrami domyślnymi"}},
        {app.windows->form7,
         {"Wyjście analogowe", "Wielkość sterująca", "Typ wyjścia",
          "Wartość sterująca dla której\nwysterowanie wyjścia wynosi 0%",
          "Wartość sterującana dla której\nwysterowanie wyjścia wynosi 100%", "Odczytaj konfigurację",
          "Zapisz konfigurację"}},
        {app.windows->form6,
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
    TForm8 &alarms = *app.windows->form8;
    EXPECT_EQ(alarms.ComboBox7->count(), 102);
    EXPECT_EQ(alarms.ComboBox7->itemText(25), QStringLiteral("Dev 2 R 5 - Urządzenie 2 rejestr 5"));
    EXPECT_EQ(alarms.ComboBox7->itemText(100), QStringLiteral("Zegar czasu rzeczywistego"));
    EXPECT_EQ(alarms.ComboBox7->itemText(101), QStringLiteral("Wartość wyświetlana"));
    EXPECT_EQ(items(alarms.ComboBox8), (QStringList{"n-on", "n-off", "on", "off", "zawsze właczony", "zawsze wyłączony"}));
    TForm2 &devices = *app.windows->form2;
    EXPECT_EQ(items(devices.ComboBox1), (QStringList{"4800", "9600", "19200", "38400", "57600", "115200"}));
    EXPECT_EQ(items(devices.ComboBox2), (QStringList{"RTU 8N2", "RTU 8E1", "RTU 8O1", "RTU 8N1"}));
    EXPECT_EQ(devices.ComboBox3->count(), 26);
    EXPECT_EQ(devices.ComboBox3->itemText(20), QStringLiteral("fun. 4 - float 3210"));
    EXPECT_EQ(items(devices.ComboBox4).mid(0, 2), (QStringList{"Ciągła", "R0 - warunkowa"}));
    EXPECT_EQ(devices.ComboBox4->itemText(10), QStringLiteral("R9 - warunkowa"));
    EXPECT_EQ(devices.TreeView1->headerItem()->text(0), QStringLiteral("Wybierz urządzenie "));
    EXPECT_EQ(devices.TreeView1->topLevelItem(9)->text(0), QStringLiteral("DEV 9 - Urządzenie 10"));
    TForm7 &analog = *app.windows->form7;
    EXPECT_EQ(analog.ComboBox1->itemText(100), QStringLiteral("Wartość wyświetlana"));
    EXPECT_EQ(analog.ComboBox1->itemText(101), QStringLiteral("Zegar czasu rzeczywistego"));
    EXPECT_EQ(items(analog.ComboBox2),
              (QStringList{"Napięciowe 0...10V", "Prądowe 0...20mA", "Prądowe 4...20mA"}));
    TForm6 &characteristic = *app.windows->form6;
    EXPECT_EQ(characteristic.TrackBar1->minimum(), 2);
    EXPECT_EQ(characteristic.TrackBar1->maximum(), 21);
    // Chart titles and axes.
    for (const auto &[chart, title, bottom, left] :
         {std::tuple{analog.Chart1, "Charakterystyka wyjścia analogowego", "Wielkość sterująca", "Sygnał wyjściowy"},
          std::tuple{characteristic.Chart1, "Charakterystyka indywidualna", "Wartości H", "Wartości Y"}}) {
        EXPECT_EQ(static_cast<QCPTextElement *>(chart->plotLayout()->element(0, 0))->text(), QString::fromUtf8(title));
        EXPECT_EQ(chart->xAxis->label(), QString::fromUtf8(bottom));
        EXPECT_EQ(chart->yAxis->label(), QString::fromUtf8(left));
    }
}

TEST_F(Pages, ReadAndWriteSendExactlyThePageBlocksAndStopAtAFailingOne)
{
    for (const PageCase &c : pageCases()) {
        sim.meter.clearReceived();
        press(c.page, "SpeedButton1");
        EXPECT_EQ(requests(), withFunction(3, c.blocks)) << c.name;
        EXPECT_TRUE(status(c.page).endsWith(QStringLiteral("...OK"))) << c.name;
        sim.meter.clearReceived();
        press(c.page, "SpeedButton2");
        EXPECT_EQ(requests(), withFunction(16, c.blocks)) << c.name;
        EXPECT_TRUE(status(c.page).endsWith(QStringLiteral("...OK"))) << c.name;
        EXPECT_TRUE(app.prompt.messages.size() <= 1) << c.name; // the devices page asks first
        app.prompt.messages.clear();

        // The second block silent: the third is never asked.
        sim.meter.clearReceived();
        sim.fault(Fault::Silence, 2);
        press(c.page, "SpeedButton1");
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
            press(c.page, "SpeedButton2");
            EXPECT_EQ(requests().size(), 1u) << c.name << int(f); // nothing after the failed block
            EXPECT_TRUE(status(c.page).contains(QStringLiteral("błędem"))) << c.name << int(f);
        }
        sim.fault(Fault::None);
    }
    // The pages that tell a failed write in a box.
    for (ConfigPage *page : {static_cast<ConfigPage *>(app.windows->form8), static_cast<ConfigPage *>(app.windows->form7),
                             static_cast<ConfigPage *>(app.windows->form6)}) {
        sim.fault(Fault::Exception);
        app.prompt.messages.clear();
        press(page, "SpeedButton2");
        EXPECT_EQ(messages(), QStringList{"Zapis danych zakończony błędem"}) << qPrintable(page->objectName());
    }
}
