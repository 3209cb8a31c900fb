#include "log/sqlthread.h"

SqlThread::SqlThread() : m_thread([this] { serve(); }) {}

SqlThread::~SqlThread()
{
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void SqlThread::start(std::function<void()> work)
{
    {
        const std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
        ++m_handed;
    }
    m_changed.notify_all();
}

void SqlThread::run(std::function<void()> work)
{
    std::size_t ticket = 0;
    {
        const std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
        ticket = ++m_handed;
    }
    m_changed.notify_all();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this, ticket] { return m_done >= ticket; });
}

void SqlThread::serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_ending || !m_work.empty(); });
        if (m_work.empty())
            return;
        std::function<void()> work = std::move(m_work.front());
        m_work.pop_front();
        lock.unlock();
        work();
        lock.lock();
        ++m_done;
        m_changed.notify_all();
    }
}
