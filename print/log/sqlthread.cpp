#include "log/sqlthread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

struct SqlThread::Queue
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> work;
    std::size_t done = 0;
    std::size_t handed = 0;
    bool ending = false;

    std::size_t hand(std::function<void()> next)
    {
        std::size_t ticket = 0;
        {
            const std::lock_guard lock(mutex);
            work.push_back(std::move(next));
            ticket = ++handed;
        }
        changed.notify_all();
        return ticket;
    }

    void serve()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return ending || !work.empty(); });
            if (work.empty())
                return;
            std::function<void()> next = std::move(work.front());
            work.pop_front();
            lock.unlock();
            next();
            // What the work held goes here, on its thread.
            next = nullptr;
            lock.lock();
            ++done;
            changed.notify_all();
        }
    }
};

SqlThread::SqlThread()
    : m_queue(std::make_shared<Queue>()), m_thread([queue = m_queue] { queue->serve(); })
{
}

SqlThread::~SqlThread()
{
    {
        const std::lock_guard lock(m_queue->mutex);
        m_queue->ending = true;
    }
    m_queue->changed.notify_all();
    if (m_givenUp)
        m_thread.detach();
    else
        m_thread.join();
}

void SqlThread::start(std::function<void()> work)
{
    m_queue->hand(std::move(work));
}

void SqlThread::run(std::function<void()> work)
{
    const std::size_t ticket = m_queue->hand(std::move(work));
    std::unique_lock lock(m_queue->mutex);
    m_queue->changed.wait(lock, [this, ticket] { return m_queue->done >= ticket; });
}

bool SqlThread::finishUnlessStopped(const std::function<bool()> &stillWanted)
{
    std::unique_lock lock(m_queue->mutex);
    const std::size_t ticket = m_queue->handed;
    while (!m_queue->changed.wait_for(lock, std::chrono::milliseconds(100),
                                      [this, ticket] { return m_queue->done >= ticket; })) {
        if (stillWanted && !stillWanted()) {
            m_givenUp = true;
            return false;
        }
    }
    return true;
}
