#include "printrun.h"
#include "renderprobe.h"
#include "sheetrecorder.h"

#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The top-left corner of the ink of every page.
QList<QPoint> inkCorners(const QList<QImage> &pages)
{
    QList<QPoint> corners;
    for (const QImage &page : pages)
        corners.append(findInk(page, white).bounds.topLeft());
    return corners;
}

} // namespace

class TestPrintRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyPageShowsItsNumbers_data();
    void everyPageShowsItsNumbers();
    void endedRunsPutPageShownBack_data();
    void endedRunsPutPageShownBack();
    void scaleIsResolutionDiv72_data();
    void scaleIsResolutionDiv72();
    void nothingToPrintTouchesNoDevice();
    void pdfWriterGetsOnePagePerRunPage();
};

void TestPrintRun::everyPageShowsItsNumbers_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("pageShown");
    QTest::addColumn<QList<QStringList>>("texts");

    QTest::newRow("one page") << 1 << 1 << QList<QStringList>{{"00125", "Hello!", "010"}};
    QTest::newRow("three pages, page 2 shown")
        << 3 << 2
        << QList<QStringList>{
               {"00125", "Hello!", "010"}, {"00126", "Hello!", "020"}, {"00127", "Hello!", "030"}};
}

void TestPrintRun::everyPageShowsItsNumbers()
{
    QFETCH(int, pages);
    QFETCH(int, pageShown);
    QFETCH(QList<QStringList>, texts);

    DocumentState doc(20);
    addNumber(doc, 72, 72, 125, 5);
    addObject(doc, KindText, 72, 144, QStringLiteral("Hello!"));
    addNumber(doc, 200, 72, 10, 3, 10);
    doc.pagesToPrint = pages;
    doc.pageShown = pageShown;
    RenderState state;
    SheetRecorder recorder(doc, QSize(1200, 1000));
    QList<QPair<int, int>> told;
    const PrintResult result =
        printRun(doc, state, true, recorder.sheets(), [&told](std::int32_t page, std::int32_t of) {
            told.append({page, of});
            return true;
        });
    recorder.finish();

    QCOMPARE(result.outcome, PrintOutcome::Printed);
    QCOMPARE(result.pagesDrawn, pages);
    QCOMPARE(recorder.newSheets, pages - 1);
    QCOMPARE(recorder.aborts, 0);
    QCOMPARE(recorder.texts, texts);
    QCOMPARE(doc.pageShown, pageShown);
    QCOMPARE(told.size(), pages);
    QCOMPARE(told.last(), qMakePair(pages, pages));
    // The same design on every sheet: the first ink at one place, different pages.
    const QList<QPoint> corners = inkCorners(recorder.pages);
    QCOMPARE(QList<QPoint>(corners.size(), corners.first()), corners);
    for (qsizetype i = 1; i < recorder.pages.size(); ++i)
        QVERIFY(recorder.pages[i] != recorder.pages[i - 1]);
}

void TestPrintRun::endedRunsPutPageShownBack_data()
{
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<int>("refuseSheet");
    QTest::addColumn<int>("failAfterPage");
    QTest::addColumn<bool>("canBegin");
    QTest::addColumn<PrintOutcome>("outcome");
    QTest::addColumn<int>("pagesDrawn");
    QTest::addColumn<int>("aborts");

    QTest::newRow("cancelled before page 3")
        << 3 << 0 << 0 << true << PrintOutcome::Cancelled << 2 << 1;
    QTest::newRow("cancelled at once") << 1 << 0 << 0 << true << PrintOutcome::Cancelled << 0 << 1;
    QTest::newRow("second new sheet fails")
        << 0 << 2 << 0 << true << PrintOutcome::Failed << 2 << 1;
    QTest::newRow("device fails after page 4")
        << 0 << 0 << 4 << true << PrintOutcome::Failed << 4 << 1;
    QTest::newRow("painter cannot begin") << 0 << 0 << 0 << false << PrintOutcome::Failed << 0 << 0;
}

void TestPrintRun::endedRunsPutPageShownBack()
{
    QFETCH(int, cancelAt);
    QFETCH(int, refuseSheet);
    QFETCH(int, failAfterPage);
    QFETCH(bool, canBegin);
    QFETCH(PrintOutcome, outcome);
    QFETCH(int, pagesDrawn);
    QFETCH(int, aborts);

    DocumentState doc(20);
    addNumber(doc, 10, 10, 1, 3);
    doc.pagesToPrint = 6;
    doc.pageShown = 5;
    RenderState state;
    SheetRecorder recorder(doc, QSize(200, 200));
    recorder.refuseSheet = refuseSheet;
    recorder.failAfterPage = failAfterPage;
    PrintSheets sheets = recorder.sheets();
    QImage nothing;
    if (!canBegin) {
        sheets.device = &nothing;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("QPainter::begin"));
    }

    const PrintResult result =
        printRun(doc, state, true, sheets,
                 [cancelAt](std::int32_t page, std::int32_t) { return page != cancelAt; });

    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.pagesDrawn, pagesDrawn);
    QCOMPARE(recorder.aborts, aborts);
    QCOMPARE(result.error.isEmpty(), outcome != PrintOutcome::Failed);
    QCOMPARE(doc.pageShown, 5);
}

void TestPrintRun::scaleIsResolutionDiv72_data()
{
    QTest::addColumn<int>("resolution");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QPoint>("cellCorner");
    QTest::addColumn<int>("cellHeight");

    // 300 dpi gives 4, not 4.17: x 72 lands 288 dots in, not 300.
    QTest::newRow("300 dpi") << 300 << QPoint(72, 72) << QPoint(288, 288) << 56;
    QTest::newRow("600 dpi") << 600 << QPoint(100, 50) << QPoint(800, 400) << 112;
    QTest::newRow("360 dpi") << 360 << QPoint(72, 10) << QPoint(360, 50) << 70;
}

void TestPrintRun::scaleIsResolutionDiv72()
{
    QFETCH(int, resolution);
    QFETCH(QPoint, position);
    QFETCH(QPoint, cellCorner);
    QFETCH(int, cellHeight);

    DocumentState doc(20);
    addNumber(doc, position.x(), position.y(), 0, 5);
    RenderState state;
    state.printerResolution = resolution;
    SheetRecorder recorder(doc, QSize(1400, 1000));
    QCOMPARE(printRun(doc, state, true, recorder.sheets()).outcome, PrintOutcome::Printed);
    recorder.finish();

    // "00000": its ink starts just right of and below the cell corner and
    // stays inside the cell.
    const Ink ink = findInk(recorder.pages.first(), white);
    QVERIFY2(ink.bounds.left() >= cellCorner.x() &&
                 ink.bounds.left() < cellCorner.x() + cellHeight / 8,
             qPrintable(QString::number(ink.bounds.left())));
    QVERIFY(ink.bounds.top() >= cellCorner.y() &&
            ink.bounds.top() < cellCorner.y() + cellHeight / 3);
    QVERIFY(ink.bounds.bottom() < cellCorner.y() + cellHeight);
    QVERIFY(ink.bounds.bottom() > cellCorner.y() + cellHeight / 2);
}

void TestPrintRun::nothingToPrintTouchesNoDevice()
{
    QCOMPARE(nothingToPrint(0), QStringLiteral("Nothing to print: Pages is 0"));
    QCOMPARE(nothingToPrint(-3), QStringLiteral("Nothing to print: Pages is -3"));
    QVERIFY(nothingToPrint(1).isEmpty());

    DocumentState doc(20);
    doc.pagesToPrint = 0;
    RenderState state;
    SheetRecorder recorder(doc, QSize(10, 10));
    PrintSheets sheets = recorder.sheets();
    sheets.device = nullptr; // beginning a painter on it would fail the run
    const PrintResult result =
        printRun(doc, state, true, sheets, [](std::int32_t, std::int32_t) { return true; });
    QCOMPARE(result.outcome, PrintOutcome::Printed);
    QCOMPARE(result.pagesDrawn, 0);
    QCOMPARE(recorder.newSheets, 0);
}

void TestPrintRun::pdfWriterGetsOnePagePerRunPage()
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.pdf"));
    DocumentState doc(20);
    addNumber(doc, 72, 72, 125, 5);
    doc.pagesToPrint = 4;
    RenderState state;
    {
        QPdfWriter writer(path);
        writer.setResolution(360);
        QCOMPARE(printRun(doc, state, true, pagedSheets(writer)).outcome, PrintOutcome::Printed);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // One page object per page of the run.
    QCOMPARE(file.readAll().count("/Type /Page\n"), 4);
}

QTEST_MAIN(TestPrintRun)
#include "tst_printrun.moc"
