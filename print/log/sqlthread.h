#pragma once

#include <functional>
#include <memory>
#include <thread>

// A thread of its own for a database connection, which Qt's drivers tie to
// the thread that made it. Work is handed to it in turn: run() waits for
// its work, start() does not, so that a connection is made while the caller
// gets on with its own.
class SqlThread
{
public:
    SqlThread();
    // Does what was handed to it, then ends; after a wait given up, it does
    // so on its own, no longer waited for.
    ~SqlThread();
    SqlThread(const SqlThread &) = delete;
    SqlThread &operator=(const SqlThread &) = delete;

    // Does `work` on the thread after what came before it, and waits.
    void run(std::function<void()> work);
    // Hands `work` to the thread and returns at once.
    void start(std::function<void()> work);
    // Waits for everything handed to it, asking `stillWanted` every tenth of
    // a second: false gives the wait up (libpq's connect hears nothing
    // else), and what was handed then goes on alone, so it must own all it
    // touches. True when it was all done.
    bool finishUnlessStopped(const std::function<bool()> &stillWanted);

private:
    struct Queue; // shared with the thread, which may outlive this

    std::shared_ptr<Queue> m_queue;
    std::thread m_thread;
    bool m_givenUp = false;
};
