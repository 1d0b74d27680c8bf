#pragma once
// The program's windows in a test: a fresh AppDirectory, the recording
// prompt, the context and the windows created in the program's order.
#include "app/AppContext.h"
#include "app/AppWindows.h"
#include "app/Info.h"
#include "app/Startpanel.h"
#include "archive/Main.h"
#include "archive/Podajadres.h"
#include "config/Wyswietlanie.h"
#include "support/RecordingPrompt.h"
#include "support/TempDir.h"

#include <memory>

namespace k71t::test {

// Makes sure a QApplication exists for widget tests.
void ensureApplication();

struct AppHarness {
    AppHarness();
    ~AppHarness();
    // Creates the windows; files put into `dir` before this are seen at start.
    void start();
    // start(), with COM3 mapped to `com3Path` and the start-up messages forgotten.
    void startWithMeter(const QString &com3Path);
    // Lets the start panel's one-shot timer run.
    void runStartTimer();

    TempDir dir;
    RecordingPrompt prompt;
    SystemClock clock;
    std::unique_ptr<AppContext> ctx;
    AppWindows windows;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm5> form5;
    std::unique_ptr<TForm12> form12;
    std::unique_ptr<TInformacje> informacje;
};

} // namespace k71t::test
