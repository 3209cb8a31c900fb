#include "renderprobe.h"
#include "run/placements.h"
#include "run/printrun.h"
#include "sheetrecorder.h"

#include <QtTest>

#include <algorithm>

namespace {

// What a run told of its progress, each page once: a page that takes long
// is told again while it is drawn.
QList<QPair<int, int>> eachToldOnce(QList<QPair<int, int>> told)
{
    told.erase(std::unique(told.begin(), told.end()), told.end());
    return told;
}

// Pages 1 to `pages` of `pages`, as a run tells them.
QList<QPair<int, int>> everyPageOf(int pages)
{
    QList<QPair<int, int>> each;
    for (int page = 1; page <= pages; ++page)
        each.append({page, pages});
    return each;
}

// The first page of a run of `doc` in which every object is a text showing
// `texts`, in table order: what a page of `doc` should look like.
QImage pageShowing(Document doc, const QStringList &texts, QSize size)
{
    for (qsizetype i = 0; i < texts.size(); ++i) {
        doc.objects[i].kind = KindText;
        doc.objects[i].text = texts[i];
    }
    doc.pagesToPrint = 1;
    SheetRecorder recorder(size);
    printRun(doc, 360, true, recorder.sheets());
    recorder.finish();
    return recorder.pages.first();
}

} // namespace

class TestPrintRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyPageShowsItsNumbers_data();
    void everyPageShowsItsNumbers();
    void closedDocumentLeavesSheetsBlank();
    void endedRunsReportHowTheyEnded_data();
    void endedRunsReportHowTheyEnded();
    void cancelStopsWithinALongPage();
    void scaleIsResolutionDiv72_data();
    void scaleIsResolutionDiv72();
    void planPrintsItsSheetsInOrder_data();
    void planPrintsItsSheetsInOrder();
    void paperImageIsThePrintedSheet();
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

    Document doc = emptyDocument(20);
    addNumber(doc, 72, 72, 125, 5);
    addObject(doc, KindText, 72, 144, QStringLiteral("Hello!"));
    addNumber(doc, 200, 72, 10, 3, 10);
    doc.pagesToPrint = pages;
    doc.pageShown = pageShown;
    const QSize size(1200, 1000);
    SheetRecorder recorder(size);
    QList<QPair<int, int>> told;
    const PrintResult result =
        printRun(doc, 360, true, recorder.sheets(), [&told](std::int32_t page, std::int32_t of) {
            told.append({page, of});
            return true;
        });
    recorder.finish();

    QCOMPARE(result.outcome, PrintOutcome::Printed);
    QCOMPARE(result.pagesDrawn, pages);
    QCOMPARE(recorder.newSheets, pages - 1);
    QCOMPARE(recorder.aborts, 0);
    QCOMPARE(recorder.pages.size(), texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        QVERIFY2(recorder.pages[i] == pageShowing(doc, texts[i], size),
                 qPrintable(texts[i].join(u' ')));
    QCOMPARE(eachToldOnce(told), everyPageOf(pages));
    // The same design on every sheet: the ink starts at one place, the pages differ.
    for (qsizetype i = 1; i < recorder.pages.size(); ++i) {
        QCOMPARE(findInk(recorder.pages[i], white).bounds.topLeft(),
                 findInk(recorder.pages[0], white).bounds.topLeft());
        QVERIFY(recorder.pages[i] != recorder.pages[i - 1]);
    }
}

void TestPrintRun::closedDocumentLeavesSheetsBlank()
{
    Document doc = emptyDocument(20);
    addObject(doc, KindText, 10, 10, QStringLiteral("Hello!"));
    doc.pagesToPrint = 2;
    SheetRecorder recorder(QSize(200, 100));
    const PrintResult result = printRun(doc, 360, false, recorder.sheets());
    recorder.finish();
    QCOMPARE(result.outcome, PrintOutcome::Printed);
    QCOMPARE(result.pagesDrawn, 2);
    QCOMPARE(recorder.pages.size(), 2);
    for (const QImage &page : recorder.pages)
        QCOMPARE(findInk(page, white).pixels, 0);
}

void TestPrintRun::endedRunsReportHowTheyEnded_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<int>("refuseSheet");
    QTest::addColumn<int>("failAfterPage");
    QTest::addColumn<bool>("canBegin");
    QTest::addColumn<PrintOutcome>("outcome");
    QTest::addColumn<int>("pagesDrawn");
    QTest::addColumn<int>("aborts");

    QTest::newRow("cancelled before page 3")
        << 6 << 3 << 0 << 0 << true << PrintOutcome::Cancelled << 2 << 1;
    QTest::newRow("cancelled at once")
        << 6 << 1 << 0 << 0 << true << PrintOutcome::Cancelled << 0 << 1;
    QTest::newRow("second new sheet fails")
        << 6 << 0 << 2 << 0 << true << PrintOutcome::Failed << 2 << 1;
    QTest::newRow("device fails after page 4")
        << 6 << 0 << 0 << 4 << true << PrintOutcome::Failed << 4 << 1;
    // With nothing to print, a device that cannot begin is never asked to.
    QTest::newRow("Pages 0") << 0 << 0 << 0 << 0 << false << PrintOutcome::Printed << 0 << 0;
    QTest::newRow("painter cannot begin")
        << 6 << 0 << 0 << 0 << false << PrintOutcome::Failed << 0 << 0;
}

void TestPrintRun::endedRunsReportHowTheyEnded()
{
    QFETCH(int, pages);
    QFETCH(int, cancelAt);
    QFETCH(int, refuseSheet);
    QFETCH(int, failAfterPage);
    QFETCH(bool, canBegin);
    QFETCH(PrintOutcome, outcome);
    QFETCH(int, pagesDrawn);
    QFETCH(int, aborts);

    Document doc = emptyDocument(20);
    addNumber(doc, 10, 10, 1, 3);
    doc.pagesToPrint = pages;
    SheetRecorder recorder(QSize(200, 200));
    recorder.refuseSheet = refuseSheet;
    recorder.failAfterPage = failAfterPage;
    PrintSheets sheets = recorder.sheets();
    QImage nothing;
    if (!canBegin)
        sheets.device = &nothing;
    if (!canBegin && pages > 0)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("QPainter::begin"));

    const PrintResult result =
        printRun(doc, 360, true, sheets,
                 [cancelAt](std::int32_t page, std::int32_t) { return page != cancelAt; });

    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.pagesDrawn, pagesDrawn);
    QCOMPARE(recorder.aborts, aborts);
    QCOMPARE(result.error.isEmpty(), outcome != PrintOutcome::Failed);
}

void TestPrintRun::cancelStopsWithinALongPage()
{
    // Thousands of large QR codes make a page that takes seconds; the run
    // asks again within it and stops there.
    Document doc = emptyDocument(10000);
    for (int i = 0; i < 5000; ++i) {
        const int index = addNumber(doc, i % 500, i % 700, i, 250);
        doc.objects[index].format.barcode = BarcodeStyle{.symbology = Symbology::Qr};
    }
    doc.pagesToPrint = 2;
    SheetRecorder recorder(QSize(200, 200));
    int asked = 0;
    const PrintResult result =
        printRun(doc, 360, true, recorder.sheets(), [&asked](std::int32_t page, std::int32_t) {
            ++asked;
            return page == 1 && asked == 1;
        });
    QCOMPARE(result.outcome, PrintOutcome::Cancelled);
    QCOMPARE(result.pagesDrawn, 0);
    QCOMPARE(asked, 2);
    QCOMPARE(recorder.aborts, 1);
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

    Document doc = emptyDocument(20);
    addNumber(doc, position.x(), position.y(), 0, 5);
    SheetRecorder recorder(QSize(1400, 1000));
    QCOMPARE(printRun(doc, resolution, true, recorder.sheets()).outcome, PrintOutcome::Printed);
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

void TestPrintRun::planPrintsItsSheetsInOrder_data()
{
    QTest::addColumn<PrintPlan>("plan");
    QTest::addColumn<QList<int>>("pages");

    QTest::newRow("pages 4 to 6") << PrintPlan{4, 6, 1, true, {}} << QList<int>{4, 5, 6};
    QTest::newRow("uncollated") << PrintPlan{2, 3, 2, false, {}} << QList<int>{2, 2, 3, 3};
}

void TestPrintRun::planPrintsItsSheetsInOrder()
{
    QFETCH(PrintPlan, plan);
    QFETCH(QList<int>, pages);

    // {pages} and {last} keep the whole run's values on every page printed.
    Document doc = emptyDocument(20);
    addNumber(doc, 20, 20, 125, 5);
    addNumber(doc, 20, 60, 1, 2);
    doc.objects[1].format.suffix = QStringLiteral(" of {pages}, last {last}");
    doc.pagesToPrint = 6;
    const QSize size(900, 500);
    const auto pageImage = [&](int page) {
        return pageShowing(doc, textsOf(doc, page), size);
    };

    SheetRecorder recorder(size);
    QList<QPair<int, int>> told;
    const PrintResult result =
        printRun(doc, 360, true, recorder.sheets(), plan, [&told](std::int32_t i, std::int32_t n) {
            told.append({i, n});
            return true;
        });
    recorder.finish();

    QCOMPARE(result.outcome, PrintOutcome::Printed);
    QCOMPARE(recorder.pages.size(), pages.size());
    for (qsizetype i = 0; i < pages.size(); ++i)
        QVERIFY2(recorder.pages[i] == pageImage(pages[i]), qPrintable(QString::number(i)));
    QCOMPARE(eachToldOnce(told), everyPageOf(int(pages.size())));
}

// What the preview shows of a sheet is the sheet the run prints, calibration
// and all.
void TestPrintRun::paperImageIsThePrintedSheet()
{
    Document doc = emptyDocument(20);
    addNumber(doc, 72, 100, 41, 4);
    addObject(doc, KindText, 200, 300, QStringLiteral("Admit one"));
    doc.pagesToPrint = 3;
    PrintPlan plan = wholeRun(3);
    plan.calibration = {2.5, -1.5, 101, 99};
    const QSize sheet(1190, 1684); // A4 at 144 dots per inch
    SheetRecorder recorder(sheet);
    QCOMPARE(printRun(doc, 144, true, recorder.sheets(), plan).outcome, PrintOutcome::Printed);
    recorder.finish();

    RenderCache cache;
    const RunPlacements placements(doc, plan, {QSizeF(sheet) / 2, {}});
    const QImage shown = sheetImage(cache, RunTexts(doc), placements, 2, 144);
    QCOMPARE(shown, recorder.pages.at(1));
    QVERIFY(findInk(shown, white).pixels > 0);
}

QTEST_MAIN(TestPrintRun)
#include "tst_printrun.moc"
