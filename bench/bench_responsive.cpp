// The program answers while it downloads: a 12,000-record archive at 115200
// baud 8N2 with the simulated meter pacing its bytes at line time, (a) from
// the archive window's button and (b) as a scheduled task, while a client
// of its own on the X server sends every window a _NET_WM_PING each 100 ms,
// as a desktop does (GNOME and KDE call a window "not responding" after
// about 5 s). Printed: the longest wait for an answer, beside the 0.5 s
// goal, and the download's rate beside the same download run bare on one
// thread. (c) Ctrl+C during a download at 9600 baud: the time until the
// program has closed, beside the 1 s goal.
//
// Needs an X server (scripts/bench.sh runs it under xvfb-run).
#include "SimLine.h"
#include "SimMeter.h"
#include "app/QuitOnSignal.h"
#include "archive/Download.h"
#include "common/ProcessSettings.h"
#include "support/AppHarness.h"
#include "widgets/QtPrompt.h"
#include "widgets/UiStyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <poll.h>
#include <thread>
#include <xcb/xcb.h>

using namespace k71t;

namespace {

constexpr int Records = 12000;
constexpr double GoalS = 0.5;

// A client of its own on the X server that pings windows as a window
// manager does and keeps the longest wait for an answer (a ping still
// unanswered at the end counts up to then).
class Pinger {
public:
    explicit Pinger(std::vector<xcb_window_t> windows) : windows_(std::move(windows))
    {
        c_ = xcb_connect(nullptr, nullptr);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        protocols_ = atom("WM_PROTOCOLS");
        ping_ = atom("_NET_WM_PING");
        // The answers go to the root window, to those who listen for its
        // structure changes (or redirect its children: the window manager).
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c_);
        thread_ = std::thread([this] { run(); });
    }
    ~Pinger()
    {
        finish();
        xcb_disconnect(c_);
    }
    // Stops pinging; the longest wait in seconds.
    double finish()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return longest_;
    }
    int answered() const { return answered_; }

private:
    using Clock = std::chrono::steady_clock;
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *r =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(r);
        return a;
    }
    void send(xcb_window_t w, uint32_t stamp)
    {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = protocols_;
        e.data.data32[0] = ping_;
        e.data.data32[1] = stamp;
        e.data.data32[2] = w;
        xcb_send_event(c_, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&e));
        sent_[stamp] = Clock::now();
    }
    void run()
    {
        uint32_t stamp = 1;
        auto next = Clock::now();
        while (!stop_) {
            if (Clock::now() >= next) {
                for (xcb_window_t w : windows_)
                    send(w, stamp++);
                xcb_flush(c_);
                next += std::chrono::milliseconds(100);
            }
            pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
            ::poll(&p, 1, 5);
            while (xcb_generic_event_t *e = xcb_poll_for_event(c_)) {
                if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                    const auto *m = reinterpret_cast<xcb_client_message_event_t *>(e);
                    if (m->data.data32[0] == ping_) {
                        const auto it = sent_.find(m->data.data32[1]);
                        if (it != sent_.end()) {
                            longest_ = std::max(longest_, seconds(it->second));
                            sent_.erase(it);
                            ++answered_;
                        }
                    }
                }
                free(e);
            }
        }
        for (const auto &[s, at] : sent_)
            longest_ = std::max(longest_, seconds(at));
    }
    static double seconds(Clock::time_point since)
    {
        return std::chrono::duration<double>(Clock::now() - since).count();
    }

    xcb_connection_t *c_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t protocols_ = 0, ping_ = 0;
    std::vector<xcb_window_t> windows_;
    std::map<uint32_t, Clock::time_point> sent_;
    std::atomic<bool> stop_{false};
    double longest_ = 0;
    int answered_ = 0;
    std::thread thread_;
};

struct Meter {
    sim::SimMeter meter;
    sim::SimLine line{meter};
    explicit Meter(int speedCode) : meter(1, speedCode, 0)
    {
        meter.setArchiveStart(0, 0);
        meter.fillArchive(Records);
        line.openPty();
        line.setLineTime(true);
        line.start();
    }
};

// The same download on one thread, no window: the reference rate.
double bareRate()
{
    Meter m(5);
    MeterLink pc;
    pc.portMap.setPath(2, m.line.slavePath());
    pc.link.settleMs = 0;
    pc.link.openPort(2, 1, 7);
    auto store = std::make_unique<RecordStore>();
    ArchiveDownload download(pc.link, pc.image, *store);
    QElapsedTimer t;
    t.start();
    const int n = download.downloadAll();
    return n / (t.nsecsElapsed() / 1e9);
}

void showAndWait(QWidget *w)
{
    w->show();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

void report(const char *what, double longest, int answered, double rate, double bare)
{
    std::printf("%-30s longest answer to _NET_WM_PING %6.3f s (goal %.1f s, %d answers); %6.1f records/s, "
                "%5.1f %% of the bare download's %6.1f\n",
                what, longest, GoalS, answered, rate, 100.0 * rate / bare, bare);
}

} // namespace

int main(int argc, char *argv[])
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("bench_responsive: no X server (DISPLAY), skipped\n");
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // The windows of one part go before the next part begins; the program
    // ends when the last part has closed it.
    app.setQuitOnLastWindowClosed(false);
    applyProcessSettings();
    applyUiStyle(app);
    const double bare = bareRate();

    // (a) The archive window's button.
    {
        Meter m(5);
        test::AppHarness h;
        h.startWithMeter(m.line.slavePath());
        showAndWait(h.startPanel);
        showAndWait(h.archiveWindow);
        Pinger pinger({static_cast<xcb_window_t>(h.startPanel->winId()),
                       static_cast<xcb_window_t>(h.archiveWindow->winId())});
        QElapsedTimer t;
        t.start();
        h.archiveWindow->downloadButton->click();
        const double rate = h.ctx->records.count / (t.nsecsElapsed() / 1e9);
        report("archive window, 115200", pinger.finish(), pinger.answered(), rate, bare);
    }
    // (b) A scheduled task.
    {
        Meter m(5);
        test::AppHarness h;
        h.startWithMeter(m.line.slavePath());
        SchedulerWindow *w = h.windows->schedulerWindow;
        showAndWait(h.startPanel);
        showAndWait(w);
        w->onAddClicked();
        w->repeatList->setCurrentIndex(1);
        w->startTimeEdit->setTime(QTime(0, 0));
        w->onApplyClicked();
        w->onStartDelayTimer();
        Pinger pinger({static_cast<xcb_window_t>(h.startPanel->winId()), static_cast<xcb_window_t>(w->winId())});
        QElapsedTimer t;
        t.start();
        QEventLoop loop;
        QObject::connect(w, &SchedulerWindow::taskEnded, &loop, &QEventLoop::quit);
        w->onCheckTimer();
        loop.exec();
        const double rate = Records / (t.nsecsElapsed() / 1e9);
        report("scheduled task, 115200", pinger.finish(), pinger.answered(), rate, bare);
    }
    // (c) Ctrl+C during a download at 9600 baud.
    {
        Meter m(1);
        test::TempDir dir;
        dir.write("def.k71t", QByteArray());
        QtPrompt prompt;
        SystemClock clock;
        AppContext context(dir.path(), prompt, clock);
        context.link.settleMs = 0;
        context.portSettings.speedIndex = 2;
        AppWindows windows;
        windows.create(context);
        context.portMap.setPath(2, m.line.slavePath());
        windows.startPanel->speedList->setCurrentIndex(1); // 9600
        QuitOnSignal quitOnSignal(prompt, *windows.startPanel, context);
        windows.startPanel->show();
        // Each step from a timer of its own: a timer does not fire again
        // while its own slot is still running (the archive window's loop).
        QElapsedTimer sinceSignal;
        const auto when = [](QTimer &timer, std::function<bool()> ready, std::function<void()> then) {
            timer.setInterval(1);
            QObject::connect(&timer, &QTimer::timeout, [&timer, ready, then] {
                if (ready()) {
                    timer.stop();
                    then();
                }
            });
            timer.start();
        };
        QTimer open, download, interrupt;
        when(open, [&] { return !windows.startPanel->startupTimer->isActive(); },
             [&] { windows.startPanel->archiveButton->click(); });
        when(download, [&] { return QApplication::activeModalWidget() == windows.archiveWindow; },
             [&] { windows.archiveWindow->downloadButton->click(); });
        when(interrupt, [&] { return windows.archiveWindow->downloadProgress->value() >= 3; },
             [&] {
                 sinceSignal.start();
                 std::raise(SIGINT);
             });
        QApplication::exec();
        std::printf("%-30s closed %6.3f s after Ctrl+C (goal 1 s), archive still in the meter: %s\n",
                    "Ctrl+C during a download, 9600", sinceSignal.nsecsElapsed() / 1e9,
                    m.meter.archiveRecords().size() == Records ? "yes" : "NO");
    }
    return 0;
}
