#include "commands/printcommands.h"
#include "documentbuilder.h"
#include "feedbackrecorder.h"
#include "file/documentfile.h"
#include "outputs/printer.h"
#include "sheetdatabase.h"
#include "smalldisk.h"
#include "toolrun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString queue = QStringLiteral(PRINT_QUEUE);
const QString folder = QStringLiteral(PRINT_QUEUE_FOLDER);
constexpr int jobTimeoutMs = 90000;

QStringList queuePdfs()
{
    return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

int completedJobs()
{
    const ToolRun run =
        runTool(QStringLiteral("lpstat"),
                {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"), queue});
    return static_cast<int>(run.out.count(QLatin1Char('\n')));
}

bool jobsPending()
{
    return !runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue})
                .out.trimmed()
                .isEmpty();
}

// The PDF files the queue wrote since `before`, once it has nothing left to do.
QStringList pdfsAfter(const QStringList &before, int expected)
{
    QElapsedTimer timer;
    timer.start();
    QStringList added;
    do {
        QTest::qWait(200);
        added.clear();
        for (const QString &name : queuePdfs()) {
            if (!before.contains(name))
                added.append(QDir(folder).filePath(name));
        }
    } while ((added.size() < expected || jobsPending()) && timer.elapsed() < jobTimeoutMs);
    return added;
}

// Prints the one page of `marker` to the queue with paginette-print and waits
// for it to come out. The queue prints its jobs in turn, so a job sent
// before the marker is out by then too. The PDF files the queue wrote since
// `before`.
QStringList pdfsAfterMarker(const QString &marker, const QStringList &before)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Its spool goes where a full disk cannot stop it.
    environment.remove(QStringLiteral("TMPDIR"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PAGINETTE_PRINT), {QStringLiteral("-P"), queue, marker});
    const ToolRun run = finishRun(process);
    if (run.exitCode != 0)
        return {run.err};
    return pdfsAfter(before, 1);
}

// Where the printable area of the queue's paper starts, in points.
QPointF printableOrigin()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    return printer.pageLayout().paintRect(QPageLayout::Point).topLeft();
}

// File > Print of the program on `doc`, the queue chosen in its print dialog;
// `progress` stands for the progress dialog when given.
struct ProgramPrint
{
    explicit ProgramPrint(const Document &doc,
                          std::function<PrintProgress(std::int32_t)> progress = {}, int copies = 1)
        : commands(editor, session, render, view, recorder.feedback(), {}, &frame)
    {
        editor.replace(doc);
        session.docOpen = true;
        dialogs.print = [copies](QPrinter &printer, std::int32_t, PrintChoices &) {
            printer.setPrinterName(queue);
            printer.setCopyCount(copies);
            printer.setCollateCopies(false);
            return true;
        };
        dialogs.progress = std::move(progress);
        commands.setDialogs(dialogs);
    }

    FeedbackRecorder recorder;
    Session session;
    DocumentEditor editor{session};
    RenderState render;
    ViewState view;
    QWidget frame;
    PrintDialogs dialogs;
    PrintCommands commands;
};

// The page size pdfinfo gives for the file's first page, "612 x 792 pts".
QString pageSizeOf(const QString &pdf)
{
    const ToolRun run = runTool(QStringLiteral("pdfinfo"), {pdf});
    static const QRegularExpression size(QStringLiteral("Page size: +([0-9.]+ x [0-9.]+ pts)"));
    return size.match(run.out).captured(1);
}

} // namespace

class TestCupsRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void runReachesTheQueue_data();
    void runReachesTheQueue();
    void cancelledRunSendsNoJob();
    void printToFileIsWhereTheNextRunGoes();
    void aQueueOfOneSideGetsTheFronts_data();
    void aQueueOfOneSideGetsTheFronts();
    void labelsGoOutOnTheirSheetsPaper_data();
    void labelsGoOutOnTheirSheetsPaper();

private:
    // A document of one page that shows 00777, printed after a run to show
    // that the run sent nothing.
    QTemporaryDir m_folder;
    QString m_marker;
};

void TestCupsRun::initTestCase()
{
    const ToolRun run = runTool(QStringLiteral("lpstat"), {QStringLiteral("-p"), queue});
    QVERIFY2(
        run.exitCode == 0 && run.out.contains(queue),
        qPrintable(QStringLiteral("no print queue %1 (scripts/start-print-queue.sh sets it up): %2")
                       .arg(queue, run.err)));
    QPrinter printer;
    printer.setPrinterName(queue);
    QCOMPARE(printer.printerName(), queue);
    QCOMPARE(printer.outputFormat(), QPrinter::NativeFormat);

    Document marker = emptyDocument(1);
    addNumber(marker, 72, 72, 777, 5);
    m_marker = m_folder.filePath(QStringLiteral("marker.pgt"));
    QCOMPARE(saveDocument(marker, {}, m_marker), QString());
}

void TestCupsRun::runReachesTheQueue_data()
{
    QTest::addColumn<bool>("fromTheProgram");
    QTest::addColumn<bool>("fullSpool"); // room for the start of the spool only
    QTest::addColumn<int>("copies");     // uncollated
    QTest::newRow("paginette-print -P") << false << false << 1;
    QTest::newRow("File > Print") << true << false << 1;
    // The run draws its copies: CUPS, asked for none, makes no more.
    QTest::newRow("paginette-print -P -n 2") << false << false << 2;
    QTest::newRow("File > Print, 2 copies") << true << false << 2;
    QTest::newRow("paginette-print -P, spool disk full") << false << true << 1;
    QTest::newRow("File > Print, spool disk full") << true << true << 1;
}

void TestCupsRun::runReachesTheQueue()
{
    QFETCH(bool, fromTheProgram);
    QFETCH(bool, fullSpool);
    QFETCH(int, copies);

    Document doc = emptyDocument(1);
    addNumber(doc, 72, 72, 125, 5);
    doc.pagesToPrint = fullSpool ? 10 : 3;
    doc.pageShown = 2;
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.pgt"));
    QCOMPARE(saveDocument(doc, {}, path), QString());
    const QStringList before = queuePdfs();
    const int jobs = completedJobs();
    // The spool of a run to a queue is made in the temporary folder.
    const SmallDisk disk;
    const QByteArray temp = qgetenv("TMPDIR");
    const auto restore =
        qScopeGuard([&temp] { temp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", temp); });
    if (fullSpool) {
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason));
        QVERIFY(disk.fill(4096));
        qputenv("TMPDIR", QFile::encodeName(disk.path()));
    }

    QString error;
    if (fromTheProgram) {
        ProgramPrint print(doc, {}, copies);
        print.commands.printAction->trigger();
        error = print.recorder.errors().join(QLatin1Char('\n'));
    } else {
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT), {QStringLiteral("-n"), QString::number(copies),
                                                      QStringLiteral("-P"), queue, path});
        QCOMPARE(run.exitCode, fullSpool ? 1 : 0);
        error = programErrors(run.err).trimmed();
    }
    if (fullSpool) {
        QVERIFY2(error.endsWith(QLatin1String(": No space left on device")), qPrintable(error));
        const QStringList added = pdfsAfterMarker(m_marker, before);
        QCOMPARE(added.size(), 1);
        QCOMPARE(pdfPageText(added.first(), 1), QStringLiteral("00777"));
        QCOMPARE(completedJobs(), jobs + 1);
        return;
    }
    QCOMPARE(error, QString());

    const QStringList printed = pdfsAfter(before, 1);
    QCOMPARE(printed.size(), 1);
    QStringList numbers;
    for (const QString &number : QStringList{"00125", "00126", "00127"})
        numbers += QStringList(copies, number);
    QCOMPARE(pdfPageCount(printed.first()), numbers.size());
    const QPointF expected = printableOrigin() + QPointF(72, 72);
    for (int page = 1; page <= numbers.size(); ++page) {
        const QList<Word> words = pageWords(printed.first(), page);
        QCOMPARE(words.size(), 1);
        QCOMPARE(words.first().text, numbers[page - 1]);
        // One inch in from the printable area's left edge, and below its top
        // by the inch less what the font leaves above the digits.
        QVERIFY2(qAbs(words.first().origin.x() - expected.x()) < 0.5,
                 qPrintable(QString::number(words.first().origin.x())));
        QVERIFY(words.first().origin.y() > expected.y() &&
                words.first().origin.y() < expected.y() + 14);
        if (page > 1)
            QCOMPARE(words.first().origin, pageWords(printed.first(), 1).first().origin);
    }
}

void TestCupsRun::cancelledRunSendsNoJob()
{
    Document doc = emptyDocument(1);
    addNumber(doc, 72, 72, 125, 5);
    doc.pagesToPrint = 5;
    ProgramPrint print(doc, [](std::int32_t) {
        return [](std::int32_t page, std::int32_t) {
            return page < 3;
        };
    });
    const QStringList before = queuePdfs();
    const int jobs = completedJobs();

    print.commands.printAction->trigger();

    QCOMPARE(print.recorder.errors(), QStringList());
    const QStringList added = pdfsAfterMarker(m_marker, before);
    QCOMPARE(added.size(), 1);
    QCOMPARE(pdfPageText(added.first(), 1), QStringLiteral("00777"));
    QCOMPARE(completedJobs(), jobs + 1);
}

// After a run to the queue and one to a file, the next print dialog opens on
// the file, the document's last destination, for one copy of the whole run.
void TestCupsRun::printToFileIsWhereTheNextRunGoes()
{
    Document doc = emptyDocument(1);
    addNumber(doc, 72, 72, 125, 5);
    ProgramPrint print(doc);
    const QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("run.pdf"));
    const QStringList before = queuePdfs();
    QStringList opened;
    print.dialogs.print = [&](QPrinter &printer, std::int32_t, PrintChoices &) {
        opened << QStringLiteral("%1 %2 %3")
                      .arg(printsToFile(printer) ? QStringLiteral("file") : printer.printerName())
                      .arg(printer.copyCount())
                      .arg(printer.printRange() == QPrinter::AllPages);
        printer.setPrinterName(queue);
        if (opened.size() == 2) {
            printer.setOutputFileName(file);
            printer.setCopyCount(2);
            printer.setPrintRange(QPrinter::CurrentPage);
        }
        return opened.size() < 3;
    };
    print.commands.setDialogs(print.dialogs);
    for (int run = 0; run < 3; ++run)
        print.commands.printAction->trigger();

    QCOMPARE(print.recorder.errors(), QStringList());
    QCOMPARE(pdfPageCount(file), 2);
    // The first opens on the machine's default queue: where the suite's
    // queue is the only one, that one.
    QCOMPARE(opened, (QStringList{QPrinter().printerName() + QStringLiteral(" 1 1"),
                                  queue + QStringLiteral(" 1 1"), QStringLiteral("file 1 1")}));
    QCOMPARE(pdfsAfter(before, 1).size(), 1);
}

// A queue that prints one side gets the fronts of a two-sided run, and the
// user is told how to print the backs; the program prints them once the stack
// is turned.
void TestCupsRun::aQueueOfOneSideGetsTheFronts_data()
{
    QTest::addColumn<bool>("fromTheProgram");
    QTest::newRow("paginette-print -P") << false;
    QTest::newRow("File > Print") << true;
}

void TestCupsRun::aQueueOfOneSideGetsTheFronts()
{
    QFETCH(bool, fromTheProgram);
    Document doc = emptyDocument(1);
    addNumber(doc, 72, 72, 125, 5);
    addNumber(doc, 72, 144, 900, 3);
    doc.objects[1].side = Side::Back;
    doc.duplex = Duplex::LongEdge;
    doc.pagesToPrint = 3;
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("twosided.pgt"));
    QCOMPARE(saveDocument(doc, {}, path), QString());
    const QStringList before = queuePdfs();

    if (fromTheProgram) {
        ProgramPrint print(doc);
        QStringList asked;
        print.dialogs.choose = [&](const QString &text, const QString &, const QString &goOn) {
            asked << text + u'|' + goOn;
            // The fronts are in the queue before the user is asked to turn them.
            return pdfsAfter(before, 1).size() == 1;
        };
        print.commands.setDialogs(print.dialogs);
        print.commands.printAction->trigger();
        QCOMPARE(print.recorder.errors(), QStringList());
        QCOMPARE(asked, QStringList{queue + QStringLiteral(
                                                " prints on one side: the fronts were printed.\n\n"
                                                "Turn the printed stack over and put it back in "
                                                "the paper tray, then press Continue.|Continue")});
    } else {
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT), {QStringLiteral("-P"), queue, path});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(queue + QStringLiteral(" prints on one side: the fronts were "
                                                         "printed. Turn the printed stack over")) &&
                     run.err.contains(QLatin1String("--sides back")),
                 qPrintable(run.err));
    }
    const QStringList printed = pdfsAfter(before, fromTheProgram ? 2 : 1);
    QCOMPARE(printed.size(), fromTheProgram ? 2 : 1);
    // The fronts' job was in the queue before the backs' was asked for.
    QStringList texts;
    for (const QString &pdf : printed) {
        for (const QList<Word> &page : pagesWords(pdf)) {
            for (const Word &word : page)
                texts.append(word.text);
        }
    }
    QStringList expected{"00125", "00126", "00127"};
    if (fromTheProgram)
        expected << "900"
                 << "901"
                 << "902";
    texts.sort();
    QCOMPARE(texts, expected);
}

void TestCupsRun::labelsGoOutOnTheirSheetsPaper_data()
{
    QTest::addColumn<bool>("fromTheProgram");
    QTest::newRow("paginette-print -P") << false;
    QTest::newRow("File > Print") << true;
}

// Letter labels through a queue whose paper is A4 (cups-pdf's default) come
// out on Letter, each number where the run's own PDF has it: the job asks for
// the sheet's paper and no scaling.
void TestCupsRun::labelsGoOutOnTheirSheetsPaper()
{
    QFETCH(bool, fromTheProgram);
    const std::optional<SheetLayout> avery5160 =
        SheetDatabase::read(installedSheetFolder).find(u"Avery 5160");
    if (!avery5160)
        QSKIP("glabels-data is not installed");
    const ToolRun options =
        runTool(QStringLiteral("lpoptions"), {QStringLiteral("-p"), queue, QStringLiteral("-l")});
    QVERIFY2(options.out.contains(QLatin1String("*A4 ")), qPrintable(options.out));
    Document doc = emptyDocument(1);
    addNumber(doc, 5, 5, 1, 4);
    doc.sheet = *avery5160;
    doc.pagesToPrint = 4;
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("labels.pgt"));
    QCOMPARE(saveDocument(doc, {}, path), QString());
    const QString own = dir.filePath(QStringLiteral("own.pdf"));
    QCOMPARE(runTool(QStringLiteral(PAGINETTE_PRINT), {QStringLiteral("-o"), own, path}).exitCode,
             0);
    const QStringList before = queuePdfs();
    if (fromTheProgram) {
        ProgramPrint print(doc);
        print.commands.printAction->trigger();
        QCOMPARE(print.recorder.errors(), QStringList());
    } else {
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT), {QStringLiteral("-P"), queue, path});
        // The run to the file was logged: this one is named as its reprint.
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    }
    const QStringList printed = pdfsAfter(before, 1);
    QCOMPARE(printed.size(), 1);
    QCOMPARE(pageSizeOf(printed.first()), QStringLiteral("612 x 792 pts"));
    const QList<Word> expected = pageWords(own, 1);
    const QList<Word> words = pageWords(printed.first(), 1);
    QCOMPARE(words.size(), 4);
    QCOMPARE(words.size(), expected.size());
    // The queue's PDF embeds the font again, with an ascent of its own: the
    // words' tops may sit a little apart, their lefts and their distances not.
    QVERIFY2(qAbs(words[0].origin.y() - expected[0].origin.y()) < 3,
             qPrintable(QString::number(words[0].origin.y())));
    for (qsizetype i = 0; i < words.size(); ++i) {
        QCOMPARE(words[i].text, expected[i].text);
        const QPointF shift = words[i].origin - expected[i].origin;
        const QPointF firstShift = words[0].origin - expected[0].origin;
        QVERIFY2(qAbs(shift.x()) < 0.5 && qAbs(shift.y() - firstShift.y()) < 0.5,
                 qPrintable(QStringLiteral("%1 at %2,%3, not %4,%5")
                                .arg(words[i].text)
                                .arg(words[i].origin.x())
                                .arg(words[i].origin.y())
                                .arg(expected[i].origin.x())
                                .arg(expected[i].origin.y())));
    }
}

QTEST_MAIN(TestCupsRun)
#include "tst_cupsrun.moc"
