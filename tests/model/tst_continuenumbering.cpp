#include "continuenumbering.h"
#include "documentbuilder.h"
#include "numberformat.h"
#include "wrapint.h"

#include <QTest>

#include <limits>

using Values = QList<NextFirstValue>;

namespace QTest {
template <> char *toString(const NextFirstValue &value)
{
    return qstrdup(qPrintable(value.name + QLatin1Char(' ') + value.text));
}
} // namespace QTest

class ContinueNumberingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nextRunStartsAfterTheLastPage_data();
    void nextRunStartsAfterTheLastPage();
};

void ContinueNumberingTest::nextRunStartsAfterTheLastPage_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("stepPage");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<bool>("linked"); // a second number follows the first in a link
    QTest::addColumn<Values>("firstValues");

    constexpr int int32Max = std::numeric_limits<std::int32_t>::max();
    QTest::newRow("a value a page") << 10 << 1 << 1 << 1 << false << Values{{"num0", "0011"}};
    QTest::newRow("steps of 5") << 4 << 100 << 5 << 1 << false << Values{{"num0", "0120"}};
    QTest::newRow("repeat 3, the run ends a repeat")
        << 6 << 1 << 1 << 3 << false << Values{{"num0", "0003"}};
    // Page 5 began the second value; the next run does not print it again.
    QTest::newRow("repeat 3, the run ends inside a repeat")
        << 5 << 1 << 1 << 3 << false << Values{{"num0", "0003"}};
    QTest::newRow("repeat 4, steps of 10")
        << 9 << 0 << 10 << 4 << false << Values{{"num0", "0030"}};
    QTest::newRow("wraps in 32 bits")
        << 1 << int32Max << 1 << 1 << false << Values{{"num0", "-214"}};
    QTest::newRow("Pages 0 moves nothing") << 0 << 5 << 1 << 1 << false << Values{{"num0", "0005"}};
    QTest::newRow("a link member follows its head")
        << 10 << 1 << 1 << 1 << true << Values{{"num0", "0011"}, {"num1", "1011"}};
    QTest::newRow("a link member follows a repeating head")
        << 5 << 1 << 1 << 2 << true << Values{{"num0", "0004"}, {"num1", "1004"}};
}

void ContinueNumberingTest::nextRunStartsAfterTheLastPage()
{
    QFETCH(int, pages);
    QFETCH(int, start);
    QFETCH(int, stepPage);
    QFETCH(int, repeat);
    QFETCH(bool, linked);
    QFETCH(Values, firstValues);

    Document doc = emptyDocument(20);
    const int head = addNumber(doc, 10, 10, start, 4, stepPage);
    doc.objects[head].format.repeat = repeat;
    doc.objects[head].name = QStringLiteral("num0");
    addObject(doc, KindText, 10, 40, QStringLiteral("Admit one"));
    if (linked) {
        const int member = addNumber(doc, 10, 70, 0, 4, stepPage);
        doc.objects[member].name = QStringLiteral("num1");
        doc.objects[head].stepLink = 1000;
        linkObjects(doc, 0, {head, member});
        propagateLinks(doc);
    }
    doc.pagesToPrint = pages;
    const Document before = doc;

    continueNumbering(doc);

    QCOMPARE(::firstValues(doc), firstValues);
    // The next run's first value is the one after the last page's value.
    const PageObject &was = before.objects[head];
    const std::int32_t lastValue = repeatedValue(was.start, was.stepPage, repeat, pages);
    QCOMPARE(doc.objects[head].start, pages < 1 ? was.start : wrapAdd(lastValue, was.stepPage));
    // Nothing but the starts moves, and the text object keeps its text.
    Document expected = before;
    for (int i = 0; i < doc.count(); ++i)
        expected.objects[i].start = doc.objects[i].start;
    expected.objects[head].zeros = doc.objects[head].zeros;
    if (linked)
        expected.objects[2].zeros = doc.objects[2].zeros;
    QCOMPARE(documentDump(doc), documentDump(expected));
}

QTEST_GUILESS_MAIN(ContinueNumberingTest)
#include "tst_continuenumbering.moc"
