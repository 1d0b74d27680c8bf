// Ctrl+C and SIGTERM close the program the normal way, with the program's own
// Qt dialogs (offscreen): even a message box waiting for an answer does not
// keep def.k71t and uart.cfg from being saved.
#include "app/AppWindows.h"
#include "app/QuitOnSignal.h"
#include "app/ui/StartPanelWindow.h"
#include "widgets/QtPrompt.h"
#include "context/AppContext.h"
#include "support/AppHarness.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

using namespace k71t;

TEST(Shutdown, SignalWhileTheFirstStartMessageIsOpenSavesTheFiles)
{
    test::ensureApplication();
    for (int signal : {SIGINT, SIGTERM}) {
        test::TempDir dir; // no def.k71t: the start-up tells so in a message box
        QtPrompt prompt;
        test::FakeClock clock;
        AppContext context(dir.path(), prompt, clock);
        AppWindows windows;
        windows.create(context);
        QuitOnSignal quitOnSignal(prompt, *windows.startPanel, context);
        {
            const QSignalBlocker block(windows.startPanel->portList);
            windows.startPanel->portList->setCurrentIndex(0);
        }
        context.portSettings.portIndex = 0;
        windows.startPanel->show();

        QString boxText;
        QTimer watcher;
        watcher.setInterval(5);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && boxText.isEmpty()) {
                boxText = box->text();
                std::raise(signal); // as from the terminal
            }
        });
        watcher.start();
        // Should the signal not end the program, this does, and the test fails.
        bool forced = false;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [&] {
            forced = true;
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->reject();
            QCoreApplication::quit();
        });
        deadline.start(30000);
        QApplication::exec();

        EXPECT_FALSE(forced) << signal;
        EXPECT_EQ(boxText, QStringLiteral("Brak ostatniej konfiguracji. Załadowano konfigurację standardową."));
        EXPECT_EQ(dir.read("def.k71t").size(), 650) << signal;
        EXPECT_EQ(dir.read("uart.cfg"), QByteArray::fromHex("000107")) << signal;
        EXPECT_TRUE(prompt.unattended());
    }
}
