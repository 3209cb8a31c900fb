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
// what it refuses, and prints the run the request asks for through the
// program's print loop. Returns exitPrinted; exitFailed after a message;
// exitUsage when the output is the document itself; exitStopped(N) when
// signal N stopped the run.
int printDocument(const PrintRequest &request, const ToolReport &report);

// Lists, a line each through `line`, the products of the sheet database in
// `folder` whose names hold every word of `text`; files it cannot read are
// told through `report`. Returns exitPrinted, or exitFailed when there is
// no database.
int listSheets(const QString &text, const QString &folder,
               const std::function<void(const QString &)> &line, const ToolReport &report);
