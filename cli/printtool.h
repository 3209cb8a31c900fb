#pragma once

#include "commandline.h"
#include "printrun.h"

#include <QString>

#include <functional>

// What the tool tells its user while it works.
struct ToolReport
{
    std::function<void(const QString &)> message; // one line for standard error
    PrintProgress progress;
};

// Loads the document with the program's own reader, refusing what it refuses,
// and prints the run the request asks for through the program's print loop.
// Returns exitPrinted, or exitFailed after a message.
int printDocument(const PrintRequest &request, const ToolReport &report);
