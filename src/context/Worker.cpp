#include "context/Worker.h"

#include "common/ProcessSettings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

namespace k71t {

Worker::Worker(const QString &name)
{
    thread_.setObjectName(name);
    home_ = new QObject;
    home_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, home_, &QObject::deleteLater);
    // The link is polled with millisecond sleeps on this thread.
    connect(&thread_, &QThread::started, &thread_, [] { applyLinkThreadSettings(); }, Qt::DirectConnection);
    thread_.start();
}

Worker::~Worker()
{
    thread_.quit();
    thread_.wait();
}

void Worker::given(std::function<void()> job, QObject *receiver, std::function<void()> done, bool counted)
{
    // A stop asked for while nothing was in hand is not left for the next call.
    if (counted && pending_++ == 0)
        stop_.store(false);
    QPointer<QObject> back(receiver);
    QMetaObject::invokeMethod(home_, [this, job = std::move(job), back, done = std::move(done), counted] {
        job();
        // The result goes back to the caller's thread; the count falls there,
        // once the caller has it.
        const auto handOver = [this, done, counted] {
            if (done)
                done();
            if (counted)
                finished();
        };
        if (back)
            QMetaObject::invokeMethod(back, handOver, Qt::QueuedConnection);
        else if (counted)
            QMetaObject::invokeMethod(this, [this] { finished(); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

void Worker::post(std::function<void()> job, QObject *receiver, std::function<void()> done, bool quiet)
{
    given(std::move(job), receiver, std::move(done), !quiet);
}

void Worker::waitFor(const bool &finished)
{
    // The result may arrive in a deeper loop (a box opened meanwhile); this
    // one then sees it when that one returns.
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void Worker::finished()
{
    if (--pending_ > 0)
        return;
    stop_.store(false);
    // After the caller's own code has gone on: a slot of idle() sees the
    // call's frame gone.
    QMetaObject::invokeMethod(this, [this] {
        if (!busy())
            emit idle();
    }, Qt::QueuedConnection);
}

void Worker::waitForQueue()
{
    if (!onWorkerThread())
        QMetaObject::invokeMethod(home_, [] {}, Qt::BlockingQueuedConnection);
}

void Worker::onThreadOf(QObject *receiver, const std::function<void()> &f)
{
    if (!receiver || QThread::currentThread() == receiver->thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(receiver, f, Qt::BlockingQueuedConnection);
}

} // namespace k71t
