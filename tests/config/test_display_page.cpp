// The display and operating mode page against the simulated meter.
#include "widgets/ClickablePanel.h"
#include "support/AppHarness.h"
#include "support/SimFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace k71t;
using k71t::sim::Bytes;
using k71t::sim::Fault;

namespace {

struct DisplayPageTest : ::testing::Test {
    test::SimHarness sim;
    test::AppHarness app;
    DisplayPage *page = nullptr;

    void SetUp() override
    {
        app.startWithMeter(sim.path);
        page = app.displayPage;
    }
    QString status() const { return page->statusBar->currentMessage(); }
    // (function, start, quantity) of every valid request the meter received.
    std::vector<std::tuple<int, int, int>> requests() const
    {
        std::vector<std::tuple<int, int, int>> out;
        for (const Bytes &f : sim.validFrames())
            out.emplace_back(f[1], f[2] << 8 | f[3], f[4] << 8 | f[5]);
        return out;
    }
};

} // namespace

TEST_F(DisplayPageTest, ControlsAndLists)
{
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Wyświetlanie / Tryb pracy"));
    EXPECT_EQ(page->displayedValueList->count(), 101);
    EXPECT_EQ(page->displayedValueList->itemText(100), QStringLiteral("Czas"));
    EXPECT_EQ(page->displayFormatList->itemText(3), QStringLiteral("0000.0"));
    EXPECT_EQ(page->operatingModeList->itemText(2), QStringLiteral("SLAVE Archiwizacja włączona"));
    EXPECT_EQ(page->unitBacklightCheck->text(), QStringLiteral("Włącz podświetlanie jednostki"));
    EXPECT_EQ(page->measurementTimeEdit->toolTip(), QStringLiteral("Czas uśredniania wyniku pomiaru."));
    EXPECT_EQ(page->displayMaximumEdit->toolTip(), QStringLiteral("Maksymalna wartość wyświetlana"));
    EXPECT_EQ(page->displayMinimumEdit->toolTip(), QStringLiteral("Minimalna wartość wyświetlana"));
    EXPECT_EQ(page->middleColourPanel->toolTip(), QStringLiteral("Naciśnij aby zmienić kolor"));
    EXPECT_EQ(page->readButton->text(), QStringLiteral("Odczytaj konfigurację"));
    EXPECT_EQ(page->writeButton->text(), QStringLiteral("Zapisz konfigurację"));
    // Shown from the standard configuration.
    EXPECT_EQ(page->measurementTimeEdit->text(), QStringLiteral("1"));
    EXPECT_EQ(page->displayFormatList->currentIndex(), 3);
    EXPECT_EQ(page->displayMaximumEdit->text(), QStringLiteral("99999.0000"));
    EXPECT_EQ(page->upperThresholdEdit->text(), QStringLiteral("80.0000"));
    EXPECT_EQ(page->lowerThresholdEdit->text(), QStringLiteral("50.0000"));
    EXPECT_EQ(page->displayMinimumEdit->text(), QStringLiteral("-19999.0000"));
    EXPECT_EQ(page->upperColourPanel->colour(), QColor(255, 0, 0));
    EXPECT_EQ(page->middleColourPanel->colour(), QColor(255, 255, 0));
    EXPECT_EQ(page->lowerColourPanel->colour(), QColor(0, 255, 0));
}

TEST_F(DisplayPageTest, WriteSendsExactlyThePageBlocks)
{
    page->measurementTimeEdit->setText("25");
    page->operatingModeList->setCurrentIndex(4);
    page->unitBacklightCheck->setChecked(true);
    page->upperThresholdEdit->setText("75.5");
    page->onWriteClicked();
    EXPECT_EQ(status(), QStringLiteral("Zapis konfiguracji...OK"));
    const std::vector<std::tuple<int, int, int>> expected = {
        {16, 4000, 1}, {16, 4003, 2}, {16, 4009, 4}, {16, 4044, 1}, {16, 7600, 4}};
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(sim.meter.reg16(4003), 25);
    EXPECT_EQ(sim.meter.reg16(4004), 4);
    EXPECT_EQ(sim.meter.reg16(4044), 1);
    EXPECT_EQ(sim.meter.reg32(7601), 75.5f);
    EXPECT_TRUE(app.prompt.messages.isEmpty());
}

TEST_F(DisplayPageTest, ReadReadsThePageBlocksAndShowsThem)
{
    sim.meter.setReg16(4000, 100);
    sim.meter.setReg16(4003, 3600);
    sim.meter.setReg16(4012, 1);
    sim.meter.setReg16(4044, 1);
    sim.meter.setReg32(7603, 1234.56789f);
    page->onReadClicked();
    EXPECT_EQ(status(), QStringLiteral("Odczyt danych...OK"));
    const std::vector<std::tuple<int, int, int>> expected = {{3, 4000, 13}, {3, 4044, 1}, {3, 7600, 4}};
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(page->displayedValueList->currentText(), QStringLiteral("Czas"));
    EXPECT_EQ(page->measurementTimeEdit->text(), QStringLiteral("3600"));
    EXPECT_EQ(page->displayMaximumEdit->text(), QStringLiteral("1234.5700"));
    EXPECT_TRUE(page->unitBacklightCheck->isChecked());
    EXPECT_EQ(page->upperColourPanel->colour(), QColor(0, 255, 0));
}

TEST_F(DisplayPageTest, ReadFailingAtTheSecondBlockKeepsTheWindow)
{
    sim.meter.setReg16(4003, 42);
    sim.meter.setReg16(4009, 0);
    sim.fault(Fault::Silence, 2);
    page->onReadClicked();
    EXPECT_EQ(status(), QStringLiteral("Odczyt zakończony błędem"));
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Odczyt danych zakończony błędem"));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(app.ctx->image.reg16(4003), 42); // 4000 .. 4012 are in the image
    EXPECT_EQ(app.ctx->image.reg16(4009), 0);
    EXPECT_EQ(page->measurementTimeEdit->text(), QStringLiteral("1")); // the window still shows the old values
    EXPECT_EQ(page->displayFormatList->currentIndex(), 3);
    EXPECT_EQ(requests().size(), 2u);
}

TEST_F(DisplayPageTest, WriteAfterAFailedWriteSendsTheSameValues)
{
    page->measurementTimeEdit->setText("17");
    sim.fault(Fault::Silence, 3);
    page->onWriteClicked();
    EXPECT_EQ(status(), QStringLiteral("Zapis konfiguracji zakończony błędem"));
    EXPECT_EQ(requests().size(), 3u);
    const std::vector<Bytes> first = sim.validFrames();
    sim.meter.clearReceived();
    sim.fault(Fault::None, 0);
    page->onWriteClicked();
    EXPECT_EQ(status(), QStringLiteral("Zapis konfiguracji...OK"));
    const std::vector<Bytes> second = sim.validFrames();
    ASSERT_EQ(second.size(), 5u);
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(first[i], second[i]) << i;
    EXPECT_EQ(sim.meter.reg16(4003), 17);
}

TEST_F(DisplayPageTest, TakeChecksTheFieldsInOrder)
{
    struct Case {
        const char *edit1;
        bool ok;
        int stored;
    };
    for (const Case c : {Case{"0", false, 1}, Case{"3601", false, 1}, Case{"3600", true, 3600}, Case{"2.9", true, 2},
                         Case{"2,9", false, 2}, Case{"", false, 2}, Case{"abc", false, 2}}) {
        app.prompt.messages.clear();
        page->measurementTimeEdit->setText(QString::fromLatin1(c.edit1));
        EXPECT_EQ(page->takeIntoImage(), c.ok) << c.edit1;
        EXPECT_EQ(app.ctx->image.reg16(4003), c.stored) << c.edit1;
        if (!c.ok) {
            ASSERT_EQ(app.prompt.messages.size(), 1) << c.edit1;
            EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany czas pomiaru"));
            EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
        }
    }
    // A failure later in the order keeps what was stored before it.
    page->measurementTimeEdit->setText("9");
    page->displayMaximumEdit->setText("500");
    page->displayMinimumEdit->setText("-5");
    page->upperThresholdEdit->setText("100000");
    page->operatingModeList->setCurrentIndex(2);
    app.prompt.messages.clear();
    EXPECT_FALSE(page->takeIntoImage());
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany górny próg zmiany koloru"));
    EXPECT_EQ(app.ctx->image.reg16(4003), 9);
    EXPECT_EQ(app.ctx->image.reg32(7603), 500.0f);
    EXPECT_EQ(app.ctx->image.reg32(7602), -5.0f);
    EXPECT_EQ(app.ctx->image.reg32(7601), 80.0f);
    EXPECT_EQ(app.ctx->image.reg16(4004), 0); // lists are stored only when every field passed
    page->upperThresholdEdit->setText("60");
    page->lowerThresholdEdit->setText("x");
    app.prompt.messages.clear();
    EXPECT_FALSE(page->takeIntoImage());
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany dolny próg zmiany koloru"));
    page->lowerThresholdEdit->setText("10");
    EXPECT_TRUE(page->takeIntoImage());
    EXPECT_EQ(app.ctx->image.reg16(4004), 2);
    EXPECT_EQ(app.ctx->image.reg32(7600), 10.0f);
}

TEST_F(DisplayPageTest, FailedTakeSendsNothing)
{
    page->displayMinimumEdit->setText("-20000");
    page->onWriteClicked();
    EXPECT_EQ(status(), QStringLiteral("Zapis przerwany. Błędne parametry."));
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany dolny próg ograniczający wyświetlanie"));
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
}

TEST_F(DisplayPageTest, ClosingTakesTheFields)
{
    page->measurementTimeEdit->setText("30");
    page->done(QDialog::Rejected);
    EXPECT_EQ(app.ctx->image.reg16(4003), 30);
    page->displayMaximumEdit->setText("1e6");
    app.prompt.messages.clear();
    page->done(QDialog::Rejected);
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany górny próg ograniczający wyświetlanie"));
    EXPECT_EQ(app.ctx->image.reg32(7603), 99999.0f);
}

TEST_F(DisplayPageTest, ColourPanelsCycle)
{
    const std::uint16_t before = app.ctx->image.reg16(4012);
    const QColor colour = page->upperColourPanel->colour();
    QTest::mouseClick(page->upperColourPanel, Qt::LeftButton);
    EXPECT_EQ(app.ctx->image.reg16(4012), (before + 1) % 3);
    EXPECT_NE(page->upperColourPanel->colour(), colour);
    QTest::mouseClick(page->upperColourPanel, Qt::LeftButton);
    QTest::mouseClick(page->upperColourPanel, Qt::LeftButton);
    EXPECT_EQ(app.ctx->image.reg16(4012), before);
    EXPECT_EQ(page->upperColourPanel->colour(), colour);
    // The lower band: 1 (green) -> 2 (yellow).
    page->onLowerColourClicked();
    EXPECT_EQ(app.ctx->image.reg16(4010), 2);
    EXPECT_EQ(page->lowerColourPanel->colour(), QColor(255, 255, 0));
    // A code the meter does not know leaves the panel as it was.
    app.ctx->image.reg16(4011) = 9;
    const QColor middle = page->middleColourPanel->colour();
    page->fillFromImage();
    EXPECT_EQ(page->middleColourPanel->colour(), middle);
    page->onMiddleColourClicked();
    EXPECT_EQ(app.ctx->image.reg16(4011), 0);
}

TEST_F(DisplayPageTest, UnopenablePortReportsTheFailure)
{
    app.ctx->portMap.setPath(2, QStringLiteral("/dev/does-not-exist"));
    page->onReadClicked();
    EXPECT_EQ(status(), QStringLiteral("Odczyt zakończony błędem"));
    page->onWriteClicked();
    EXPECT_EQ(status(), QStringLiteral("Zapis konfiguracji zakończony błędem"));
}

TEST_F(DisplayPageTest, EnterInAFieldDoesNotReadOverTheEdits)
{
    page->show();
    page->measurementTimeEdit->setFocus();
    page->measurementTimeEdit->setText("77");
    QTest::keyClick(page->measurementTimeEdit, Qt::Key_Return);
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
    EXPECT_EQ(page->measurementTimeEdit->text(), QStringLiteral("77"));
    page->hide();
}
