#include "listdiff.h"

#include <QTest>

using Ints = QList<int>;

// A change is kept as the entries that differ, and taking it back or making
// it again gives each version exactly.
class TestListDiff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void undoAndRedoGiveEachVersion_data()
    {
        QTest::addColumn<Ints>("before");
        QTest::addColumn<Ints>("after");
        QTest::addColumn<int>("held");
        QTest::newRow("nothing") << Ints{1, 2, 3} << Ints{1, 2, 3} << 0;
        QTest::newRow("two in place") << Ints{1, 2, 3, 4} << Ints{9, 2, 3, 8} << 4;
        QTest::newRow("appended") << Ints{1, 2} << Ints{1, 2, 3, 4} << 2;
        QTest::newRow("removed in the middle") << Ints{1, 2, 3, 4, 5} << Ints{1, 2, 4, 5} << 1;
        QTest::newRow("changed early and appended")
            << Ints{0, 1, 2, 3, 4, 5, 6, 7} << Ints{9, 1, 2, 3, 4, 5, 6, 7, 8} << 3;
        QTest::newRow("removed with neighbours renumbered")
            << Ints{10, 11, 12, 13} << Ints{10, 12, 12} << 3;
        QTest::newRow("emptied") << Ints{1, 2} << Ints{} << 2;
        QTest::newRow("from empty") << Ints{} << Ints{5} << 1;
    }

    void undoAndRedoGiveEachVersion()
    {
        QFETCH(Ints, before);
        QFETCH(Ints, after);
        QFETCH(int, held);
        const ListDiff<int> diff = ListDiff<int>::between(before, after);
        QCOMPARE(diff.isEmpty(), before == after);
        QCOMPARE(diff.heldEntries(), held);
        Ints list = after;
        diff.undo(list);
        QCOMPARE(list, before);
        diff.redo(list);
        QCOMPARE(list, after);
    }

    void followingChangesFold()
    {
        const Ints start{1, 2, 3};
        ListDiff<int> first = ListDiff<int>::between(start, Ints{1, 5, 3});
        QVERIFY(first.absorb(ListDiff<int>::between(Ints{1, 5, 3}, Ints{1, 6, 4})));
        Ints list{1, 6, 4};
        first.undo(list);
        QCOMPARE(list, start);
        // Back where it began: nothing left to undo.
        QVERIFY(first.absorb(ListDiff<int>::between(Ints{1, 6, 4}, start)));
        QVERIFY(first.isEmpty());
        // A change of length does not fold.
        QVERIFY(!first.absorb(ListDiff<int>::between(start, Ints{1, 2})));
    }
};

QTEST_GUILESS_MAIN(TestListDiff)
#include "tst_listdiff.moc"
