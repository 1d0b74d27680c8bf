#pragma once
// Ctrl+C in the terminal and SIGTERM close the program the way its close box
// does, so def.k71t and uart.cfg are saved: open message boxes and windows
// are closed first (nobody answers them any more: questions get Cancel),
// then the start panel. Work on the link or the database is asked to stop
// first (a download ends at its next page, nothing saved, the meter not
// cleared) and the windows close once it has; a second signal ends the
// program at once.
#include <QObject>

class QSocketNotifier;
class QWidget;

namespace k71t {

class QtPrompt;
struct AppContext;

class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    QuitOnSignal(QtPrompt &prompt, QWidget &mainWindow, AppContext &context);
    ~QuitOnSignal() override;

private:
    void onSignal();
    // The boxes and windows closed, innermost first, then the main window.
    void closeAll();

    QtPrompt &prompt_;
    QWidget &mainWindow_;
    AppContext &ctx_;
    bool closing_ = false;
    QSocketNotifier *notifier_ = nullptr;
};

} // namespace k71t
