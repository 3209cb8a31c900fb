#include "log/sharedlogsession.h"

#include "jobid.h"

#include "run/runcheck.h"

#include <QUuid>

#include <algorithm>
#include <limits>
#include <set>
#include <tuple>

namespace {

// Names the runs of a machine's own log sent to the shared log: a run sent
// again has the id it was sent with, and is kept once.
const QUuid localRunSpace = QUuid::fromString(u"{6f1d3c2a-8b47-4e0f-9a55-2c7e1b9d4f60}");

SharedRun runOf(const PrintLogEntry &entry, const QString &documentKey)
{
    SharedRun run;
    run.localId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    run.documentKey = documentKey;
    run.machine = thisMachine();
    run.user = thisUser();
    run.entry = entry;
    run.entry.notShared = false;
    return run;
}

// Whether `run` of the shared log is `local`, a run of this machine's own log.
bool sameRun(const SharedRun &run, const PrintLogEntry &local)
{
    return run.machine == thisMachine() && run.entry.firstPage == local.firstPage &&
           run.entry.lastPage == local.lastPage &&
           run.entry.when.toSecsSinceEpoch() == local.when.toSecsSinceEpoch();
}

// The earlier runs as the check before a run reads them: each with its
// machine, and unfinished while its run has not ended.
QList<PrintLogEntry> entriesOf(const QList<SharedRun> &runs)
{
    QList<PrintLogEntry> entries;
    for (const SharedRun &run : runs) {
        PrintLogEntry entry = run.entry;
        entry.machine = run.machine;
        entry.unfinished = run.state == SharedRun::State::Reserved;
        entries.append(entry);
    }
    return entries;
}

QString spanText(const PrintLogEntry::NumberSpan &span)
{
    return span.first == span.last ? span.first : span.first + u'-' + span.last;
}

// "num0 0001-0100, printed here on 2026-12-09 08:15 without the shared log,
// was printed on 2026-12-09 08:10 at press-2 too."
QStringList overlapLines(const SharedRun &sent, const QList<SharedRun> &earlier)
{
    QStringList lines;
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm");
    for (const PrintLogEntry::NumberSpan &mine : sent.entry.numbers) {
        for (const SharedRun &other : earlier) {
            for (const PrintLogEntry::NumberSpan &theirs : other.entry.numbers) {
                if (theirs.name != mine.name || !sharesAValue(mine.values, theirs.values))
                    continue;
                lines.append(QStringLiteral("%1 %2, printed here on %3 without the shared log, "
                                            "was printed on %4 at %5 too.")
                                 .arg(mine.name, spanText(mine), sent.entry.when.toString(format),
                                      other.entry.when.toString(format), other.machine));
            }
        }
    }
    return lines;
}

} // namespace

QString sharedDocumentKey(const Document &doc, const QString &path)
{
    return doc.id.isEmpty() ? logDocumentKey(path) : jobId(doc.id);
}

std::map<QString, PrintedExtremes> printedExtremes(const QList<SharedRun> &runs)
{
    std::map<QString, PrintedExtremes> extremes;
    for (const SharedRun &run : runs) {
        for (const PrintLogEntry::NumberSpan &span : run.entry.numbers) {
            for (const PrintedValues &values : span.values) {
                if (values.count <= 0)
                    continue;
                const auto [lowest, highest] = valueRange(values);
                const PrintedExtremes found{lowest, highest};
                auto [at, added] = extremes.emplace(span.name, found);
                if (!added)
                    at->second = {std::min(at->second.lowest, found.lowest),
                                  std::max(at->second.highest, found.highest)};
            }
        }
    }
    return extremes;
}

SharedLogSession::SharedLogSession(const SharedLogAddress &address, UnsharedRuns unshared,
                                   std::function<bool()> stillWanted)
    : m_connection(std::make_shared<Connection>()), m_stillWanted(std::move(stillWanted))
{
    m_connection->unshared = std::move(unshared);
    m_thread.start([connection = m_connection, address] { connect(*connection, address); });
}

SharedLogSession::~SharedLogSession()
{
    const auto end = [connection = m_connection] {
        connection->log.reset();
    };
    // A connect given up ends the connection once it is done, unwaited.
    m_stopped = m_stopped || !m_thread.finishUnlessStopped(m_stillWanted);
    if (m_stopped)
        m_thread.start(end);
    else
        m_thread.run(end);
}

void SharedLogSession::connect(Connection &connection, const SharedLogAddress &address)
{
    connection.log = std::make_unique<SharedLog>(address);
    SharedLog &log = *connection.log;
    connection.openError = log.open();
    connection.unreachable = log.unreachable();
    if (!connection.openError.isEmpty())
        return;
    const Outcome<QList<SharedRun>> read = connection.unshared.waiting();
    if (!read)
        connection.told.append(read.error);
    const QList<SharedRun> waiting = read.value.value_or(QList<SharedRun>());
    QStringList sent;
    for (const SharedRun &run : waiting) {
        if (run.id != 0) {
            // Its values are held; the end of its run was not heard. A run
            // reserved in another log ends there alone.
            const Outcome<bool> ended = log.finish(run);
            connection.openError = ended.error;
            if (ended && !*ended) {
                connection.told.append(
                    QStringLiteral("The end of the run of %1 printed %2 waits for the shared "
                                   "print log it was reserved in")
                        .arg(run.entry.document,
                             run.entry.when.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
                continue;
            }
        } else {
            const Reservation kept = log.send(run);
            connection.openError = kept.error;
            connection.told.append(overlapLines(run, kept.earlier));
        }
        if (!connection.openError.isEmpty())
            return;
        sent.append(run.localId);
    }
    if (!sent.isEmpty()) {
        const QString left = connection.unshared.remove(sent);
        if (!left.isEmpty())
            connection.told.append(left);
    }
}

QString SharedLogSession::open(QStringList &told)
{
    if (m_stopped || !m_thread.finishUnlessStopped(m_stillWanted)) {
        m_stopped = true;
        return QStringLiteral("The shared print log was not waited for: the run was stopped");
    }
    told = m_connection->told;
    return m_connection->openError;
}

Reservation SharedLogSession::reserve(Document &doc, const RunData *data, const PrintPlan &plan,
                                      const PrintLogEntry &entry, const QString &documentKey,
                                      bool continuing,
                                      const std::function<bool(const QStringList &)> &goAhead)
{
    // Made again after the document moves on, which changes its texts.
    const auto runTexts = [&] {
        return data ? RunTexts(doc, *data) : RunTexts(doc);
    };
    const auto check = [&](const QList<SharedRun> &earlier) {
        if (!goAhead)
            return true;
        // A local run the shared log holds is among `earlier` already.
        QList<PrintLogEntry> entries = entriesOf(earlier);
        for (const PrintLogEntry &local : m_localRuns) {
            if (std::none_of(earlier.begin(), earlier.end(),
                             [&](const SharedRun &run) { return sameRun(run, local); }))
                entries.append(local);
        }
        return goAhead(reprintLines(runTexts(), plan, entries));
    };
    Reservation reservation;
    m_thread.run([&] {
        m_connection->log->setStillWanted(m_stillWanted);
        m_connection->log->setFormerKey(m_formerKey);
        if (continuing) {
            reservation = m_connection->log->reserveAfter(
                documentKey,
                [&](const QList<SharedRun> &all) {
                    continuePast(doc, printedExtremes(all));
                    m_run =
                        runOf(logEntry(runTexts(), plan, entry.document, entry.printer, entry.when),
                              documentKey);
                    return m_run;
                },
                check);
        } else {
            m_run = runOf(entry, documentKey);
            reservation = m_connection->log->reserve(m_run, check);
        }
        if (reservation.reserved)
            sendLocalRuns(documentKey);
    });
    m_runId = reservation.reserved ? reservation.runId : 0;
    return reservation;
}

void SharedLogSession::sendLocalRuns(const QString &documentKey)
{
    if (m_localRuns.isEmpty())
        return;
    SharedLog &log = *m_connection->log;
    const Outcome<QList<SharedRun>> logged = log.runs({.documentKey = documentKey,
                                                       .machine = thisMachine(),
                                                       .limit = std::numeric_limits<int>::max()});
    // What is not sent now is checked here still, and sent by a later run.
    if (!logged)
        return;
    // Looked up once a local run, not compared with every logged one.
    using RunMark = std::tuple<std::int32_t, std::int32_t, qint64>;
    const auto markOf = [](const PrintLogEntry &entry) {
        return RunMark{entry.firstPage, entry.lastPage, entry.when.toSecsSinceEpoch()};
    };
    std::set<RunMark> held;
    for (const SharedRun &run : *logged)
        held.insert(markOf(run.entry));
    for (const PrintLogEntry &local : m_localRuns) {
        // A run printed while the log could not be reached waits to be sent
        // on its own.
        if (local.notShared || held.contains(markOf(local)))
            continue;
        SharedRun run = runOf(local, documentKey);
        run.state = SharedRun::State::Complete;
        run.localId = QUuid::createUuidV5(localRunSpace, logFields(local).join(u','))
                          .toString(QUuid::WithoutBraces);
        if (!log.send(run).error.isEmpty())
            return;
    }
}

QString SharedLogSession::finish(const std::optional<PrintLogEntry> &printed)
{
    if (m_runId == 0)
        return {};
    SharedRun ended = m_run;
    ended.id = m_runId;
    ended.state = printed ? SharedRun::State::Complete : SharedRun::State::Stopped;
    if (printed) {
        // A pass of one side prints that side's values alone.
        ended.entry.numbers = printed->numbers;
    } else {
        // A run stopped before it was handed over printed nothing.
        for (PrintLogEntry::NumberSpan &span : ended.entry.numbers) {
            for (PrintedValues &values : span.values)
                values.count = 0;
        }
    }
    QString error;
    m_thread.run([&] {
        const Outcome<bool> end = m_connection->log->finish(ended);
        error = end.error;
        if (end && !*end)
            error =
                m_connection->log->address().shown() + QStringLiteral(" no longer holds the run");
    });
    if (error.isEmpty())
        return {};
    const QString kept = m_connection->unshared.add(ended);
    return kept.isEmpty() ? error + QStringLiteral("; the run is sent the next time it is reached")
                          : error + QStringLiteral("; ") + kept;
}

QString SharedLogSession::keepForLater(const PrintLogEntry &entry, const QString &documentKey,
                                       const UnsharedRuns &unshared)
{
    SharedRun run = runOf(entry, documentKey);
    run.state = SharedRun::State::Complete;
    return unshared.add(run);
}
