#include "sharedlog/sharedlogreads.h"

#include "log/unsharedruns.h"
#include "sharedlog/serverwait.h"

QList<SharedRun> sharedValuesOf(const SharedLogAddress &address, const QString &documentKey,
                                QString &error)
{
    QList<SharedRun> runs;
    waitForServer([&] {
        SharedLog log(address);
        error = log.open();
        if (error.isEmpty())
            runs = log.valuesOf(documentKey, &error);
    });
    if (!error.isEmpty())
        return {};
    // A waiting file that cannot be read is told of by the next run, which
    // sends what it holds.
    for (const SharedRun &run : UnsharedRuns().waiting()) {
        if (run.documentKey == documentKey)
            runs.append(run);
    }
    return runs;
}

QList<SharedRun> sharedRuns(const SharedLogAddress &address, const QString &documentKey, int limit,
                            QString &error)
{
    QList<SharedRun> runs;
    waitForServer([&] {
        SharedLog log(address);
        error = log.open();
        if (error.isEmpty())
            runs = log.runs(documentKey, limit, &error);
    });
    return error.isEmpty() ? runs : QList<SharedRun>();
}
