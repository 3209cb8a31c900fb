#pragma once

#include "outcome.h"

#include "log/printlog.h"
#include "log/sharedlogaddress.h"

#include <QDate>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

// One run as a shop's shared print log keeps it: the local log's entry and
// where, by whom and how far it was printed.
struct SharedRun
{
    enum class State
    {
        Reserved, // its values are held; the run has not ended, or never will
        Complete,
        Stopped, // cancelled or failed: its values are those it printed
    };

    std::int64_t id = 0; // the server's
    // The run's own id, so that a run sent twice is kept once.
    QString localId;
    // The document's id, or its resolved path where it has none.
    QString documentKey;
    QString machine;
    QString user;
    State state = State::Reserved;
    PrintLogEntry entry;

    bool operator==(const SharedRun &) const = default;
};

// What a reservation found and did.
struct Reservation
{
    bool reserved = false;
    std::int64_t runId = 0;
    // The earlier runs of the document holding a value the run prints.
    QList<SharedRun> earlier;
    QString error; // naming the server; empty when it answered
};

// A shop's print log on a PostgreSQL server, shared by every machine that
// prints its jobs, through Qt's QPSQL driver, every statement that carries a
// value prepared once a connection. A run reserves its values in one
// transaction under a lock on its document before its first page, so that
// two machines never print the same value; a reservation whose run never
// ended stays and counts as printed.
class SharedLog
{
public:
    static constexpr int schemaVersion = 2;

    explicit SharedLog(SharedLogAddress address);
    ~SharedLog();
    SharedLog(const SharedLog &) = delete;
    SharedLog &operator=(const SharedLog &) = delete;

    // What a connection is for: printing needs every right on the log's
    // tables, reading them (a viewer's role, the Print Log window) only
    // SELECT.
    enum class Access
    {
        Print,
        Read,
    };
    // Connects, and for printing makes the log's tables where the server has
    // none yet. Why not, naming the server: it cannot be reached, refuses
    // the login, gives no right the access needs, or holds a log of a newer
    // version.
    QString open(Access access = Access::Print);
    // Asked between slices of a wait for a job's lock: false gives it up.
    void setStillWanted(std::function<bool()> stillWanted)
    {
        m_stillWanted = std::move(stillWanted);
    }
    // How long a run waits while another machine holds its job's lock;
    // then it is refused, naming that machine.
    void setLockWait(int milliseconds) { m_lockWaitMilliseconds = milliseconds; }
    // The key a document's runs were logged under before it had an id (its
    // path's): they are the same job's, checked and continued alike, and a
    // reservation moves them to the id, where every machine finds them.
    void setFormerKey(const QString &key) { m_formerKey = key; }
    // Whether the last open() failed because no server answered: a run may
    // print past that (--offline-ok), never past a server that refused it.
    bool unreachable() const { return m_unreachable; }
    const SharedLogAddress &address() const { return m_address; }

    // Under the lock of `run`'s document: the earlier runs that printed or
    // hold a value `run` prints, then, when `goAhead` takes them, `run`
    // reserved as printing.
    Reservation reserve(const SharedRun &run,
                        const std::function<bool(const QList<SharedRun> &earlier)> &goAhead);
    // The same for a run made under the lock by `makeRun` from every run of
    // the document `documentKey` that printed or holds values, so that it
    // can start past them all.
    Reservation reserveAfter(const QString &documentKey,
                             const std::function<SharedRun(const QList<SharedRun> &all)> &makeRun,
                             const std::function<bool(const QList<SharedRun> &earlier)> &goAhead);
    // The end of reserved run `run` (its id and its own id alike): complete,
    // or stopped having printed its entry's numbers (each number's values,
    // in the order the run reserved them). False when this log holds no
    // such run: one reserved in another log ends only there.
    Outcome<bool> finish(const SharedRun &run);
    // A run printed while the log could not be reached, kept once however
    // often it is sent, with the earlier runs it shares a value with.
    Reservation send(const SharedRun &run);
    // Which runs the Print Log window asks for, a page at a time.
    struct RunFilter
    {
        QString documentKey{};     // empty: every document's
        QString machine{};         // empty: every machine's
        QDate day{};               // null: every day's, else those printed that day here
        std::int64_t beforeId = 0; // 0: from the newest, else those older than it
        int limit = 1000;
    };
    // The newest runs first of those `filter` asks for, at most its limit.
    Outcome<QList<SharedRun>> runs(const RunFilter &filter);
    // Every value the document's series printed or hold, by run.
    Outcome<QList<SharedRun>> valuesOf(const QString &documentKey);

private:
    class Statement;
    struct Prepared;

    // `text` prepared on the connection the first time it is asked for.
    Statement statement(const QString &text);
    Reservation
    reserveUnderLock(const QString &documentKey, bool readAll,
                     const std::function<SharedRun(const QList<SharedRun> &all)> &makeRun,
                     const std::function<bool(const QList<SharedRun> &earlier)> &goAhead);
    QString failure(const QString &what, const QString &why) const;
    // Takes the lock of the job keyed `key` for the transaction, or why not.
    QString lockJob(const QString &key);
    QString makeTables(Access access);
    QString createTables();
    void upgradeTables();
    Outcome<QList<SharedRun>> overlapping(const SharedRun &run);
    Outcome<std::int64_t> insert(const SharedRun &run);

    SharedLogAddress m_address;
    QString m_connection;
    bool m_unreachable = false;
    std::function<bool()> m_stillWanted;
    int m_lockWaitMilliseconds = 30000;
    QString m_formerKey;
    // The connection's statements by their text.
    std::map<QString, std::unique_ptr<Prepared>> m_statements;
};

// "press-2" and "maria": the machine and the user a shared log names.
QString thisMachine();
QString thisUser();
