// The start panel as the operator sees it, with the meter simulator on COM3.
#include "support/AppHarness.h"
#include "support/SimFixture.h"
#include "support/Wait.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

struct StartPanel : ::testing::Test {
    test::AppHarness app;
    StartPanelWindow *panel = nullptr;
    test::RecordingPrompt &prompt = app.prompt;
    test::TempDir &dir = app.dir;
    AppContext *ctx = nullptr;

    void start()
    {
        app.start();
        panel = app.startPanel;
        ctx = app.ctx.get();
    }
    QStringList items(QComboBox *box) const
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
};

} // namespace

TEST_F(StartPanel, FreshStartShowsDefaultsWithoutOpeningThePort)
{
    start();
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("K71T"));
    EXPECT_EQ(items(panel->portList), (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));
    EXPECT_EQ(items(panel->modeList), (QStringList{"8N2", "8E1", "8O1", "8N1"}));
    EXPECT_EQ(items(panel->speedList), (QStringList{"4.8k", "9.6k", "19.2k", "38.4k", "57.6k", "115.2k"}));
    EXPECT_EQ(panel->portList->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(panel->modeList->currentText(), QStringLiteral("8N2"));
    EXPECT_EQ(panel->speedList->currentText(), QStringLiteral("115.2k"));
    EXPECT_EQ(panel->addressEdit->text(), QStringLiteral("1"));
    EXPECT_EQ(panel->portList->itemData(2, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyS2"));
    // As large as its controls: it cannot be stretched into an empty gap.
    EXPECT_EQ(panel->minimumSize(), panel->maximumSize());
    EXPECT_EQ(panel->size(), panel->sizeHint());
    EXPECT_FALSE(ctx->link.isOpen());
    EXPECT_TRUE(prompt.messages.isEmpty());
    // The standard configuration is in the image.
    EXPECT_EQ(ctx->image.reg16(4009), 3);
    EXPECT_EQ(ctx->image.reg16(4307), 0);
    EXPECT_EQ(ctx->image.reg16(4301), 7505);
    EXPECT_EQ(ctx->image.reg32(7603), 99999.0f);
    EXPECT_EQ(ctx->image.reg32(7689), 0.0f);
    // Dates and numbers use the C formats from now on.
    EXPECT_EQ(QLocale().toString(1.5), QStringLiteral("1.5"));
}

TEST_F(StartPanel, ButtonsInTheirOrderWithTheirCaptions)
{
    start();
    QStringList names, captions;
    for (QPushButton *b : panel->buttonColumn()) {
        names << b->objectName();
        captions << b->text().trimmed();
    }
    EXPECT_EQ(names, (QStringList{"displayButton", "characteristicButton", "analogOutputButton", "alarmsButton",
                                  "systemButton", "interfaceButton", "databaseButton", "devicesButton",
                                  "archiveButton", "schedulerButton", "monitorButton", "chartButton",
                                  "bulkReadButton", "bulkWriteButton", "openConfigurationButton",
                                  "saveConfigurationButton", "monthlyArchiveButton", "aboutButton"}));
    EXPECT_EQ(captions, (QStringList{"Wyświetlanie / Tryb pracy", "Charakterystyka indywidualna",
                                     "Wyjście analogowe", "Alarmy", "Parametry systemowe", "Parametry połączenia",
                                     "MySQL-konfiguracja połączenia",
                                     "Konfiguracja odczytu z urządzeń / archiwizacji", "Archiwum - Odczyt/Konwersja",
                                     "Automatyczne pobieranie archiwum", "Monitor - odczyt danych",
                                     "Wykres - analiza danych", "Odczytaj konfigurację z K71T",
                                     "Zapisz konfigurację do K71T", "Odczytaj konfigurację z pliku",
                                     "Zapisz konfigurację do pliku", "Utwórz archiwum miesięczne", "O programie"}));
}

TEST_F(StartPanel, AboutBoxOpensModally)
{
    start();
    EXPECT_TRUE(panel->aboutButton->isEnabled());
    QTest::mouseClick(panel->aboutButton, Qt::LeftButton);
    EXPECT_EQ(prompt.modalWindows, QStringList{"AboutDialog"});
    EXPECT_EQ(app.aboutDialog->windowTitle(), QStringLiteral("Informacje"));
    QStringList texts;
    for (QLabel *l : app.aboutDialog->findChildren<QLabel *>())
        texts << l->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("K71T - program do konfiguracji wskaźników K71T")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Wersja: 2.1.0")));
    EXPECT_EQ(app.aboutDialog->closeButton->text(), QStringLiteral("Zamknij"));
}

TEST_F(StartPanel, UartCfgDecidesTheSelection)
{
    dir.write("uart.cfg", QByteArray::fromHex("040200"));
    start();
    EXPECT_EQ(panel->portList->currentText(), QStringLiteral("COM5"));
    EXPECT_EQ(panel->modeList->currentText(), QStringLiteral("8E1"));
    EXPECT_EQ(panel->speedList->currentIndex(), -1); // 2400 baud has no item
    EXPECT_EQ(ctx->portSettings.speedIndex, 0);
    EXPECT_FALSE(ctx->link.isOpen());
}

TEST_F(StartPanel, FourteenThousandFourHundredBaudHasNoItemEither)
{
    dir.write("uart.cfg", QByteArray::fromHex("020103"));
    start();
    EXPECT_EQ(panel->speedList->currentIndex(), -1);
    EXPECT_EQ(ctx->portSettings.speedIndex, 3);
    // Another setting applied keeps the speed the list cannot show.
    panel->modeList->setCurrentIndex(1);
    EXPECT_EQ(ctx->portSettings.speedIndex, 3);
}

TEST_F(StartPanel, RejectedUartCfgKeepsDefaults)
{
    dir.write("uart.cfg", QByteArray::fromHex("090000"));
    start();
    EXPECT_EQ(panel->portList->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(panel->speedList->currentText(), QStringLiteral("115.2k"));
}

TEST_F(StartPanel, AddressFieldCases)
{
    test::SimHarness sim;
    start();
    // The port is opened on the link worker, and the start-up's box would
    // come while the panel waits for it.
    app.runStartTimer();
    prompt.messages.clear();
    ctx->portMap.setPath(2, sim.path);
    panel->addressEdit->setText(QStringLiteral("12.7"));
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(ctx->meterAddress, 12);
    EXPECT_EQ(ctx->image.reg16(4033), 12);
    EXPECT_TRUE(ctx->link.isOpen());

    for (const char *bad : {"0", "248", "abc", ""}) {
        prompt.messages.clear();
        panel->addressEdit->setText(QString::fromLatin1(bad));
        ASSERT_EQ(prompt.messages.size(), 1) << bad;
        EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Błędnie podany adres"));
        EXPECT_EQ(prompt.messages[0].caption, QStringLiteral("Błąd"));
        EXPECT_EQ(prompt.messages[0].icon, PromptIcon::Error);
        EXPECT_FALSE(ctx->link.isOpen()) << bad;
        EXPECT_EQ(ctx->meterAddress, 12) << bad;
    }
    // Typing 1 and then 12 applies twice and ends at 12 with the port open.
    prompt.messages.clear();
    QTest::keyClicks(panel->addressEdit, QStringLiteral("12"));
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(ctx->meterAddress, 12);
    EXPECT_TRUE(ctx->link.isOpen());
}

TEST_F(StartPanel, ChangingASettingReopensThePortForTheMeter)
{
    test::SimHarness sim(1, 3, 3); // the meter at 38400 8N1
    start();
    ctx->portMap.setPath(2, sim.path);
    panel->speedList->setCurrentIndex(3); // 38.4k
    EXPECT_EQ(ctx->portSettings.speedIndex, 5);
    EXPECT_TRUE(ctx->link.isOpen());
    EXPECT_FALSE(ctx->link.readBlock16(4000, 1, 1, 100)); // still 8N2
    // The meter judges bytes by the line as it finds it when it reads them.
    ASSERT_TRUE(test::waitUntil([&] { return sim.line.noiseBytes() >= 8; }));
    panel->modeList->setCurrentIndex(3); // 8N1
    EXPECT_EQ(ctx->portSettings.modeKind, 0);
    EXPECT_TRUE(ctx->link.readBlock16(4000, 1, 1, 500, true));
    // A port that cannot be opened stays the chosen one for later tries.
    panel->portList->setCurrentIndex(6);
    EXPECT_FALSE(ctx->link.isOpen());
    EXPECT_EQ(ctx->portSettings.portIndex, 6);
    EXPECT_EQ(panel->portList->toolTip(), QStringLiteral("/dev/ttyS6"));
}

TEST_F(StartPanel, PortsConfAndEnvironmentMapComPorts)
{
    dir.write("ports.conf", "# test ports\nCOM3=/dev/ttyUSB0\ncom4 = /dev/ttyACM1\nCOM9=/dev/x\nrubbish\n");
    qputenv("K71T_COM5", "/dev/pts/77");
    start();
    qunsetenv("K71T_COM5");
    EXPECT_EQ(ctx->portMap.path(2), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(ctx->portMap.path(3), QStringLiteral("/dev/ttyACM1"));
    EXPECT_EQ(ctx->portMap.path(4), QStringLiteral("/dev/pts/77"));
    EXPECT_EQ(ctx->portMap.path(0), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(panel->portList->itemData(2, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(panel->portList->toolTip(), QStringLiteral("/dev/ttyUSB0"));
    PortMap fresh;
    const QStringList warnings = fresh.load(dir.path());
    EXPECT_EQ(warnings.size(), 2); // COM9 and rubbish
}

TEST(PortMapFile, PathsThatWouldReachTheSystemCutOrGarbledAreRefused)
{
    test::TempDir dir;
    const QByteArray content = QByteArray("COM1=/dev/ttyUSB0\n") + QByteArray("COM2=/dev/tty\0USB1\n", 19) +
                               "COM3=/dev/tty\x01USB2\n" + "COM4=/dev/tty\xff\xfeUSB3\n" + "COM5=/dev/ttyACM0\n";
    dir.write("ports.conf", content);
    qputenv("K71T_COM6", "/dev/pts/\x1b[1m");
    PortMap map;
    const QStringList warnings = map.load(dir.path());
    qunsetenv("K71T_COM6");
    EXPECT_EQ(map.path(0), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(map.path(1), QStringLiteral("/dev/ttyS1")); // refused: the default stays
    EXPECT_EQ(map.path(2), QStringLiteral("/dev/ttyS2"));
    EXPECT_EQ(map.path(3), QStringLiteral("/dev/ttyS3"));
    EXPECT_EQ(map.path(4), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(map.path(5), QStringLiteral("/dev/ttyS5"));
    ASSERT_EQ(warnings.size(), 4);
    EXPECT_TRUE(warnings[0].startsWith(QStringLiteral("ports.conf, wiersz 2: niedozwolone znaki"))) << qPrintable(warnings[0]);
    EXPECT_TRUE(warnings[3].startsWith(QStringLiteral("K71T_COM6: niedozwolone znaki"))) << qPrintable(warnings[3]);
}

TEST_F(StartPanel, TimerRunsOnceAfterStart)
{
    start();
    EXPECT_TRUE(panel->startupTimer->isActive());
    EXPECT_EQ(panel->startupTimer->interval(), 100);
    EXPECT_TRUE(test::waitUntil([&] { return !panel->startupTimer->isActive(); }));
    EXPECT_EQ(prompt.messages.size(), 1); // it ran: no def.k71t
}

TEST_F(StartPanel, CloseSavesUartCfg)
{
    start();
    {
        const QSignalBlocker block(panel->portList);
        panel->portList->setCurrentIndex(0);
    }
    panel->onPortChanged();
    panel->close();
    EXPECT_EQ(dir.read("uart.cfg"), QByteArray::fromHex("000107"));
}
