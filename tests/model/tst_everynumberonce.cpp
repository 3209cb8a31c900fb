#include "continuenumbering.h"
#include "documentbuilder.h"
#include "matrix.h"
#include "numberformat.h"
#include "objecttable.h"
#include "selection.h"

#include <QRandomGenerator>
#include <QTest>

#include <map>
#include <optional>
#include <set>
#include <vector>

// The promise of a numbering program, checked over documents made by a
// seeded generator from every feature that counts (steps, repeat, links,
// Create Matrix in each order, formats with placeholders and check
// characters, number systems) and runs joined by Continue Numbering: within
// a run a number prints each of its values on `repeat` pages in a row, the
// last perhaps on fewer, and its text holds the whole value; stacks meet with
// no gap; across runs no series (a link, or a number alone) prints a value
// twice.

namespace {

constexpr int documents = 250;

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
};

// The value the number part of `text` shows, read back in `system`, once
// the affixes and check character of `format` are taken off; nothing when
// the text does not read back.
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
        if (checkCharacter(text, format.check) != check)
            return std::nullopt;
    }
    const int radix = format.system == NumberSystem::Hexadecimal ? 16
                      : format.system == NumberSystem::Base36    ? 36
                                                                 : 10;
    if (format.system == NumberSystem::Letters) {
        std::int64_t value = 0;
        for (const QChar c : text) {
            if (c < u'A' || c > u'Z')
                return std::nullopt;
            value = value * 26 + (c.unicode() - u'A' + 1);
        }
        return text.isEmpty() ? std::nullopt : std::optional(value);
    }
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, radix);
    return ok ? std::optional<std::int64_t>(value) : std::nullopt;
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
        return made;
    }

private:
    int pick(std::initializer_list<int> choices)
    {
        return *(choices.begin() + m_random.bounded(int(choices.size())));
    }

    NumberFormat format()
    {
        NumberFormat format;
        format.repeat = pick({1, 1, 2, 3, 4});
        format.system = static_cast<NumberSystem>(m_random.bounded(4));
        if (format.system == NumberSystem::Decimal)
            format.check = static_cast<CheckDigit>(m_random.bounded(6));
        const Affixes &affixes = affixChoices[m_random.bounded(int(std::size(affixChoices)))];
        format.prefix = affixes.prefix;
        format.suffix = affixes.suffix;
        format.autoWidth = m_random.bounded(5) == 0;
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
    for (int made = 0; made < documents; ++made) {
        const quint32 seed = baseSeed + static_cast<quint32>(made);
        const QByteArray where = "seed " + QByteArray::number(seed);
        Generator generator(seed);
        Generated generated = generator.document();
        if (QTest::currentTestFailed())
            QFAIL(where.constData());
        Document &doc = generated.doc;
        const int pages = doc.pagesToPrint;
        std::vector<std::set<std::int64_t>> printedBefore(generated.series.size());
        const int runs = 2 + static_cast<int>(seed % 2);
        for (int run = 1; run <= runs; ++run) {
            const RunTexts texts(doc);
            std::vector<std::set<std::int64_t>> printed(generated.series.size());
            std::map<int, std::pair<std::int64_t, std::int64_t>> ends; // first and last value
            for (std::size_t s = 0; s < generated.series.size(); ++s) {
                for (const int index : generated.series[s]) {
                    const PageObject &object = doc.objects[index];
                    const int repeat = texts.repeat(index);
                    std::int64_t previous = 0;
                    int sameInARow = 0;
                    for (int page = 1; page <= pages; ++page) {
                        const QString text = texts.text(index, page);
                        const std::optional<std::int64_t> value =
                            shownValue(text, object.format, page, pages);
                        const QByteArray at = where + " run " + QByteArray::number(run) + " " +
                                              object.name.toLatin1() + " page " +
                                              QByteArray::number(page) + ": " + text.toUtf8();
                        QVERIFY2(value && *value == texts.value(index, page), at.constData());
                        if (page > 1 && *value == previous) {
                            QVERIFY2(++sameInARow <= repeat, at.constData());
                        } else {
                            QVERIFY2(page == 1 || sameInARow == repeat, at.constData());
                            QVERIFY2(page == 1 || *value == previous + object.stepPage,
                                     at.constData());
                            sameInARow = 1;
                        }
                        previous = *value;
                        printed[s].insert(*value);
                        if (page == 1)
                            ends[index].first = *value;
                        ends[index].second = *value;
                    }
                }
                for (const std::int64_t value : printed[s]) {
                    QVERIFY2(!printedBefore[s].contains(value),
                             (where + " run " + QByteArray::number(run) + " prints " +
                              QByteArray::number(value) + " again")
                                 .constData());
                }
                printedBefore[s].insert(printed[s].begin(), printed[s].end());
            }
            for (const Stack &stack : generated.stacks) {
                for (std::size_t c = 0; c + 1 < stack.size(); ++c) {
                    const std::int64_t next =
                        ends[stack[c]].second + doc.objects[stack[c]].stepPage;
                    QVERIFY2(ends[stack[c + 1]].first == next,
                             (where + " stack cell " + QByteArray::number(qulonglong(c + 1)))
                                 .constData());
                }
            }
            continueNumbering(doc);
        }
    }
}

QTEST_APPLESS_MAIN(TestEveryNumberOnce)
#include "tst_everynumberonce.moc"
