// The bulk transfer against the simulated meter over the pseudo-terminal:
// through the window and the start panel (the event loop runs until the
// window hides), and the step engine on its own where each step's retries
// are the point.
#include "config/ui/AlarmsPage.h"
#include "config/ui/AnalogOutputPage.h"
#include "config/BulkTransfer.h"
#include "config/ui/CharacteristicPage.h"
#include "config/StandardConfig.h"
#include "config/ui/SystemPage.h"
#include "config/ui/BulkTransferDialog.h"
#include "config/ui/InterfacePage.h"
#include "config/ui/DevicesPage.h"
#include "common/TextFormats.h"
#include "monitor/ui/MonitorWindow.h"
#include "support/AppHarness.h"
#include "support/SimFixture.h"
#include "support/Wait.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <fcntl.h>
#include <map>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace k71t;
using k71t::sim::Fault;
using k71t::sim::FaultPlan;

namespace {

using Request = std::tuple<int, int, int>; // function, start, count

const std::vector<Request> ReadFrames = {
    {3, 4000, 60}, {3, 4300, 80}, {3, 7600, 50}, {3, 7650, 34}, {3, 7500, 50}};
const std::vector<Request> WriteFrames = {
    {16, 4000, 4},  {16, 4005, 1},  {16, 4008, 23}, {16, 4043, 2}, {16, 4300, 80}, {16, 7600, 50}, {16, 7650, 34},
    {3, 4039, 16},  {3, 4005, 1},   {16, 4031, 7},  {16, 4034, 1}, {3, 4031, 7},   {16, 4004, 1}};

struct BulkWindow : ::testing::Test {
    test::SimHarness sim;
    test::AppHarness app;
    BulkTransferDialog *dialog = nullptr;
    QList<int> progress;
    // Runs while the transfer is under way, at each progress value.
    std::function<void(int)> during;

    void SetUp() override
    {
        app.startWithMeter(sim.path);
        dialog = app.windows->bulkTransferDialog;
        QObject::connect(dialog->progressBar, &QProgressBar::valueChanged, [this](int v) {
            progress << v;
            if (during)
                during(v);
        });
    }
    // Clicks a start panel button and lets the event loop run the transfer.
    void run(QPushButton *button)
    {
        progress.clear();
        button->click();
        ASSERT_TRUE(dialog->isVisible());
        ASSERT_TRUE(test::waitUntil([this] { return !dialog->isVisible(); }));
    }
    QStringList messages() const
    {
        QStringList out;
        for (const auto &m : app.prompt.messages)
            out << m.text;
        return out;
    }
};

} // namespace

TEST_F(BulkWindow, AReadTakesTheFiveBlocksAndRedrawsEveryPage)
{
    // A meter configured otherwise than the standard configuration.
    sim.meter.setReg16(4003, 17);
    sim.meter.setReg32(7600, 3.25f);
    sim.meter.setReg16(4008, 5);
    sim.meter.setReg32(7612, -2.5f);
    sim.meter.setReg16(4015, 42);
    sim.meter.setReg16(4051, 0x8000);
    sim.meter.setReg16(4036, 3);
    sim.meter.pin(7505, 12.5f);
    sim.meter.setReg16(4301, 123);

    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Transmisja"));
    EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog->captionLabel->text(), QStringLiteral("Transmisja danych..."));
    EXPECT_EQ(dialog->progressBar->maximum(), 816);

    // While it runs the meter's windows are closed to the operator, and a
    // second transfer is refused.
    QList<bool> buttonsWhileRunning, secondStart;
    during = [&](int) {
        buttonsWhileRunning << (app.startPanel->displayButton->isEnabled() || app.startPanel->bulkReadButton->isEnabled() ||
                                app.startPanel->openConfigurationButton->isEnabled() || app.startPanel->addressEdit->isEnabled() ||
                                app.startPanel->speedList->isEnabled());
        secondStart << dialog->startRead();
    };
    run(app.startPanel->bulkReadButton);
    EXPECT_EQ(sim.requests(), ReadFrames);
    EXPECT_EQ(progress, (QList<int>{120, 280, 480, 616, 816}));
    EXPECT_EQ(buttonsWhileRunning, QList<bool>(5, false));
    EXPECT_EQ(secondStart, QList<bool>(5, false));
    EXPECT_TRUE(app.startPanel->displayButton->isEnabled());
    EXPECT_TRUE(app.startPanel->bulkReadButton->isEnabled());
    EXPECT_TRUE(app.startPanel->addressEdit->isEnabled());
    EXPECT_TRUE(messages().isEmpty());

    const AppWindows &w = *app.windows;
    EXPECT_EQ(w.displayPage->measurementTimeEdit->text(), QStringLiteral("17"));
    EXPECT_EQ(w.displayPage->lowerThresholdEdit->text(), formatFloat(3.25, 4));
    EXPECT_EQ(w.characteristicPage->pointCountSlider->value(), 5);
    EXPECT_EQ(w.analogOutputPage->valueAt0Edit->text(), formatFloat(-2.5, 4));
    EXPECT_EQ(w.alarmsPage->alarms[0].delayEdit->text(), QStringLiteral("42"));
    EXPECT_EQ(w.systemPage->statusMemo->toPlainText().section('\n', 0, 0), QStringLiteral("* Przerwa w zasilaniu."));
    EXPECT_EQ(w.interfacePage->primaryModeList->currentIndex(), 3);
    EXPECT_EQ(w.monitorWindow->displayedValueLabel->text(),
              MonitorModel::labelText(12.5f, w.monitorWindow->model().precision(0)));
    EXPECT_EQ(w.devicesPage->baseRegisterEdit->text(), QStringLiteral("123"));
    EXPECT_EQ(w.devicesPage->modeList->currentIndex(), 3);
    EXPECT_FALSE(dialog->transfer().running());
    EXPECT_EQ(dialog->transfer().readStep(), 0);
}

TEST_F(BulkWindow, EveryTransferStartsAtStepZero)
{
    // A read closed after its second block, then a whole one.
    during = [&](int v) {
        if (v == 280)
            dialog->close();
    };
    run(app.startPanel->bulkReadButton);
    during = nullptr;
    EXPECT_EQ(dialog->transfer().readStep(), 0);
    EXPECT_EQ(dialog->transfer().retries(), 0);
    run(app.startPanel->bulkReadButton);
    run(app.startPanel->bulkReadButton);
    std::vector<Request> expected = {ReadFrames[0], ReadFrames[1]};
    expected.insert(expected.end(), ReadFrames.begin(), ReadFrames.end());
    expected.insert(expected.end(), ReadFrames.begin(), ReadFrames.end());
    EXPECT_EQ(sim.requests(), expected);
    EXPECT_EQ(progress, (QList<int>{0, 120, 280, 480, 616, 816}));

    // A cancelled confirmation starts nothing.
    sim.meter.clearReceived();
    app.prompt.answers = {PromptAnswer::Cancel};
    app.startPanel->bulkWriteButton->click();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text,
              QStringLiteral("Zapis spowoduje usunięcie danych archiwlanych z pamięci wewnętrznej. Kontynuować"));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Archiwum"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Question);
    EXPECT_EQ(app.prompt.messages[0].buttons, PromptButtons::OkCancel);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(sim.requests().empty());
}

TEST_F(BulkWindow, AWriteSendsTheConfigurationAndTakesThePcToTheNewInterface)
{
    RegisterImage &im = app.ctx->image;
    im.reg16(4003) = 9;
    im.reg16(4005) = 1;
    im.reg16(4020) = 77;
    im.reg16(4044) = 1;
    im.reg16(4333) = 4242;
    im.reg32(7649) = 49.5f;
    im.reg32(7683) = -1.25f;
    im.reg16(4035) = 2; // primary interface 19200 8E1
    im.reg16(4036) = 1;
    im.reg16(4004) = 2;
    // Not the bulk write's: the access code, commands, a float past 7683.
    std::map<int, std::uint16_t> meterBefore16;
    for (int reg : {4006, 4007, 4039, 4045, 4055}) {
        meterBefore16[reg] = sim.meter.reg16(reg);
        im.reg16(reg) = static_cast<std::uint16_t>(meterBefore16[reg] + 1);
    }
    const float meterBefore32 = sim.meter.reg32(7684);
    im.reg32(7684) = meterBefore32 + 1;
    run(app.startPanel->bulkWriteButton);
    EXPECT_EQ(messages(),
              QStringList{"Zapis spowoduje usunięcie danych archiwlanych z pamięci wewnętrznej. Kontynuować"});
    EXPECT_EQ(sim.requests(), WriteFrames);
    EXPECT_EQ(progress, (QList<int>{8, 54, 58, 218, 418, 554, 685, 816}));

    // Steps 0 .. 6 up to the apply at 115200 8N2, then the PC followed.
    const auto arrivals = sim.line.arrivals();
    ASSERT_EQ(arrivals.size(), WriteFrames.size());
    for (std::size_t i = 0; i < arrivals.size(); ++i) {
        const bool after = i >= arrivals.size() - 2;
        EXPECT_EQ(arrivals[i].baud, after ? 19200 : 115200) << i;
        EXPECT_EQ(arrivals[i].stopBits, after ? 1 : 2) << i;
    }
    EXPECT_EQ(app.startPanel->speedList->currentText(), QStringLiteral("19.2k"));
    EXPECT_EQ(app.startPanel->modeList->currentText(), QStringLiteral("8E1"));

    // The meter holds what was sent, and nothing it was not sent.
    for (int reg : {4000, 4003, 4004, 4005, 4020, 4030, 4031, 4035, 4036, 4037, 4043, 4044, 4300, 4333, 4379})
        EXPECT_EQ(sim.meter.reg16(reg), im.reg16(reg)) << reg;
    for (int reg : {7600, 7649, 7650, 7683})
        EXPECT_EQ(sim.meter.reg32(reg), im.reg32(reg)) << reg;
    for (int reg : {4006, 4007, 4039, 4045, 4055})
        EXPECT_EQ(sim.meter.reg16(reg), meterBefore16.at(reg)) << reg;
    EXPECT_EQ(sim.meter.reg32(7684), meterBefore32);
}

TEST_F(BulkWindow, AConfigurationWithSettingsNoInterfaceHasIsNotWritten)
{
    // Found only at the interface step, they would leave the meter half
    // written: (register, value) each on its own.
    const std::pair<int, int> bad[] = {{4031, 6}, {4032, 4}, {4033, 0}, {4033, 248}, {4035, 9}, {4036, 7}};
    for (const auto &[reg, value] : bad) {
        SCOPED_TRACE(reg);
        const std::uint16_t kept = app.ctx->image.reg16(reg);
        app.ctx->image.reg16(reg) = static_cast<std::uint16_t>(value);
        app.prompt.messages.clear();
        app.startPanel->bulkWriteButton->click();
        EXPECT_FALSE(dialog->isVisible());
        ASSERT_EQ(app.prompt.messages.size(), 1);
        EXPECT_EQ(app.prompt.messages[0].text,
                  QStringLiteral("Konfiguracja zawiera błędne parametry połączenia (prędkość, tryb lub adres). "
                                 "Zapis nie został rozpoczęty."));
        app.ctx->image.reg16(reg) = kept;
    }
    EXPECT_TRUE(sim.requests().empty());
}

TEST_F(BulkWindow, AStepThatFailsThreeTimesEndsTheTransfer)
{
    // The read: every request for 7500 lost, whatever else comes through.
    sim.meter.setReg32(7600, 3.25f);
    const QString shown = app.windows->displayPage->lowerThresholdEdit->text();
    sim.fault(FaultPlan{.fault = Fault::Silence, .onlyFunction = 3, .onlyStart = 7500});
    run(app.startPanel->bulkReadButton);
    std::vector<Request> expected(ReadFrames.begin(), ReadFrames.end() - 1);
    expected.insert(expected.end(), 3, ReadFrames.back());
    EXPECT_EQ(sim.requests(), expected);
    EXPECT_EQ(progress, (QList<int>{120, 280, 480, 616}));
    EXPECT_EQ(dialog->progressBar->value(), 616);
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Odczyt danych zakończony błędem."));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
    // Not redrawn, though the image holds the blocks that came.
    EXPECT_EQ(app.windows->displayPage->lowerThresholdEdit->text(), shown);
    EXPECT_EQ(app.ctx->image.reg32(7600), 3.25f);
    EXPECT_TRUE(app.startPanel->bulkReadButton->isEnabled());

    // The write: the mode must be acknowledged only in a slave mode (1, 2).
    struct Case {
        int mode;
        bool completes;
    };
    for (const Case c : {Case{3, true}, Case{0, true}, Case{1, false}}) {
        SCOPED_TRACE(c.mode);
        sim.meter.clearReceived();
        app.prompt.messages.clear();
        sim.fault(FaultPlan{.fault = Fault::Silence, .onlyFunction = 16, .onlyStart = 4004});
        app.ctx->image.reg16(4004) = static_cast<std::uint16_t>(c.mode);
        run(app.startPanel->bulkWriteButton);
        const auto sent = sim.requests();
        EXPECT_EQ(std::count(sent.begin(), sent.end(), Request{16, 4004, 1}), c.completes ? 1 : 3);
        EXPECT_EQ(dialog->progressBar->value(), c.completes ? 816 : 685);
        const QStringList expectedBoxes = {"Zapis spowoduje usunięcie danych archiwlanych z pamięci wewnętrznej. Kontynuować"};
        EXPECT_EQ(messages(), c.completes ? expectedBoxes : expectedBoxes + QStringList{"Zapis danych zakończony błędem."});
    }
}

namespace {

// The engine on its own, ticked by the test.
struct Engine {
    Engine()
    {
        if (qEnvironmentVariableIsSet("K71T_SIM_VERBOSE"))
            sim.line.setVerbose(true);
    }
    test::SimHarness sim;
    test::LinkHarness pc{sim.path};
    BulkTransfer transfer{pc};
    // Sets `plan` before the first attempt of every step.
    BulkTransfer::Tick runWithEachStepFaulted(BulkTransfer::Direction d, const FaultPlan &plan)
    {
        EXPECT_TRUE(transfer.start(d));
        int lastStep = -1;
        for (;;) {
            const int step = d == BulkTransfer::Direction::Read ? transfer.readStep() : transfer.writeStep();
            if (step != lastStep)
                sim.fault(plan);
            lastStep = step;
            const auto tick = transfer.tick();
            if (tick != BulkTransfer::Tick::Continue)
                return tick;
        }
    }
};

} // namespace

TEST(BulkEngine, OneBadAnswerPerStepStillCompletes)
{
    // Silence, a corrupt frame and an exception, each once per step. (On a
    // loaded machine an answer may miss its time besides: a step may then
    // use its third attempt, so the counts are "at least".)
    for (const Fault fault : {Fault::Silence, Fault::BadCrc, Fault::Exception}) {
        SCOPED_TRACE(static_cast<int>(fault));
        Engine e;
        ASSERT_EQ(e.runWithEachStepFaulted(BulkTransfer::Direction::Read, FaultPlan{.fault = fault, .nth = 1}),
                  BulkTransfer::Tick::Completed);
        EXPECT_TRUE(e.transfer.readDone());
        EXPECT_EQ(e.transfer.progress(), 816);
        auto sent = e.sim.requests();
        for (const Request &r : ReadFrames)
            EXPECT_GE(std::count(sent.begin(), sent.end(), r), 2);

        e.sim.meter.clearReceived();
        e.pc.image.reg16(4004) = 1; // a slave mode: its write must be acknowledged
        ASSERT_EQ(e.runWithEachStepFaulted(BulkTransfer::Direction::Write, FaultPlan{.fault = fault, .nth = 1}),
                  BulkTransfer::Tick::Completed);
        EXPECT_TRUE(e.transfer.writeDone());
        EXPECT_EQ(e.transfer.progress(), 816);
        EXPECT_EQ(e.transfer.writeStep(), 0);
        EXPECT_EQ(e.transfer.retries(), 0);
        // Each step's first request failed and the whole step ran again:
        // step 0 from 4000, the interface write from its status read.
        sent = e.sim.requests();
        for (const Request &r : {Request{16, 4000, 4}, Request{16, 4008, 23}, Request{3, 4039, 16},
                                 Request{16, 4004, 1}})
            EXPECT_GE(std::count(sent.begin(), sent.end(), r), 2);
        EXPECT_EQ(sent.back(), (Request{16, 4004, 1}));
    }
}

TEST(BulkEngine, ARetryIsNotMisledByWhatTheFailedAttemptLeft)
{
    // The exception ends the first attempt only when the answer's time is
    // up; its five bytes are still waiting when the second attempt asks.
    Engine e;
    e.sim.fault(FaultPlan{.fault = Fault::Exception, .nth = 1});
    ASSERT_TRUE(e.transfer.start(BulkTransfer::Direction::Read));
    ASSERT_EQ(e.transfer.tick(), BulkTransfer::Tick::Continue);
    ASSERT_EQ(e.transfer.retries(), 1);
    ASSERT_EQ(e.transfer.tick(), BulkTransfer::Tick::Continue);
    EXPECT_EQ(e.transfer.retries(), 0);
    EXPECT_EQ(e.transfer.readStep(), 1);
    EXPECT_EQ(e.transfer.progress(), 120);
}

TEST(BulkEngine, APortThatCannotBeReopenedAfterTheChangeLeavesThePcWhereTheMeterIs)
{
    Engine e;
    loadStandardConfiguration(e.pc.image);
    e.pc.image.reg16(4035) = 3; // 38400 8N1 on the primary interface
    e.pc.image.reg16(4036) = 3;
    // The first time the PC switches, another holder takes the port for a
    // moment: the reopen at the new settings fails.
    int held = -1, switches = 0;
    const FollowLine follow = [&](const PortSettings &s, std::uint8_t address) {
        e.pc.portSettings = s;
        e.pc.meterAddress = address;
        if (++switches == 1) {
            held = ::open(e.sim.path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        } else if (held >= 0) {
            ::close(held);
            held = -1;
        }
    };
    BulkTransfer transfer(e.pc, &follow);
    ASSERT_TRUE(transfer.start(BulkTransfer::Direction::Write));
    BulkTransfer::Tick tick;
    while ((tick = transfer.tick()) == BulkTransfer::Tick::Continue) {
    }
    EXPECT_EQ(tick, BulkTransfer::Tick::Completed);
    // The meter took the new settings at the first apply; the PC, unable to
    // use them, went back, found no answer there, and is with the meter now.
    EXPECT_EQ(e.sim.meter.interfaceSettings().baud, 38400);
    EXPECT_EQ(e.pc.portSettings.speedIndex, 5);
    EXPECT_EQ(e.pc.portSettings.modeKind, 0);
    EXPECT_TRUE(e.pc.link.readBlock16(4004, 1));
    if (held >= 0)
        ::close(held);
}

TEST(BulkEngine, AFailedInterfaceStepTakesThePcBackWhereTheMeterStillIs)
{
    // The meter refuses the apply and keeps its settings; its first answer
    // at them is lost, so the first attempt leaves the PC at the new ones.
    Engine e;
    loadStandardConfiguration(e.pc.image);
    e.pc.image.reg16(4035) = 3; // 38400 8N1
    e.pc.image.reg16(4036) = 3;
    e.sim.meter.setRefuseApply(true);
    e.sim.fault(FaultPlan{.fault = Fault::Silence, .onlyFunction = 3, .onlyStart = 4031});
    ASSERT_TRUE(e.transfer.start(BulkTransfer::Direction::Write));
    while (e.transfer.writeStep() < 6)
        ASSERT_EQ(e.transfer.tick(), BulkTransfer::Tick::Continue);
    ASSERT_EQ(e.transfer.tick(), BulkTransfer::Tick::Continue);
    ASSERT_EQ(e.transfer.retries(), 1);
    EXPECT_EQ(e.pc.portSettings.speedIndex, 5); // 38400, where the meter is not

    // Attempts 2 and 3 find no meter there; then the PC goes back.
    e.sim.fault(FaultPlan{});
    BulkTransfer::Tick tick;
    while ((tick = e.transfer.tick()) == BulkTransfer::Tick::Continue) {
    }
    EXPECT_EQ(tick, BulkTransfer::Tick::Failed);
    EXPECT_EQ(e.sim.meter.interfaceSettings().baud, 115200);
    EXPECT_EQ(e.pc.portSettings.speedIndex, 7);
    EXPECT_EQ(e.pc.portSettings.modeKind, 1);
    EXPECT_TRUE(e.pc.link.readBlock16(4004, 1));
}
