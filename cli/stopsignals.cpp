#include "stopsignals.h"

#include <pthread.h>

namespace {

constexpr int stopSignalNumbers[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile std::sig_atomic_t caught = 0;

void stop(int signal)
{
    caught = signal;
}

sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : stopSignalNumbers)
        sigaddset(&set, signal);
    return set;
}

} // namespace

void catchStopSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = stop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART
    for (const int signal : stopSignalNumbers)
        sigaction(signal, &action, nullptr);
}

int stopSignal()
{
    return caught;
}

bool stopAsked()
{
    if (caught != 0)
        return true;
    sigset_t pending;
    if (sigpending(&pending) != 0)
        return false;
    for (const int signal : stopSignalNumbers) {
        if (sigismember(&pending, signal) == 1)
            return true;
    }
    return false;
}

HeldStopSignals::HeldStopSignals()
{
    const sigset_t held = stopSignals();
    pthread_sigmask(SIG_BLOCK, &held, &m_before);
}

HeldStopSignals::~HeldStopSignals()
{
    pthread_sigmask(SIG_SETMASK, &m_before, nullptr);
}
