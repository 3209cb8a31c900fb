#include "arrange.h"
#include "documentbuilder.h"

#include <QTest>

#include <cstdint>

using Order = QList<std::int32_t>;
// Per object: x, y, font size, measured text width, selected (1) or not (0).
using Objects = QList<QList<int>>;
Q_DECLARE_METATYPE(AlignRule)
Q_DECLARE_METATYPE(DrawOrderMove)

class ArrangeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void align_data()
    {
        QTest::addColumn<AlignRule>("rule");
        QTest::addColumn<Objects>("objects");
        QTest::addColumn<QString>("positions");
        using R = AlignRule;
        QTest::newRow("left: leftmost, unselected 0 stays")
            << R::Left << Objects{{10, 0, 14, 4, 0}, {80, 5, 14, 9, 1}, {50, 6, 14, 90, 1}}
            << "10,0 50,5 50,6";
        QTest::newRow("right: all left of the window")
            << R::Right << Objects{{-300, 0, 14, 40, 1}, {-200, 0, 14, 60, 1}} << "-180,0 -200,0";
        QTest::newRow("right: an edge wraps round")
            << R::Right << Objects{{2147483600, 0, 14, 100, 1}, {0, 0, 14, 10, 1}} << "-90,0 0,0";
        QTest::newRow("hCenter: unselected 0 does not pull")
            << R::HCenter << Objects{{450, 0, 14, 100, 0}, {80, 0, 14, 41, 1}, {190, 0, 14, 21, 1}}
            << "450,0 180,0 190,0";
        QTest::newRow("bottom: topmost top edge")
            << R::Bottom << Objects{{0, 70, 14, 0, 1}, {1, 30, 14, 0, 1}} << "0,30 1,30";
        QTest::newRow("top: largest y minus size")
            << R::Top << Objects{{0, 100, 10, 0, 1}, {0, 100, 30, 0, 1}} << "0,100 0,120";
        QTest::newRow("vCenter: unselected 0 aside, halving toward zero")
            << R::VCenter << Objects{{0, 900, 14, 0, 0}, {0, 10, -15, 0, 1}, {0, 0, 14, 0, 1}}
            << "0,900 0,10 0,24";
        QTest::newRow("one selected stays")
            << R::Right << Objects{{10, 0, 14, 40, 1}, {90, 0, 14, 99, 0}} << "10,0 90,0";
    }

    void align()
    {
        QFETCH(AlignRule, rule);
        QFETCH(Objects, objects);
        QFETCH(QString, positions);
        Document doc = emptyDocument(static_cast<std::int32_t>(objects.size()));
        for (const QList<int> &o : objects) {
            const int i = addObject(doc, KindText, o[0], o[1], QString(), 0, std::int16_t(o[2]));
            doc.objects[i].selected = o[4] == 1 ? 1 : -1;
        }
        const QString before = positionsOf(doc);
        const auto widthOf = [&objects](int index) {
            return objects[index][3];
        };

        QCOMPARE(alignSelected(doc, rule, widthOf), positions != before);
        QCOMPARE(positionsOf(doc), positions);
    }

    void drawOrderMove_data()
    {
        QTest::addColumn<Order>("order");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<DrawOrderMove>("move");
        QTest::addColumn<Order>("result");
        using M = DrawOrderMove;
        using S = QList<int>;
        QTest::newRow("forward") << Order{0, 1, 2} << S{0} << M::BringForward << Order{1, 0, 2};
        QTest::newRow("forward on top")
            << Order{1, 2, 0} << S{0} << M::BringForward << Order{1, 2, 0};
        QTest::newRow("to front") << Order{1, 0, 2, 3} << S{1} << M::BringToFront
                                  << Order{0, 2, 3, 1};
        QTest::newRow("to back") << Order{0, 1, 2, 3} << S{2} << M::SendToBack << Order{2, 0, 1, 3};
        QTest::newRow("backward") << Order{2, 0, 1} << S{1} << M::SendBackward << Order{2, 1, 0};
        QTest::newRow("backward at the bottom")
            << Order{0, 1, 2} << S{0} << M::SendBackward << Order{0, 1, 2};
        // An order naming an object twice shows which end each move searches from.
        QTest::newRow("backward takes the top entry")
            << Order{1, 0, 1} << S{1} << M::SendBackward << Order{1, 1, 0};
        QTest::newRow("forward takes the bottom entry")
            << Order{1, 0, 1} << S{1} << M::BringForward << Order{0, 1, 1};
        QTest::newRow("two selected")
            << Order{0, 1, 2} << S{0, 1} << M::BringForward << Order{0, 1, 2};
    }

    void drawOrderMove()
    {
        QFETCH(Order, order);
        QFETCH(QList<int>, selected);
        QFETCH(DrawOrderMove, move);
        QFETCH(Order, result);
        Document doc = emptyDocument(static_cast<std::int32_t>(order.size()));
        for (qsizetype i = 0; i < order.size(); ++i)
            addObject(doc, KindNumber, 0, 0, QString());
        setDrawOrder(doc, order);
        for (const int index : selected)
            doc.objects[index].selected = 1;

        QCOMPARE(moveInDrawOrder(doc, move), result != order);
        QCOMPARE(drawOrderOf(doc), result);
    }
};

QTEST_APPLESS_MAIN(ArrangeTest)
#include "tst_arrange.moc"
