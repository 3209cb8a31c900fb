#include "stopsignals.h"

#include <csignal>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t caught = 0;

void stop(int signal)
{
    caught = signal;
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
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaction(signal, &action, nullptr);
}

int stopSignal()
{
    return caught;
}
