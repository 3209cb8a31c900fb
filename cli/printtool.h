#pragma once

#include "commandline.h"
#include "run/printrun.h"

#include <QString>

#include <functional>

// What the tool tells its user while it works.
struct ToolReport
{
    std::function<void(const QString &)> message; // one line for standard error
    PrintProgress progress;
};

// Reads the document once, loads it with the program's own reader, refusing
// what it refuses, and runs the run the request asks for through a run
// session, answering its questions with the request's flags. Returns
// exitPrinted; exitFailed after a message; exitUsage for a request that
// cannot be; exitUnshared when the shared print log could not serve it;
// exitStopped(N) when signal N stopped the run.
int printDocument(const PrintRequest &request, const ToolReport &report);
