#include "documentbuilder.h"
#include "file/documentfile.h"
#include "logserver.h"
#include "toolrun.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

namespace {

const QString tool = QStringLiteral(PAGINETTE_PRINT);
const QString scripts = QStringLiteral(PROJECT_SCRIPTS);

// A machine of the shop: a folder of its own with a copy of the job, and
// its own data folder, where its local print log and waiting runs are.
struct Machine
{
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

    QProcessEnvironment environment(const QString &password) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        environment.insert(QStringLiteral("PGPASSWORD"), password);
        return environment;
    }

    // Starts paginette-print in the machine's folder.
    std::unique_ptr<QProcess> start(const QStringList &arguments, const QString &password) const
    {
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(dir.path());
        process->setProcessEnvironment(environment(password));
        process->start(tool, arguments);
        return process;
    }
};

// One job, a number counting from 1, as a copy on each machine shows it.
Document job()
{
    Document doc = emptyDocument(5);
    addNumber(doc, 72, 72, 1, 5);
    doc.objects[0].name = QStringLiteral("ticket");
    doc.pagesToPrint = 100;
    doc.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return doc;
}

// The numbers a run's PDF shows, one a page.
QList<int> printedNumbers(const QString &pdf)
{
    QList<int> numbers;
    for (const QList<Word> &page : pagesWords(pdf)) {
        for (const Word &word : page)
            numbers.append(word.text.toInt());
    }
    return numbers;
}

// A server on a port of 127.0.0.1 that takes connections and never answers.
class SilentServer
{
public:
    SilentServer()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), size) == 0 &&
            ::listen(m_fd, 4) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~SilentServer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    int port() const { return m_port; }
    // Whether a connection waits to be taken: the kernel took it for us.
    bool connected() const
    {
        pollfd waiting{m_fd, POLLIN, 0};
        return ::poll(&waiting, 1, 0) == 1;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

} // namespace

// paginette-print with a shop's shared print log, on the suite's own
// PostgreSQL server: machines started together never print a value twice,
// and a server that goes away never passes silently.
class TestSharedRun : public QObject
{
    Q_OBJECT

    LogServer m_server;
    QString m_password;

    QString scalar(const QString &query)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "check");
        db.setHostName(m_server.folder);
        db.setDatabaseName(QStringLiteral("paginette"));
        db.setUserName(QStringLiteral("paginette"));
        db.setPassword(m_password);
        QString value;
        if (db.open()) {
            QSqlQuery select(db);
            if (select.exec(query) && select.next())
                value = select.value(0).toString();
            db.close();
        }
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        return value;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_password = m_server.password(QStringLiteral("paginette"));
        QVERIFY2(!m_password.isEmpty(), "the suite's log server is not running");
    }

    // Two machines start the same job at the same instant, --fresh-only:
    // one prints 1-100, the other refuses, naming its run and machine.
    void twoMachinesNeverPrintOneValue()
    {
        const Document doc = job();
        Machine machines[2];
        std::vector<std::unique_ptr<QProcess>> runs;
        for (Machine &machine : machines) {
            QCOMPARE(saveDocument(doc, {}, machine.path(QStringLiteral("job.pgt"))), QString());
            runs.push_back(machine.start(
                {"--shared-log", m_server.uri(), "--fresh-only", "-o", "out.pdf", "job.pgt"},
                m_password));
        }
        QList<int> exits;
        QString refusal;
        QString said;
        for (std::size_t m = 0; m < runs.size(); ++m) {
            const ToolRun run = finishRun(*runs[m]);
            exits.append(run.exitCode);
            said += run.err;
            if (run.exitCode == 1)
                refusal = run.err;
            else if (run.exitCode == 0)
                QCOMPARE(printedNumbers(machines[m].path(QStringLiteral("out.pdf"))).size(), 100);
        }
        std::sort(exits.begin(), exits.end());
        QVERIFY2(exits == (QList<int>{0, 1}), qPrintable(said));
        QVERIFY2(refusal.contains(QStringLiteral("ticket printed 00001-00100 on ")) &&
                     refusal.contains(QStringLiteral(" at ") + QSysInfo::machineHostName()),
                 qPrintable(refusal));
    }

    // Copies of one job whose files write its id in braces or in upper case
    // are one job: the second run is refused the values the first printed,
    // and is known under the id's one form.
    void anIdHoweverWrittenIsOneJob_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");

        // A job of its own for each row.
        const auto id = [] {
            return QUuid::createUuid().toString(QUuid::WithoutBraces);
        };
        const QString braced = id();
        QTest::newRow("in braces") << braced << u'{' + braced + u'}';
        const QString upper = id();
        QTest::newRow("in upper case") << upper.toUpper() << upper;
        const QString both = id();
        QTest::newRow("in braces and upper case")
            << QStringLiteral("{%1}").arg(both.toUpper()) << both.toUpper();
    }

    void anIdHoweverWrittenIsOneJob()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);

        Machine machines[2];
        QList<int> exits;
        QString said;
        for (int m = 0; m < 2; ++m) {
            Document doc = job();
            doc.id = m == 0 ? first : second;
            QCOMPARE(saveDocument(doc, {}, machines[m].path(QStringLiteral("job.pgt"))), QString());
            const std::unique_ptr<QProcess> process = machines[m].start(
                {"--shared-log", m_server.uri(), "--fresh-only", "-o", "out.pdf", "job.pgt"},
                m_password);
            const ToolRun run = finishRun(*process);
            exits.append(run.exitCode);
            said += run.err;
        }
        QVERIFY2(exits == (QList<int>{0, 1}), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("ticket printed 00001-00100 on ")), qPrintable(said));
        const QString key = QUuid::fromString(first).toString(QUuid::WithoutBraces);
        QCOMPARE(scalar(QStringLiteral("SELECT string_agg(DISTINCT document_key, ' ') FROM "
                                       "paginette_runs WHERE lower(document_key) LIKE '%%1%'")
                            .arg(key)),
                 key);
    }

    // A document's runs logged under its path before it had an id are the
    // same job's once it has one: checked, and continued past, alike; the
    // run that reserves makes them the id's, for machines that reach the
    // file by another path.
    void runsBeforeTheIdAreTheJobs_data()
    {
        QTest::addColumn<bool>("continuing");
        QTest::newRow("checked") << false;
        QTest::newRow("continued") << true;
    }

    void runsBeforeTheIdAreTheJobs()
    {
        QFETCH(bool, continuing);
        Machine machine;
        Document doc = job();
        const QString id = doc.id;
        doc.id.clear();
        const QString document = machine.path(QStringLiteral("job.pgt"));
        QCOMPARE(saveDocument(doc, {}, document), QString());
        const std::unique_ptr<QProcess> before =
            machine.start({"--shared-log", m_server.uri(), "-o", "out.pdf", "job.pgt"}, m_password);
        const ToolRun first = finishRun(*before);
        QVERIFY2(first.exitCode == 0, qPrintable(first.err));

        doc.id = id;
        QCOMPARE(saveDocument(doc, {}, document), QString());
        const std::unique_ptr<QProcess> after =
            machine.start({"--shared-log", m_server.uri(),
                           continuing ? "--continue" : "--fresh-only", "-o", "out.pdf", "job.pgt"},
                          m_password);
        const ToolRun second = finishRun(*after);
        if (continuing) {
            QVERIFY2(second.exitCode == 0, qPrintable(second.err));
            QCOMPARE(printedNumbers(machine.path(QStringLiteral("out.pdf"))).value(0), 101);
            const Machine other;
            QCOMPARE(saveDocument(doc, {}, other.path(QStringLiteral("job.pgt"))), QString());
            const std::unique_ptr<QProcess> elsewhere = other.start(
                {"--shared-log", m_server.uri(), "--fresh-only", "-o", "out.pdf", "job.pgt"},
                m_password);
            const ToolRun third = finishRun(*elsewhere);
            QCOMPARE(third.exitCode, 1);
            QVERIFY2(third.err.contains(QStringLiteral("ticket printed 00001-00100 on ")),
                     qPrintable(third.err));
        } else {
            QCOMPARE(second.exitCode, 1);
            QVERIFY2(second.err.contains(QStringLiteral("ticket printed 00001-00100 on ")),
                     qPrintable(second.err));
        }
    }

    // Runs this machine printed before the shared log was set are still
    // checked once it is, from its own log; a run both logs hold is named
    // once.
    void runsBeforeTheSharedLogAreChecked()
    {
        Machine machine;
        const Document doc = job();
        QCOMPARE(saveDocument(doc, {}, machine.path(QStringLiteral("job.pgt"))), QString());
        const std::unique_ptr<QProcess> alone =
            machine.start({"--range", "1-10", "-o", "out.pdf", "job.pgt"}, m_password);
        QCOMPARE(finishRun(*alone).exitCode, 0);
        const std::unique_ptr<QProcess> shared = machine.start(
            {"--shared-log", m_server.uri(), "--range", "11-20", "-o", "out.pdf", "job.pgt"},
            m_password);
        QCOMPARE(finishRun(*shared).exitCode, 0);

        const std::unique_ptr<QProcess> again = machine.start(
            {"--shared-log", m_server.uri(), "--fresh-only", "-o", "out.pdf", "job.pgt"},
            m_password);
        const ToolRun run = finishRun(*again);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.count(QStringLiteral("ticket printed 00001-00010 on ")) == 1 &&
                     run.err.count(QStringLiteral("ticket printed 00011-00020 on ")) == 1,
                 qPrintable(run.err));

        // The first run reserved sent it: another machine checks it, and
        // the runs after send it no more.
        const std::unique_ptr<QProcess> more = machine.start(
            {"--shared-log", m_server.uri(), "--range", "21-30", "-o", "out.pdf", "job.pgt"},
            m_password);
        QCOMPARE(finishRun(*more).exitCode, 0);
        const Machine other;
        QCOMPARE(saveDocument(doc, {}, other.path(QStringLiteral("job.pgt"))), QString());
        const std::unique_ptr<QProcess> elsewhere =
            other.start({"--shared-log", m_server.uri(), "--fresh-only", "--range", "1-10", "-o",
                         "out.pdf", "job.pgt"},
                        m_password);
        const ToolRun checked = finishRun(*elsewhere);
        QCOMPARE(checked.exitCode, 1);
        QVERIFY2(checked.err.contains(QStringLiteral("ticket printed 00001-00010 on ")),
                 qPrintable(checked.err));
        QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM paginette_runs WHERE document_key = "
                                       "'%1' AND first_page = 1 AND last_page = 10")
                            .arg(doc.id)),
                 QStringLiteral("1"));
    }

    // Every wait on the shared log ends: a stop signal ends a wait on a
    // server that took the connection and never answers, whatever
    // connect_timeout says, and one on a lock another machine holds; a FIFO
    // where the side file of unshared runs goes is refused, not waited on.
    void everyWaitHearsAStop_data()
    {
        QTest::addColumn<QString>("waitingOn");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");

        QTest::newRow("a server that never answers") << "silent server" << 128 + SIGTERM << "";
        QTest::newRow("a server that never answers, connect_timeout=0")
            << "silent server?connect_timeout=0" << 128 + SIGTERM << "";
        QTest::newRow("a lock another machine holds") << "held lock" << 128 + SIGTERM << "";
        QTest::newRow("a FIFO for the side file")
            << "side FIFO" << 0 << "unshared-runs.csv: not a regular file";
    }

    void everyWaitHearsAStop()
    {
        QFETCH(QString, waitingOn);
        QFETCH(int, exitCode);
        QFETCH(QString, said);

        const Document doc = job();
        Machine machine;
        QCOMPARE(saveDocument(doc, {}, machine.path(QStringLiteral("job.pgt"))), QString());
        std::optional<SilentServer> silent;
        QStringList arguments{"--shared-log", m_server.uri(), "-o", "out.pdf", "job.pgt"};
        QSqlDatabase holder;
        if (waitingOn.startsWith(QLatin1String("silent server"))) {
            silent.emplace();
            QVERIFY(silent->port() > 0);
            arguments[1] =
                QStringLiteral("postgresql://paginette@127.0.0.1:%1/paginette%2")
                    .arg(silent->port())
                    .arg(waitingOn.mid(waitingOn.indexOf(u'?') < 0 ? waitingOn.size()
                                                                   : waitingOn.indexOf(u'?')));
        } else if (waitingOn == QLatin1String("held lock")) {
            holder = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "holder");
            holder.setHostName(m_server.folder);
            holder.setDatabaseName(QStringLiteral("paginette"));
            holder.setUserName(QStringLiteral("paginette"));
            holder.setPassword(m_password);
            QVERIFY(holder.open());
            QVERIFY(QSqlQuery(holder).exec(
                QStringLiteral("SELECT pg_advisory_lock(hashtextextended('%1', 0))").arg(doc.id)));
        } else {
            arguments = QStringList{"--offline-ok",
                                    "--shared-log",
                                    "postgresql://paginette@/paginette?host=/nonexistent",
                                    "-o",
                                    "out.pdf",
                                    "job.pgt"};
            QVERIFY(QDir().mkpath(machine.path(QStringLiteral("data/paginette"))));
            const QByteArray fifo =
                QFile::encodeName(machine.path(QStringLiteral("data/paginette/unshared-runs.csv")));
            QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        }
        const std::unique_ptr<QProcess> process = machine.start(arguments, m_password);
        // The run is stopped once it waits.
        if (silent)
            QVERIFY(QTest::qWaitFor([&] { return silent->connected(); }, 60000));
        if (holder.isOpen()) {
            QVERIFY(QTest::qWaitFor(
                [&] {
                    QSqlQuery waiting(holder);
                    return waiting.exec(QStringLiteral("SELECT count(*) FROM pg_locks WHERE "
                                                       "locktype = 'advisory' AND NOT granted")) &&
                           waiting.next() && waiting.value(0).toInt() > 0;
                },
                60000));
        }
        if (exitCode != 0)
            process->terminate();
        // Far sooner than any timeout of the server's.
        const ToolRun run = finishRun(*process, 5000);
        if (holder.isOpen()) {
            holder.close();
            holder = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        }
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(said), qPrintable(run.err));
        QCOMPARE(QFile::exists(machine.path(QStringLiteral("out.pdf"))), exitCode == 0);
    }

    // Twenty machines start together, each continuing past what the others
    // printed: every value from 1 to 2000 once.
    void twentyMachinesContinueOneSeries()
    {
        const Document doc = job();
        std::vector<std::unique_ptr<Machine>> machines;
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int m = 0; m < 20; ++m) {
            machines.push_back(std::make_unique<Machine>());
            QCOMPARE(saveDocument(doc, {}, machines.back()->path(QStringLiteral("job.pgt"))),
                     QString());
        }
        for (const auto &machine : machines)
            runs.push_back(machine->start(
                {"--shared-log", m_server.uri(), "--continue", "-o", "out.pdf", "job.pgt"},
                m_password));
        QList<int> printed;
        for (std::size_t m = 0; m < runs.size(); ++m) {
            const ToolRun run = finishRun(*runs[m]);
            QVERIFY2(run.exitCode == 0, qPrintable(run.err));
            printed += printedNumbers(machines[m]->path(QStringLiteral("out.pdf")));
        }
        std::sort(printed.begin(), printed.end());
        QList<int> everyValue(2000);
        std::iota(everyValue.begin(), everyValue.end(), 1);
        QCOMPARE(printed, everyValue);
    }

    // The server goes away while a run prints: the run is whole, the local
    // log holds it, and the next run that reaches the server sends its end.
    // The server stops between the run's reservation and its end: the run
    // prints, and the server hears of its end from the next run. The run
    // writes into a FIFO of a page's room that the test drains only once the
    // server is down, so that the server stops at a point the test chooses.
    void aServerGoneInTheMiddleHearsTheRunLater()
    {
        Document doc = job();
        doc.pagesToPrint = 2000;
        Machine machine;
        QCOMPARE(saveDocument(doc, {}, machine.path(QStringLiteral("job.pgt"))), QString());
        const QByteArray fifo = QFile::encodeName(machine.path(QStringLiteral("out.pdf")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(reader >= 0);
        QVERIFY(::fcntl(reader, F_SETPIPE_SZ, 4096) > 0);
        const std::unique_ptr<QProcess> process =
            machine.start({"--shared-log", m_server.uri(), "-o", "out.pdf", "job.pgt"}, m_password);
        const QString reserved =
            QStringLiteral("SELECT count(*) FROM paginette_runs WHERE document_key = '%1' AND "
                           "state = 'reserved'")
                .arg(doc.id);
        QVERIFY(QTest::qWaitFor([&] { return scalar(reserved) == QLatin1String("1"); }, 60000));
        QCOMPARE(runTool(scripts + QStringLiteral("/stop-log-server.sh"),
                         {QStringLiteral("--keep"), m_server.folder})
                     .exitCode,
                 0);
        // The run goes on once its output is read, to its end.
        QByteArray printed;
        const bool drained = QTest::qWaitFor(
            [&] {
                char piece[65536];
                const ssize_t got = ::read(reader, piece, sizeof piece);
                if (got > 0)
                    printed.append(piece, got);
                return got == 0 && process->state() == QProcess::NotRunning;
            },
            120000);
        ::close(reader);
        QVERIFY(drained);
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        const ToolRun run{
            process->exitCode(), {}, QString::fromLocal8Bit(process->readAllStandardError())};
        QCOMPARE(runTool(scripts + QStringLiteral("/start-log-server.sh"),
                         {QStringLiteral("--again"), m_server.folder})
                     .exitCode,
                 0);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(QLatin1String("the run is sent the next time it is reached")),
                 qPrintable(run.err));
        QFile copy(machine.path(QStringLiteral("copy.pdf")));
        QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(printed) == printed.size());
        copy.close();
        QCOMPARE(runTool(QStringLiteral("qpdf"), {"--check", copy.fileName()}).exitCode, 0);
        QFile log(machine.path(QStringLiteral("data/paginette/print-log.csv")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains(",1,2000,1,ticket,00001,02000,"));

        QCOMPARE(scalar(reserved), QStringLiteral("1"));
        QProcess sending;
        sending.setWorkingDirectory(machine.dir.path());
        sending.setProcessEnvironment(machine.environment(m_password));
        sending.start(tool, {"--shared-log", m_server.uri(), "--range", "2000-2000", "-o",
                             "next.pdf", "job.pgt"});
        finishRun(sending);
        QCOMPARE(scalar(reserved), QStringLiteral("0"));
        QCOMPARE(scalar(QStringLiteral("SELECT state FROM paginette_runs WHERE document_key = "
                                       "'%1' ORDER BY id LIMIT 1")
                            .arg(doc.id)),
                 QStringLiteral("complete"));
    }

    // --offline-ok --continue while the server cannot be reached goes on
    // past what this machine printed (its own log, and the runs waiting for
    // the shared log), and says so; it never starts the job over.
    void anOutageContinuesFromThisMachinesRuns()
    {
        Machine machine;
        QCOMPARE(saveDocument(job(), {}, machine.path(QStringLiteral("job.pgt"))), QString());
        const QString nowhere =
            QStringLiteral("postgresql://paginette@/paginette?host=/nonexistent");
        QList<int> firsts;
        for (int run = 0; run < 3; ++run) {
            QProcess process;
            process.setWorkingDirectory(machine.dir.path());
            process.setProcessEnvironment(machine.environment(QString()));
            process.start(tool, {"--offline-ok", "--continue", "--shared-log", nowhere, "-o",
                                 "out.pdf", "job.pgt"});
            const ToolRun printed = finishRun(process);
            QVERIFY2(printed.exitCode == 0, qPrintable(printed.err));
            QVERIFY2(printed.err.contains(run == 0 ? QLatin1String("printed nothing of this job")
                                                   : QLatin1String("past what this machine")),
                     qPrintable(printed.err));
            const QList<int> numbers = printedNumbers(machine.path(QStringLiteral("out.pdf")));
            QCOMPARE(numbers.size(), 100);
            firsts.append(numbers.front());
        }
        QCOMPARE(firsts, (QList<int>{1, 101, 201}));
    }

    // What keeps a run from the shared log: one clear message each, nothing
    // printed, and a password given never shown. --offline-ok prints past a
    // server that cannot be reached, never past one that refused the run.
    void aLogThatCannotServeStopsTheRun_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<bool>("offlineOk");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");

        const QString socket = m_server.folder;
        const QString nowhere =
            QStringLiteral("postgresql://paginette:Pa55word@/paginette?host=/nonexistent");
        const QString wrongPassword =
            QStringLiteral("postgresql://paginette:Pa55word@/paginette?host=%1").arg(socket);
        const QString visitor = QStringLiteral("postgresql://visitor:%1@/paginette?host=%2")
                                    .arg(m_server.password(QStringLiteral("visitor")), socket);
        QTest::newRow("a bad URI")
            << "mysql://db/paginette" << false << 2 << "--shared-log: not a postgresql:// URI";
        QTest::newRow("no server there") << nowhere << false << 3 << "cannot be reached";
        QTest::newRow("no server there, --offline-ok")
            << nowhere << true << 0 << "cannot be reached: ";
        QTest::newRow("a refused login")
            << wrongPassword << false << 3 << "password authentication failed";
        QTest::newRow("a refused login, --offline-ok")
            << wrongPassword << true << 3 << "password authentication failed";
        QTest::newRow("a role without the tables' rights")
            << visitor << false << 3 << "cannot be read by the role visitor";
        QTest::newRow("a role without the tables' rights, --offline-ok")
            << visitor << true << 3 << "cannot be read by the role visitor";
    }

    void aLogThatCannotServeStopsTheRun()
    {
        QFETCH(QString, uri);
        QFETCH(bool, offlineOk);
        QFETCH(int, exitCode);
        QFETCH(QString, said);

        Machine machine;
        QCOMPARE(saveDocument(job(), {}, machine.path(QStringLiteral("job.pgt"))), QString());
        QProcess process;
        process.setWorkingDirectory(machine.dir.path());
        process.setProcessEnvironment(machine.environment(QString()));
        QStringList arguments{"--shared-log", uri, "-o", "out.pdf", "job.pgt"};
        if (offlineOk)
            arguments.prepend(QStringLiteral("--offline-ok"));
        process.start(tool, arguments);
        const ToolRun run = finishRun(process);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(said), qPrintable(run.err));
        if (exitCode != 2)
            QVERIFY2(run.err.contains(exitCode == 0 ? QLatin1String("; printing without it")
                                                    : QLatin1String("; nothing was printed")),
                     qPrintable(run.err));
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY(!run.err.contains(QLatin1String("Pa55word")));
        QVERIFY(!run.err.contains(m_server.password(QStringLiteral("visitor"))));
        QCOMPARE(QFile::exists(machine.path(QStringLiteral("out.pdf"))), exitCode == 0);
    }
};

QTEST_GUILESS_MAIN(TestSharedRun)
#include "tst_sharedrun.moc"
