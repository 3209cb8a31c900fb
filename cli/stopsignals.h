#pragma once

#include <csignal>

// Catches SIGINT, SIGTERM, SIGHUP and SIGQUIT. The calls they interrupt are
// not restarted, so that any wait of the tool ends with them: opening or
// reading a FIFO, writing a pipe, the print loop between two pages.
void catchStopSignals();
// The signal that asked the tool to stop, or 0.
int stopSignal();
// Whether a stop signal has come, caught or held back.
bool stopAsked();

// Holds the stop signals back while it lives, so that the work it spans is
// done whole, none of its calls interrupted; a signal that came meanwhile is
// caught when it goes, and stopSignal() then tells it.
class HeldStopSignals
{
public:
    HeldStopSignals();
    ~HeldStopSignals();
    HeldStopSignals(const HeldStopSignals &) = delete;
    HeldStopSignals &operator=(const HeldStopSignals &) = delete;

private:
    sigset_t m_before;
};
