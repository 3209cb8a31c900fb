#pragma once

#include "log/sharedlog.h"

#include <QList>
#include <QString>

// What the program reads of a shop's shared print log, each read on a
// connection of its own made off the window's thread, the windows drawing
// themselves meanwhile. The error names the server when it cannot be read.

// Every run of the document known as `documentKey` that printed or holds
// values: those the log at `address` keeps, and those printed here that
// wait for it.
Outcome<QList<SharedRun>> sharedValuesOf(const SharedLogAddress &address,
                                         const QString &documentKey);

// The newest runs the log at `address` keeps of those `filter` asks for.
Outcome<QList<SharedRun>> sharedRuns(const SharedLogAddress &address,
                                     const SharedLog::RunFilter &filter);

// The runs printed here that wait for a shared log, of those `filter` asks
// for; none when their file cannot be read (the next run tells of it).
QList<SharedRun> waitingRuns(const SharedLog::RunFilter &filter);
