// K71T: configuration, monitoring and archive tool for the K71T panel meter.
#include "app/AppContext.h"
#include "app/AppWindows.h"
#include "app/Info.h"
#include "app/Startpanel.h"
#include "archive/Main.h"
#include "archive/Podajadres.h"
#include "common/Clock.h"
#include "config/Wyswietlanie.h"
#include "common/Prompt.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QMessageBox>
#include <exception>

namespace {

// An exception that escapes an event handler is shown and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &e) {
            QMessageBox::critical(nullptr, QStringLiteral("Błąd"), QString::fromLocal8Bit(e.what()));
        } catch (...) {
            QMessageBox::critical(nullptr, QStringLiteral("Błąd"), QStringLiteral("Nieznany błąd"));
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    app.setApplicationName(QStringLiteral("K71T"));
    app.setQuitOnLastWindowClosed(false);
    // Qt's own dialogs (files, printing) speak Polish like the rest.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslations);

    k71t::QtPrompt prompt;
    k71t::SystemClock clock;
    k71t::AppContext context(QDir::currentPath(), prompt, clock);
    k71t::AppWindows windows;

    try {
        k71t::TForm3 form3(context, windows);
        windows.form3 = &form3;
        k71t::TForm1 form1(context, &form3);
        windows.form1 = &form1;
        k71t::TForm5 form5(context, &form3);
        windows.form5 = &form5;
        k71t::TForm12 form12(context, &form3);
        windows.form12 = &form12;
        k71t::TInformacje informacje(&form3);
        windows.informacje = &informacje;

        form3.show();
        return app.exec();
    } catch (const std::exception &e) {
        QMessageBox::critical(nullptr, QStringLiteral("Błąd"), QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
