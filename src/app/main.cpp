// K71T: configuration, monitoring and archive tool for the K71T panel meter.
#include "app/AppWindows.h"
#include "app/QuitOnSignal.h"
#include "app/ui/StartPanelWindow.h"
#include "app/WorkFolder.h"
#include "common/Clock.h"
#include "common/ProcessSettings.h"
#include "widgets/QtPrompt.h"
#include "widgets/UiStyle.h"
#include "context/AppContext.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QTranslator>
#include <cstdio>
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
    void showException(const std::exception &e) { prompt_.error(nullptr, QString::fromLocal8Bit(e.what())); }

private:
    k71t::Prompt &prompt_;
};

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version need no display (the manual pages are made from
    // them at build time), so they are answered before Qt starts.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    for (const QString &a : raw.mid(1)) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(k71t::programHelpText().toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (a == QLatin1String("--version")) {
            std::puts("k71t " K71T_VERSION);
            return 0;
        }
    }
    k71t::QtPrompt prompt;
    Application app(argc, argv, prompt);
    // Qt's own options are gone from arguments(); what is left is ours.
    const k71t::ProgramArguments arguments =
        k71t::parseProgramArguments(app.arguments(), QProcessEnvironment::systemEnvironment());
    if (!arguments.error.isEmpty()) {
        std::fprintf(stderr, "k71t: %s\nk71t --help opisuje opcje.\n", qUtf8Printable(arguments.error));
        return 2;
    }
    QString folderError;
    if (!arguments.workFolder.isEmpty() && !k71t::enterWorkFolder(arguments.workFolder, &folderError)) {
        std::fprintf(stderr, "k71t: %s\n", qUtf8Printable(folderError));
        return 1;
    }
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
        k71t::QuitOnSignal quitOnSignal(prompt, *windows.startPanel, context);
        windows.startPanel->show();
        return app.exec();
    } catch (const std::exception &e) {
        // One that escapes start-up is shown the same way and ends the program.
        app.showException(e);
        return 1;
    }
}
