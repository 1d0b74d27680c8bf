// The configuration file from the start panel: def.k71t at start and exit,
// and the two file buttons.
#include "config/ConfigFile.h"
#include "config/StandardConfig.h"
#include "support/AppHarness.h"
#include "support/SimFixture.h"

#include <QDir>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

QByteArray configWith(int address, int measurementTime)
{
    RegisterImage im;
    loadStandardConfiguration(im);
    im.reg16(4033) = static_cast<std::uint16_t>(address);
    im.reg16(4003) = static_cast<std::uint16_t>(measurementTime);
    return buildConfigFile(im);
}

} // namespace

TEST(ConfigAtStart, DefK71tSetsTheAddressAndThePages)
{
    test::SimHarness sim(5);
    test::AppHarness app;
    app.dir.write("def.k71t", configWith(5, 44));
    qputenv("K71T_COM3", sim.path.toLocal8Bit());
    app.start();
    qunsetenv("K71T_COM3");
    EXPECT_EQ(app.startPanel->addressEdit->text(), QStringLiteral("1"));
    app.runStartTimer();
    EXPECT_EQ(app.startPanel->addressEdit->text(), QStringLiteral("5"));
    EXPECT_EQ(app.ctx->meterAddress, 5);
    EXPECT_EQ(app.displayPage->measurementTimeEdit->text(), QStringLiteral("44")); // pages redrawn
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    app.displayPage->onReadClicked();
    ASSERT_FALSE(sim.validFrames().empty());
    for (const auto &frame : sim.validFrames())
        EXPECT_EQ(frame[0], 5);
    EXPECT_EQ(app.prompt.messages.size(), 0);
}

TEST(ConfigAtStart, AnAddressOutsideTheRangeNeverBecomesTheMeterAddress)
{
    // 0 would make every write a broadcast, 256 too (its low byte), 300 would reach meter 44.
    for (int bad : {0, 248, 256, 300}) {
        test::SimHarness sim(1);
        test::AppHarness app;
        app.dir.write("def.k71t", configWith(bad, 44));
        qputenv("K71T_COM3", sim.path.toLocal8Bit());
        app.start();
        qunsetenv("K71T_COM3");
        app.runStartTimer();
        ASSERT_EQ(app.prompt.messages.size(), 1) << bad;
        EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany adres"));
        EXPECT_EQ(app.ctx->meterAddress, 1) << bad;
        app.displayPage->onWriteClicked();
        ASSERT_FALSE(sim.validFrames().empty()) << bad;
        for (const auto &frame : sim.validFrames())
            EXPECT_EQ(frame[0], 1) << bad;
    }
}

TEST(ConfigAtStart, MissingDefK71tIsReportedAndTheStandardStays)
{
    test::AppHarness app;
    app.start();
    app.runStartTimer();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Brak ostatniej konfiguracji. Załadowano konfigurację standardową."));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Informacja"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Information);
    EXPECT_EQ(app.ctx->image.reg16(4009), 3);
    EXPECT_EQ(app.startPanel->addressEdit->text(), QStringLiteral("1"));
}

TEST(ConfigAtStart, InvalidDefK71tIsSilent)
{
    test::AppHarness app;
    app.dir.write("def.k71t", configWith(5, 44).left(600));
    app.start();
    app.runStartTimer();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    EXPECT_EQ(app.ctx->image.reg16(4003), 1);
    EXPECT_EQ(app.ctx->meterAddress, 1);
}

TEST(ConfigAtExit, DefK71tAndUartCfgAreSaved)
{
    test::AppHarness app;
    app.dir.write("def.k71t", configWith(7, 12));
    app.start();
    app.runStartTimer();
    app.displayPage->measurementTimeEdit->setText("99");
    app.displayPage->done(0);
    app.startPanel->close();
    RegisterImage saved;
    ASSERT_TRUE(parseConfigFile(app.dir.read("def.k71t"), saved));
    EXPECT_EQ(saved.reg16(4003), 99);
    EXPECT_EQ(saved.reg16(4033), 7);
    EXPECT_EQ(app.dir.read("uart.cfg").size(), 3);
}

TEST(ConfigAtExit, ClosedBeforeDefK71tWasReadTheFileStays)
{
    test::AppHarness app;
    const QByteArray previous = configWith(7, 12);
    app.dir.write("def.k71t", previous);
    app.start();
    app.startPanel->startupTimer->stop(); // a signal came before the start-up timer
    app.startPanel->close();
    EXPECT_EQ(app.dir.read("def.k71t"), previous);
    EXPECT_EQ(app.dir.read("uart.cfg").size(), 3);
}

TEST(ConfigAtExit, UnwritableFolderKeepsThePreviousFile)
{
    test::AppHarness app;
    const QByteArray previous = configWith(3, 3);
    app.dir.write("def.k71t", previous);
    app.start();
    app.runStartTimer();
    // The folder disappears under the program: nothing can be written.
    const QString moved = app.dir.path() + "-moved";
    ASSERT_TRUE(QDir().rename(app.dir.path(), moved));
    app.startPanel->close();
    QFile kept(moved + "/def.k71t");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), previous);
    kept.close();
    QDir().rename(moved, app.dir.path());
}

TEST(ConfigFileButtons, OpenLoadsAndRedrawsOrReportsAnError)
{
    test::AppHarness app;
    app.start();
    app.runStartTimer();
    app.prompt.messages.clear();
    app.dir.write("good.k71t", configWith(9, 77));
    app.dir.write("bad.k71t", QByteArray(650, 'x'));

    app.prompt.fileNames << app.dir.file("bad.k71t");
    app.startPanel->openConfigurationButton->click();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text,
              QStringLiteral("Błąd podczas odczytu plik. Niewłaściwy format lub plik uszkodzony."));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Information);
    EXPECT_EQ(app.prompt.fileFilters.last(), QStringLiteral("Plik konfiguracyjny K71T (*.k71t)|*.k71t"));

    app.prompt.messages.clear();
    app.prompt.fileNames << app.dir.file("good.k71t");
    app.startPanel->openConfigurationButton->click();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    EXPECT_EQ(app.displayPage->measurementTimeEdit->text(), QStringLiteral("77"));
    EXPECT_EQ(app.ctx->image.reg16(4033), 9);

    // A file that vanished: Load's own box, then the panel's.
    app.prompt.fileNames << app.dir.file("gone.k71t");
    app.startPanel->openConfigurationButton->click();
    ASSERT_EQ(app.prompt.messages.size(), 2);
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Informacja"));
    EXPECT_EQ(app.prompt.messages[1].caption, QStringLiteral("Błąd"));

    // Cancelled dialog: nothing happens.
    app.prompt.messages.clear();
    app.startPanel->openConfigurationButton->click();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
}

TEST(ConfigFileButtons, SaveAppliesTheNameRuleAndReportsFailure)
{
    test::AppHarness app;
    app.start();
    app.runStartTimer();
    app.prompt.messages.clear();
    app.ctx->image.reg16(4003) = 321;
    app.prompt.fileNames << app.dir.file("konfiguracja");
    app.startPanel->saveConfigurationButton->click();
    RegisterImage saved;
    ASSERT_TRUE(parseConfigFile(app.dir.read("konfiguracja.k71t"), saved));
    EXPECT_EQ(saved.reg16(4003), 321);
    EXPECT_TRUE(app.prompt.messages.isEmpty());

    app.prompt.fileNames << app.dir.file("no-such-folder/x.k71t");
    app.startPanel->saveConfigurationButton->click();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(app.prompt.messages[0].text,
              QStringLiteral("Błąd podczas zapisu pliku %1 (brak pliku lub folderu). Konfiguracja nie została zapisana.")
                  .arg(app.dir.file("no-such-folder/x.k71t")));
}

TEST(ConfigFileButtons, DisplayPageOpensModally)
{
    test::AppHarness app;
    app.start();
    EXPECT_TRUE(app.startPanel->displayButton->isEnabled());
    app.startPanel->displayButton->click();
    EXPECT_EQ(app.prompt.modalWindows, QStringList{"DisplayPage"});
}
