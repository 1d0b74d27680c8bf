#include "support/Wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <thread>

namespace k71t::test {

bool waitUntil(const std::function<bool()> &condition, int deadlineMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > deadlineMs)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace k71t::test
