#include "arrange.h"
#include "documentbuilder.h"
#include "objecttable.h"

#include <QTest>

#include <cstdint>
#include <limits>

namespace {

// One object of an align case.
struct Placed
{
    std::int32_t x;
    std::int32_t y;
    std::int16_t fontSize;
    std::int32_t width; // of its text, as measured
    bool selected;
};

constexpr std::int32_t intMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t intMin = std::numeric_limits<std::int32_t>::min();

} // namespace

Q_DECLARE_METATYPE(Placed)
Q_DECLARE_METATYPE(AlignRule)
Q_DECLARE_METATYPE(DrawOrderMove)

class ArrangeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void align_data();
    void align();
    void drawOrderMove_data();
    void drawOrderMove();
};

void ArrangeTest::align_data()
{
    QTest::addColumn<AlignRule>("rule");
    QTest::addColumn<QList<Placed>>("objects");
    QTest::addColumn<QString>("positions");
    QTest::addColumn<bool>("moved");

    using R = AlignRule;
    QTest::newRow("left: leftmost selected edge, unselected stays")
        << R::Left
        << QList<Placed>{{10, 0, 14, 40, false},
                         {50, 5, 14, 40, true},
                         {80, 6, 14, 10, true},
                         {120, 7, 14, 90, true}}
        << "10,0 50,5 50,6 50,7" << true;
    QTest::newRow("left: all far right of the window")
        << R::Left << QList<Placed>{{6000, 0, 14, 40, true}, {5000, 0, 14, 40, true}}
        << "5000,0 5000,0" << true;
    QTest::newRow("right: rightmost right edge")
        << R::Right << QList<Placed>{{100, 0, 14, 40, true}, {10, 0, 14, 60, true}} << "100,0 80,0"
        << true;
    QTest::newRow("right: all left of the page")
        << R::Right << QList<Placed>{{-300, 0, 14, 40, true}, {-200, 0, 14, 60, true}}
        << "-180,0 -200,0" << true;
    QTest::newRow("right: a right edge wraps round")
        << R::Right << QList<Placed>{{intMax - 47, 0, 14, 100, true}, {0, 0, 14, 10, true}}
        << "-90,0 0,0" << true;
    QTest::newRow("hCenter: unselected object 0 does not pull")
        << R::HCenter
        << QList<Placed>{{450, 0, 14, 100, false}, {80, 0, 14, 41, true}, {190, 0, 14, 21, true}}
        << "450,0 180,0 190,0" << true;
    QTest::newRow("bottom: topmost top edge, unselected stays")
        << R::Bottom
        << QList<Placed>{{0, 5, 14, 0, false}, {1, 30, 14, 0, true}, {2, 70, 14, 0, true}}
        << "0,5 1,30 2,30" << true;
    QTest::newRow("top: largest y minus size")
        << R::Top << QList<Placed>{{0, 100, 10, 0, true}, {0, 100, 30, 0, true}} << "0,100 0,120"
        << true;
    QTest::newRow("top: wraps at the bottom of the range")
        << R::Top << QList<Placed>{{0, intMin + 5, 10, 0, true}, {0, 0, 10, 0, true}}
        << QStringLiteral("0,%1 0,%1").arg(intMin + 5) << true;
    QTest::newRow("vCenter: unselected object 0 does not pull")
        << R::VCenter
        << QList<Placed>{{0, 900, 14, 0, false}, {0, 100, 15, 0, true}, {0, 50, 20, 0, true}}
        << "0,900 0,100 0,103" << true;
    QTest::newRow("vCenter: a negative size halves toward zero")
        << R::VCenter << QList<Placed>{{0, 10, -15, 0, true}, {0, 0, 14, 0, true}} << "0,10 0,24"
        << true;
    QTest::newRow("one selected: nothing moves")
        << R::Right << QList<Placed>{{10, 0, 14, 40, true}, {90, 0, 14, 40, false}} << "10,0 90,0"
        << false;
    QTest::newRow("none selected")
        << R::Bottom << QList<Placed>{{10, 0, 14, 40, false}, {90, 9, 14, 40, false}} << "10,0 90,9"
        << false;
    QTest::newRow("already aligned")
        << R::Left << QList<Placed>{{10, 0, 14, 40, true}, {10, 9, 14, 90, true}} << "10,0 10,9"
        << false;
}

void ArrangeTest::align()
{
    QFETCH(AlignRule, rule);
    QFETCH(QList<Placed>, objects);
    QFETCH(QString, positions);
    QFETCH(bool, moved);

    DocumentState doc(objects.size());
    for (const Placed &placed : objects) {
        const int index =
            addObject(doc, KindText, placed.x, placed.y, QString(), 0, placed.fontSize);
        doc.objects[index].selected = placed.selected ? 1 : -1;
    }
    refreshSelection(doc);
    const auto widthOf = [&objects](int index) {
        return objects[index].width;
    };

    QCOMPARE(alignSelected(doc, rule, widthOf), moved);
    QCOMPARE(positionsOf(doc), positions);
}

void ArrangeTest::drawOrderMove_data()
{
    QTest::addColumn<QList<std::int32_t>>("order");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<DrawOrderMove>("move");
    QTest::addColumn<QList<std::int32_t>>("result");

    using M = DrawOrderMove;
    using Order = QList<std::int32_t>;
    QTest::newRow("bring forward")
        << Order{0, 1, 2} << QList<int>{0} << M::BringForward << Order{1, 0, 2};
    QTest::newRow("bring forward on top, table not full")
        << Order{1, 2, 0} << QList<int>{0} << M::BringForward << Order{1, 2, 0};
    QTest::newRow("bring to front")
        << Order{1, 0, 2} << QList<int>{0} << M::BringToFront << Order{1, 2, 0};
    QTest::newRow("bring to front keeps the others' order")
        << Order{1, 0, 2, 3} << QList<int>{1} << M::BringToFront << Order{0, 2, 3, 1};
    QTest::newRow("bring to front on top")
        << Order{0, 1, 2} << QList<int>{2} << M::BringToFront << Order{0, 1, 2};
    QTest::newRow("send to back") << Order{1, 2, 0} << QList<int>{0} << M::SendToBack
                                  << Order{0, 1, 2};
    QTest::newRow("send to back keeps the others' order")
        << Order{0, 1, 2, 3} << QList<int>{2} << M::SendToBack << Order{2, 0, 1, 3};
    QTest::newRow("send backward")
        << Order{2, 0, 1} << QList<int>{1} << M::SendBackward << Order{2, 1, 0};
    QTest::newRow("send backward at the bottom")
        << Order{0, 1, 2} << QList<int>{0} << M::SendBackward << Order{0, 1, 2};
    // A damaged order naming one object twice shows which way each move searches.
    QTest::newRow("send backward takes the topmost entry")
        << Order{1, 0, 1} << QList<int>{1} << M::SendBackward << Order{1, 1, 0};
    QTest::newRow("bring forward takes the lowest entry")
        << Order{1, 0, 1} << QList<int>{1} << M::BringForward << Order{0, 1, 1};
    QTest::newRow("object missing from the order")
        << Order{0, 0, 1} << QList<int>{2} << M::BringToFront << Order{0, 0, 1};
    QTest::newRow("two selected") << Order{0, 1, 2} << QList<int>{0, 1} << M::BringForward
                                  << Order{0, 1, 2};
    QTest::newRow("none selected")
        << Order{2, 1, 0} << QList<int>{} << M::SendToBack << Order{2, 1, 0};
}

void ArrangeTest::drawOrderMove()
{
    QFETCH(QList<std::int32_t>, order);
    QFETCH(QList<int>, selected);
    QFETCH(DrawOrderMove, move);
    QFETCH(QList<std::int32_t>, result);

    // Two free slots above the live objects.
    DocumentState doc(order.size() + 2);
    for (qsizetype i = 0; i < order.size(); ++i)
        addObject(doc, KindNumber, 0, 0, QString());
    setDrawOrder(doc, order);
    for (const int index : selected)
        doc.objects[index].selected = 1;
    refreshSelection(doc);

    QCOMPARE(moveInDrawOrder(doc, move), result != order);
    QCOMPARE(drawOrderOf(doc), result);
    QCOMPARE(doc.drawOrder[doc.objectCount], 0);
}

QTEST_APPLESS_MAIN(ArrangeTest)
#include "tst_arrange.moc"
