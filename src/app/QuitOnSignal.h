#pragma once
// Ctrl+C in the terminal and SIGTERM close the program the way its close box
// does, so def.k71t and uart.cfg are saved: open message boxes and windows
// are closed first (nobody answers them any more: questions get Cancel),
// then the start panel. A signal that comes during a meter transaction is
// handled when the transaction has ended; a second signal ends the program
// at once.
#include <QObject>

class QSocketNotifier;
class QWidget;

namespace k71t {

class QtPrompt;

class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    QuitOnSignal(QtPrompt &prompt, QWidget &mainWindow);
    ~QuitOnSignal() override;

private:
    void onSignal();

    QtPrompt &prompt_;
    QWidget &mainWindow_;
    QSocketNotifier *notifier_ = nullptr;
};

} // namespace k71t
