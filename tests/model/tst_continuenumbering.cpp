#include "continuenumbering.h"
#include "documentbuilder.h"
#include "matrix.h"
#include "numberformat.h"
#include "wrapint.h"

#include <QTest>

#include <limits>
#include <set>

using Values = QList<NextFirstValue>;

namespace QTest {
template <> char *toString(const NextFirstValue &value)
{
    return qstrdup(qPrintable(value.name + QLatin1Char(' ') + value.text));
}
} // namespace QTest

namespace {

// What a link of the head and one member, or a lone number, looks like.
enum class Shape
{
    Alone,
    // The member counts in the head's step, 1000 further on.
    Linked,
    // The member counts in twice the head's step.
    LinkedOtherStep,
};

// Every text the objects print on pages 1 to pages.
std::set<QString> printed(const Document &doc)
{
    std::set<QString> texts;
    for (int page = 1; page <= doc.pagesToPrint; ++page) {
        for (int i = 0; i < doc.count(); ++i) {
            if (doc.objects[i].kind == KindNumber)
                texts.insert(objectText(doc, i, page));
        }
    }
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(Shape)

class ContinueNumberingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nextRunStartsAfterTheLastPage_data();
    void nextRunStartsAfterTheLastPage();
    void stacksMovePastTheLastStack();
};

void ContinueNumberingTest::nextRunStartsAfterTheLastPage_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("stepPage");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<Values>("firstValues");

    constexpr int int32Max = std::numeric_limits<std::int32_t>::max();
    using enum Shape;
    QTest::newRow("a value a page") << 10 << 1 << 1 << 1 << Alone << Values{{"num0", "0011"}};
    QTest::newRow("steps of 5") << 4 << 100 << 5 << 1 << Alone << Values{{"num0", "0120"}};
    QTest::newRow("repeat 3, the run ends a repeat")
        << 6 << 1 << 1 << 3 << Alone << Values{{"num0", "0003"}};
    // Page 5 began the second value; the next run does not print it again.
    QTest::newRow("repeat 3, the run ends inside a repeat")
        << 5 << 1 << 1 << 3 << Alone << Values{{"num0", "0003"}};
    QTest::newRow("repeat 4, steps of 10")
        << 9 << 0 << 10 << 4 << Alone << Values{{"num0", "0030"}};
    QTest::newRow("past 32 bits") << 1 << int32Max << 1 << 1 << Alone
                                  << Values{{"num0", "2147483648"}};
    QTest::newRow("Pages 0 moves nothing") << 0 << 5 << 1 << 1 << Alone << Values{{"num0", "0005"}};
    QTest::newRow("a link member follows its head")
        << 10 << 1 << 1 << 1 << Linked << Values{{"num0", "0011"}, {"num1", "1011"}};
    // The member prints 1001, 1001, 1002, 1002, 1003 in step with its head.
    QTest::newRow("a link member follows a repeating head")
        << 5 << 1 << 1 << 2 << Linked << Values{{"num0", "0004"}, {"num1", "1004"}};
    QTest::newRow("a member in other steps moves by its own")
        << 10 << 1 << 1 << 3 << LinkedOtherStep << Values{{"num0", "0005"}, {"num1", "1009"}};
}

void ContinueNumberingTest::nextRunStartsAfterTheLastPage()
{
    QFETCH(int, pages);
    QFETCH(int, start);
    QFETCH(int, stepPage);
    QFETCH(int, repeat);
    QFETCH(Shape, shape);
    QFETCH(Values, firstValues);

    Document doc = emptyDocument(20);
    const int head = addNumber(doc, 10, 10, start, 4, stepPage);
    doc.objects[head].format.repeat = repeat;
    doc.objects[head].name = QStringLiteral("num0");
    addObject(doc, KindText, 10, 40, QStringLiteral("Admit one"));
    if (shape != Shape::Alone) {
        const int memberStep = shape == Shape::Linked ? stepPage : 2 * stepPage;
        const int member = addNumber(doc, 10, 70, 0, 4, memberStep);
        doc.objects[member].name = QStringLiteral("num1");
        doc.objects[head].stepLink = 1000;
        linkObjects(doc, 0, {head, member});
        propagateLinks(doc);
    }
    doc.pagesToPrint = pages;
    const std::set<QString> firstRun = printed(doc);

    continueNumbering(doc);

    QCOMPARE(::firstValues(doc), firstValues);
    // No number prints a value the run before printed.
    for (const QString &text : printed(doc))
        QVERIFY2(!firstRun.contains(text) || pages < 1, qPrintable(text));
}

void ContinueNumberingTest::stacksMovePastTheLastStack()
{
    // Create Matrix type 5 on a number repeated 3 times, 500 pages, 2 x 3:
    // stacks start 1, 168, 335, ...; the next run starts past the last one.
    Document doc = emptyDocument(20);
    addNumber(doc, 0, 0, 1, 4);
    doc.objects[0].format.repeat = 3;
    doc.pagesToPrint = 500;
    selectObjects(doc, {0});
    QVERIFY(createMatrix(doc, MatrixParameters{2, 3, 50, 20, 5, doc.pagesToPrint}).made);
    QCOMPARE(textsOf(doc, 1), (QStringList{"0001", "0168", "0335", "0502", "0669", "0836"}));

    continueNumbering(doc);

    QCOMPARE(textsOf(doc, 1), (QStringList{"1003", "1170", "1337", "1504", "1671", "1838"}));
}

QTEST_GUILESS_MAIN(ContinueNumberingTest)
#include "tst_continuenumbering.moc"
