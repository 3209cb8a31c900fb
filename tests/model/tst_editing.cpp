#include "documentbuilder.h"
#include "editing.h"
#include "objecttable.h"
#include "selection.h"

#include <QTest>

namespace {

using Marks = QList<int>;

Document withMarks(const Marks &marks, int capacity)
{
    Document doc = emptyDocument(capacity);
    for (const int mark : marks) {
        const int index = addNumber(doc, 10 * doc.count(), 0, 100 + doc.count(), 3);
        doc.objects[index].selected = static_cast<std::int16_t>(mark);
    }
    return doc;
}

// A press of the link tool on an object, or on empty page (-1).
struct LinkStep
{
    int hit;
    bool shift;
};

} // namespace

Q_DECLARE_METATYPE(QList<LinkStep>)

class EditingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void selectPress_data();
    void selectPress();
    void linkPresses_data();
    void linkPresses();
    void unlinkPress();
    void duplicate_data();
    void duplicate();
    void duplicateCopiesWholeObjects();
};

void EditingTest::selectPress_data()
{
    QTest::addColumn<Marks>("before");
    QTest::addColumn<int>("hit");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<Marks>("after");
    QTest::addColumn<int>("current");

    QTest::newRow("empty page deselects all")
        << Marks{1, 1, 0} << -1 << false << Marks{-1, -1, -1} << 3;
    QTest::newRow("Shift on empty page deselects all too")
        << Marks{1, 0, 0} << -1 << true << Marks{-1, -1, -1} << 3;
    QTest::newRow("Shift deselects a selected one with mark 0")
        << Marks{1, 1, 0} << 0 << true << Marks{0, 1, 0} << 1;
    QTest::newRow("Shift adds an unselected one")
        << Marks{1, 0, -1} << 2 << true << Marks{1, 0, 1} << 0;
    QTest::newRow("plain press selects an unselected one alone")
        << Marks{1, 1, 0} << 2 << false << Marks{-1, -1, 1} << 2;
    QTest::newRow("plain press on a selected one keeps the selection")
        << Marks{1, 1, 0} << 1 << false << Marks{1, 1, 0} << 0;
}

void EditingTest::selectPress()
{
    QFETCH(Marks, before);
    QFETCH(int, hit);
    QFETCH(bool, shift);
    QFETCH(Marks, after);
    QFETCH(int, current);

    Document doc = withMarks(before, 5);
    Selection selection(doc);
    ::selectPress(selection, hit, shift);
    QCOMPARE(marksOf(doc), after);
    QCOMPARE(selectedCount(doc), after.count(1));
    QCOMPARE(firstSelected(doc), current);
}

void EditingTest::linkPresses_data()
{
    QTest::addColumn<QList<LinkStep>>("steps");
    QTest::addColumn<QList<bool>>("accepted");
    QTest::addColumn<QString>("links");
    QTest::addColumn<int>("linkCount");
    QTest::addColumn<QList<int>>("starts");
    QTest::addColumn<int>("stub"); // a number showing object 0's text, or -1

    const QString none = QStringLiteral("- - -");
    QTest::newRow("press and two Shift presses chain three")
        << QList<LinkStep>{{0, false}, {1, true}, {2, true}} << QList<bool>{true, true, true}
        << QString("0,-1,1 0,0,2 0,1,-1") << 1 << QList<int>{100, 101, 102} << -1;
    QTest::newRow("Shift press before any link is refused")
        << QList<LinkStep>{{1, true}} << QList<bool>{false} << none << 0
        << QList<int>{100, 101, 102} << -1;
    QTest::newRow("press on a linked object is refused")
        << QList<LinkStep>{{0, false}, {1, true}, {1, false}, {0, true}}
        << QList<bool>{true, true, false, false} << QString("0,-1,1 0,0,-1 -") << 1
        << QList<int>{100, 101, 102} << -1;
    QTest::newRow("empty page is refused and changes nothing")
        << QList<LinkStep>{{0, false}, {-1, false}, {-1, true}} << QList<bool>{true, false, false}
        << QString("0,-1,-1 - -") << 1 << QList<int>{100, 101, 102} << -1;
    QTest::newRow("a new press starts a second link")
        << QList<LinkStep>{{0, false}, {2, false}, {1, true}} << QList<bool>{true, true, true}
        << QString("0,-1,-1 1,2,-1 1,-1,1") << 2 << QList<int>{100, 103, 102} << -1;
    QTest::newRow("a number showing another's text is refused")
        << QList<LinkStep>{{2, false}, {0, false}, {2, true}} << QList<bool>{false, true, false}
        << QString("0,-1,-1 - -") << 1 << QList<int>{100, 101, 102} << 2;
}

void EditingTest::linkPresses()
{
    QFETCH(QList<LinkStep>, steps);
    QFETCH(QList<bool>, accepted);
    QFETCH(QString, links);
    QFETCH(int, linkCount);
    QFETCH(QList<int>, starts);
    QFETCH(int, stub);

    Document doc = withMarks({0, 0, 0}, 5);
    if (stub != -1)
        doc.objects[stub].sameAs = 0;
    QList<bool> results;
    for (const LinkStep &step : steps)
        results << linkPress(doc, step.hit, step.shift);
    QCOMPARE(results, accepted);
    QCOMPARE(linksOf(doc), links);
    QCOMPARE(doc.linkCount, linkCount);
    QList<int> startValues;
    for (const PageObject &object : doc.objects)
        startValues << object.start;
    QCOMPARE(startValues, starts);
}

void EditingTest::unlinkPress()
{
    Document doc = withMarks({0, 0, 0, 0}, 5);
    linkObjects(doc, 0, {0, 1});
    linkObjects(doc, 1, {2, 3});
    QVERIFY(!::unlinkPress(doc, -1));
    QVERIFY(::unlinkPress(doc, 1));
    // The other link moves down to number 0.
    QCOMPARE(linksOf(doc), QStringLiteral("- - 0,-1,3 0,2,-1"));
    QCOMPARE(doc.linkCount, 1);
    QVERIFY(!::unlinkPress(doc, 0));
    QCOMPARE(doc.linkCount, 1);
}

void EditingTest::duplicate_data()
{
    QTest::addColumn<Marks>("marks");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<bool>("roomLeft");
    QTest::addColumn<Marks>("after");

    QTest::newRow("two copies of two") << Marks{1, 0, 1} << 6 << true << Marks{-1, -1, -1, 1, 1};
    QTest::newRow("one slot for three: one copy")
        << Marks{1, 1, 1} << 4 << false << Marks{-1, -1, -1, 1};
    QTest::newRow("the last copy fills the table") << Marks{0, 1} << 3 << false << Marks{-1, -1, 1};
    QTest::newRow("full table: no copy") << Marks{1, 1} << 2 << false << Marks{-1, -1};
    QTest::newRow("nothing selected: nothing to do") << Marks{0, 0} << 2 << true << Marks{-1, -1};
}

void EditingTest::duplicate()
{
    QFETCH(Marks, marks);
    QFETCH(int, capacity);
    QFETCH(bool, roomLeft);
    QFETCH(Marks, after);

    Document doc = withMarks(marks, capacity);
    QCOMPARE(duplicateSelected(doc), roomLeft);
    QCOMPARE(marksOf(doc), after);
    QList<std::int32_t> order;
    for (int i = 0; i < after.size(); ++i)
        order << i;
    QCOMPARE(drawOrderOf(doc), order);
}

void EditingTest::duplicateCopiesWholeObjects()
{
    Document doc = emptyDocument(6);
    const int first = addNumber(doc, 100, 100, 125, 5);
    const int second = addObject(doc, KindText, 200, 150, QStringLiteral("Hello!"));
    doc.objects[second].fontName = QStringLiteral("Courier");
    doc.objects[second].angle = 30;
    doc.objects[second].reserved = QByteArray(388, '\0');
    doc.objects[second].reserved[300] = 9;
    doc.objects[first].format.system = NumberSystem::Hexadecimal;
    linkObjects(doc, 0, {first, second});
    selectObjects(doc, {first, second});
    std::swap(doc.drawOrder[0], doc.drawOrder[1]);

    QVERIFY(duplicateSelected(doc));
    QCOMPARE(doc.count(), 4);
    // A copy is its source moved by (10, 10), unlinked, selected and named after its slot.
    const struct
    {
        int source;
        int copy;
        const char *name;
    } copies[] = {{first, 2, "num2"}, {second, 3, "txt3"}};
    for (const auto &[source, copy, name] : copies) {
        PageObject expected = doc.objects[source];
        expected.x += 10;
        expected.y += 10;
        expected.linkId = expected.linkPrev = expected.linkNext = -1;
        expected.selected = 1;
        expected.name = QLatin1String(name);
        QCOMPARE(objectDump(doc.objects[copy]), objectDump(expected));
    }
    // Copies are never linked, and are drawn on top.
    QCOMPARE(linksOf(doc), QStringLiteral("0,-1,1 0,0,-1 - -"));
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{1, 0, 2, 3}));
    QCOMPARE(firstSelected(doc), 2);

    // Repeated, the group steps on diagonally.
    QVERIFY(!duplicateSelected(doc));
    QCOMPARE(positionsOf(doc), QStringLiteral("100,100 200,150 110,110 210,160 120,120 220,170"));
    QCOMPARE(marksOf(doc), (Marks{-1, -1, -1, -1, 1, 1}));
}

QTEST_APPLESS_MAIN(EditingTest)
#include "tst_editing.moc"
