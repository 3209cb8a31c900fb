#include "log/sharedlog.h"

#include "jobid.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

#include <algorithm>
#include <iterator>
#include <limits>
#include <map>

#include <pwd.h>
#include <unistd.h>

namespace {

// An unreachable server is given up on after this many seconds, unless the
// address says otherwise.
constexpr int connectSeconds = 10;
// The job's lock is waited for a slice at a time, so that a stop is heard
// between two.
constexpr int lockSliceMilliseconds = 250;
// The lock that makes one machine at a time create the tables.
constexpr qint64 tablesLock = 0x7061676e65747465; // "pagnette"
// PostgreSQL's code for a statement naming a table that is not there.
const QLatin1String undefinedTable("42P01");

// What libpq says of a connection the server answered: a refusal (a login,
// a database, a role), which no wait mends, but for a server that cannot
// take the connection for now. Anything else, no server answered.
const QLatin1String serverFor[] = {
    QLatin1String("the database system is starting up"),
    QLatin1String("the database system is shutting down"),
    QLatin1String("the database system is in recovery mode"),
    QLatin1String("too many clients already"),
};
const QLatin1String serverRefused[] = {
    QLatin1String("FATAL"),                       // the server's own refusal
    QLatin1String("fe_sendauth"),                 // it asked for a password there is none of
    QLatin1String("server does not support SSL"), // sslmode asks what it cannot give
};

bool serverRefusedIt(const QString &why)
{
    const auto in = [&why](const QLatin1String &text) {
        return why.contains(text);
    };
    return std::none_of(std::begin(serverFor), std::end(serverFor), in) &&
           std::any_of(std::begin(serverRefused), std::end(serverRefused), in);
}

const QStringList tables = {
    QStringLiteral("CREATE TABLE paginette_schema (version integer NOT NULL)"),
    QStringLiteral("CREATE TABLE paginette_runs ("
                   " id bigserial PRIMARY KEY,"
                   " local_id text UNIQUE,"
                   " document_key text NOT NULL,"
                   " document_path text NOT NULL,"
                   " machine text NOT NULL,"
                   " os_user text NOT NULL,"
                   " printer text NOT NULL,"
                   " printed_at timestamptz NOT NULL,"
                   " first_page integer NOT NULL,"
                   " last_page integer NOT NULL,"
                   " copies integer NOT NULL,"
                   " state text NOT NULL CHECK (state IN ('reserved', 'complete', 'stopped')))"),
    QStringLiteral("CREATE INDEX paginette_runs_document ON paginette_runs (document_key, id)"),
    // A number's values in a run: first + step * i for i below value_count,
    // wrapping in 64 bits; low and high hold them all, for the index.
    QStringLiteral("CREATE TABLE paginette_values ("
                   " run_id bigint NOT NULL REFERENCES paginette_runs (id) ON DELETE CASCADE,"
                   " document_key text NOT NULL,"
                   " position integer NOT NULL,"
                   " object_name text NOT NULL,"
                   " first_text text NOT NULL,"
                   " last_text text NOT NULL,"
                   " first_value bigint NOT NULL,"
                   " step bigint NOT NULL,"
                   " value_count bigint NOT NULL,"
                   " low bigint NOT NULL,"
                   " high bigint NOT NULL,"
                   " PRIMARY KEY (run_id, position))"),
    QStringLiteral("CREATE INDEX paginette_values_series"
                   " ON paginette_values (document_key, object_name, low, high)"),
};

const QStringList stateNames = {QStringLiteral("reserved"), QStringLiteral("complete"),
                                QStringLiteral("stopped")};

QString stateName(SharedRun::State state)
{
    return stateNames[static_cast<int>(state)];
}

SharedRun::State stateOf(const QString &name)
{
    return static_cast<SharedRun::State>(std::max<qsizetype>(stateNames.indexOf(name), 0));
}

// A text as the tables take it: an empty one is empty, never NULL, which
// Qt's driver makes of a null QString.
QVariant textValue(const QString &text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

// A PostgreSQL array literal of texts, each quoted, for one bound value
// that unnest() takes apart: one statement for every number of a run.
QString textArray(const QStringList &texts)
{
    QStringList quoted;
    for (QString text : texts) {
        text.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
        quoted.append(u'"' + text + u'"');
    }
    return u'{' + quoted.join(u',') + u'}';
}

template <typename Number> QString numberArray(const QList<Number> &numbers)
{
    QStringList texts;
    for (const Number number : numbers)
        texts.append(QString::number(number));
    return u'{' + texts.join(u',') + u'}';
}

// The columns of a run's numbers, as arrays: a row for each span of values
// a number printed (a data run may print several), or one for a number
// whose values are not known.
struct NumberColumns
{
    QStringList names;
    QStringList firsts;
    QStringList lasts;
    QList<PrintedValues> spans;
    QList<qint64> firstValues;
    QList<qint64> steps;
    QList<qint64> counts;
    QList<qint64> lows;
    QList<qint64> highs;

    explicit NumberColumns(const QList<PrintLogEntry::NumberSpan> &numbers)
    {
        for (const PrintLogEntry::NumberSpan &number : numbers) {
            for (const PrintedValues &values :
                 number.values.isEmpty() ? QList<PrintedValues>{{}} : number.values) {
                const auto [low, high] = valueRange(values);
                names.append(number.name);
                firsts.append(number.first);
                lasts.append(number.last);
                spans.append(values);
                firstValues.append(values.first);
                steps.append(values.step);
                counts.append(values.count);
                lows.append(low);
                highs.append(high);
            }
        }
    }
};

QString newConnectionName()
{
    static QAtomicInteger<int> made;
    return QStringLiteral("paginette-shared-log-%1").arg(made.fetchAndAddRelaxed(1));
}

SharedRun runOf(const QSqlQuery &row)
{
    SharedRun run;
    run.id = row.value(0).toLongLong();
    run.localId = row.value(1).toString();
    run.documentKey = jobId(row.value(2).toString());
    run.entry.document = row.value(3).toString();
    run.machine = row.value(4).toString();
    run.user = row.value(5).toString();
    run.entry.printer = row.value(6).toString();
    run.entry.when = row.value(7).toDateTime();
    run.entry.firstPage = row.value(8).toInt();
    run.entry.lastPage = row.value(9).toInt();
    run.entry.copies = row.value(10).toInt();
    run.state = stateOf(row.value(11).toString());
    return run;
}

const QString runColumns =
    QStringLiteral("r.id, r.local_id, r.document_key, r.document_path, r.machine, r.os_user,"
                   " r.printer, r.printed_at, r.first_page, r.last_page, r.copies, r.state");

PrintLogEntry::NumberSpan spanOf(const QSqlQuery &row, int column)
{
    return {row.value(column).toString(),
            row.value(column + 1).toString(),
            row.value(column + 2).toString(),
            {PrintedValues{row.value(column + 3).toLongLong(), row.value(column + 4).toLongLong(),
                           row.value(column + 5).toLongLong()}}};
}

const QString valueColumns =
    QStringLiteral("v.object_name, v.first_text, v.last_text, v.first_value, v.step, "
                   "v.value_count");

// The rights a role needs on the log's tables, each checked alone: given
// several at once, has_table_privilege() is true for any one of them.
struct NeededRight
{
    QLatin1String object;
    QLatin1String kind; // "table" or "sequence"
    QLatin1String right;
};

const NeededRight neededRights[] = {
    {QLatin1String("paginette_runs"), QLatin1String("table"), QLatin1String("SELECT")},
    {QLatin1String("paginette_runs"), QLatin1String("table"), QLatin1String("INSERT")},
    {QLatin1String("paginette_runs"), QLatin1String("table"), QLatin1String("UPDATE")},
    {QLatin1String("paginette_values"), QLatin1String("table"), QLatin1String("SELECT")},
    {QLatin1String("paginette_values"), QLatin1String("table"), QLatin1String("INSERT")},
    {QLatin1String("paginette_values"), QLatin1String("table"), QLatin1String("UPDATE")},
    {QLatin1String("paginette_runs_id_seq"), QLatin1String("sequence"), QLatin1String("USAGE")},
};

// The schema's version, then whether the role has each needed right.
QString tablesCheckText()
{
    QString text = QStringLiteral("SELECT (SELECT max(version) FROM paginette_schema)");
    for (const NeededRight &needed : neededRights)
        text += QStringLiteral(", has_%1_privilege('%2', '%3')")
                    .arg(needed.kind, needed.object, needed.right);
    return text;
}

// The statements of every run, prepared while the log opens, so that a run
// waits for no parsing of its own.
const QString tablesCheck = tablesCheckText();
const QString documentLock = QStringLiteral("SELECT pg_advisory_xact_lock(hashtextextended(?, 0))");
const QString lockTimeout = QStringLiteral("SELECT set_config('lock_timeout', ?, true)");
// The machine whose connection holds the job's lock, by the name it gave.
const QString lockHolder =
    QStringLiteral("SELECT a.application_name FROM pg_locks l"
                   " JOIN pg_stat_activity a ON a.pid = l.pid,"
                   " (SELECT hashtextextended(?, 0) AS v) k"
                   " WHERE l.locktype = 'advisory' AND l.granted AND l.objsubid = 1"
                   " AND l.classid::bigint = (k.v >> 32) & 4294967295"
                   " AND l.objid::bigint = k.v & 4294967295 AND a.pid <> pg_backend_pid()");
// PostgreSQL's code for a lock not had within lock_timeout.
const QLatin1String lockNotAvailable("55P03");
const QString overlappingRuns =
    QStringLiteral("SELECT ") + runColumns + QStringLiteral(", ") + valueColumns +
    QStringLiteral(", q.n FROM unnest(?::text[], ?::bigint[], ?::bigint[])"
                   " WITH ORDINALITY AS q(name, low, high, n)"
                   " JOIN paginette_values v ON v.document_key IN (?, ?)"
                   " AND v.object_name = q.name AND v.low <= q.high AND v.high >= q.low"
                   " JOIN paginette_runs r ON r.id = v.run_id ORDER BY r.id, v.position");
// The run's row and its numbers' rows in one statement: a run sent before
// is there already, and adds neither.
const QString runInsert =
    QStringLiteral("WITH r AS (INSERT INTO paginette_runs (local_id, document_key,"
                   " document_path, machine, os_user, printer, printed_at, first_page,"
                   " last_page, copies, state) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                   " ON CONFLICT (local_id) DO NOTHING RETURNING id),"
                   " v AS (INSERT INTO paginette_values (run_id, document_key, position,"
                   " object_name, first_text, last_text, first_value, step, value_count,"
                   " low, high) SELECT r.id, ?, n - 1, name, first_text, last_text,"
                   " first_value, step, value_count, low, high"
                   " FROM r, unnest(?::text[], ?::text[], ?::text[], ?::bigint[],"
                   " ?::bigint[], ?::bigint[], ?::bigint[], ?::bigint[])"
                   " WITH ORDINALITY AS u(name, first_text, last_text, first_value, step,"
                   " value_count, low, high, n))"
                   " SELECT id FROM r");
// The runs logged under a document's path before it had an id become its
// id's, so that every machine that checks the job by its id finds them.
const QString formerKeyJoined =
    QStringLiteral("WITH r AS (UPDATE paginette_runs SET document_key = ? WHERE document_key = ?)"
                   " UPDATE paginette_values SET document_key = ? WHERE document_key = ?");
// One statement, so that the state and what printed change together.
const QString runEnd =
    QStringLiteral("WITH s AS (UPDATE paginette_runs SET state = ? WHERE id = ?"
                   " AND local_id IS NOT DISTINCT FROM ? RETURNING id),"
                   " v AS (UPDATE paginette_values v SET last_text = u.last_text,"
                   " value_count = u.value_count, low = u.low, high = u.high"
                   " FROM unnest(?::text[], ?::bigint[], ?::bigint[], ?::bigint[])"
                   " WITH ORDINALITY AS u(last_text, value_count, low, high, n)"
                   " WHERE v.run_id IN (SELECT id FROM s) AND v.position = u.n - 1)"
                   " SELECT count(*) FROM s");

// Runs read a row per value, gathered by run in the order they came.
class RunsByRow
{
public:
    void add(const QSqlQuery &row, int spanColumn)
    {
        const std::int64_t id = row.value(0).toLongLong();
        auto found = m_index.find(id);
        if (found == m_index.end()) {
            found = m_index.emplace(id, m_runs.size()).first;
            m_runs.append(runOf(row));
        }
        if (row.value(spanColumn).isNull())
            return;
        // The rows of one number's spans come one after the other.
        QList<PrintLogEntry::NumberSpan> &numbers = m_runs[found->second].entry.numbers;
        PrintLogEntry::NumberSpan span = spanOf(row, spanColumn);
        if (!numbers.isEmpty() && numbers.back().name == span.name &&
            numbers.back().first == span.first && numbers.back().last == span.last)
            numbers.back().values.append(span.values);
        else
            numbers.append(std::move(span));
    }

    QList<SharedRun> runs() const { return m_runs; }

private:
    QList<SharedRun> m_runs;
    std::map<std::int64_t, qsizetype> m_index;
};

// What the tables hold and allow, in one statement: the log is opened before
// every run, and the tables are there but the first time.
struct TablesFound
{
    bool missing = false;
    int version = 0;
    const NeededRight *lacking = nullptr; // the first right the role lacks
    QString why;                          // the server's reason when they could not be read
};

} // namespace

// A statement on the connection, and whether it could be prepared: one the
// tables were not ready for is prepared again when it is next asked for.
struct SharedLog::Prepared
{
    explicit Prepared(const QSqlDatabase &db) : query(db) {}

    QSqlQuery query;
    bool prepared = false;
};

// A prepared statement, its values bound in order.
class SharedLog::Statement
{
public:
    Statement(QSqlQuery &query, bool prepared) : m_query(query), m_prepared(prepared) {}

    Statement &operator<<(const QVariant &value)
    {
        m_query.bindValue(m_bound++, value);
        return *this;
    }

    // False, with the server's reason in `why`, when it failed.
    bool run(QString &why)
    {
        if (m_prepared && m_query.exec())
            return true;
        why = m_query.lastError().databaseText().trimmed();
        if (why.isEmpty())
            why = m_query.lastError().text().trimmed();
        return false;
    }

    QSqlQuery &query() { return m_query; }

private:
    QSqlQuery &m_query;
    bool m_prepared = false;
    int m_bound = 0;
};

QString thisMachine()
{
    return QSysInfo::machineHostName();
}

QString thisUser()
{
    if (const passwd *entry = ::getpwuid(::getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::getuid());
}

SharedLog::SharedLog(SharedLogAddress address)
    : m_address(std::move(address)), m_connection(newConnectionName())
{
}

SharedLog::~SharedLog()
{
    // A statement is freed on its connection, so before it closes.
    m_statements.clear();
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QString SharedLog::failure(const QString &what, const QString &why) const
{
    // The server's words come in lines; a message is one.
    return QStringLiteral("The shared print log %1 %2: %3")
        .arg(m_address.shown(), what, why.simplified());
}

QString SharedLog::open(Access access)
{
    m_unreachable = false;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return failure(QStringLiteral("cannot be used"),
                       QStringLiteral("Qt's PostgreSQL driver is not installed (apt install "
                                      "libqt6sql6-psql)"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    db.setHostName(m_address.host);
    if (m_address.port >= 0)
        db.setPort(m_address.port);
    db.setDatabaseName(m_address.database);
    db.setUserName(m_address.user);
    db.setPassword(m_address.password);
    QString options = m_address.options;
    if (!options.contains(QLatin1String("connect_timeout=")))
        options += (options.isEmpty() ? QString() : QStringLiteral(";")) +
                   QStringLiteral("connect_timeout=%1").arg(connectSeconds);
    // The name a machine waiting for this one's lock is told.
    if (!options.contains(QLatin1String("application_name=")))
        options += QStringLiteral(";application_name=") + thisMachine();
    db.setConnectOptions(options);
    if (!db.open()) {
        const QString why = db.lastError().databaseText().trimmed().isEmpty()
                                ? db.lastError().text().trimmed()
                                : db.lastError().databaseText().trimmed();
        m_unreachable = !serverRefusedIt(why);
        return failure(m_unreachable ? QStringLiteral("cannot be reached")
                                     : QStringLiteral("refuses the connection"),
                       why);
    }
    const QString error = makeTables(access);
    if (error.isEmpty() && access == Access::Print) {
        // One that fails here is prepared again, and tells why, when it runs.
        for (const QString &text : {lockTimeout, documentLock, overlappingRuns, runInsert, runEnd})
            statement(text);
    }
    return error;
}

SharedLog::Statement SharedLog::statement(const QString &text)
{
    std::unique_ptr<Prepared> &found = m_statements[text];
    if (!found)
        found = std::make_unique<Prepared>(QSqlDatabase::database(m_connection, false));
    if (!found->prepared)
        found->prepared = found->query.prepare(text);
    return Statement(found->query, found->prepared);
}

QString SharedLog::makeTables(Access access)
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const auto findTables = [this, access] {
        Statement check = statement(tablesCheck);
        TablesFound found;
        if (!check.run(found.why)) {
            found.missing = check.query().lastError().nativeErrorCode() == undefinedTable;
            return found;
        }
        if (check.query().next()) {
            found.version = check.query().value(0).toInt();
            for (int i = 0; i < int(std::size(neededRights)) && !found.lacking; ++i) {
                const bool needed =
                    access == Access::Print || neededRights[i].right == QLatin1String("SELECT");
                if (needed && !check.query().value(i + 1).toBool())
                    found.lacking = &neededRights[i];
            }
        }
        return found;
    };
    TablesFound found = findTables();
    if (found.missing && access == Access::Read)
        return failure(QStringLiteral("holds no run yet"),
                       QStringLiteral("no machine has printed through it"));
    if (found.missing) {
        const QString error = createTables();
        if (!error.isEmpty())
            return error;
        found = findTables();
    }
    if (!found.why.isEmpty())
        return failure(QStringLiteral("cannot be read by the role %1").arg(db.userName()),
                       found.why);
    if (found.version > schemaVersion)
        return failure(QStringLiteral("cannot be used"),
                       QStringLiteral("it was made by a newer Paginette (log version %1; this "
                                      "one knows version %2)")
                           .arg(found.version)
                           .arg(schemaVersion));
    if (found.version < schemaVersion && access == Access::Print)
        upgradeTables();
    if (found.lacking)
        return failure(QStringLiteral("cannot be used"),
                       QStringLiteral("the role %1 has no %2 right on the %3 %4")
                           .arg(db.userName(), found.lacking->right, found.lacking->kind,
                                found.lacking->object));
    return {};
}

void SharedLog::upgradeTables()
{
    // Version 1 held values in 32 bits and times without their zone, as the
    // server's zone showed them. Only the tables' owner may change them; for
    // any other role the log goes on as it was, and a wider value is refused
    // by the server when its run is recorded.
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return;
    QSqlQuery upgrade(db);
    // A log in use by a run elsewhere is upgraded by a later opening.
    const bool upgraded =
        upgrade.exec(QStringLiteral("SET LOCAL lock_timeout = '2s'")) &&
        upgrade.exec(QStringLiteral("ALTER TABLE paginette_values ALTER COLUMN first_value TYPE"
                                    " bigint, ALTER COLUMN step TYPE bigint")) &&
        upgrade.exec(QStringLiteral("ALTER TABLE paginette_runs ALTER COLUMN printed_at TYPE"
                                    " timestamptz")) &&
        upgrade.exec(QStringLiteral("INSERT INTO paginette_schema VALUES (%1)").arg(schemaVersion));
    if (!upgraded || !db.commit())
        db.rollback();
}

QString SharedLog::createTables()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QString why;
    // Machines that start together make the tables once. The lock comes
    // before the transaction: a transaction sees the tables another made
    // while it waited for the lock only if it starts after the wait.
    Statement lock = statement(QStringLiteral("SELECT pg_advisory_lock(?)"));
    lock << tablesLock;
    if (!lock.run(why))
        return failure(QStringLiteral("cannot be written"), why);
    const auto unlock = qScopeGuard([this] {
        Statement release = statement(QStringLiteral("SELECT pg_advisory_unlock(?)"));
        release << tablesLock;
        QString ignored;
        release.run(ignored);
    });
    if (!db.transaction())
        return failure(QStringLiteral("cannot be written"), db.lastError().text());
    Statement exists =
        statement(QStringLiteral("SELECT to_regclass('paginette_schema') IS NOT NULL"));
    bool made = exists.run(why) && exists.query().next();
    if (made && !exists.query().value(0).toBool()) {
        // PostgreSQL prepares no CREATE; these carry no value to bind.
        for (const QString &table : tables) {
            QSqlQuery create(db);
            if (made && !create.exec(table)) {
                why = create.lastError().databaseText().trimmed();
                made = false;
            }
        }
        Statement version = statement(QStringLiteral("INSERT INTO paginette_schema VALUES (?)"));
        version << schemaVersion;
        made = made && version.run(why);
    }
    if (!made) {
        db.rollback();
        return failure(
            QStringLiteral("has no tables, and the role %1 cannot make them").arg(db.userName()),
            why);
    }
    if (!db.commit())
        return failure(QStringLiteral("cannot be written"), db.lastError().text());
    return {};
}

Outcome<QList<SharedRun>> SharedLog::overlapping(const SharedRun &run)
{
    const NumberColumns numbers(run.entry.numbers);
    Statement select = statement(overlappingRuns);
    select << textArray(numbers.names) << numberArray(numbers.lows) << numberArray(numbers.highs)
           << textValue(run.documentKey)
           << textValue(m_formerKey.isEmpty() ? run.documentKey : m_formerKey);
    QString why;
    if (!select.run(why))
        return Outcome<QList<SharedRun>>::failed(failure(QStringLiteral("cannot be read"), why));
    RunsByRow found;
    while (select.query().next()) {
        // The index finds the candidates; the values decide.
        const PrintLogEntry::NumberSpan span = spanOf(select.query(), 12);
        const PrintedValues mine = numbers.spans.value(select.query().value(18).toInt() - 1);
        if (mine.count > 0 && sharesAValue(span.values.front(), mine))
            found.add(select.query(), 12);
    }
    return found.runs();
}

Outcome<std::int64_t> SharedLog::insert(const SharedRun &run)
{
    const NumberColumns numbers(run.entry.numbers);
    Statement insert = statement(runInsert);
    insert << (run.localId.isEmpty() ? QVariant() : QVariant(run.localId))
           << textValue(run.documentKey) << textValue(run.entry.document) << textValue(run.machine)
           << textValue(run.user) << textValue(run.entry.printer) << run.entry.when
           << run.entry.firstPage << run.entry.lastPage << run.entry.copies << stateName(run.state)
           << textValue(run.documentKey) << textArray(numbers.names) << textArray(numbers.firsts)
           << textArray(numbers.lasts) << numberArray(numbers.firstValues)
           << numberArray(numbers.steps) << numberArray(numbers.counts) << numberArray(numbers.lows)
           << numberArray(numbers.highs);
    QString why;
    if (!insert.run(why)) {
        return Outcome<std::int64_t>::failed(failure(QStringLiteral("cannot be written"), why));
    }
    return insert.query().next() ? insert.query().value(0).toLongLong() : std::int64_t{0};
}

Reservation SharedLog::reserve(const SharedRun &run,
                               const std::function<bool(const QList<SharedRun> &)> &goAhead)
{
    return reserveUnderLock(
        run.documentKey, false, [&run](const QList<SharedRun> &) { return run; }, goAhead);
}

Reservation
SharedLog::reserveAfter(const QString &documentKey,
                        const std::function<SharedRun(const QList<SharedRun> &)> &makeRun,
                        const std::function<bool(const QList<SharedRun> &)> &goAhead)
{
    return reserveUnderLock(documentKey, true, makeRun, goAhead);
}

Reservation
SharedLog::reserveUnderLock(const QString &documentKey, bool readAll,
                            const std::function<SharedRun(const QList<SharedRun> &)> &makeRun,
                            const std::function<bool(const QList<SharedRun> &)> &goAhead)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    // Every key a job's id may be written as is one job's.
    const QString key = jobId(documentKey);
    Reservation reservation;
    if (!db.transaction()) {
        reservation.error = failure(QStringLiteral("cannot be written"), db.lastError().text());
        return reservation;
    }
    // One machine at a time reads and reserves the document's values: read
    // then write without it would hand the same values to two.
    reservation.error = lockJob(key);
    if (!reservation.error.isEmpty()) {
        db.rollback();
        return reservation;
    }
    if (!m_formerKey.isEmpty() && m_formerKey != key) {
        Statement join = statement(formerKeyJoined);
        join << key << m_formerKey << key << m_formerKey;
        QString why;
        if (!join.run(why))
            reservation.error = failure(QStringLiteral("cannot be written"), why);
    }
    QList<SharedRun> all;
    if (readAll && reservation.error.isEmpty()) {
        const Outcome<QList<SharedRun>> values = valuesOf(key);
        reservation.error = values.error;
        all = values.value.value_or(QList<SharedRun>());
    }
    SharedRun run = makeRun(all);
    run.documentKey = jobId(run.documentKey);
    if (reservation.error.isEmpty()) {
        const Outcome<QList<SharedRun>> earlier = overlapping(run);
        reservation.earlier = earlier.value.value_or(QList<SharedRun>());
        reservation.error = earlier.error;
    }
    if (reservation.error.isEmpty() && (!goAhead || goAhead(reservation.earlier))) {
        const Outcome<std::int64_t> inserted = insert(run);
        reservation.reserved = bool(inserted);
        reservation.runId = inserted.value.value_or(0);
        reservation.error = inserted.error;
    }
    if (!reservation.reserved || !db.commit()) {
        if (reservation.reserved)
            reservation.error = failure(QStringLiteral("cannot be written"), db.lastError().text());
        reservation.reserved = false;
        db.rollback();
    }
    return reservation;
}

QString SharedLog::lockJob(const QString &key)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QString why;
    Statement slice = statement(lockTimeout);
    slice << QStringLiteral("%1ms").arg(lockSliceMilliseconds);
    if (!slice.run(why))
        return failure(QStringLiteral("cannot be locked"), why);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        // A lock not had within its slice undoes the savepoint alone.
        QSqlQuery(db).exec(QStringLiteral("SAVEPOINT job_lock"));
        Statement lock = statement(documentLock);
        lock << key;
        if (lock.run(why))
            break;
        if (lock.query().lastError().nativeErrorCode() != lockNotAvailable)
            return failure(QStringLiteral("cannot be locked"), why);
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK TO SAVEPOINT job_lock"));
        if (m_stillWanted && !m_stillWanted())
            return failure(QStringLiteral("was not waited for"),
                           QStringLiteral("the run was stopped"));
        if (waited.elapsed() >= m_lockWaitMilliseconds) {
            Statement holder = statement(lockHolder);
            holder << key;
            const QString machine = holder.run(why) && holder.query().next()
                                        ? holder.query().value(0).toString()
                                        : QString();
            return failure(QStringLiteral("cannot be locked"),
                           QStringLiteral("%1 has held the job for more than %2 s")
                               .arg(machine.isEmpty() ? QStringLiteral("another machine") : machine)
                               .arg(m_lockWaitMilliseconds / 1000.0));
        }
    }
    // What follows waits no longer than the lock did.
    Statement rest = statement(lockTimeout);
    rest << QStringLiteral("%1ms").arg(m_lockWaitMilliseconds);
    return rest.run(why) ? QString() : failure(QStringLiteral("cannot be locked"), why);
}

Outcome<bool> SharedLog::finish(const SharedRun &run)
{
    const NumberColumns numbers(run.entry.numbers);
    Statement end = statement(runEnd);
    end << stateName(run.state) << qint64{run.id}
        << (run.localId.isEmpty() ? QVariant() : QVariant(run.localId)) << textArray(numbers.lasts)
        << numberArray(numbers.counts) << numberArray(numbers.lows) << numberArray(numbers.highs);
    QString why;
    if (!end.run(why) || !end.query().next())
        return Outcome<bool>::failed(failure(QStringLiteral("cannot be written"), why));
    return end.query().value(0).toLongLong() > 0;
}

Reservation SharedLog::send(const SharedRun &run)
{
    return reserve(run, {});
}

Outcome<QList<SharedRun>> SharedLog::runs(const RunFilter &filter)
{
    // A day is this machine's: from its midnight to the next, as instants.
    const QDateTime from = filter.day.isNull() ? QDateTime() : filter.day.startOfDay();
    const QDateTime to = filter.day.isNull() ? QDateTime() : filter.day.addDays(1).startOfDay();
    Statement select = statement(
        QStringLiteral("SELECT ") + runColumns + QStringLiteral(", ") + valueColumns +
        QStringLiteral(" FROM (SELECT * FROM paginette_runs WHERE (? = '' OR document_key = ?)"
                       " AND (? = '' OR machine = ?) AND (? = 0 OR id < ?)"
                       " AND (NOT ? OR (printed_at >= ? AND printed_at < ?))"
                       " ORDER BY id DESC LIMIT ?) r"
                       " LEFT JOIN paginette_values v ON v.run_id = r.id"
                       " ORDER BY r.id DESC, v.position"));
    const QString key = jobId(filter.documentKey);
    select << textValue(key) << textValue(key) << textValue(filter.machine)
           << textValue(filter.machine) << QVariant::fromValue(qint64(filter.beforeId))
           << QVariant::fromValue(qint64(filter.beforeId)) << !filter.day.isNull()
           << (from.isValid() ? from : QDateTime::currentDateTime())
           << (to.isValid() ? to : QDateTime::currentDateTime()) << filter.limit;
    QString why;
    if (!select.run(why))
        return Outcome<QList<SharedRun>>::failed(failure(QStringLiteral("cannot be read"), why));
    RunsByRow found;
    while (select.query().next())
        found.add(select.query(), 12);
    return found.runs();
}

Outcome<QList<SharedRun>> SharedLog::valuesOf(const QString &documentKey)
{
    Statement select =
        statement(QStringLiteral("SELECT ") + runColumns + QStringLiteral(", ") + valueColumns +
                  QStringLiteral(" FROM paginette_values v JOIN paginette_runs r"
                                 " ON r.id = v.run_id WHERE v.document_key IN (?, ?)"
                                 " ORDER BY r.id, v.position"));
    select << jobId(documentKey) << (m_formerKey.isEmpty() ? jobId(documentKey) : m_formerKey);
    QString why;
    if (!select.run(why))
        return Outcome<QList<SharedRun>>::failed(failure(QStringLiteral("cannot be read"), why));
    RunsByRow found;
    while (select.query().next())
        found.add(select.query(), 12);
    return found.runs();
}
