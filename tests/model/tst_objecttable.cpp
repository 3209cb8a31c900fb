#include "documentbuilder.h"
#include "numbering.h"
#include "objecttable.h"
#include "selection.h"

#include <QTest>

#include <cstdint>
#include <initializer_list>
#include <limits>

namespace {

// A table with room for `capacity` objects holding `count` objects, numbers and texts in
// turn, each with its own font and text so moves can be traced.
Document filled(int count, int capacity)
{
    Document doc = emptyDocument(capacity);
    for (int i = 0; i < count; ++i) {
        const int index = *createObject(doc, i % 2 == 0 ? KindNumber : KindText, 10 * i, 0);
        doc.objects[index].fontName = QStringLiteral("font%1").arg(i);
        doc.objects[index].text = QStringLiteral("text%1").arg(i);
    }
    return doc;
}

Document filled(int count)
{
    return filled(count, count);
}

// Font name, text and name of one object.
QStringList stringsOf(const Document &doc, int index)
{
    const PageObject &object = doc.objects[index];
    return {object.fontName, object.text, object.name};
}

// Links the objects, head first, the way the link tool does; false when a step is refused.
bool buildLink(Document &doc, std::initializer_list<int> members)
{
    bool linked = startLink(doc, *members.begin());
    for (auto member = members.begin() + 1; linked && member != members.end(); ++member)
        linked = appendToLink(doc, *member);
    return linked;
}

// Dissolved links and removed objects, to compare in one step.
QList<int> counts(const Removal &removal)
{
    return {removal.dissolvedLinks, removal.removedObjects};
}

} // namespace

class ObjectTableTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A back number showing a front number's text keeps showing it when the
    // front number goes, as a number of its own; numbers after the deleted
    // one still name their front number.
    void aBackNumberOutlivesItsFrontNumber()
    {
        Document doc = emptyDocument(10);
        addObject(doc, KindText, 0, 0, QStringLiteral("title"));
        const int front = addNumber(doc, 10, 10, 7, 3, 2);
        doc.objects[front].format.prefix = QStringLiteral("No. ");
        doc.objects[front].format.repeat = 2;
        const int other = addNumber(doc, 10, 40, 500, 4);
        const int stub = addNumber(doc, 10, 70, 1, 1);
        const int otherStub = addNumber(doc, 10, 100, 1, 1);
        doc.duplex = Duplex::LongEdge;
        doc.objects[stub].side = doc.objects[otherStub].side = Side::Back;
        doc.objects[stub].sameAs = front;
        doc.objects[otherStub].sameAs = other;
        doc.pagesToPrint = 6;
        QStringList before;
        for (std::int32_t page = 1; page <= doc.pagesToPrint; ++page)
            before << objectText(doc, stub, page) << objectText(doc, otherStub, page);
        QCOMPARE(before.first(), QStringLiteral("No. 007"));

        deleteObject(doc, 0);
        deleteObject(doc, front - 1);
        QStringList after;
        for (std::int32_t page = 1; page <= doc.pagesToPrint; ++page)
            after << objectText(doc, stub - 2, page) << objectText(doc, otherStub - 2, page);
        QCOMPARE(after, before);
        QCOMPARE(doc.objects[stub - 2].sameAs, -1);
        QCOMPARE(doc.objects[otherStub - 2].sameAs, other - 2);
    }

    void newObjectsGetTheirDefaults();
    void fullTablePlacesNothing();
    void deleteMiddleKeepsStringsAndOrder();
    void deleteFollowsReorderedDrawOrder();
    void deleteOutsideTheTableDoesNothing();
    void deletingLinkedMemberDissolvesItsLink();
    void deleteSelectedReportsEachDissolvedLink();
    void clearEmptiesTheDocument();
    void hitTestFindsTopmost();
    void selectInRectAddsIntersectingObjects();
    void deselectAndMoveOnlyMarkedObjects();
    void linkBuildingAndRefusals();
    void appendJoinsTheLinkOfLastLinked();
    void lastLinkedForgetsRemovedObjects();
    void destroyLinkRenumbersHigherLinks();
};

void ObjectTableTest::newObjectsGetTheirDefaults()
{
    Document doc = emptyDocument(4);

    QCOMPARE(createObject(doc, KindNumber, 30, -7), 0);
    const PageObject &number = doc.objects[0];
    QCOMPARE(number.kind, KindNumber);
    QCOMPARE(number.x, 30);
    QCOMPARE(number.y, -7);
    QCOMPARE(number.start, 125);
    QCOMPARE(number.digits, 5);
    QCOMPARE(number.zeros, 2);
    QCOMPARE(number.stepPage, 1);
    QCOMPARE(number.stepLink, 1);
    QCOMPARE(number.fontSize, 14);
    QCOMPARE(linkOf(doc, 0), unlinked);
    QCOMPARE(number.selected, 0);
    QVERIFY(number.format == NumberFormat{});
    QCOMPARE(number.fontName, QStringLiteral("Arial"));
    QCOMPARE(number.name, QStringLiteral("num0"));

    QCOMPARE(createObject(doc, KindText, 1, 2), 1);
    QCOMPARE(doc.objects[1].name, QStringLiteral("txt1"));
    QCOMPARE(doc.objects[1].start, 0);
    QCOMPARE(doc.objects[1].fontSize, 14);

    QCOMPARE(createObject(doc, KindPicture, 1, 2), 2);
    QVERIFY(doc.objects[2].name.isEmpty());
    QCOMPARE(doc.objects[2].fontName, QStringLiteral("Arial"));
    QCOMPARE(doc.objects[2].kind, KindPicture);

    QCOMPARE(textsOf(doc), (QStringList{"00125", "Hello!", ""}));
    QCOMPARE(doc.count(), 3);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{0, 1, 2}));
}

void ObjectTableTest::fullTablePlacesNothing()
{
    Document doc = filled(2);
    const Document before = doc;
    QCOMPARE(createObject(doc, KindNumber, 5, 5), std::nullopt);
    QCOMPARE(documentDump(doc), documentDump(before));

    Document noRoom = emptyDocument(0);
    QCOMPARE(createObject(noRoom, KindText, 0, 0), std::nullopt);
    QCOMPARE(noRoom.count(), 0);
}

void ObjectTableTest::deleteMiddleKeepsStringsAndOrder()
{
    Document doc = filled(3);
    doc.objects[2].selected = 1;
    QCOMPARE(counts(deleteObject(doc, 1)), (QList<int>{0, 1}));

    QCOMPARE(doc.count(), 2);
    QCOMPARE(stringsOf(doc, 0), (QStringList{"font0", "text0", "num0"}));
    QCOMPARE(stringsOf(doc, 1), (QStringList{"font2", "text2", "num2"}));
    QCOMPARE(doc.objects[1].x, 20);
    QCOMPARE(doc.objects[1].kind, KindNumber);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{0, 1}));
    // The moved object's selection is found at its new place.
    QCOMPARE(selectedCount(doc), 1);
    QCOMPARE(firstSelected(doc), 1);
}

void ObjectTableTest::deleteFollowsReorderedDrawOrder()
{
    Document doc = filled(4);
    setDrawOrder(doc, {3, 1, 0, 2});
    deleteObject(doc, 1);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{2, 0, 1}));
    deleteObject(doc, 2);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{0, 1}));
    QCOMPARE(doc.objects[1].name, QStringLiteral("num2"));
}

void ObjectTableTest::deleteOutsideTheTableDoesNothing()
{
    Document doc = filled(2, 4);
    const Document before = doc;
    for (const int index : {-1, 2, 3, 1000, std::numeric_limits<int>::min()}) {
        QCOMPARE(counts(deleteObject(doc, index)), (QList<int>{0, 0}));
        QCOMPARE(documentDump(doc), documentDump(before));
    }
}

void ObjectTableTest::deletingLinkedMemberDissolvesItsLink()
{
    Document doc = filled(6);
    // Link 0: objects 0, 1, 3. Link 1: objects 4, 2, 5, with neighbours right behind the
    // deleted slot.
    QVERIFY(buildLink(doc, {0, 1, 3}));
    QVERIFY(buildLink(doc, {4, 2, 5}));
    QCOMPARE(doc.linkCount, 2);

    QCOMPARE(counts(deleteObject(doc, 1)), (QList<int>{1, 1}));
    QCOMPARE(doc.count(), 5);
    QCOMPARE(doc.linkCount, 1);
    QCOMPARE(linkOf(doc, 0), unlinked);
    QCOMPARE(linkOf(doc, 2), unlinked);
    // The other link keeps naming the same objects, now one slot lower.
    QCOMPARE(doc.objects[3].name, QStringLiteral("num4"));
    QCOMPARE(doc.objects[1].name, QStringLiteral("num2"));
    QCOMPARE(doc.objects[4].name, QStringLiteral("txt5"));
    QCOMPARE(linkOf(doc, 3), (Link{0, -1, 1}));
    QCOMPARE(linkOf(doc, 1), (Link{0, 3, 4}));
    QCOMPARE(linkOf(doc, 4), (Link{0, 1, -1}));
    QCOMPARE(doc.lastLinked, 4);

    // The remaining link still propagates along the moved indices.
    doc.objects[3].start = 10;
    propagateLinks(doc);
    QCOMPARE(doc.objects[1].start, 11);
    QCOMPARE(doc.objects[4].start, 12);

    // Members count with their head's repeat; the ones left print the same
    // numbers once unlinked.
    Document repeated = filled(5);
    QVERIFY(buildLink(repeated, {0, 2, 4}));
    repeated.objects[0].format.repeat = 3;
    const QString before = objectText(repeated, 2, 5);
    deleteObject(repeated, 0);
    QCOMPARE(objectText(repeated, 1, 5), before);
}

void ObjectTableTest::deleteSelectedReportsEachDissolvedLink()
{
    Document doc = filled(6);
    QVERIFY(buildLink(doc, {1, 2, 3}));
    QVERIFY(buildLink(doc, {0, 4}));
    selectObjects(doc, {1, 2, 3, 4});

    // Both links go, each reported once, however many of its members go with it.
    QCOMPARE(counts(deleteSelected(doc)), (QList<int>{2, 4}));
    QCOMPARE(doc.count(), 2);
    QCOMPARE(doc.objects[0].name, QStringLiteral("num0"));
    QCOMPARE(doc.objects[1].name, QStringLiteral("txt5"));
    QCOMPARE(linksOf(doc), QStringLiteral("- -"));
    QCOMPARE(doc.linkCount, 0);
    QCOMPARE(selectedCount(doc), 0);
    QCOMPARE(firstSelected(doc), 2);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{0, 1}));

    QCOMPARE(counts(deleteSelected(doc)), (QList<int>{0, 0}));
}

void ObjectTableTest::clearEmptiesTheDocument()
{
    Document doc = filled(3, 4);
    QVERIFY(startLink(doc, 0));
    doc.objects[1].selected = 1;
    doc.pageShown = 7;
    doc.pagesToPrint = 9;

    clearDocument(doc);
    QCOMPARE(documentDump(doc), documentDump(emptyDocument(4)));
    // The first number of the new document starts the names again.
    createObject(doc, KindNumber, 0, 0);
    QCOMPARE(doc.objects[0].name, QStringLiteral("num0"));
    // Nothing is left to append to.
    QVERIFY(!appendToLink(doc, 0));
}

void ObjectTableTest::hitTestFindsTopmost()
{
    Document doc = filled(3, 4);
    QList<Bounds32> boxes{{0, 0, 100, 50}, {50, 20, 150, 80}, {500, 500, 510, 510}};

    QCOMPARE(hitTest(doc, boxes, 60, 30), 1);
    QCOMPARE(hitTest(doc, boxes, 10, 10), 0);
    // Right and bottom edges lie outside, left and top inside.
    QCOMPARE(hitTest(doc, boxes, 100, 10), -1);
    QCOMPARE(hitTest(doc, boxes, 50, 20), 1);
    QCOMPARE(hitTest(doc, boxes, 149, 79), 1);
    QCOMPARE(hitTest(doc, boxes, 150, 30), -1);

    // After bringing object 0 to the front it wins the overlap.
    setDrawOrder(doc, {1, 2, 0});
    QCOMPARE(hitTest(doc, boxes, 60, 30), 0);
    QCOMPARE(hitTest(doc, boxes, 505, 505), 2);

    // A damaged entry is skipped.
    doc.drawOrder[2] = 77;
    QCOMPARE(hitTest(doc, boxes, 60, 30), 1);

    // An object without a box is never hit.
    boxes.removeLast();
    QCOMPARE(hitTest(doc, boxes, 505, 505), -1);
}

void ObjectTableTest::selectInRectAddsIntersectingObjects()
{
    Document doc = filled(4);
    const QList<Bounds32> boxes{{0, 0, 10, 10}, {20, 0, 30, 10}, {40, 0, 50, 10}, {60, 0, 70, 10}};
    doc.objects[3].selected = 1;
    Selection selection(doc);

    selectInRect(selection, boxes, Bounds32{5, 5, 20, 6});
    // Object 1 only touches the band's right edge: no common area.
    QCOMPARE(doc.objects[0].selected, 1);
    QVERIFY(doc.objects[1].selected != 1);
    QVERIFY(doc.objects[2].selected != 1);
    QCOMPARE(doc.objects[3].selected, 1);
    QCOMPARE(selectedCount(doc), 2);
    QCOMPARE(firstSelected(doc), 0);

    selectInRect(selection, boxes, Bounds32{45, 0, 45, 10});
    QVERIFY(doc.objects[2].selected != 1);
    selectInRect(selection, boxes, Bounds32{21, 9, 49, 10});
    QCOMPARE(selectedCount(doc), 4);

    // Objects beyond the boxes given are left alone.
    deselectAll(selection);
    selectInRect(selection, boxes.mid(0, 2), Bounds32{0, 0, 100, 10});
    QCOMPARE(selectedCount(doc), 2);
}

void ObjectTableTest::deselectAndMoveOnlyMarkedObjects()
{
    Document doc = filled(3);
    doc.objects[0].selected = 1;
    doc.objects[1].selected = 0;
    doc.objects[2].selected = 1;
    doc.objects[2].x = std::numeric_limits<std::int32_t>::max();

    moveSelected(doc, 3, -4);
    QCOMPARE(positionsOf(doc), QStringLiteral("3,-4 10,0 -2147483646,-4"));

    Selection selection(doc);
    deselectAll(selection);
    QCOMPARE(marksOf(doc), (QList<int>{-1, -1, -1}));
    QCOMPARE(selectedCount(doc), 0);
    QCOMPARE(firstSelected(doc), 3);
    moveSelected(doc, 5, 5);
    QCOMPARE(doc.objects[0].x, 3);

    // The marks alone decide: one set directly moves with the next step.
    doc.objects[0].selected = 1;
    moveSelected(doc, 5, 5);
    QCOMPARE(positionsOf(doc), QStringLiteral("8,1 10,0 -2147483646,-4"));
}

void ObjectTableTest::linkBuildingAndRefusals()
{
    Document doc = filled(4);

    QVERIFY(!appendToLink(doc, 1));
    QVERIFY(startLink(doc, 2));
    QCOMPARE(linkOf(doc, 2), (Link{0, -1, -1}));
    QCOMPARE(doc.linkCount, 1);
    QCOMPARE(doc.lastLinked, 2);
    QVERIFY(!startLink(doc, 2));
    QVERIFY(!startLink(doc, 4));

    QVERIFY(appendToLink(doc, 1));
    QCOMPARE(linkOf(doc, 1), (Link{0, 2, -1}));
    QCOMPARE(linkOf(doc, 2), (Link{0, -1, 1}));
    QCOMPARE(doc.lastLinked, 1);
    // The text object behind the number now carries the next value.
    QCOMPARE(doc.objects[1].start, 126);
    QCOMPARE(doc.objects[1].digits, 5);
    QCOMPARE(doc.objects[1].text, QStringLiteral("00126"));

    const Document before = doc;
    QVERIFY(!appendToLink(doc, 2));
    QVERIFY(!appendToLink(doc, -1));
    QCOMPARE(documentDump(doc), documentDump(before));
}

void ObjectTableTest::appendJoinsTheLinkOfLastLinked()
{
    Document doc = filled(4);
    QVERIFY(startLink(doc, 0));
    // A later link made elsewhere (as by Create Matrix) takes the top number.
    doc.objects[3].linkId = doc.linkCount++;

    QVERIFY(appendToLink(doc, 1));
    QCOMPARE(doc.objects[1].linkId, 0);
    QCOMPARE(doc.objects[0].linkNext, 1);
    QCOMPARE(doc.objects[3].linkNext, -1);

    // A remembered object that no longer ends its chain is not cut off from it.
    doc.objects[1].linkNext = 0;
    QVERIFY(!appendToLink(doc, 2));
    QCOMPARE(doc.objects[2].linkId, -1);
    QCOMPARE(doc.objects[1].linkNext, 0);
}

void ObjectTableTest::lastLinkedForgetsRemovedObjects()
{
    Document doc = filled(5);

    QVERIFY(startLink(doc, 3));
    deleteObject(doc, 0);
    QCOMPARE(doc.lastLinked, 2);
    QVERIFY(appendToLink(doc, 3));
    QCOMPARE(doc.objects[2].linkNext, 3);

    deleteObject(doc, 3);
    QCOMPARE(doc.lastLinked, -1);
    QVERIFY(!appendToLink(doc, 0));

    QVERIFY(startLink(doc, 1));
    destroyLink(doc, doc.objects[1].linkId);
    QCOMPARE(doc.lastLinked, -1);
    QVERIFY(!appendToLink(doc, 0));

    // Destroying another link leaves lastLinked in place.
    QVERIFY(startLink(doc, 0));
    QVERIFY(startLink(doc, 1));
    destroyLink(doc, doc.objects[0].linkId);
    QCOMPARE(doc.lastLinked, 1);
    QVERIFY(appendToLink(doc, 2));
    QCOMPARE(doc.objects[2].linkId, doc.objects[1].linkId);
}

void ObjectTableTest::destroyLinkRenumbersHigherLinks()
{
    Document doc = filled(6);
    for (const int head : {0, 2, 4})
        QVERIFY(buildLink(doc, {head, head + 1}));
    doc.objects[2].start = 50;
    propagateLinks(doc);
    QCOMPARE(doc.objects[3].start, 51);

    destroyLink(doc, 1);
    QCOMPARE(doc.linkCount, 2);
    QCOMPARE(linksOf(doc), QStringLiteral("0,-1,1 0,0,-1 - - 1,-1,5 1,4,-1"));
    // Former members keep the values they received.
    QCOMPARE(doc.objects[3].start, 51);

    const Document before = doc;
    destroyLink(doc, -1);
    destroyLink(doc, doc.linkCount);
    destroyLink(doc, 99);
    QCOMPARE(documentDump(doc), documentDump(before));
}

QTEST_APPLESS_MAIN(ObjectTableTest)
#include "tst_objecttable.moc"
