#include "documentbuilder.h"
#include "numbering.h"
#include "objecttable.h"
#include "servicesrecorder.h"

#include <QTest>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>

namespace {

const QString deleteLinkedText =
    QStringLiteral("You delete linked object. Link will be destroyed.");
const QString deleteLinkedCaption = QStringLiteral("O-o-ops!");

bool isZeroRecord(const mainStruct2 &record)
{
    const mainStruct2 zero = zeroRecord();
    return std::memcmp(&record, &zero, sizeof record) == 0;
}

void setBounds(DocumentState &doc, int index, std::int32_t left, std::int32_t top,
               std::int32_t right, std::int32_t bottom)
{
    doc.objects[index].bounds = Bounds32{left, top, right, bottom};
}

// A table of `capacity` slots holding `count` objects, numbers and texts in turn, each with
// its own font and text so moves can be traced.
DocumentState filled(int count, int capacity)
{
    DocumentState doc(capacity);
    for (int i = 0; i < count; ++i) {
        const int index = createObject(doc, i % 2 == 0 ? KindNumber : KindText, 10 * i, 0);
        doc.fontNames[index] = QStringLiteral("font%1").arg(i);
        doc.texts[index] = QStringLiteral("text%1").arg(i);
    }
    return doc;
}

DocumentState filled(int count)
{
    return filled(count, count);
}

// Font name, text and name of one object.
QStringList stringsOf(const DocumentState &doc, int index)
{
    return {doc.fontNames[index], doc.texts[index], doc.names[index]};
}

// Links the objects, head first, the way the link tool does; false when a step is refused.
bool buildLink(DocumentState &doc, std::initializer_list<int> members)
{
    bool linked = startLink(doc, *members.begin());
    for (auto member = members.begin() + 1; linked && member != members.end(); ++member)
        linked = appendToLink(doc, *member);
    return linked;
}

} // namespace

class ObjectTableTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_recorder.emplace(); }
    void cleanup() { m_recorder.reset(); }

    void newObjectsGetTheirDefaults();
    void fullTablePlacesNothing();
    void deleteMiddleKeepsStringsAndOrder();
    void deleteFollowsReorderedDrawOrder();
    void deleteOutsideTheTableDoesNothing();
    void deletingLinkedMemberDissolvesItsLink();
    void deleteSelectedRemovesEachMarkedObject();
    void clearEmptiesEverySlot();
    void hitTestFindsTopmost();
    void selectInRectAddsIntersectingObjects();
    void deselectAndMoveOnlyMarkedObjects();
    void linkBuildingAndRefusals();
    void appendJoinsTheLinkOfLastLinked();
    void lastLinkedForgetsRemovedObjects();
    void destroyLinkRenumbersHigherLinks();

private:
    std::optional<ServicesRecorder> m_recorder;
};

void ObjectTableTest::newObjectsGetTheirDefaults()
{
    m_recorder->layoutStep = formatStartTexts;
    DocumentState doc(4);

    QCOMPARE(createObject(doc, KindNumber, 30, -7), 0);
    const mainStruct2 &number = doc.objects[0];
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
    QCOMPARE(number.format, 0);
    QCOMPARE(doc.fontNames[0], QStringLiteral("Arial"));
    QCOMPARE(doc.names[0], QStringLiteral("num0"));
    QCOMPARE(doc.texts[0], QStringLiteral("00125"));
    QCOMPARE(m_recorder->layouts, 1);

    QCOMPARE(createObject(doc, KindText, 1, 2), 1);
    QCOMPARE(doc.names[1], QStringLiteral("txt1"));
    QCOMPARE(doc.texts[1], QStringLiteral("Hello!"));
    QCOMPARE(doc.objects[1].start, 0);
    QCOMPARE(doc.objects[1].fontSize, 14);

    QCOMPARE(createObject(doc, KindPicture, 1, 2), 2);
    QVERIFY(doc.names[2].isEmpty());
    QVERIFY(doc.texts[2].isEmpty());
    QCOMPARE(doc.fontNames[2], QStringLiteral("Arial"));
    QCOMPARE(doc.objects[2].kind, KindPicture);

    QCOMPARE(doc.objectCount, 3);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{0, 1, 2}));
    QCOMPARE(m_recorder->layouts, 3);
}

void ObjectTableTest::fullTablePlacesNothing()
{
    DocumentState doc = filled(2);
    const QString lastName = doc.names[1];
    QCOMPARE(createObject(doc, KindNumber, 5, 5), -1);
    QCOMPARE(doc.objectCount, 2);
    QCOMPARE(doc.names[1], lastName);
    QCOMPARE(m_recorder->layouts, 2);
    QCOMPARE(m_recorder->beeps, 0);
    QVERIFY(m_recorder->messages.isEmpty());

    DocumentState noRoom(0);
    QCOMPARE(createObject(noRoom, KindText, 0, 0), -1);
    QCOMPARE(noRoom.objectCount, 0);
}

void ObjectTableTest::deleteMiddleKeepsStringsAndOrder()
{
    DocumentState doc = filled(3);
    doc.objects[2].selected = 1;
    deleteObject(doc, 1);

    QCOMPARE(doc.objectCount, 2);
    QCOMPARE(stringsOf(doc, 0), (QStringList{"font0", "text0", "num0"}));
    QCOMPARE(stringsOf(doc, 1), (QStringList{"font2", "text2", "num2"}));
    QCOMPARE(doc.objects[1].x, 20);
    QCOMPARE(doc.objects[1].kind, KindNumber);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{0, 1}));
    QCOMPARE(doc.drawOrder[2], 0);
    QVERIFY(isZeroRecord(doc.objects[2]));
    QVERIFY(m_recorder->messages.isEmpty());
    // The moved object's selection is counted at its new place.
    QCOMPARE(doc.selectedCount, 1);
    QCOMPARE(doc.currentObject, 1);
}

void ObjectTableTest::deleteFollowsReorderedDrawOrder()
{
    DocumentState doc = filled(4);
    setDrawOrder(doc, {3, 1, 0, 2});
    deleteObject(doc, 1);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{2, 0, 1}));
    deleteObject(doc, 2);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{0, 1}));
    QCOMPARE(doc.names[1], QStringLiteral("num2"));
}

void ObjectTableTest::deleteOutsideTheTableDoesNothing()
{
    DocumentState doc = filled(2, 4);
    for (const int index : {-1, 2, 3, 1000, std::numeric_limits<int>::min()}) {
        deleteObject(doc, index);
        QCOMPARE(doc.objectCount, 2);
    }
    QCOMPARE(doc.names[1], QStringLiteral("txt1"));
}

void ObjectTableTest::deletingLinkedMemberDissolvesItsLink()
{
    DocumentState doc = filled(6);
    // Link 0: objects 0, 1, 3. Link 1: objects 4, 2, 5, with neighbours right behind the
    // deleted slot.
    QVERIFY(buildLink(doc, {0, 1, 3}));
    QVERIFY(buildLink(doc, {4, 2, 5}));
    QCOMPARE(doc.linkCount, 2);

    deleteObject(doc, 1);
    QCOMPARE(m_recorder->messages.size(), 1);
    QCOMPARE(m_recorder->messages[0],
             ServicesRecorder::Message(deleteLinkedText, deleteLinkedCaption));
    QCOMPARE(doc.objectCount, 5);
    QCOMPARE(doc.linkCount, 1);
    QCOMPARE(linkOf(doc, 0), unlinked);
    QCOMPARE(linkOf(doc, 2), unlinked);
    // The other link keeps naming the same objects, now one slot lower.
    QCOMPARE(doc.names[3], QStringLiteral("num4"));
    QCOMPARE(doc.names[1], QStringLiteral("num2"));
    QCOMPARE(doc.names[4], QStringLiteral("txt5"));
    QCOMPARE(linkOf(doc, 3), (Link{0, -1, 1}));
    QCOMPARE(linkOf(doc, 1), (Link{0, 3, 4}));
    QCOMPARE(linkOf(doc, 4), (Link{0, 1, -1}));
    QCOMPARE(doc.lastLinked, 4);

    // The remaining link still propagates along the moved indices.
    doc.objects[3].start = 10;
    propagateLinks(doc);
    QCOMPARE(doc.objects[1].start, 11);
    QCOMPARE(doc.objects[4].start, 12);
}

void ObjectTableTest::deleteSelectedRemovesEachMarkedObject()
{
    DocumentState doc = filled(5);
    QVERIFY(buildLink(doc, {1, 2, 3}));
    for (const int index : {1, 2, 3, 4})
        doc.objects[index].selected = 1;
    doc.objects[0].selected = 0;
    refreshSelection(doc);
    QCOMPARE(doc.selectedCount, 4);

    deleteSelected(doc);
    QCOMPARE(m_recorder->messages.size(), 1);
    QCOMPARE(doc.objectCount, 1);
    QCOMPARE(doc.names[0], QStringLiteral("num0"));
    QCOMPARE(doc.linkCount, 0);
    QCOMPARE(doc.selectedCount, 0);
    QCOMPARE(doc.currentObject, 1);
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{0}));
    for (int slot = 1; slot < 5; ++slot)
        QVERIFY(isZeroRecord(doc.objects[slot]));
}

void ObjectTableTest::clearEmptiesEverySlot()
{
    DocumentState doc = filled(3, 4);
    QVERIFY(startLink(doc, 0));
    doc.objects[1].selected = 1;
    refreshSelection(doc);
    doc.pageShown = 7;
    doc.pagesToPrint = 9;
    hitTest(doc, 0, 0);

    clearDocument(doc);
    QCOMPARE(doc.objectCount, 0);
    QCOMPARE(doc.linkCount, 0);
    QCOMPARE(doc.lastLinked, -1);
    QCOMPARE(doc.lastHit, -1);
    QCOMPARE(doc.pageShown, 1);
    QCOMPARE(doc.pagesToPrint, 1);
    QCOMPARE(doc.selectedCount, 0);
    for (int slot = 0; slot < doc.objectCapacity; ++slot) {
        QVERIFY(isZeroRecord(doc.objects[slot]));
        QCOMPARE(stringsOf(doc, slot), (QStringList{" ", " ", " "}));
        QCOMPARE(doc.drawOrder[slot], 0);
    }
    // The first number of the new document starts the names again.
    createObject(doc, KindNumber, 0, 0);
    QCOMPARE(doc.names[0], QStringLiteral("num0"));
    // Nothing is left to append to.
    QVERIFY(!appendToLink(doc, 0));
}

void ObjectTableTest::hitTestFindsTopmost()
{
    DocumentState doc = filled(3, 4);
    setBounds(doc, 0, 0, 0, 100, 50);
    setBounds(doc, 1, 50, 20, 150, 80);
    setBounds(doc, 2, 500, 500, 510, 510);

    QCOMPARE(hitTest(doc, 60, 30), 1);
    QCOMPARE(doc.lastHit, 1);
    QCOMPARE(hitTest(doc, 10, 10), 0);
    // Right and bottom edges lie outside, left and top inside.
    QCOMPARE(hitTest(doc, 100, 10), -1);
    QCOMPARE(hitTest(doc, 50, 20), 1);
    QCOMPARE(hitTest(doc, 149, 79), 1);
    QCOMPARE(hitTest(doc, 150, 30), -1);
    QCOMPARE(doc.lastHit, -1);

    // After bringing object 0 to the front it wins the overlap.
    setDrawOrder(doc, {1, 2, 0});
    QCOMPARE(hitTest(doc, 60, 30), 0);
    QCOMPARE(hitTest(doc, 505, 505), 2);

    // A damaged entry is skipped.
    doc.drawOrder[2] = 77;
    QCOMPARE(hitTest(doc, 60, 30), 1);
}

void ObjectTableTest::selectInRectAddsIntersectingObjects()
{
    DocumentState doc = filled(4);
    setBounds(doc, 0, 0, 0, 10, 10);
    setBounds(doc, 1, 20, 0, 30, 10);
    setBounds(doc, 2, 40, 0, 50, 10);
    setBounds(doc, 3, 60, 0, 70, 10);
    doc.objects[3].selected = 1;

    selectInRect(doc, Bounds32{5, 5, 20, 6});
    // Object 1 only touches the band's right edge: no common area.
    QCOMPARE(doc.objects[0].selected, 1);
    QVERIFY(doc.objects[1].selected != 1);
    QVERIFY(doc.objects[2].selected != 1);
    QCOMPARE(doc.objects[3].selected, 1);
    QCOMPARE(doc.selectedCount, 2);
    QCOMPARE(doc.currentObject, 0);

    selectInRect(doc, Bounds32{45, 0, 45, 10});
    QVERIFY(doc.objects[2].selected != 1);
    selectInRect(doc, Bounds32{21, 9, 49, 10});
    QCOMPARE(doc.selectedCount, 4);
}

void ObjectTableTest::deselectAndMoveOnlyMarkedObjects()
{
    DocumentState doc = filled(3);
    doc.objects[0].selected = 1;
    doc.objects[1].selected = 0;
    doc.objects[2].selected = 1;
    refreshSelection(doc);
    doc.objects[2].x = std::numeric_limits<std::int32_t>::max();

    moveSelected(doc, 3, -4);
    QCOMPARE(doc.objects[0].x, 3);
    QCOMPARE(doc.objects[0].y, -4);
    QCOMPARE(doc.objects[1].x, 10);
    QCOMPARE(doc.objects[1].y, 0);
    QCOMPARE(doc.objects[2].x, std::numeric_limits<std::int32_t>::min() + 2);

    deselectAll(doc);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(doc.objects[i].selected, -1);
    QCOMPARE(doc.selectedCount, 0);
    QCOMPARE(doc.currentObject, 3);
    moveSelected(doc, 5, 5);
    QCOMPARE(doc.objects[0].x, 3);

    // The cached count decides: marks set without a refresh do not move anything.
    doc.objects[0].selected = 1;
    moveSelected(doc, 5, 5);
    QCOMPARE(doc.objects[0].x, 3);
}

void ObjectTableTest::linkBuildingAndRefusals()
{
    DocumentState doc = filled(4);
    const int layoutsBefore = m_recorder->layouts;

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
    QCOMPARE(m_recorder->layouts, layoutsBefore + 1);
    // The text object behind the number now carries the next value.
    QCOMPARE(doc.objects[1].start, 126);
    QCOMPARE(doc.objects[1].digits, 5);
    QCOMPARE(doc.texts[1], QStringLiteral("00126"));

    QVERIFY(!appendToLink(doc, 2));
    QVERIFY(!appendToLink(doc, -1));
    QCOMPARE(doc.objects[2].linkNext, 1);
    QCOMPARE(m_recorder->beeps, 0);
}

void ObjectTableTest::appendJoinsTheLinkOfLastLinked()
{
    DocumentState doc = filled(4);
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
    DocumentState doc = filled(5);

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
    DocumentState doc = filled(6);
    for (const int head : {0, 2, 4})
        QVERIFY(buildLink(doc, {head, head + 1}));
    doc.objects[2].start = 50;
    propagateLinks(doc);
    QCOMPARE(doc.objects[3].start, 51);

    destroyLink(doc, 1);
    QCOMPARE(doc.linkCount, 2);
    QCOMPARE(linkOf(doc, 0), (Link{0, -1, 1}));
    QCOMPARE(linkOf(doc, 1), (Link{0, 0, -1}));
    QCOMPARE(linkOf(doc, 2), unlinked);
    QCOMPARE(linkOf(doc, 3), unlinked);
    QCOMPARE(linkOf(doc, 4), (Link{1, -1, 5}));
    QCOMPARE(linkOf(doc, 5), (Link{1, 4, -1}));
    // Former members keep the values they received.
    QCOMPARE(doc.objects[3].start, 51);

    destroyLink(doc, -1);
    destroyLink(doc, doc.linkCount);
    destroyLink(doc, 99);
    QCOMPARE(doc.linkCount, 2);
    QCOMPARE(doc.objects[0].linkId, 0);
    QCOMPARE(doc.objects[4].linkId, 1);
}

QTEST_APPLESS_MAIN(ObjectTableTest)
#include "tst_objecttable.moc"
