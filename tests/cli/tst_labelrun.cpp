#include "documentbuilder.h"
#include "file/documentfile.h"
#include "sheetdatabase.h"
#include "toolrun.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <map>

namespace {

// The words of page `page` of `pdf` by the cell of `layout` they begin in,
// with where each begins from its cell's corner.
std::map<int, Word> wordsByCell(const QString &pdf, int page, const SheetLayout &layout)
{
    std::map<int, Word> cells;
    for (const Word &word : pageWords(pdf, page)) {
        for (int cell = 0; cell < layout.cellCount(); ++cell) {
            const QRectF rect = layout.cellRect(cell);
            if (rect.contains(word.origin)) {
                cells[cell] = {word.text, word.origin - rect.topLeft()};
                break;
            }
        }
    }
    return cells;
}

// The runs of ink down the line x = `x` (points) of page 1 of `pdf` from y
// `top` to `bottom`, read at 144 dpi: a dashed line gives one run a dash.
int inkRunsDown(const QString &pdf, double x, double top, double bottom)
{
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    if (runTool(QStringLiteral("pdftoppm"),
                {"-r", "144", "-gray", "-png", "-singlefile", "-f", "1", "-l", "1", pdf, stem})
            .exitCode != 0)
        return -1;
    const QImage page(stem + QStringLiteral(".png"));
    int runs = 0;
    bool inInk = false;
    for (int y = qRound(top * 2); y < qRound(bottom * 2); ++y) {
        // The darkest of the two columns the line's point covers.
        const int column = qRound(x * 2);
        const int level = std::min(qGray(page.pixel(column - 1, y)), qGray(page.pixel(column, y)));
        const bool ink = level < 128;
        runs += ink && !inInk ? 1 : 0;
        inInk = ink;
    }
    return runs;
}

QString numberText(int value)
{
    return QStringLiteral("%1").arg(value, 4, 10, QLatin1Char('0'));
}

} // namespace

// paginette-print on sheets of labels, read back as a print shop would
// check them: which number is in which cell of which sheet.
class TestLabelRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_document;
    SheetLayout m_avery5160;

private Q_SLOTS:
    void initTestCase()
    {
        const std::optional<SheetLayout> layout =
            SheetDatabase::read(installedSheetFolder).find(u"Avery 5160");
        if (!layout)
            QSKIP("glabels-data is not installed");
        m_avery5160 = *layout;
        Document doc = emptyDocument(5);
        addNumber(doc, 5, 5, 1, 4);
        m_document = m_dir.filePath(QStringLiteral("labels.pgt"));
        QCOMPARE(saveDocument(doc, {}, m_document), QString());
    }

    // 100 labels from cell 7: two rows left blank, sheets 1 to 4, the last
    // holding 16; each number at its place in its cell.
    void aPartUsedSheetFirst()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("from7.pdf"));
        const QString manifest = m_dir.filePath(QStringLiteral("from7.csv"));
        const ToolRun run = runTool(QStringLiteral(PAGINETTE_PRINT),
                                    {"--sheet", "Avery 5160", "--first-cell", "7", "--pages", "100",
                                     "--manifest", manifest, "-o", pdf, m_document});
        QCOMPARE(programErrors(run.err), QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pdfPageCount(pdf), 4);
        const std::map<int, Word> first = wordsByCell(pdf, 1, m_avery5160);
        QCOMPARE(first.size(), std::size_t{24});
        QCOMPARE(first.begin()->first, 6);
        QCOMPARE(first.begin()->second.text, numberText(1));
        // The number's corner is 5 points into its label, from (x0, y0 + 2 dy).
        const QPointF place = first.begin()->second.origin;
        QVERIFY2((place - QPointF(5, 5)).manhattanLength() < 2,
                 qPrintable(QStringLiteral("%1, %2").arg(place.x()).arg(place.y())));
        int label = 1;
        for (int sheet = 1; sheet <= 4; ++sheet) {
            const std::map<int, Word> cells = wordsByCell(pdf, sheet, m_avery5160);
            QCOMPARE(cells.size(), std::size_t(sheet == 1 ? 24 : sheet == 4 ? 16 : 30));
            for (const auto &[cell, word] : cells) {
                QCOMPARE(word.text, numberText(label++));
                QVERIFY((word.origin - place).manhattanLength() < 0.5);
            }
        }
        QCOMPARE(label, 101);
        // The manifest names the sheet each label is on: 24 on the first.
        QFile rows(manifest);
        QVERIFY(rows.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = rows.readAll().split('\n');
        QVERIFY(lines.value(24).startsWith(R"("1","24","1",)") &&
                lines.value(25).startsWith(R"("2","25","1",)"));
    }

    // Stored in the document: cut and stack over three sheets, cell c of each
    // sheet continuing cell c of the sheet before.
    void cutAndStack()
    {
        Document doc = emptyDocument(5);
        addNumber(doc, 5, 5, 1, 4);
        doc.sheet = m_avery5160;
        doc.sheet->order = SheetOrder::CutAndStack;
        doc.pagesToPrint = 90;
        const QString stacked = m_dir.filePath(QStringLiteral("stacked.pgt"));
        QCOMPARE(saveDocument(doc, {}, stacked), QString());
        const QString pdf = m_dir.filePath(QStringLiteral("stacked.pdf"));
        const ToolRun run = runTool(QStringLiteral(PAGINETTE_PRINT), {"-o", pdf, stacked});
        QCOMPARE(programErrors(run.err), QString());
        QCOMPARE(pdfPageCount(pdf), 3);
        for (int sheet = 1; sheet <= 3; ++sheet) {
            const std::map<int, Word> cells = wordsByCell(pdf, sheet, m_avery5160);
            QCOMPARE(cells.size(), std::size_t{30});
            for (const auto &[cell, word] : cells)
                QCOMPARE(word.text, numberText(cell * 3 + sheet));
        }
    }

    // Reverse prints the last sheet first; every label stays in its cell.
    void reverseKeepsEveryLabelInItsCell()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("reversed.pdf"));
        const ToolRun run =
            runTool(QStringLiteral(PAGINETTE_PRINT),
                    {"--sheet", "Avery 5160", "--pages", "35", "--reverse", "-o", pdf, m_document});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pdfPageCount(pdf), 2);
        const std::map<int, Word> last = wordsByCell(pdf, 1, m_avery5160);
        const std::map<int, Word> first = wordsByCell(pdf, 2, m_avery5160);
        QCOMPARE(last.size(), std::size_t{5});
        QCOMPARE(first.size(), std::size_t{30});
        for (const auto &[cell, word] : last)
            QCOMPARE(word.text, numberText(31 + cell));
        for (const auto &[cell, word] : first)
            QCOMPARE(word.text, numberText(1 + cell));
    }

    // A dashed tear line between each ticket and its stub, on plain paper
    // and in every label of a sheet: 64 points of 3 drawn and 2 left.
    void aTearLineOnEveryTicket_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::newRow("plain paper") << QString();
        QTest::newRow("labels") << QStringLiteral("Avery 5160");
    }
    void aTearLineOnEveryTicket()
    {
        QFETCH(QString, sheet);
        Document doc = emptyDocument(5);
        addNumber(doc, 5, 5, 1, 4);
        const int tear = addObject(doc, KindShape, 150, 4, QString());
        ShapeStyle &line = doc.objects[tear].shape.emplace();
        line.width = 0;
        line.height = 64;
        line.dash = {3, 2};
        const QString job = QStringLiteral("tickets-%1").arg(sheet.isEmpty() ? 1 : 2);
        const QString document = m_dir.filePath(job + QStringLiteral(".pgt"));
        QCOMPARE(saveDocument(doc, {}, document), QString());
        const QString pdf = m_dir.filePath(job + QStringLiteral(".pdf"));
        QStringList arguments{"--pages", "30", "-o", pdf, document};
        if (!sheet.isEmpty())
            arguments << "--sheet" << sheet;
        const ToolRun run = runTool(QStringLiteral(PAGINETTE_PRINT), arguments);
        QCOMPARE(programErrors(run.err), QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(runTool(QStringLiteral("qpdf"), {"--check", pdf}).exitCode, 0);
        // Each ticket's number shows where its page lies: 5 points in.
        const QList<Word> numbers = pageWords(pdf, 1);
        QCOMPARE(numbers.size(), sheet.isEmpty() ? 1 : 30);
        for (const Word &number : {numbers.first(), numbers.last()}) {
            const QPointF tearTop = number.origin - QPointF(5, 5) + QPointF(150, 4);
            QCOMPARE(inkRunsDown(pdf, tearTop.x(), tearTop.y(), tearTop.y() + 64), 13);
            // Beside the line the paper is blank.
            QCOMPARE(inkRunsDown(pdf, tearTop.x() + 4, tearTop.y(), tearTop.y() + 64), 0);
        }
    }

    void unknownProductsAndCellsAreRefused()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("refused.pdf"));
        const ToolRun unknown = runTool(QStringLiteral(PAGINETTE_PRINT),
                                        {"--sheet", "Avery 99999", "-o", pdf, m_document});
        QCOMPARE(unknown.exitCode, 2);
        QVERIFY(programErrors(unknown.err).contains(QLatin1String("--list-sheets")));
        const ToolRun pastTheSheet =
            runTool(QStringLiteral(PAGINETTE_PRINT),
                    {"--sheet", "Avery 5160", "--first-cell", "31", "-o", pdf, m_document});
        QCOMPARE(pastTheSheet.exitCode, 2);
        QVERIFY(!QFile::exists(pdf));
        const ToolRun listed =
            runTool(QStringLiteral(PAGINETTE_PRINT), {"--list-sheets", "avery", "5160"});
        QCOMPARE(listed.exitCode, 0);
        // The product whose number was typed whole comes first.
        QVERIFY(listed.out.startsWith(QLatin1String("Avery 5160: Address Labels; 30 labels of "
                                                    "66.7 x 25.4 mm on 215.9 x 279.4 mm\n")));
        QVERIFY(listed.out.contains(QLatin1String("\nAvery 15160: Address Labels; 30 labels")));
    }
};

QTEST_MAIN(TestLabelRun)
#include "tst_labelrun.moc"
