#pragma once
// A thread of its own for work that takes long (the meter link, the
// database), so the window's event loop keeps running while it goes on.
// Jobs run on the worker's thread one after another, in the order given.
//
// call() is for a window's handler that needs the result before it goes on
// (the status after a page read, the box after a download): the handler's
// thread runs its event loop until the job is done, so windows repaint,
// answer the desktop and take the "Przerwij" click meanwhile, and the code
// after the call reads as it always did. post() is for work whose result
// arrives later (the monitor's tick).
//
// What a job shares with the windows crosses only through the job and its
// result: a job is given copies or objects no window changes while it runs.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>
#include <optional>
#include <type_traits>

namespace k71t {

class Worker : public QObject {
    Q_OBJECT
public:
    explicit Worker(const QString &name);
    // Lets the job in hand end, then ends the thread.
    ~Worker() override;

    // Runs `job` on the worker's thread and returns its result; the calling
    // thread's event loop runs meanwhile. From the worker's own thread the
    // job runs at once.
    //
    // A quiet call (the monitor's tick, which repeats every second) does not
    // make the worker busy: closing the program does not wait for it.
    template <class F> std::invoke_result_t<F &> call(F job, bool quiet = false)
    {
        using R = std::invoke_result_t<F &>;
        if (onWorkerThread())
            return job();
        QObject caller;
        bool finished = false;
        if constexpr (std::is_void_v<R>) {
            given([&] { job(); }, &caller, [&] { finished = true; }, !quiet);
            waitFor(finished);
        } else {
            std::optional<R> result;
            given([&] { result.emplace(job()); }, &caller, [&] { finished = true; }, !quiet);
            waitFor(finished);
            return std::move(*result);
        }
    }

    // Runs `job` on the worker's thread; `done` then runs on the thread of
    // `receiver`, unless `receiver` is gone by then: for work whose caller
    // goes on at once (a scheduled task, the monitor's tick) and takes the
    // result when it comes. Quiet work (the monitor's tick, which repeats
    // every second) does not make the worker busy.
    void post(std::function<void()> job, QObject *receiver, std::function<void()> done, bool quiet = false);

    // Work given and not finished yet (quiet work aside), each until its
    // caller has the result.
    bool busy() const { return pending_.load() > 0; }
    // Asks the job in hand (and those waiting) to end at their next safe
    // point; the flag clears when the worker has nothing left to do.
    void requestStop() { stop_.store(true); }
    bool stopRequested() const { return stop_.load(); }
    bool onWorkerThread() const { return QThread::currentThread() == &thread_; }
    // Blocks the calling thread until the work given so far has run: for a
    // destructor whose object a quiet job still uses. Not for work that
    // waits on the caller's thread.
    void waitForQueue();
    // Runs `f` on the thread of `receiver` (the windows' thread) and returns
    // when it has run: for a job that must change what a window shows
    // before it goes on. Directly when already there.
    static void onThreadOf(QObject *receiver, const std::function<void()> &f);

signals:
    // The last work given has finished and its caller has the result.
    void idle();

private:
    void given(std::function<void()> job, QObject *receiver, std::function<void()> done, bool counted);
    // Handles the caller thread's events until `finished`: also when the
    // application is quitting, so a job never outlives what it uses.
    static void waitFor(const bool &finished);
    void finished();

    QThread thread_;
    QObject *home_ = nullptr; // lives on the worker's thread
    std::atomic<int> pending_{0};
    std::atomic<bool> stop_{false};
};

} // namespace k71t
