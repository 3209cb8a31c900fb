#include "continuenumbering.h"
#include "documentbuilder.h"
#include "documentfile.h"
#include "matrix.h"
#include "numberformat.h"
#include "numbersystems.h"
#include "objecttable.h"
#include "placements.h"
#include "printrun.h"
#include "selection.h"
#include "toolrun.h"

#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <optional>
#include <set>
#include <vector>

// The promise of a numbering program, checked over documents made by a
// seeded generator from every feature that counts (steps, repeat, links,
// Create Matrix in each order, formats with placeholders and check
// characters, every number system and symbology the model has), printed as
// the print loop places them (pages or labels on sheets in every order,
// from any first cell, page ranges, copies collated or not, Reverse), and
// runs joined by Continue Numbering with the document saved and read back
// between them: every page of the range is placed as often as it has
// copies, in a cell of its own; a number prints each of its values on
// `repeat` pages in a row, its text holding the whole value; within a run
// and across runs, no series (a link, or a number alone) prints a value in
// two places; stacks meet with no gap. For a sample, the run printed to a
// PDF shows in each cell the texts its placement says.

namespace {

constexpr int documents = 250;
// How many documents of each kind, on plain paper and on labels, are
// printed and read back.
constexpr int printedOfEach = 5;

struct Affixes
{
    QString prefix;
    QString suffix;
};

const Affixes affixChoices[] = {
    {}, {"No. ", ""}, {"{page}/", ""}, {"", " of {pages}"}, {"", " / {last}"}, {"#", " / {last}"}};

// A stack of Create Matrix type 5: its cells in link order.
using Stack = std::vector<int>;

struct Generated
{
    Document doc;
    // Each series: the objects that count as one.
    std::vector<std::vector<int>> series;
    std::vector<Stack> stacks;
    PrintPlan plan;
};

// The value the number part of `text` shows, read back in `system` by the
// system's own row, once the affixes and check character of `format` are
// taken off; nothing when the text does not read back.
std::optional<std::int64_t> shownValue(QString text, const NumberFormat &format, int page,
                                       int pages)
{
    const QString prefix = expandPlaceholders(format.prefix, page, pages, QString());
    if (!text.startsWith(prefix))
        return std::nullopt;
    text.remove(0, prefix.size());
    if (format.suffix.contains(QLatin1String("{last}")))
        text.truncate(text.lastIndexOf(QLatin1String(" / ")));
    else
        text.chop(expandPlaceholders(format.suffix, page, pages, QString()).size());
    if (checkDigitApplies(format)) {
        const QChar check = text.back();
        text.chop(1);
        if (checkCharacter(QStringView(text).sliced(text.startsWith(u'-') ? 1 : 0), format.check) !=
            check)
            return std::nullopt;
    }
    const std::optional<std::int32_t> value = numberSystemRow(format.system).read(text);
    return value ? std::optional<std::int64_t>(*value) : std::nullopt;
}

class Generator
{
public:
    explicit Generator(quint32 seed) : m_random(seed) {}

    Generated document()
    {
        Generated made;
        made.doc = emptyDocument(200);
        made.doc.pagesToPrint =
            m_random.bounded(4) == 0 ? m_random.bounded(1, 601) : m_random.bounded(1, 40);
        const int series = m_random.bounded(1, 5);
        for (int s = 0; s < series; ++s) {
            switch (m_random.bounded(3)) {
            case 0:
                addAlone(made);
                break;
            case 1:
                addMatrix(made);
                break;
            default:
                addHandLink(made);
                break;
            }
        }
        if (m_random.bounded(3) == 0)
            made.doc.sheet = sheet(made.doc);
        made.plan = plan(made.doc);
        return made;
    }

    // A plan of the run: a range, copies, collation and order, a first cell.
    PrintPlan plan(const Document &doc)
    {
        PrintPlan plan = wholeRun(doc.pagesToPrint);
        if (m_random.bounded(3) == 0) {
            plan.first = m_random.bounded(1, plan.last + 1);
            plan.last = m_random.bounded(plan.first, plan.last + 1);
        }
        plan.copies = pick({1, 1, 2, 3});
        plan.collate = m_random.bounded(2) == 0;
        plan.lastPageFirst = m_random.bounded(3) == 0;
        plan.firstCell = doc.sheet ? m_random.bounded(1, doc.sheet->cellCount() + 1) : 1;
        return plan;
    }

private:
    int pick(std::initializer_list<int> choices)
    {
        return *(choices.begin() + m_random.bounded(int(choices.size())));
    }

    // Labels in one or two grids, each as tall as the objects need.
    SheetLayout sheet(const Document &doc)
    {
        SheetLayout layout;
        layout.label = QSizeF(220, 20.0 * doc.count() + 20);
        const int columns = m_random.bounded(1, 4);
        const int rows = m_random.bounded(1, 4);
        layout.grids.append(
            {columns, rows, 10, 10, layout.label.width() + 4, layout.label.height() + 4});
        if (m_random.bounded(3) == 0)
            layout.grids.append({1, 1, 10, rows * (layout.label.height() + 4) + 10, 0, 0});
        layout.paper = QSizeF(columns * (layout.label.width() + 4) + 20,
                              (rows + 1) * (layout.label.height() + 4) + 30);
        layout.order = static_cast<SheetOrder>(m_random.bounded(3));
        return layout;
    }

    NumberFormat format()
    {
        const std::span<const NumberSystemRow> systems = numberSystemRows();
        NumberFormat format;
        format.repeat = pick({1, 1, 2, 3, 4});
        format.system = systems[m_random.bounded(int(systems.size()))].system;
        if (numberSystemRow(format.system).padsWithZeros && m_random.bounded(2) == 0)
            format.check = static_cast<CheckDigit>(m_random.bounded(6));
        const Affixes &affixes = affixChoices[m_random.bounded(int(std::size(affixChoices)))];
        format.prefix = affixes.prefix;
        format.suffix = affixes.suffix;
        format.autoWidth = m_random.bounded(5) == 0;
        // A barcode shows the same text; the run counts it the same.
        if (m_random.bounded(8) == 0 && affixes.prefix.isEmpty() && affixes.suffix.isEmpty())
            format.barcode = BarcodeStyle{
                .symbology = allSymbologies[m_random.bounded(int(allSymbologies.size()))]};
        return format;
    }

    // A number of its own; counts down at times, never below 1.
    int addNumberObject(Generated &made, std::int32_t start, std::int32_t step)
    {
        Document &doc = made.doc;
        const int index = addNumber(doc, 10, 10 + 20 * doc.count(), start,
                                    static_cast<std::int16_t>(m_random.bounded(1, 7)), step);
        doc.objects[index].format = format();
        doc.objects[index].name = QStringLiteral("num%1").arg(index);
        return index;
    }

    void addAlone(Generated &made)
    {
        const bool down = m_random.bounded(4) == 0;
        const int step = pick({1, 1, 2, 5, 10});
        // Room below for three runs counting down.
        const int start = down ? 3 * made.doc.pagesToPrint * step + m_random.bounded(1, 100)
                               : m_random.bounded(1, 100000);
        made.series.push_back({addNumberObject(made, start, down ? -step : step)});
    }

    // Create Matrix on a new number, each type with the step that makes its
    // pages hold distinct values; type 5 stacks.
    void addMatrix(Generated &made)
    {
        Document &doc = made.doc;
        const int rows = m_random.bounded(1, 4);
        const int columns = m_random.bounded(1, 4);
        const int type = m_random.bounded(1, 6);
        const int stepPage = type == 5   ? pick({1, 2})
                             : type == 2 ? rows
                             : type == 4 ? columns
                                         : rows * columns;
        const int source = addNumberObject(made, m_random.bounded(1, 1000), stepPage);
        doc.objects[source].stepLink = 1;
        Selection selection(doc);
        deselectAll(selection);
        doc.objects[source].selected = 1;
        const int before = doc.count();
        const MatrixResult result =
            createMatrix(doc, MatrixParameters{rows, columns, 30, 15, type, doc.pagesToPrint});
        QVERIFY(result.made);
        std::vector<int> cells{source};
        for (int i = before; i < doc.count(); ++i)
            cells.push_back(i);
        deselectAll(selection);
        made.series.push_back(cells);
        if (type == 5) {
            Stack stack;
            for (int member = source; member != -1; member = doc.objects[member].linkNext)
                stack.push_back(member);
            made.stacks.push_back(stack);
        }
    }

    // A head and a member 1000 further on, the member in its own step at
    // times; the head's repeat holds for both.
    void addHandLink(Generated &made)
    {
        Document &doc = made.doc;
        const int step = pick({1, 2});
        const int head = addNumberObject(made, m_random.bounded(1, 100), step);
        const int member = addNumberObject(made, 0, step * pick({1, 1, 2}));
        doc.objects[head].stepLink = 100000;
        linkObjects(doc, doc.linkCount, {head, member});
        propagateLinks(doc);
        made.series.push_back({head, member});
    }

    QRandomGenerator m_random;
};

// Where a series printed a value: the run of `repeat` pages it showed it on.
// The cells of a Create Matrix row or column may show one value on a page
// (a ticket and its stubs); on two such runs of pages it is printed twice.
using PrintedAt = std::int64_t;

// Checks every placement of the run: where it lies, what its numbers show;
// gives each series' values with where they were printed.
void checkRun(const Generated &generated, const Document &doc, const PrintPlan &plan,
              std::vector<std::map<std::int64_t, std::set<PrintedAt>>> &printed,
              std::map<int, std::pair<std::int64_t, std::int64_t>> &ends, const QByteArray &where)
{
    const RunTexts texts(doc);
    const int pages = doc.pagesToPrint;
    const RunPlacements placements(doc, plan, {QSizeF(595, 842), QPointF(10, 10)});
    std::map<int, int> placedPages;
    for (std::int64_t sheet = 1; sheet <= placements.sheetCount(); ++sheet) {
        std::set<std::pair<qreal, qreal>> cells;
        for (const Placement &placed : placements.onSheet(sheet)) {
            const QByteArray at = where + " sheet " + QByteArray::number(qlonglong(sheet)) +
                                  " page " + QByteArray::number(placed.page);
            QVERIFY2(placed.page >= plan.first && placed.page <= plan.last, at);
            QVERIFY2(cells.insert({placed.cell.x(), placed.cell.y()}).second, at);
            QVERIFY2(QRectF(QPointF(), placements.paperOf(sheet)).contains(placed.cell), at);
            ++placedPages[placed.page];
            for (std::size_t s = 0; s < generated.series.size(); ++s) {
                for (const int index : generated.series[s]) {
                    const PageObject &object = doc.objects[index];
                    const QString text = texts.text(index, placed.page);
                    const std::optional<std::int64_t> value =
                        shownValue(text, object.format, placed.page, pages);
                    const QByteArray shown =
                        at + " " + object.name.toLatin1() + ": " + text.toUtf8();
                    QVERIFY2(value && *value == texts.value(index, placed.page), shown);
                    const std::int64_t block = (placed.page - 1) / texts.repeat(index);
                    printed[s][*value].insert(block);
                    QVERIFY2(printed[s][*value].size() == 1, shown + " again");
                    if (placed.page == plan.first)
                        ends[index].first = *value;
                    if (placed.page == plan.last)
                        ends[index].second = *value;
                }
            }
        }
    }
    for (int page = plan.first; page <= plan.last; ++page)
        QVERIFY2(placedPages[page] == plan.copies, where + " page " + QByteArray::number(page));
    // The first sheet out holds the first page, or the last one backwards;
    // a stack from a first cell past 1 starts on the second sheet.
    if (doc.sheet && doc.sheet->order == SheetOrder::CutAndStack)
        return;
    const QList<Placement> first = placements.onSheet(1);
    const std::int32_t firstOut = plan.lastPageFirst ? plan.last : plan.first;
    QVERIFY2(std::any_of(first.begin(), first.end(),
                         [firstOut](const Placement &placed) { return placed.page == firstOut; }),
             where + " first sheet");
}

// Consecutive values of a number on consecutive pages of the whole run.
void checkSteps(const Generated &generated, const Document &doc, const QByteArray &where)
{
    const RunTexts texts(doc);
    for (const std::vector<int> &series : generated.series) {
        for (const int index : series) {
            const int repeat = texts.repeat(index);
            for (int page = 2; page <= doc.pagesToPrint; ++page) {
                const std::int64_t step = texts.value(index, page) - texts.value(index, page - 1);
                const bool newBlock = (page - 1) % repeat == 0;
                QVERIFY2(step == (newBlock ? doc.objects[index].stepPage : 0),
                         where + " page " + QByteArray::number(page));
            }
        }
    }
}

// The words pdftotext finds on `page` of `pdf` in `area`, in reading order,
// joined without blanks.
QString wordsIn(const QList<Word> &words, const QRectF &area)
{
    QString found;
    for (const Word &word : words) {
        if (area.contains(word.origin))
            found += word.text;
    }
    return found;
}

// Prints the run to a PDF and finds each placement's texts in its cell:
// the objects moved a line each, where no text overlaps another, and drawn
// as text, which pdftotext reads (the manifest's test scans the symbols).
void checkPrinted(Document doc, const PrintPlan &plan, const QByteArray &where)
{
    for (int i = 0; i < doc.count(); ++i) {
        doc.objects[i].x = 10;
        doc.objects[i].y = 10 + 20 * i;
        doc.objects[i].format.barcode.reset();
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("run.pdf"));
    QPdfWriter writer(pdf);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Point);
    writer.setResolution(360);
    QCOMPARE(printRun(doc, 360, true, pagedSheets(writer), plan).outcome, PrintOutcome::Printed);
    const RunPlacements placements(doc, plan, devicePaper(writer.pageLayout()));
    const RunTexts texts(doc);
    const QList<QList<Word>> pages = pagesWords(pdf);
    QCOMPARE(pages.size(), placements.sheetCount());
    for (std::int64_t sheet = 1; sheet <= placements.sheetCount(); ++sheet) {
        const QList<Word> &words = pages[sheet - 1];
        for (const Placement &placed : placements.onSheet(sheet)) {
            for (int i = 0; i < doc.count(); ++i) {
                const PageObject &object = doc.objects[i];
                const QPointF corner = placed.origin + QPointF(object.x, object.y);
                // Its line, within the cell it was placed in.
                const QRectF band =
                    QRectF(corner - QPointF(2, 2),
                           QSizeF(placed.cell.right() - corner.x(), object.fontSize + 2))
                        .intersected(placed.cell);
                QString expected = texts.text(i, placed.page);
                expected.remove(u' ');
                QVERIFY2(wordsIn(words, band) == expected,
                         where + " sheet " + QByteArray::number(qlonglong(sheet)) + " page " +
                             QByteArray::number(placed.page) + " " + object.name.toLatin1());
            }
        }
    }
}

} // namespace

class TestEveryNumberOnce : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyValueOnceAcrossRuns();
};

void TestEveryNumberOnce::everyValueOnceAcrossRuns()
{
    const quint32 baseSeed = qEnvironmentVariableIntValue("PAGINETTE_SEED");
    int printedOnPaper = 0;
    int printedOnLabels = 0;
    for (int made = 0; made < documents; ++made) {
        const quint32 seed = baseSeed + static_cast<quint32>(made);
        const QByteArray where = "seed " + QByteArray::number(seed);
        Generator generator(seed);
        Generated generated = generator.document();
        if (QTest::currentTestFailed())
            QFAIL(where.constData());
        Document doc = generated.doc;
        std::vector<std::map<std::int64_t, std::set<PrintedAt>>> printedBefore(
            generated.series.size());
        const int runs = 2 + static_cast<int>(seed % 2);
        for (int run = 1; run <= runs; ++run) {
            const QByteArray at = where + " run " + QByteArray::number(run);
            const PrintPlan plan = run == 1 ? generated.plan : generator.plan(doc);
            checkSteps(generated, doc, at);
            std::vector<std::map<std::int64_t, std::set<PrintedAt>>> printed(
                generated.series.size());
            std::map<int, std::pair<std::int64_t, std::int64_t>> ends; // first and last value
            checkRun(generated, doc, plan, printed, ends, at);
            if (QTest::currentTestFailed())
                return;
            for (std::size_t s = 0; s < generated.series.size(); ++s) {
                for (const auto &[value, places] : printed[s]) {
                    QVERIFY2(!printedBefore[s].contains(value),
                             at + " prints " + QByteArray::number(qlonglong(value)) + " again");
                    printedBefore[s][value] = places;
                }
            }
            if (plan.first == 1 && plan.last == doc.pagesToPrint) {
                for (const Stack &stack : generated.stacks) {
                    for (std::size_t c = 0; c + 1 < stack.size(); ++c) {
                        const std::int64_t next =
                            ends[stack[c]].second + doc.objects[stack[c]].stepPage;
                        QVERIFY2(ends[stack[c + 1]].first == next,
                                 at + " stack cell " + QByteArray::number(qulonglong(c + 1)));
                    }
                }
            }
            int &printedOfKind = doc.sheet ? printedOnLabels : printedOnPaper;
            if (run == 1 && printedOfKind++ < printedOfEach) {
                checkPrinted(doc, plan, at);
                if (QTest::currentTestFailed())
                    return;
            }
            // The next run starts where the whole of this one ends, from
            // the document as saved and read again.
            continueNumbering(doc);
            const LoadResult reread = readDocument(documentBytes(doc, {}), doc.capacity);
            QVERIFY2(reread.document && reread.messages.isEmpty(), at);
            doc = *reread.document;
        }
    }
}

QTEST_MAIN(TestEveryNumberOnce)
#include "tst_everynumberonce.moc"
