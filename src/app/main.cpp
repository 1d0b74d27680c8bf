// K71T: configuration, monitoring and archive tool for the K71T panel meter.
#include "app/AppWindows.h"
#include "app/QuitOnSignal.h"
#include "app/Startpanel.h"
#include "common/Clock.h"
#include "common/ProcessSettings.h"
#include "common/QtPrompt.h"
#include "common/UiStyle.h"
#include "context/AppContext.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

namespace {

// An exception that escapes an event handler is shown and the program goes on.
class Application : public QApplication {
public:
    Application(int &argc, char **argv, k71t::Prompt &prompt) : QApplication(argc, argv), prompt_(prompt) {}
    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &e) {
            showException(e);
        } catch (...) {
            showException(std::runtime_error("nieznany błąd"));
        }
        return false;
    }
    void showException(const std::exception &e)
    {
        prompt_.message(nullptr, QString::fromLocal8Bit(e.what()), QStringLiteral("Błąd"), k71t::PromptIcon::Error);
    }

private:
    k71t::Prompt &prompt_;
};

} // namespace

int main(int argc, char *argv[])
{
    k71t::QtPrompt prompt;
    Application app(argc, argv, prompt);
    app.setApplicationName(QStringLiteral("K71T"));
    app.setQuitOnLastWindowClosed(false);
    k71t::applyProcessSettings();
    k71t::applyUiStyle(app);
    // Qt's own dialogs (files, printing) speak Polish like the rest.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslations);

    k71t::SystemClock clock;
    try {
        k71t::AppContext context(QDir::currentPath(), prompt, clock);
        k71t::AppWindows windows;
        windows.create(context);
        k71t::QuitOnSignal quitOnSignal(prompt, *windows.form3);
        windows.form3->show();
        return app.exec();
    } catch (const std::exception &e) {
        // One that escapes start-up is shown the same way and ends the program.
        app.showException(e);
        return 1;
    }
}
