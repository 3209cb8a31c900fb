#include "apptestmain.h"
#include "file/documentfile.h"
#include "filebytes.h"
#include "log/manifest.h"
#include "log/printlog.h"
#include "logserver.h"
#include "printbench.h"
#include "sharedlog/sharedlogsetting.h"
#include "toolrun.h"

#include <QUuid>

namespace {

// What a run left behind: its log lines without their time, its manifest,
// the texts of its pages, and whether it printed.
struct RunTrace
{
    QList<QStringList> logLines;
    QByteArray manifest;
    QStringList pages;

    bool operator==(const RunTrace &) const = default;
};

char *toString(const RunTrace &trace)
{
    QStringList lines;
    for (const QStringList &line : trace.logLines)
        lines.append(line.join(u','));
    return qstrdup(
        QStringLiteral("log:\n%1\nmanifest:\n%2\npages: %3")
            .arg(lines.join(u'\n'), QString::fromUtf8(trace.manifest), trace.pages.join(u'|'))
            .toUtf8()
            .constData());
}

QList<QStringList> linesWithoutTime(const QString &log)
{
    QList<QStringList> records = PrintLog(log).read().items;
    if (!records.isEmpty())
        records.removeFirst(); // the header
    // The time of the run, and the date its fields showed, taken when it started.
    for (QStringList &record : records) {
        record.removeFirst();
        if (QDateTime::fromString(record.back(), Qt::ISODateWithMs).isValid())
            record.removeLast();
    }
    return records;
}

QStringList pageTexts(const QString &pdf)
{
    QStringList texts;
    for (int page = 1, pages = pdfPageCount(pdf); page <= pages; ++page)
        texts.append(pdfPageText(pdf, page).simplified());
    return texts;
}

// A sheet of 2 x 3 labels on A5 paper.
SheetLayout labelSheet()
{
    SheetLayout sheet;
    sheet.paper = QSizeF(420, 595);
    sheet.label = QSizeF(180, 150);
    sheet.grids = {{2, 3, 20, 40, 200, 180}};
    return sheet;
}

// One way a run may be asked for.
enum class Job
{
    Plain,
    Labels,
    TwoSided,
    DataFile,
    SharedLog,
    ReprintRefused,
};

// The job's document, its data file written beside it.
Document jobDocument(Job job, const QString &folder)
{
    Document doc = emptyDocument(20);
    const int ticket = addNumber(doc, 20, 20, 41, 4);
    doc.objects[ticket].name = QStringLiteral("ticket");
    doc.pagesToPrint = 4;
    switch (job) {
    case Job::Labels:
        doc.sheet = labelSheet();
        doc.pagesToPrint = 9;
        break;
    case Job::TwoSided: {
        doc.duplex = Duplex::LongEdge;
        const int stub = addNumber(doc, 20, 60, 41, 4);
        doc.objects[stub].name = QStringLiteral("stub");
        doc.objects[stub].side = Side::Back;
        doc.objects[stub].sameAs = ticket;
        break;
    }
    case Job::DataFile:
        writeFile(QDir(folder).filePath(QStringLiteral("orders.csv")),
                  "Name,Qty\nAnn,2\nBob,1\nCid,3\n");
        addObject(doc, KindText, 20, 60, QStringLiteral("for {Name}"));
        doc.data = DataSourceSettings{.file = QStringLiteral("orders.csv"),
                                      .quantity = QStringLiteral("Qty")};
        break;
    case Job::SharedLog:
        doc.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        break;
    case Job::Plain:
    case Job::ReprintRefused:
        break;
    }
    return doc;
}

} // namespace

Q_DECLARE_METATYPE(Job)

// One run, written once: the same runs asked of paginette-print and of the
// program's print command leave the same log lines, manifests and pages.
class TestOneRun : public QObject
{
    Q_OBJECT

    LogServer m_server;
    QTemporaryDir m_work;

    // The job printed by paginette-print into `folder`, as a shop types it.
    RunTrace printedByTool(Job job, const QString &folder)
    {
        const QString document = QDir(folder).filePath(QStringLiteral("job.pgt"));
        const QString output = QDir(folder).filePath(QStringLiteral("out.pdf"));
        const QString manifest = QDir(folder).filePath(QStringLiteral("out.csv"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(QDir(folder).filePath(QStringLiteral("tool"))));
        QStringList arguments{QStringLiteral("--manifest"), manifest, QStringLiteral("-o"), output};
        if (job == Job::Labels)
            arguments << QStringLiteral("--first-cell") << QStringLiteral("4");
        if (job == Job::SharedLog)
            arguments << QStringLiteral("--shared-log") << m_server.uri();
        if (job == Job::ReprintRefused) {
            // Printed once, then again: the second run is refused.
            const ToolRun first =
                runTool(QStringLiteral(PAGINETTE_PRINT), arguments + QStringList{document});
            if (first.exitCode != 0)
                return {{{programErrors(first.err)}}, {}, {}};
            QFile::remove(output);
            QFile::remove(manifest);
            arguments << QStringLiteral("--fresh-only");
        }
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT), arguments + QStringList{document});
        const int expected = job == Job::ReprintRefused ? 1 : 0;
        if (run.exitCode != expected)
            return {{{programErrors(run.err)}}, {}, {}};
        return {
            linesWithoutTime(QDir(folder).filePath(QStringLiteral("tool/paginette/print-log.csv"))),
            readFile(manifest), pageTexts(output)};
    }

    // The same job printed through the program's print command.
    RunTrace printedByProgram(Job job, const QString &folder)
    {
        PrintBench bench;
        if (job == Job::SharedLog)
            SharedLogSetting().store(m_server.uri());
        bench.editor.replace(
            loadDocument(QDir(folder).filePath(QStringLiteral("job.pgt")), maxObjectCapacity)
                .document.value());
        bench.session.docNamed = true;
        bench.session.docFileName = QDir(folder).filePath(QStringLiteral("job.pgt"));
        bench.output = QDir(folder).filePath(QStringLiteral("out.pdf"));
        const int firstCell = job == Job::Labels ? 4 : 1;
        PrintDialogs dialogs = bench.dialogs;
        dialogs.print = [&, given = bench.dialogs.print](QPrinter &printer, std::int32_t pages,
                                                         PrintChoices &choices) {
            choices.firstCell = firstCell;
            return given(printer, pages, choices);
        };
        bench.commands->setDialogs(dialogs);
        bench.commands->printAction->trigger();
        if (job == Job::ReprintRefused) {
            QFile::remove(bench.output);
            bench.passWarnings = false; // Print them again? No.
            bench.commands->printAction->trigger();
        }
        RunTrace trace{linesWithoutTime(bench.logPath()), {}, pageTexts(bench.output)};
        const QList<PrintedRun> &runs = bench.commands->printedRuns();
        if (job != Job::ReprintRefused && !runs.isEmpty()) {
            const QString manifest = QDir(folder).filePath(QStringLiteral("program.csv"));
            const PrintedRun &run = runs.back();
            saveManifest(manifest, RunTexts(run.document, *run.data), run.plan);
            trace.manifest = readFile(manifest);
        }
        return trace;
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString password = m_server.password(QStringLiteral("paginette"));
        QVERIFY2(!password.isEmpty(), "the suite's log server is not running");
        qputenv("PGPASSWORD", password.toUtf8());
    }

    void bothFrontEndsPrintTheSameRun_data()
    {
        QTest::addColumn<Job>("job");
        QTest::newRow("plain") << Job::Plain;
        QTest::newRow("labels from cell 4") << Job::Labels;
        QTest::newRow("two-sided, both sides") << Job::TwoSided;
        QTest::newRow("a data file") << Job::DataFile;
        QTest::newRow("through the shared log") << Job::SharedLog;
        QTest::newRow("a reprint refused") << Job::ReprintRefused;
    }

    void bothFrontEndsPrintTheSameRun()
    {
        QFETCH(Job, job);
        const QString folder = m_work.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        Document doc = jobDocument(job, folder);
        const QString document = QDir(folder).filePath(QStringLiteral("job.pgt"));
        QCOMPARE(saveDocument(doc, {}, document), QString());

        const RunTrace tool = printedByTool(job, folder);
        const std::unique_ptr<char[]> toolTrace(toString(tool));
        QVERIFY2(!tool.pages.isEmpty() || job == Job::ReprintRefused, toolTrace.get());
        QFile::remove(QDir(folder).filePath(QStringLiteral("out.pdf")));
        if (job == Job::SharedLog) {
            // Another copy of the job, so that the program's run is no reprint.
            doc.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
            QCOMPARE(saveDocument(doc, {}, document), QString());
        }
        const RunTrace program = printedByProgram(job, folder);
        QCOMPARE(program, tool);
        QCOMPARE(program.logLines.size(), 1);
    }
};

PAGINETTE_APP_TEST_MAIN(TestOneRun)
#include "tst_onerun.moc"
