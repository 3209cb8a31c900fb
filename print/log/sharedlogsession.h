#pragma once

#include "continuenumbering.h"
#include "log/sharedlog.h"
#include "log/sqlthread.h"
#include "log/unsharedruns.h"
#include "run/printplan.h"

#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>

// The key a shared print log knows a document by: its id, or where it has
// none, its resolved path as the local log keys it.
QString sharedDocumentKey(const Document &doc, const QString &path);

// The least and greatest value of each number, by name, that `runs` printed
// or hold.
std::map<QString, PrintedExtremes> printedExtremes(const QList<SharedRun> &runs);

// What a shop's shared print log does around one run of this machine: it
// first gets the runs this machine printed without it, then holds the run's
// values under its document's lock before the first page, and hears how the
// run ended. Where the server stops answering on the way, what it did not
// hear waits in the unshared runs for the next run that reaches it. The
// connection lives on a thread of its own and is made as soon as the
// session is, while the run gets ready.
class SharedLogSession
{
public:
    // Starts connecting and sending the runs that wait. Every wait on the
    // server asks `stillWanted` now and then: false gives it up.
    explicit SharedLogSession(const SharedLogAddress &address,
                              UnsharedRuns unshared = UnsharedRuns(),
                              std::function<bool()> stillWanted = {});
    ~SharedLogSession();
    SharedLogSession(const SharedLogSession &) = delete;
    SharedLogSession &operator=(const SharedLogSession &) = delete;

    // Waits for the connection and the runs sent; `told` gets a line for
    // each value a sent run shares with a run of another machine. Why not,
    // naming the server, when it cannot be reached or the wait was stopped.
    QString open(QStringList &told);
    // Whether open() failed because no server answered; a server that did
    // and refused is a fault of the shop's settings.
    bool unreachable() const { return m_connection->unreachable; }

    // The key the document's runs were logged under before it had an id.
    void setFormerKey(const QString &key) { m_formerKey = key; }
    // This machine's runs of the job from its own log: those the shared log
    // does not hold (printed before it was set) are checked too, and sent to
    // it once the run is reserved, so that every machine checks them.
    void setLocalRuns(const QList<PrintLogEntry> &runs) { m_localRuns = runs; }
    // Reserves the values of the run of `plan` from `doc`, logged as `entry`
    // says: `reprints` gets the lines of the check before a run, and the run
    // goes ahead when `goAhead` takes them. With `continuing`, every number
    // of `doc` first moves past what the log holds of it, under the lock.
    // Not reserved, without an error, when `goAhead` refused. `data` is the
    // run's (null for a run of the document's Pages).
    Reservation reserve(Document &doc, const RunData *data, const PrintPlan &plan,
                        const PrintLogEntry &entry, const QString &documentKey, bool continuing,
                        const std::function<bool(const QStringList &reprints)> &goAhead);

    // The run's end: complete, having printed what `printed` logs (its
    // numbers' values), or none: stopped having printed nothing. An error
    // text when the server did not hear it; the end then waits.
    QString finish(const std::optional<PrintLogEntry> &printed);

    // Keeps a run printed without the shared log for the next run that
    // reaches it.
    static QString keepForLater(const PrintLogEntry &entry, const QString &documentKey,
                                const UnsharedRuns &unshared = UnsharedRuns());

private:
    // What the connection's thread makes and uses, kept alive by its work:
    // a connect that a stop stopped waiting for ends on its own.
    struct Connection
    {
        std::unique_ptr<SharedLog> log; // made, used and ended on m_thread
        UnsharedRuns unshared;
        QString openError;
        bool unreachable = false;
        QStringList told;
    };

    // On the connection's thread: connects and sends what waits.
    static void connect(Connection &connection, const SharedLogAddress &address);
    // On the connection's thread: sends the local runs the log lacks.
    void sendLocalRuns(const QString &documentKey);

    SqlThread m_thread;
    std::shared_ptr<Connection> m_connection;
    std::function<bool()> m_stillWanted;
    QString m_formerKey;
    QList<PrintLogEntry> m_localRuns;
    bool m_stopped = false; // the connect was given up
    SharedRun m_run;
    std::int64_t m_runId = 0;
};
