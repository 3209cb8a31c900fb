#include "continuenumbering.h"
#include "documentbuilder.h"
#include "file/documentfile.h"
#include "matrix.h"
#include "numberformat.h"
#include "numbersystems.h"
#include "objecttable.h"
#include "pdf/runpdfwriter.h"
#include "run/placements.h"
#include "run/printrun.h"
#include "rundata.h"
#include "selection.h"
#include "toolrun.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <optional>
#include <set>
#include <tuple>
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
//
// Data runs too: a generated table of rows with quantities, zeros among
// them, its run as long as they add up to, each series counting on through
// the rows, restarting at each row, or starting where a column of its own
// says (the rows owning ranges far apart): a series that counts on prints
// every value once in the run and across runs; one that restarts, once in
// each row; one that starts from a column, once in the run. The spans a
// number's values are logged as hold exactly the values it printed, and a
// field shows its row on every page.

namespace {

constexpr int documents = 250;
constexpr int dataDocuments = 250;
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
// A data run's own: a field, and the date.
const Affixes dataAffixChoices[] = {{"{Name}:", ""}, {"{date:yyMMdd}-", ""}};
const QDateTime runStart(QDate(2026, 12, 24), QTime(8, 0));
// The rows of a column of starts are this far apart.
constexpr std::int32_t rowRange = 10'000'000;

// A stack of Create Matrix type 5: its cells in link order.
using Stack = std::vector<int>;

struct Generated
{
    Document doc;
    // Each series: the objects that count as one.
    std::vector<std::vector<int>> series;
    std::vector<Stack> stacks;
    PrintPlan plan;
    // A data run's table; its settings are the document's.
    std::optional<DataTable> table;
    // A text object showing each page's row.
    int rowText = -1;
    // Back numbers that are the same as a front number: (stub, its number).
    std::vector<std::pair<int, int>> stubs;
};

// The value the number part of `text` shows, read back in `system` by the
// system's own row, once the affixes and check character of `format` are
// taken off; nothing when the text does not read back. `rowName` is what
// the page's {Name} shows.
std::optional<std::int64_t> shownValue(QString text, const NumberFormat &format, int page,
                                       int pages, const QString &rowName = {})
{
    QString prefix = expandPlaceholders(format.prefix, page, pages, QString());
    prefix.replace(QLatin1String("{Name}"), rowName)
        .replace(QLatin1String("{date:yyMMdd}"), runStart.date().toString(u"yyMMdd"));
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

    Generated document(bool data = false)
    {
        Generated made;
        made.doc = emptyDocument(200);
        made.doc.pagesToPrint =
            m_random.bounded(4) == 0 ? m_random.bounded(1, 601) : m_random.bounded(1, 40);
        if (data)
            addTable(made);
        m_data = data;
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
        if (data)
            chooseCountings(made);
        if (m_random.bounded(3) == 0)
            makeTwoSided(made);
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
    // Up to 8 rows named N1, N2, ..., each printing 0 to 4 pages, at least
    // one page in all; the run is as long as they add up to.
    void addTable(Generated &made)
    {
        DataTable table;
        table.columns = {"Name", "Qty"};
        std::int32_t pages = 0;
        const int rows = m_random.bounded(1, 9);
        for (int r = 0; r < rows; ++r) {
            const int quantity = r == rows - 1 && pages == 0 ? 1 : pick({0, 1, 1, 2, 3, 4});
            table.rows.append({QStringLiteral("N%1").arg(r + 1), QString::number(quantity)});
            pages += quantity;
        }
        made.doc.pagesToPrint = pages;
        made.doc.data = DataSourceSettings{.file = "orders.csv", .quantity = "Qty"};
        made.rowText = addObject(made.doc, KindText, 10, 10, QStringLiteral("{Name} {row}"));
        made.table = table;
    }

    // Each series counts on, restarts or starts from a column of its own,
    // written in its head's system. The rows' starts lie rowRange apart, or
    // each row starts where the one before it ended, in the widest step of
    // the series, so that every row owns a range of its own. Rows that
    // follow on print as many values as the run without data, which the
    // series was made for, only when each value prints once.
    void chooseCountings(Generated &made)
    {
        const Document &doc = made.doc;
        for (std::size_t s = 0; s < made.series.size(); ++s) {
            const int head = made.series[s].front();
            const auto mode = static_cast<NumberCounting::Mode>(m_random.bounded(3));
            made.doc.data->counting[head] = {mode, QStringLiteral("First%1").arg(s)};
            if (mode != NumberCounting::Mode::StartColumn)
                continue;
            std::int32_t stride = 0;
            for (const int member : made.series[s]) {
                if (std::abs(doc.objects[member].stepPage) > std::abs(stride))
                    stride = doc.objects[member].stepPage;
            }
            const int repeat = withinLimits(doc.objects[head].format).repeat;
            const bool abutting = repeat == 1 && m_random.bounded(2) == 0;
            made.table->columns.append(QStringLiteral("First%1").arg(s));
            std::int32_t start = m_random.bounded(1000, 100000);
            CellRows widened;
            for (QStringList row : made.table->rows.toLists()) {
                row.append(*systemDigits(start, doc.objects[head].format.system));
                start += abutting ? row[1].toInt() * stride : rowRange;
                widened.append(row);
            }
            made.table->rows = std::move(widened);
        }
    }

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
        const Affixes &affixes =
            m_data && m_random.bounded(3) == 0
                ? dataAffixChoices[m_random.bounded(int(std::size(dataAffixChoices)))]
                : affixChoices[m_random.bounded(int(std::size(affixChoices)))];
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

    // Both sides: some numbers on the back, and a stub or two there showing
    // a front number's text, one series printed on both sides.
    void makeTwoSided(Generated &made)
    {
        Document &doc = made.doc;
        doc.duplex = m_random.bounded(2) == 0 ? Duplex::LongEdge : Duplex::ShortEdge;
        for (const std::vector<int> &series : made.series) {
            for (const int index : series) {
                if (m_random.bounded(3) == 0)
                    doc.objects[index].side = Side::Back;
            }
        }
        for (int stubs = m_random.bounded(1, 3); stubs > 0; --stubs) {
            const std::vector<int> &series = made.series[m_random.bounded(int(made.series.size()))];
            const int source = series[std::size_t(m_random.bounded(int(series.size())))];
            const int stub = addNumber(doc, 0, 0, 1, 3);
            doc.objects[stub].name = QStringLiteral("stub%1").arg(stub);
            doc.objects[stub].side = Side::Back;
            doc.objects[stub].sameAs = source;
            made.stubs.emplace_back(stub, source);
        }
    }

    QRandomGenerator m_random;
    bool m_data = false;
};

// Where a series printed a value: the row of a series counting by rows (-1
// for one that counts on), and the run of `repeat` pages of its counting it
// showed it on. The cells of a Create Matrix row or column may show one
// value on a page (a ticket and its stubs); on two such runs of pages it is
// printed twice.
using PrintedAt = std::pair<qsizetype, std::int64_t>;
// What a series printed: each value, under the row it is once in for a
// series that restarts at each row (-1: once in the run), and where.
using Printed = std::map<std::pair<qsizetype, std::int64_t>, std::set<PrintedAt>>;

// Where page `page` falls in its counting: its row (-1 without data, or for
// a number counting on) and its page of that counting, from 0.
PrintedAt countedPlace(const RunTexts &texts, int index, std::int32_t page)
{
    if (texts.counting(index) == NumberCounting::Mode::On)
        return {-1, page - 1};
    const RowPlace place = texts.data()->rows().placeOf(page);
    return {place.row, place.index};
}

// The values the spans hold.
std::set<std::int32_t> spannedValues(const QList<ValueSpan> &spans)
{
    std::set<std::int32_t> values;
    for (const ValueSpan &span : spans) {
        for (std::int64_t k = 0; k < span.count; ++k)
            values.insert(static_cast<std::int32_t>(static_cast<std::uint32_t>(span.first) +
                                                    static_cast<std::uint32_t>(k * span.step)));
    }
    return values;
}

// Checks every placement of the run: where it lies, what its numbers show;
// gives each series' values with where they were printed.
void checkRun(const Generated &generated, const Document &doc, const RunTexts &texts,
              const PrintPlan &plan, std::vector<Printed> &printed,
              std::map<int, std::pair<std::int64_t, std::int64_t>> &ends, const QByteArray &where)
{
    const int pages = texts.pages();
    const RunData *data = texts.data() && texts.data()->table() ? texts.data() : nullptr;
    const RunPlacements placements(doc, plan, {QSizeF(595, 842), QPointF(10, 10)});
    std::map<int, int> placedPages;
    for (std::int64_t sheet = 1; sheet <= placements.sheetCount(); ++sheet) {
        std::set<std::tuple<Side, qreal, qreal>> cells;
        // Each front's page and copy, by its cell mirrored onto the back.
        std::map<std::pair<qreal, qreal>, std::pair<std::int32_t, int>> behind;
        const QSizeF paper = placements.paperOf(sheet);
        for (const Placement &placed : placements.onSheet(sheet)) {
            const QByteArray at = where + " sheet " + QByteArray::number(qlonglong(sheet)) +
                                  " page " + QByteArray::number(placed.page);
            QVERIFY2(placed.page >= plan.first && placed.page <= plan.last, at);
            QVERIFY2(cells.insert({placed.side, placed.cell.x(), placed.cell.y()}).second, at);
            QVERIFY2(QRectF(QPointF(), paper).contains(placed.cell), at);
            if (placed.side == Side::Front) {
                ++placedPages[placed.page];
                // The long edge is a portrait sheet's side and a landscape
                // sheet's top: the paper turns left to right about a side.
                const bool longEdge = doc.duplex == Duplex::LongEdge;
                const bool turnsAboutSide = longEdge == (paper.width() <= paper.height());
                const QPointF mirrored =
                    turnsAboutSide
                        ? QPointF(paper.width() - placed.cell.right(), placed.cell.y())
                        : QPointF(placed.cell.x(), paper.height() - placed.cell.bottom());
                if (doc.duplex != Duplex::Off)
                    behind[{mirrored.x(), mirrored.y()}] = {placed.page, placed.copy};
            } else {
                // The back of exactly a front printed, its page and copy.
                const auto front = behind.find({placed.cell.x(), placed.cell.y()});
                QVERIFY2(front != behind.end(), at + " back of no front");
                QVERIFY2(front->second == std::pair(placed.page, placed.copy), at + " back");
                behind.erase(front);
                for (const auto &[stub, source] : generated.stubs)
                    QCOMPARE(texts.text(stub, placed.page), texts.text(source, placed.page));
            }
            QString rowName;
            if (data) {
                const qsizetype row = data->rows().placeOf(placed.page).row;
                rowName = data->table()->rows[row][0];
                QVERIFY2(data->rows().quantityOf(row) > 0, at);
                QCOMPARE(texts.text(generated.rowText, placed.page),
                         QStringLiteral("%1 %2").arg(rowName).arg(row + 1));
            }
            for (std::size_t s = 0; s < generated.series.size(); ++s) {
                for (const int index : generated.series[s]) {
                    const PageObject &object = doc.objects[index];
                    if (sideOf(doc, object) != placed.side)
                        continue;
                    const QString text = texts.text(index, placed.page);
                    const std::optional<std::int64_t> value =
                        shownValue(text, object.format, placed.page, pages, rowName);
                    const QByteArray shown =
                        at + " " + object.name.toLatin1() + ": " + text.toUtf8();
                    QVERIFY2(value && *value == texts.value(index, placed.page), shown);
                    const PrintedAt counted = countedPlace(texts, index, placed.page);
                    const qsizetype once =
                        texts.counting(index) == NumberCounting::Mode::Restart ? counted.first : -1;
                    std::set<PrintedAt> &places = printed[s][{once, *value}];
                    places.insert({counted.first, counted.second / texts.repeat(index)});
                    QVERIFY2(places.size() == 1, shown + " again");
                    if (placed.page == plan.first)
                        ends[index].first = *value;
                    if (placed.page == plan.last)
                        ends[index].second = *value;
                }
            }
        }
        QVERIFY2(behind.empty(), where + " a front without its back");
    }
    // A stub is no print of its own: the log and the check hold its number's.
    for (const auto &[stub, source] : generated.stubs)
        QVERIFY2(!printsOwnValues(doc, stub) && printsOwnValues(doc, source), where);
    for (int page = plan.first; page <= plan.last; ++page)
        QVERIFY2(placedPages[page] == plan.copies, where + " page " + QByteArray::number(page));
    // The spans the check and the log compare hold what each number printed.
    for (const std::vector<int> &series : generated.series) {
        for (const int index : series) {
            std::set<std::int32_t> values;
            for (int page = plan.first; page <= plan.last; ++page)
                values.insert(texts.value(index, page));
            QVERIFY2(spannedValues(printedSpans(texts, index, plan.first, plan.last)) == values,
                     where + " spans of " + doc.objects[index].name.toLatin1());
        }
    }
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

// Consecutive values of a number on consecutive pages of its counting.
void checkSteps(const Generated &generated, const RunTexts &texts, const QByteArray &where)
{
    for (const std::vector<int> &series : generated.series) {
        for (const int index : series) {
            const int repeat = texts.repeat(index);
            for (int page = 2; page <= texts.pages(); ++page) {
                const PrintedAt before = countedPlace(texts, index, page - 1);
                const PrintedAt counted = countedPlace(texts, index, page);
                if (before.first != counted.first)
                    continue;
                const std::int64_t step = texts.value(index, page) - texts.value(index, page - 1);
                const bool newBlock = counted.second % repeat == 0;
                QVERIFY2(step == (newBlock ? texts.document().objects[index].stepPage : 0),
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
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::WriteOnly));
    RunPdfWriter writer(file);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10)));
    writer.setResolution(360);
    QCOMPARE(printRun(doc, 360, true, runSheets(writer), plan).outcome, PrintOutcome::Printed);
    file.close();
    const RunPlacements placements(doc, plan, devicePaper(writer.pageLayout()));
    const RunTexts texts(doc);
    const QList<QList<Word>> pages = pagesWords(pdf);
    QCOMPARE(pages.size(), placements.faceCount());
    for (std::int64_t face = 1; face <= placements.faceCount(); ++face) {
        const QList<Word> &words = pages[face - 1];
        const std::int64_t sheet = placements.face(face).sheet;
        for (const Placement &placed : placements.onFace(placements.face(face))) {
            for (int i = 0; i < doc.count(); ++i) {
                const PageObject &object = doc.objects[i];
                if (sideOf(doc, object) != placed.side)
                    continue;
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
    void everyValueOnceInDataRuns();

private:
    // Runs `count` generated documents, with data or without, two or three
    // runs each joined by Continue Numbering.
    void checkRuns(int count, bool data);

    int m_printedOnPaper = 0;
    int m_printedOnLabels = 0;
};

void TestEveryNumberOnce::everyValueOnceAcrossRuns()
{
    checkRuns(documents, false);
}

void TestEveryNumberOnce::everyValueOnceInDataRuns()
{
    checkRuns(dataDocuments, true);
}

void TestEveryNumberOnce::checkRuns(int count, bool withData)
{
    const quint32 baseSeed = qEnvironmentVariableIntValue("PAGINETTE_SEED");
    for (int made = 0; made < count; ++made) {
        const quint32 seed = baseSeed + static_cast<quint32>(made);
        const QByteArray where = "seed " + QByteArray::number(seed);
        Generator generator(seed);
        Generated generated = generator.document(withData);
        if (QTest::currentTestFailed())
            QFAIL(where.constData());
        Document doc = generated.doc;
        std::vector<Printed> printedBefore(generated.series.size());
        const int runs = 2 + static_cast<int>(seed % 2);
        for (int run = 1; run <= runs; ++run) {
            const QByteArray at = where + " run " + QByteArray::number(run);
            std::optional<RunData> data;
            if (withData) {
                RunDataRead read = runDataOf(doc, *doc.data, *generated.table,
                                             QStringLiteral("orders.csv"), runStart);
                QVERIFY2(read.data, at + " " + read.error.toUtf8());
                data = std::move(read.data);
            }
            const RunTexts texts = data ? RunTexts(doc, *data) : RunTexts(doc);
            const PrintPlan plan = run == 1 ? generated.plan : generator.plan(doc);
            checkSteps(generated, texts, at);
            std::vector<Printed> printed(generated.series.size());
            std::map<int, std::pair<std::int64_t, std::int64_t>> ends; // first and last value
            checkRun(generated, doc, texts, plan, printed, ends, at);
            if (QTest::currentTestFailed())
                return;
            // Across runs, what counts on prints a value once; the others
            // print their rows' values again.
            for (std::size_t s = 0; s < generated.series.size(); ++s) {
                if (texts.counting(generated.series[s].front()) != NumberCounting::Mode::On)
                    continue;
                for (const auto &[value, places] : printed[s]) {
                    QVERIFY2(!printedBefore[s].contains(value),
                             at + " prints " + QByteArray::number(qlonglong(value.second)) +
                                 " again");
                    printedBefore[s][value] = places;
                }
            }
            if (plan.first == 1 && plan.last == texts.pages()) {
                for (const Stack &stack : generated.stacks) {
                    if (texts.counting(stack.front()) != NumberCounting::Mode::On)
                        continue;
                    for (std::size_t c = 0; c + 1 < stack.size(); ++c) {
                        const std::int64_t next =
                            ends[stack[c]].second + doc.objects[stack[c]].stepPage;
                        QVERIFY2(ends[stack[c + 1]].first == next,
                                 at + " stack cell " + QByteArray::number(qulonglong(c + 1)));
                    }
                }
            }
            // The print loop is shown the run's data by the print layer.
            int &printedOfKind = doc.sheet ? m_printedOnLabels : m_printedOnPaper;
            if (!withData && run == 1 && printedOfKind++ < printedOfEach) {
                checkPrinted(doc, plan, at);
                if (QTest::currentTestFailed())
                    return;
            }
            // The next run starts where the whole of this one ends, from
            // the document as saved and read again.
            if (data)
                continueNumbering(doc, *data);
            else
                continueNumbering(doc);
            const LoadResult reread = readDocument(documentBytes(doc, {}), doc.capacity);
            QVERIFY2(reread.document && reread.messages.isEmpty(), at);
            doc = *reread.document;
        }
    }
}

QTEST_MAIN(TestEveryNumberOnce)
#include "tst_everynumberonce.moc"
