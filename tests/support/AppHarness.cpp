#include "support/AppHarness.h"

#include "common/ProcessSettings.h"
#include "widgets/UiStyle.h"
#include "support/Wait.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace k71t::test {

void ensureApplication()
{
    static int argc = 1;
    static char arg0[] = "k71t-test";
    static char *argv[] = {arg0, nullptr};
    if (!QApplication::instance()) {
        auto *app = new QApplication(argc, argv);
        applyProcessSettings();
        applyUiStyle(*app);
    }
}

void pollMonitor(MonitorWindow &monitor)
{
    monitor.onPollTimer();
    EXPECT_TRUE(waitUntil([&] { return !monitor.ticking(); }));
}

void checkSchedule(SchedulerWindow &scheduler)
{
    scheduler.onCheckTimer();
    EXPECT_TRUE(waitUntil([&] { return !scheduler.taskRunning(); }));
}

AppHarness::AppHarness()
{
    ensureApplication();
}

AppHarness::~AppHarness()
{
    windows.reset();
    ctx.reset();
}

void AppHarness::start()
{
    ctx = std::make_unique<AppContext>(dir.path(), prompt, clock);
    ctx->link.settleMs = 0;
    windows = std::make_unique<AppWindows>();
    windows->create(*ctx);
    startPanel = windows->startPanel;
    archiveWindow = windows->archiveWindow;
    displayPage = windows->displayPage;
    sourceAddressDialog = windows->sourceAddressDialog;
    aboutDialog = windows->aboutDialog;
    databaseWindow = windows->databaseWindow;
}

void AppHarness::startWithMeter(const QString &com3Path)
{
    start();
    ctx->portMap.setPath(2, com3Path);
    runStartTimer();
    prompt.messages.clear();
}

void AppHarness::runStartTimer()
{
    ASSERT_TRUE(waitUntil([this] { return !startPanel->startupTimer->isActive(); }));
}

} // namespace k71t::test
