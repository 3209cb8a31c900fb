#pragma once

// Catches SIGINT, SIGTERM, SIGHUP and SIGQUIT. The calls they interrupt are
// not restarted, so that any wait of the tool ends with them: opening or
// reading a FIFO, writing a pipe, the print loop between two pages.
void catchStopSignals();
// The signal that asked the tool to stop, or 0.
int stopSignal();
