#include "log/sharedlog.h"
#include "logserver.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <QtTest>

namespace {

// A run of `document` printing num0's values first..first + count - 1.
SharedRun runOf(const QString &document, std::int32_t first, std::int64_t count)
{
    SharedRun run;
    run.documentKey = document;
    run.machine = QStringLiteral("press-1");
    run.user = QStringLiteral("maria");
    run.entry.when = QDateTime(QDate(2026, 12, 9), QTime(8, 15));
    run.entry.document = QStringLiteral("/jobs/tickets.pgt");
    run.entry.printer = QStringLiteral("office");
    run.entry.lastPage = static_cast<std::int32_t>(count);
    run.entry.numbers.append({QStringLiteral("num0"),
                              QString::number(first),
                              QString::number(first + count - 1),
                              {PrintedValues{first, 1, count}}});
    return run;
}

} // namespace

// The shared log against a real PostgreSQL server: what it refuses, and the
// reservation that keeps two machines from printing one value.
class TestSharedLog : public QObject
{
    Q_OBJECT

    LogServer m_server;
    QString m_document = QUuid::createUuid().toString(QUuid::WithoutBraces);

    SharedLogAddress address(const QString &role = QStringLiteral("paginette")) const
    {
        return *parseSharedLogUri(m_server.uri(role));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!m_server.password(QStringLiteral("paginette")).isEmpty(),
                 "the suite's log server is not running");
        // As a user's ~/.pgpass or environment gives it: the program never
        // holds a password of its own.
        qputenv("PGPASSWORD", m_server.password(QStringLiteral("paginette")).toUtf8());
    }

    void addressesAreReadOrRefused_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("shown"); // empty: refused
        QTest::addColumn<QString>("error");

        QTest::newRow("host, port and database")
            << "postgresql://shop@db.example.org:5433/paginette"
            << "postgresql://shop@db.example.org:5433/paginette"
            << "";
        QTest::newRow("a socket folder")
            << "postgres:///paginette?host=/run/postgresql&sslmode=disable"
            << "postgresql:/paginette?host=/run/postgresql&sslmode=disable"
            << "";
        QTest::newRow("a password, never shown") << "postgresql://shop:s3cret@db/paginette"
                                                 << "postgresql://shop@db/paginette"
                                                 << "";
        QTest::newRow("a password in the query, never shown")
            << "postgresql://db/paginette?password=s3cret&user=shop"
            << "postgresql://shop@db/paginette"
            << "";
        QTest::newRow("another scheme")
            << "mysql://db/paginette"
            << ""
            << "not a postgresql:// URI (postgresql://USER@HOST/DATABASE)";
        QTest::newRow("no database") << "postgresql://db"
                                     << ""
                                     << "the URI names no database (postgresql://HOST/DATABASE)";
        QTest::newRow("a setting not passed on") << "postgresql://db/paginette?options=-c%20x"
                                                 << ""
                                                 << "the URI's options has no value it can use";
        QTest::newRow("an unknown setting") << "postgresql://db/paginette?krbsrvname=x"
                                            << ""
                                            << "the URI's krbsrvname is not a setting the "
                                               "program passes on";
        QTest::newRow("no port") << "postgresql://db/paginette?port=99999"
                                 << ""
                                 << "the URI's port is no port number";
    }

    void addressesAreReadOrRefused()
    {
        QFETCH(QString, uri);
        QFETCH(QString, shown);
        QFETCH(QString, error);

        const Outcome<SharedLogAddress> address = parseSharedLogUri(uri);
        QCOMPARE(address ? address->shown() : QString(), shown);
        QCOMPARE(address.error, error);
    }

    // Each way a server cannot serve the log is one message that names it,
    // and never the password.
    void serversThatCannotServeAreNamed_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QString>("said");

        const QString socket = m_server.folder;
        QTest::newRow("no server there") << "postgresql:///paginette?host=/nonexistent/folder"
                                         << "cannot be reached";
        QTest::newRow("a refused login")
            << QStringLiteral("postgresql://paginette:wrong-s3cret@/paginette?host=%1").arg(socket)
            << "password authentication failed";
        QTest::newRow("a role without rights")
            << QStringLiteral("postgresql://visitor:%1@/paginette?host=%2")
                   .arg(m_server.password(QStringLiteral("visitor")), socket)
            << "visitor";
    }

    void serversThatCannotServeAreNamed()
    {
        QFETCH(QString, uri);
        QFETCH(QString, said);

        // The tables are there for the visitor to be refused them.
        SharedLog owner(address());
        QCOMPARE(owner.open(), QString());
        const Outcome<SharedLogAddress> parsed = parseSharedLogUri(uri);
        QVERIFY(parsed);
        SharedLog log(*parsed);
        const QString error = log.open();
        QVERIFY2(error.startsWith(QStringLiteral("The shared print log ") + parsed->shown()),
                 qPrintable(error));
        QVERIFY2(error.contains(said), qPrintable(error));
        if (!parsed->password.isEmpty())
            QVERIFY(!error.contains(parsed->password));
    }

    // A role is refused the log for the first right it lacks, named: the
    // rights are checked one at a time.
    void eachRightIsNamed_data()
    {
        QTest::addColumn<QString>("granted"); // to the visitor, statements apart by ';'
        QTest::addColumn<bool>("reading");    // as the Print Log window opens it
        QTest::addColumn<QString>("lacking"); // empty: none

        const auto grant = [](const QString &rights, const QString &on) {
            return QStringLiteral("GRANT %1 ON %2 TO visitor").arg(rights, on);
        };
        const QString tables = QStringLiteral("paginette_runs, paginette_values");
        const QString sequence =
            u';' + grant(QStringLiteral("USAGE"), QStringLiteral("SEQUENCE paginette_runs_id_seq"));
        QTest::newRow("reading alone") << grant("SELECT", tables) + sequence << false
                                       << "INSERT right on the table paginette_runs";
        QTest::newRow("no updates") << grant("SELECT, INSERT", tables) + sequence << false
                                    << "UPDATE right on the table paginette_runs";
        QTest::newRow("values that cannot be written")
            << grant("SELECT, INSERT, UPDATE", "paginette_runs") + u';' +
                   grant("SELECT", "paginette_values") + sequence
            << false << "INSERT right on the table paginette_values";
        QTest::newRow("no run numbers") << grant("SELECT, INSERT, UPDATE", tables) << false
                                        << "USAGE right on the sequence paginette_runs_id_seq";
        QTest::newRow("every right")
            << grant("SELECT, INSERT, UPDATE", tables) + sequence << false << "";
        QTest::newRow("a viewer reads") << grant("SELECT", tables) << true << "";
        QTest::newRow("a viewer without the values")
            << grant("SELECT", "paginette_runs") << true
            << "SELECT right on the table paginette_values";
    }

    void eachRightIsNamed()
    {
        QFETCH(QString, granted);
        QFETCH(bool, reading);
        QFETCH(QString, lacking);

        SharedLog owner(address());
        QCOMPARE(owner.open(), QString());
        const auto asOwner = [this](const QString &statements) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "owner");
            db.setHostName(m_server.folder);
            db.setDatabaseName(QStringLiteral("paginette"));
            db.setUserName(QStringLiteral("paginette"));
            bool done = db.open();
            for (const QString &statement : statements.split(u';'))
                done = done && QSqlQuery(db).exec(statement);
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("owner"));
            return done;
        };
        // The log's version is read by every role that opens it.
        QVERIFY(asOwner(QStringLiteral("GRANT SELECT ON paginette_schema TO visitor;") + granted));
        SharedLogAddress visitor = address(QStringLiteral("visitor"));
        visitor.password = m_server.password(QStringLiteral("visitor"));
        const QString error =
            SharedLog(visitor).open(reading ? SharedLog::Access::Read : SharedLog::Access::Print);
        QVERIFY(asOwner(QStringLiteral("REVOKE ALL ON paginette_schema, paginette_runs, "
                                       "paginette_values FROM visitor;REVOKE ALL ON SEQUENCE "
                                       "paginette_runs_id_seq FROM visitor")));
        QCOMPARE(error, lacking.isEmpty()
                            ? QString()
                            : QStringLiteral("The shared print log %1 cannot be used: the role "
                                             "visitor has no %2")
                                  .arg(visitor.shown(), lacking));
    }

    // A job's lock another machine holds is waited for no longer than the
    // log's lock wait, and the refusal names that machine.
    void aHeldLockNamesItsHolder()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "press-9");
        db.setHostName(m_server.folder);
        db.setDatabaseName(QStringLiteral("paginette"));
        db.setUserName(QStringLiteral("paginette"));
        db.setConnectOptions(QStringLiteral("application_name=press-9"));
        QVERIFY(db.open());
        const QString job = QUuid::createUuid().toString(QUuid::WithoutBraces);
        QVERIFY(QSqlQuery(db).exec(
            QStringLiteral("SELECT pg_advisory_lock(hashtextextended('%1', 0))").arg(job)));

        SharedLog log(address());
        QCOMPARE(log.open(), QString());
        log.setLockWait(1000);
        const Reservation refused = log.reserve(runOf(job, 1, 10), {});
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("press-9"));
        QVERIFY(!refused.reserved);
        QCOMPARE(refused.error, QStringLiteral("The shared print log %1 cannot be locked: press-9 "
                                               "has held the job for more than 1 s")
                                    .arg(address().shown()));
        // Once let go, the job is reserved.
        QVERIFY(log.reserve(runOf(job, 1, 10), {}).reserved);
    }

    void aLogOfANewerVersionIsRefused()
    {
        SharedLog log(address());
        QCOMPARE(log.open(), QString());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "newer");
        db.setHostName(m_server.folder);
        db.setDatabaseName(QStringLiteral("paginette"));
        db.setUserName(QStringLiteral("paginette"));
        QVERIFY(db.open());
        QSqlQuery(db).exec(QStringLiteral("INSERT INTO paginette_schema VALUES (99)"));
        SharedLog newer(address());
        const QString error = newer.open();
        QSqlQuery(db).exec(QStringLiteral("DELETE FROM paginette_schema WHERE version = 99"));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        QVERIFY2(error.contains(QLatin1String("made by a newer Paginette (log version 99")),
                 qPrintable(error));
    }

    // A run's time is the instant it printed, whatever zone the server's
    // session shows times in: here Tokyo's, the machine's own being another.
    void timesAreTheInstantsRunsPrinted()
    {
        qputenv("PGTZ", "Asia/Tokyo");
        SharedLog log(address());
        const QString opened = log.open();
        qunsetenv("PGTZ");
        QCOMPARE(opened, QString());
        const QString job = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const SharedRun run = runOf(job, 1, 10);
        QVERIFY(log.reserve(run, {}).reserved);
        const QList<SharedRun> runs = *log.runs({.documentKey = job, .limit = 10});
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs.first().entry.when.toUTC(), run.entry.when.toUTC());
    }

    // The runs a filter asks for, a page at a time: each page newest first,
    // every run once over the pages, none the filter leaves out.
    void runsArePagedAsFiltered()
    {
        SharedLog log(address());
        QCOMPARE(log.open(), QString());
        const QString job = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString other = QUuid::createUuid().toString(QUuid::WithoutBraces);
        QList<std::int64_t> pressTwo; // press-2's runs of the job on 9 December
        for (int i = 0; i < 23; ++i) {
            SharedRun run = runOf(i % 4 == 3 ? other : job, 1 + 10 * i, 10);
            run.machine = i % 3 == 0 ? QStringLiteral("press-1") : QStringLiteral("press-2");
            run.entry.when = QDateTime(QDate(2026, 12, i % 2 == 0 ? 9 : 10), QTime(8, i));
            run.localId = QUuid::createUuid().toString(QUuid::WithoutBraces);
            run.state = SharedRun::State::Complete;
            const Reservation sent = log.send(run);
            QVERIFY2(sent.reserved, qPrintable(sent.error));
            if (i % 4 != 3 && i % 3 != 0 && i % 2 == 0)
                pressTwo.prepend(sent.runId);
        }
        SharedLog::RunFilter filter{.documentKey = job,
                                    .machine = QStringLiteral("press-2"),
                                    .day = QDate(2026, 12, 9),
                                    .limit = 2};
        QList<std::int64_t> paged;
        for (int page = 0; page < 20; ++page) {
            const QList<SharedRun> runs = *log.runs(filter);
            for (const SharedRun &run : runs) {
                QCOMPARE(run.documentKey, job);
                QCOMPARE(run.machine, QStringLiteral("press-2"));
                paged.append(run.id);
            }
            if (runs.size() < filter.limit)
                break;
            filter.beforeId = runs.back().id;
        }
        QCOMPARE(paged, pressTwo);
    }

    // A reservation holds its values for every later run; a stopped run
    // holds what it printed; a run sent twice is kept once.
    void aReservationHoldsItsValues()
    {
        SharedLog log(address());
        QCOMPARE(log.open(), QString());
        const Reservation first = log.reserve(runOf(m_document, 1, 100), {});
        QVERIFY2(first.reserved, qPrintable(first.error));
        QVERIFY(first.earlier.isEmpty());

        QList<SharedRun> seen;
        const Reservation refused =
            log.reserve(runOf(m_document, 50, 100), [&seen](const QList<SharedRun> &earlier) {
                seen = earlier;
                return false;
            });
        QVERIFY(!refused.reserved && refused.error.isEmpty());
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().id, first.runId);
        QCOMPARE(seen.first().machine, QStringLiteral("press-1"));
        QCOMPARE(seen.first().state, SharedRun::State::Reserved);

        SharedRun stopped = runOf(m_document, 1, 20);
        stopped.id = first.runId;
        stopped.state = SharedRun::State::Stopped;
        QCOMPARE(log.finish(stopped).value, std::optional(true));
        // A run of another log that has the same number is not this one.
        stopped.localId = QUuid::createUuid().toString(QUuid::WithoutBraces);
        QCOMPARE(log.finish(stopped).value, std::optional(false));
        const Reservation after = log.reserve(runOf(m_document, 21, 80), {});
        QVERIFY(after.reserved && after.earlier.isEmpty());

        SharedRun offline = runOf(m_document, 500, 10);
        offline.localId = QUuid::createUuid().toString(QUuid::WithoutBraces);
        offline.state = SharedRun::State::Complete;
        QVERIFY(log.send(offline).reserved);
        QVERIFY(log.send(offline).reserved);
        const QList<SharedRun> runs = *log.runs({.documentKey = m_document, .limit = 10});
        QCOMPARE(runs.size(), 3);
        QCOMPARE(runs.first().state, SharedRun::State::Complete);
        QCOMPARE(runs.first().entry.numbers.first().values, (QList<PrintedValues>{{500, 1, 10}}));
        QCOMPARE(runs.last().state, SharedRun::State::Stopped);
        QCOMPARE(runs.last().entry.numbers.first().last, QStringLiteral("20"));
    }
};

QTEST_GUILESS_MAIN(TestSharedLog)
#include "tst_sharedlog.moc"
