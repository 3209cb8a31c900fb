// Times the shared print log on a PostgreSQL server of its own, started with
// scripts/start-log-server.sh in a temporary folder (needs root, as the
// suite does): the check before a run against a log holding 1,000,000
// earlier runs of 1,000 documents, and what the log adds to a 1,000-page
// run of paginette-print, runs with the log and without taking turns.
// Prints the clock milliseconds, the best and the median of each.
//
// Usage: bench_sharedlog [SCRIPTS_FOLDER]

#include "documentbuilder.h"
#include "file/documentfile.h"
#include "log/sharedlog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>

namespace {

constexpr int documents = 1000;
constexpr int earlierRuns = 1000000;
constexpr int checks = 50;
constexpr int printRuns = 15;
constexpr int pages = 1000;

struct Figures
{
    double best = 0;
    double median = 0;
};

Figures figuresOf(std::vector<double> milliseconds)
{
    std::sort(milliseconds.begin(), milliseconds.end());
    return {milliseconds.front(), milliseconds[milliseconds.size() / 2]};
}

QString passwordOf(const QString &folder)
{
    QFile file(folder + QStringLiteral("/passwords"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("paginette:"))
            return QString::fromUtf8(line.mid(10));
    }
    return {};
}

// A million runs of a thousand documents, a number each, a hundred values
// a run, each document's runs one after the other: made by the server, and
// vacuumed, so that no vacuum of its own runs beside the clock.
bool fill(const QString &folder, const QString &password)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("fill"));
    db.setHostName(folder);
    db.setDatabaseName(QStringLiteral("paginette"));
    db.setUserName(QStringLiteral("paginette"));
    db.setPassword(password);
    if (!db.open())
        return false;
    QSqlQuery query(db);
    const bool filled =
        query.exec(
            QStringLiteral(
                "INSERT INTO paginette_runs (id, local_id, document_key, document_path, machine,"
                " os_user, printer, printed_at, first_page, last_page, copies, state)"
                " SELECT n, NULL, 'document-' || (n % %1), '/jobs/job.pgt', 'press-1', 'maria',"
                " 'office', now(), 1, 100, 1, 'complete' FROM generate_series(1, %2) AS n")
                .arg(documents)
                .arg(earlierRuns)) &&
        query.exec(
            QStringLiteral(
                "INSERT INTO paginette_values (run_id, document_key, position, object_name,"
                " first_text, last_text, first_value, step, value_count, low, high)"
                " SELECT n, 'document-' || (n % %1), 0, 'num0', '', '', 1 + (n / %1) * 100, 1,"
                " 100, 1 + (n / %1) * 100, 100 + (n / %1) * 100"
                " FROM generate_series(1, %2) AS n")
                .arg(documents)
                .arg(earlierRuns)) &&
        query.exec(QStringLiteral("SELECT setval('paginette_runs_id_seq', %1)").arg(earlierRuns)) &&
        query.exec(QStringLiteral("VACUUM (ANALYZE) paginette_runs, paginette_values"));
    if (!filled)
        std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return filled;
}

// The check of one run of document-7 against its thousand earlier runs: the
// lock, the values read and compared, nothing reserved.
Figures timeChecks(const SharedLogAddress &address)
{
    SharedLog log(address);
    if (!log.open().isEmpty())
        return {};
    std::vector<double> times;
    for (int i = 0; i < checks; ++i) {
        SharedRun run;
        run.documentKey = QStringLiteral("document-7");
        run.entry.when = QDateTime::currentDateTime();
        run.entry.numbers.append(
            {QStringLiteral("num0"), {}, {}, {PrintedValues{50000 + i, 1, 100}}});
        QElapsedTimer clock;
        clock.start();
        log.reserve(run, [](const QList<SharedRun> &) { return false; });
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    return figuresOf(times);
}

// Opening the log from a new connection: the first opening loads Qt's
// driver and libpq; then each is a login and a look at the tables.
Figures timeOpening(const SharedLogAddress &address, double &first)
{
    std::vector<double> times;
    for (int i = 0; i < checks; ++i) {
        QElapsedTimer clock;
        clock.start();
        SharedLog log(address);
        log.open();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    first = times.front();
    return figuresOf(times);
}

// paginette-print of a 1,000-page document, with the log or without.
double timePrint(const QString &tool, const QString &document, const QStringList &log,
                 const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(tool, log + QStringList{QStringLiteral("--pages"), QString::number(pages),
                                          QStringLiteral("-o"), document + QStringLiteral(".pdf"),
                                          document});
    process.waitForFinished(-1);
    const double milliseconds = clock.nsecsElapsed() / 1e6;
    if (process.exitCode() == 0)
        return milliseconds;
    std::fprintf(stderr, "%s", process.readAllStandardError().constData());
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString scripts =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/../../scripts");
    const QString tool =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../paginette-print");
    QTemporaryDir work;
    const QString folder = QStringLiteral("/tmp/paginette-bench-log-%1").arg(getpid());
    if (QProcess::execute(scripts + QStringLiteral("/start-log-server.sh"), {folder}) != 0) {
        std::fprintf(stderr, "bench_sharedlog: the server did not start (run as root)\n");
        return 1;
    }
    const QString password = passwordOf(folder);
    const QString uri = QStringLiteral("postgresql://paginette@/paginette?host=%1").arg(folder);
    qputenv("PGPASSWORD", password.toUtf8());
    const SharedLogAddress address = *parseSharedLogUri(uri);
    {
        SharedLog tables(address);
        const QString error = tables.open();
        if (!error.isEmpty() || !fill(folder, password)) {
            std::fprintf(stderr, "bench_sharedlog: %s\n", qPrintable(error));
            QProcess::execute(scripts + QStringLiteral("/stop-log-server.sh"), {folder});
            return 1;
        }
    }
    double first = 0;
    const Figures opening = timeOpening(address, first);
    std::printf("opening the log: %.2f ms the first time (the driver loaded), then %.2f ms best, "
                "%.2f ms median of %d\n",
                first, opening.best, opening.median, checks);
    const Figures check = timeChecks(address);
    std::printf("the check before a run against %d earlier runs of %d documents: %.2f ms best, "
                "%.2f ms median of %d\n",
                earlierRuns, documents, check.best, check.median, checks);

    Document doc = emptyDocument(20);
    for (int i = 0; i < 20; ++i)
        addNumber(doc, 72 + (i % 4) * 120, 72 + (i / 4) * 40, 1 + i * 10000, 6);
    doc.id = QStringLiteral("00000000-0000-4000-8000-000000000001");
    const QString document = work.filePath(QStringLiteral("job.pgt"));
    saveDocument(doc, {}, document);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), work.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Runs with the log and without take turns, so that both meet the
    // machine's slow moments; the best of each is the run they spared.
    std::vector<double> alone;
    std::vector<double> shared;
    for (int i = 0; i < printRuns; ++i) {
        alone.push_back(timePrint(tool, document, {}, environment));
        shared.push_back(
            timePrint(tool, document, {QStringLiteral("--shared-log"), uri}, environment));
    }
    const Figures without = figuresOf(alone);
    const Figures with = figuresOf(shared);
    std::printf("a %d-page run of 20 numbers: %.1f ms alone, %.1f ms with the shared log (best of "
                "%d): the log adds %.1f ms; medians %.1f and %.1f ms, %.1f ms apart\n",
                pages, without.best, with.best, printRuns, with.best - without.best, without.median,
                with.median, with.median - without.median);
    QProcess::execute(scripts + QStringLiteral("/stop-log-server.sh"), {folder});
    return 0;
}
