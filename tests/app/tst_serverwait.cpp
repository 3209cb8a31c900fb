#include "sharedlog/serverwait.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

// A wait on a server leaves the program's windows alive: what the window's
// thread has to do is done meanwhile, under a busy cursor.
class TestServerWait : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theWindowsThreadGoesOnMeanwhile()
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool drawn = false;
        Qt::CursorShape shown = Qt::ArrowCursor;
        // Work the window's thread does, as a repaint would be.
        QTimer::singleShot(0, [&] {
            const std::lock_guard lock(mutex);
            if (const QCursor *cursor = QGuiApplication::overrideCursor())
                shown = cursor->shape();
            drawn = true;
            changed.notify_all();
        });
        bool answered = false;
        waitForServer([&] {
            // The server answers only once the window's thread has gone on.
            std::unique_lock lock(mutex);
            answered = changed.wait_for(lock, std::chrono::minutes(1), [&] { return drawn; });
        });
        QVERIFY(answered);
        QCOMPARE(shown, Qt::BusyCursor);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void whatTheWorkThrowsIsThrownAgain()
    {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, waitForServer([] {
                                     throw std::runtime_error("the server went away");
                                 }));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(TestServerWait)
#include "tst_serverwait.moc"
