#include "app/QuitOnSignal.h"

#include "context/AppContext.h"
#include "widgets/QtPrompt.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace k71t {

namespace {

// The handler only wakes the event loop; everything else happens there.
int signalSocket[2] = {-1, -1};
struct sigaction previousInt {}, previousTerm {};

void onTerminate(int)
{
    const int saved = errno; // the interrupted code may be about to read it
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalSocket[0], &byte, 1);
    errno = saved;
}

} // namespace

QuitOnSignal::QuitOnSignal(QtPrompt &prompt, QWidget &mainWindow, AppContext &context)
    : prompt_(prompt), mainWindow_(mainWindow), ctx_(context)
{
    for (Worker *worker : {&ctx_.linkWorker, &ctx_.databaseWorker})
        connect(worker, &Worker::idle, this, [this] {
            if (closing_ && !ctx_.workInHand())
                closeAll();
        });
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSocket) != 0)
        return;
    notifier_ = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitOnSignal::onSignal);
    // A second signal ends the program at once: the first one waits for the
    // work in hand to stop.
    struct sigaction sa {};
    sa.sa_handler = onTerminate;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &sa, &previousInt);
    sigaction(SIGTERM, &sa, &previousTerm);
}

QuitOnSignal::~QuitOnSignal()
{
    if (!notifier_)
        return;
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    ::close(signalSocket[0]);
    ::close(signalSocket[1]);
    signalSocket[0] = signalSocket[1] = -1;
}

void QuitOnSignal::onSignal()
{
    char bytes[16];
    while (::read(signalSocket[1], bytes, sizeof bytes) > 0) {
    }
    prompt_.setUnattended(true);
    closing_ = true;
    ctx_.stopWork();
    if (!ctx_.workInHand())
        closeAll();
}

void QuitOnSignal::closeAll()
{
    closing_ = false;
    // Innermost first: each closed box or window hands the keyboard to the
    // one below it, and the code that opened it goes on as after Cancel.
    QWidget *previous = nullptr;
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (modal == previous || modal == &mainWindow_)
            break;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        previous = modal;
    }
    mainWindow_.close();
}

} // namespace k71t
