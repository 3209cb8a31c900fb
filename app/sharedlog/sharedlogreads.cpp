#include "sharedlog/sharedlogreads.h"

#include "log/unsharedruns.h"
#include "sharedlog/serverwait.h"

namespace {

// What `read` gives of the log at `address`, or why it cannot be opened or read.
Outcome<QList<SharedRun>>
readSharedLog(const SharedLogAddress &address,
              const std::function<Outcome<QList<SharedRun>>(SharedLog &log)> &read)
{
    Outcome<QList<SharedRun>> runs = Outcome<QList<SharedRun>>::failed(QString());
    waitForServer([&] {
        SharedLog log(address);
        const QString unopened = log.open(SharedLog::Access::Read);
        runs = unopened.isEmpty() ? read(log) : Outcome<QList<SharedRun>>::failed(unopened);
    });
    return runs;
}

} // namespace

Outcome<QList<SharedRun>> sharedValuesOf(const SharedLogAddress &address,
                                         const QString &documentKey)
{
    Outcome<QList<SharedRun>> runs =
        readSharedLog(address, [&](SharedLog &log) { return log.valuesOf(documentKey); });
    if (!runs)
        return runs;
    if (!documentKey.isEmpty())
        runs->append(waitingRuns({.documentKey = documentKey}));
    return runs;
}

Outcome<QList<SharedRun>> sharedRuns(const SharedLogAddress &address,
                                     const SharedLog::RunFilter &filter)
{
    return readSharedLog(address, [&](SharedLog &log) { return log.runs(filter); });
}

QList<SharedRun> waitingRuns(const SharedLog::RunFilter &filter)
{
    // A waiting file that cannot be read is told of by the next run, which
    // sends what it holds.
    QList<SharedRun> asked;
    for (const SharedRun &run : UnsharedRuns().waiting().value.value_or(QList<SharedRun>())) {
        if ((filter.documentKey.isEmpty() || run.documentKey == filter.documentKey) &&
            (filter.machine.isEmpty() || run.machine == filter.machine) &&
            (filter.day.isNull() || run.entry.when.toLocalTime().date() == filter.day))
            asked.append(run);
    }
    return asked;
}
