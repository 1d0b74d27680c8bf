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
    QString status() const { return page->StatusBar1->currentMessage(); }
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
    EXPECT_EQ(page->ComboBox1->count(), 101);
    EXPECT_EQ(page->ComboBox1->itemText(100), QStringLiteral("Czas"));
    EXPECT_EQ(page->ComboBox2->itemText(3), QStringLiteral("0000.0"));
    EXPECT_EQ(page->ComboBox3->itemText(2), QStringLiteral("SLAVE Archiwizacja włączona"));
    EXPECT_EQ(page->CheckBox1->text(), QStringLiteral("Włącz podświetlanie jednostki"));
    EXPECT_EQ(page->Edit1->toolTip(), QStringLiteral("Czas uśredniania wyniku pomiaru."));
    EXPECT_EQ(page->Edit2->toolTip(), QStringLiteral("Maksymalna wartość wyświetlana"));
    EXPECT_EQ(page->Edit5->toolTip(), QStringLiteral("Minimalna wartość wyświetlana"));
    EXPECT_EQ(page->Panel2->toolTip(), QStringLiteral("Naciśnij aby zmienić kolor"));
    EXPECT_EQ(page->SpeedButton1->text(), QStringLiteral("Odczytaj konfigurację"));
    EXPECT_EQ(page->SpeedButton2->text(), QStringLiteral("Zapisz konfigurację"));
    // Shown from the standard configuration.
    EXPECT_EQ(page->Edit1->text(), QStringLiteral("1"));
    EXPECT_EQ(page->ComboBox2->currentIndex(), 3);
    EXPECT_EQ(page->Edit2->text(), QStringLiteral("99999.0000"));
    EXPECT_EQ(page->Edit3->text(), QStringLiteral("80.0000"));
    EXPECT_EQ(page->Edit4->text(), QStringLiteral("50.0000"));
    EXPECT_EQ(page->Edit5->text(), QStringLiteral("-19999.0000"));
    EXPECT_EQ(page->Panel1->colour(), QColor(255, 0, 0));
    EXPECT_EQ(page->Panel2->colour(), QColor(255, 255, 0));
    EXPECT_EQ(page->Panel3->colour(), QColor(0, 255, 0));
}

TEST_F(DisplayPageTest, WriteSendsExactlyThePageBlocks)
{
    page->Edit1->setText("25");
    page->ComboBox3->setCurrentIndex(4);
    page->CheckBox1->setChecked(true);
    page->Edit3->setText("75.5");
    page->SpeedButton2Click();
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
    page->SpeedButton1Click();
    EXPECT_EQ(status(), QStringLiteral("Odczyt danych...OK"));
    const std::vector<std::tuple<int, int, int>> expected = {{3, 4000, 13}, {3, 4044, 1}, {3, 7600, 4}};
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(page->ComboBox1->currentText(), QStringLiteral("Czas"));
    EXPECT_EQ(page->Edit1->text(), QStringLiteral("3600"));
    EXPECT_EQ(page->Edit2->text(), QStringLiteral("1234.5700"));
    EXPECT_TRUE(page->CheckBox1->isChecked());
    EXPECT_EQ(page->Panel1->colour(), QColor(0, 255, 0));
}

TEST_F(DisplayPageTest, ReadFailingAtTheSecondBlockKeepsTheWindow)
{
    sim.meter.setReg16(4003, 42);
    sim.meter.setReg16(4009, 0);
    sim.fault(Fault::Silence, 2);
    page->SpeedButton1Click();
    EXPECT_EQ(status(), QStringLiteral("Odczyt zakończony błędem"));
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Odczyt danych zakończony błędem"));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(app.ctx->image.reg16(4003), 42); // 4000 .. 4012 are in the image
    EXPECT_EQ(app.ctx->image.reg16(4009), 0);
    EXPECT_EQ(page->Edit1->text(), QStringLiteral("1")); // the window still shows the old values
    EXPECT_EQ(page->ComboBox2->currentIndex(), 3);
    EXPECT_EQ(requests().size(), 2u);
}

TEST_F(DisplayPageTest, WriteAfterAFailedWriteSendsTheSameValues)
{
    page->Edit1->setText("17");
    sim.fault(Fault::Silence, 3);
    page->SpeedButton2Click();
    EXPECT_EQ(status(), QStringLiteral("Zapis konfiguracji zakończony błędem"));
    EXPECT_EQ(requests().size(), 3u);
    const std::vector<Bytes> first = sim.validFrames();
    sim.meter.clearReceived();
    sim.fault(Fault::None, 0);
    page->SpeedButton2Click();
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
        page->Edit1->setText(QString::fromLatin1(c.edit1));
        EXPECT_EQ(page->Take(), c.ok) << c.edit1;
        EXPECT_EQ(app.ctx->image.reg16(4003), c.stored) << c.edit1;
        if (!c.ok) {
            ASSERT_EQ(app.prompt.messages.size(), 1) << c.edit1;
            EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany czas pomiaru"));
            EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
        }
    }
    // A failure later in the order keeps what was stored before it.
    page->Edit1->setText("9");
    page->Edit2->setText("500");
    page->Edit5->setText("-5");
    page->Edit3->setText("100000");
    page->ComboBox3->setCurrentIndex(2);
    app.prompt.messages.clear();
    EXPECT_FALSE(page->Take());
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany górny próg zmiany koloru"));
    EXPECT_EQ(app.ctx->image.reg16(4003), 9);
    EXPECT_EQ(app.ctx->image.reg32(7603), 500.0f);
    EXPECT_EQ(app.ctx->image.reg32(7602), -5.0f);
    EXPECT_EQ(app.ctx->image.reg32(7601), 80.0f);
    EXPECT_EQ(app.ctx->image.reg16(4004), 0); // lists are stored only when every field passed
    page->Edit3->setText("60");
    page->Edit4->setText("x");
    app.prompt.messages.clear();
    EXPECT_FALSE(page->Take());
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany dolny próg zmiany koloru"));
    page->Edit4->setText("10");
    EXPECT_TRUE(page->Take());
    EXPECT_EQ(app.ctx->image.reg16(4004), 2);
    EXPECT_EQ(app.ctx->image.reg32(7600), 10.0f);
}

TEST_F(DisplayPageTest, FailedTakeSendsNothing)
{
    page->Edit5->setText("-20000");
    page->SpeedButton2Click();
    EXPECT_EQ(status(), QStringLiteral("Zapis przerwany. Błędne parametry."));
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany dolny próg ograniczający wyświetlanie"));
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
}

TEST_F(DisplayPageTest, ClosingTakesTheFields)
{
    page->Edit1->setText("30");
    page->done(QDialog::Rejected);
    EXPECT_EQ(app.ctx->image.reg16(4003), 30);
    page->Edit2->setText("1e6");
    app.prompt.messages.clear();
    page->done(QDialog::Rejected);
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Błędnie podany górny próg ograniczający wyświetlanie"));
    EXPECT_EQ(app.ctx->image.reg32(7603), 99999.0f);
}

TEST_F(DisplayPageTest, ColourPanelsCycle)
{
    const std::uint16_t before = app.ctx->image.reg16(4012);
    const QColor colour = page->Panel1->colour();
    QTest::mouseClick(page->Panel1, Qt::LeftButton);
    EXPECT_EQ(app.ctx->image.reg16(4012), (before + 1) % 3);
    EXPECT_NE(page->Panel1->colour(), colour);
    QTest::mouseClick(page->Panel1, Qt::LeftButton);
    QTest::mouseClick(page->Panel1, Qt::LeftButton);
    EXPECT_EQ(app.ctx->image.reg16(4012), before);
    EXPECT_EQ(page->Panel1->colour(), colour);
    // Panel3 is the lower band: 1 (green) -> 2 (yellow).
    page->Panel3Click();
    EXPECT_EQ(app.ctx->image.reg16(4010), 2);
    EXPECT_EQ(page->Panel3->colour(), QColor(255, 255, 0));
    // A code the meter does not know leaves the panel as it was.
    app.ctx->image.reg16(4011) = 9;
    const QColor middle = page->Panel2->colour();
    page->Show();
    EXPECT_EQ(page->Panel2->colour(), middle);
    page->Panel2Click();
    EXPECT_EQ(app.ctx->image.reg16(4011), 0);
}

TEST_F(DisplayPageTest, UnopenablePortReportsTheFailure)
{
    app.ctx->portMap.setPath(2, QStringLiteral("/dev/does-not-exist"));
    page->SpeedButton1Click();
    EXPECT_EQ(status(), QStringLiteral("Odczyt zakończony błędem"));
    page->SpeedButton2Click();
    EXPECT_EQ(status(), QStringLiteral("Zapis konfiguracji zakończony błędem"));
}

TEST_F(DisplayPageTest, EnterInAFieldDoesNotReadOverTheEdits)
{
    page->show();
    page->Edit1->setFocus();
    page->Edit1->setText("77");
    QTest::keyClick(page->Edit1, Qt::Key_Return);
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
    EXPECT_EQ(page->Edit1->text(), QStringLiteral("77"));
    page->hide();
}
