#pragma once
// The program's windows in a test: a fresh working folder, the recording
// prompt, a fake clock, the context and the windows created as the program
// creates them.
#include "app/AppWindows.h"
#include "app/ui/AboutDialog.h"
#include "app/ui/StartPanelWindow.h"
#include "archive/ui/ArchiveWindow.h"
#include "archive/ui/SourceAddressDialog.h"
#include "automat/ui/SchedulerWindow.h"
#include "monitor/ui/MonitorWindow.h"
#include "config/ui/DisplayPage.h"
#include "context/AppContext.h"
#include "db/ui/DatabaseWindow.h"
#include "support/FakeClock.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

#include <memory>

namespace k71t::test {

// The monitor's tick and the scheduler's check, each to its end: the reads
// and the task run on the link worker, and the windows take the result
// when it comes.
void pollMonitor(MonitorWindow &monitor);
void checkSchedule(SchedulerWindow &scheduler);

// Makes sure a QApplication exists for widget tests, with the program's
// process settings and look.
void ensureApplication();

struct AppHarness {
    AppHarness();
    ~AppHarness();
    // Creates the windows; files put into `dir` before this are seen at start.
    // The start panel's one-shot timer is still to run.
    void start();
    // start() with COM3 mapped to `com3Path`; the start timer has run and the
    // messages of the start-up are forgotten.
    void startWithMeter(const QString &com3Path);
    // Waits until the start panel's one-shot timer has run.
    void runStartTimer();

    TempDir dir;
    RecordingPrompt prompt;
    FakeClock clock;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<AppWindows> windows;
    StartPanelWindow *startPanel = nullptr;
    ArchiveWindow *archiveWindow = nullptr;
    DisplayPage *displayPage = nullptr;
    SourceAddressDialog *sourceAddressDialog = nullptr;
    AboutDialog *aboutDialog = nullptr;
    DatabaseWindow *databaseWindow = nullptr;
};

} // namespace k71t::test
