#include "sharedlog/serverwait.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>

#include <atomic>
#include <exception>
#include <thread>

void waitForServer(const std::function<void()> &work)
{
    QEventLoop loop;
    std::atomic<bool> done = false;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    // A click would start another command halfway through this one.
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QGuiApplication::restoreOverrideCursor();
    if (failure)
        std::rethrow_exception(failure);
}
