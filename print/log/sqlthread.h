#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// A thread of its own for a database connection, which Qt's drivers tie to
// the thread that made it. Work is handed to it in turn: run() waits for
// its work, start() does not, so that a connection is made while the caller
// gets on with its own.
class SqlThread
{
public:
    SqlThread();
    // Does what was handed to it, then ends.
    ~SqlThread();
    SqlThread(const SqlThread &) = delete;
    SqlThread &operator=(const SqlThread &) = delete;

    // Does `work` on the thread after what came before it, and waits.
    void run(std::function<void()> work);
    // Hands `work` to the thread and returns at once.
    void start(std::function<void()> work);

private:
    void serve();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_work;
    std::size_t m_done = 0;
    std::size_t m_handed = 0;
    bool m_ending = false;
    std::thread m_thread;
};
