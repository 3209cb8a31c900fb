#include "documentbuilder.h"
#include "matrix.h"
#include "objecttable.h"
#include "servicesrecorder.h"

#include <QTest>

#include <cstdint>
#include <cstring>

namespace {
MatrixParameters grid(std::int32_t rows, std::int32_t columns, std::int32_t type,
                      std::int32_t pages = 1, std::int32_t dy = 5)
{
    return MatrixParameters{rows, columns, 9, dy, type, pages};
}

// A table of `capacity` slots; the selected source is object `source` of `count`
// numbers from 1, 2, 3, ... placed at (0, 0) with stepPage 2.
DocumentState documentOf(int capacity, int count = 1, int source = 0)
{
    DocumentState doc(capacity);
    for (int i = 0; i < count; ++i)
        addNumber(doc, 0, 0, i + 1, 3, 2);
    selectObjects(doc, {source});
    refreshSelection(doc);
    return doc;
}
} // namespace

Q_DECLARE_METATYPE(MatrixParameters)

class MatrixTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void visitCopiesAndLinks_data()
    {
        QTest::addColumn<MatrixParameters>("parameters");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("stepLink");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<int>("linkCount");
        QTest::addColumn<int>("beeps");
        QTest::newRow("2 x 2, no link")
            << grid(2, 2, -1) << 20 << 1 << "0,0:1+1 9,0:1+1 0,5:1+1 9,5:1+1" << 0 << 0;
        QTest::newRow("type 1, upward")
            << grid(2, 2, 1, 1, -5) << 20 << 1 << "0,0:1+1 9,0:2+1 0,-5:3+1 9,-5:4+1" << 1 << 0;
        QTest::newRow("type 2") << grid(3, 2, 2) << 20 << 1
                                << "0,0:1+0 9,0:1+1 0,5:2+0 9,5:2+1 0,10:3+0 9,10:3+1" << 1 << 0;
        QTest::newRow("type 3") << grid(2, 3, 3) << 20 << 5
                                << "0,0:1+5 0,5:6+5 9,0:11+5 9,5:16+5 18,0:21+5 18,5:26+5" << 1
                                << 0;
        QTest::newRow("type 4") << grid(2, 3, 4) << 20 << 1
                                << "0,0:1+0 0,5:1+1 9,0:2+0 9,5:2+1 18,0:3+0 18,5:3+1" << 1 << 0;
        QTest::newRow("type 5, three pages of step 2")
            << grid(2, 2, 5, 3) << 20 << 1 << "0,0:1+6 9,0:7+6 0,5:13+6 9,5:19+6" << 1 << 0;
        QTest::newRow("type 5, stack step wraps")
            << grid(1, 2, 5, 1 << 30) << 20 << 1 << "0,0:1+-2147483648 9,0:-2147483647+-2147483648"
            << 1 << 0;
        QTest::newRow("1 x 1 links the source alone")
            << grid(1, 1, 1) << 20 << 1 << "0,0:1+1" << 1 << 0;
        QTest::newRow("negative rows and columns")
            << grid(-2, -3, 1) << 20 << 1 << "0,0:1+1" << 0 << 0;
        QTest::newRow("table filled exactly")
            << grid(2, 2, 1) << 4 << 1 << "0,0:1+1 9,0:2+1 0,5:3+1 9,5:4+1" << 1 << 0;
        QTest::newRow("table full before the last cell")
            << grid(3, 3, 1) << 3 << 1 << "0,0:1+1 9,0:1+1 18,0:1+1" << 0 << 1;
        QTest::newRow("any size stops at a full table")
            << grid(2147483647, 2147483647, 3) << 3 << 1 << "0,0:1+1 0,5:1+1 0,10:1+1" << 0 << 1;
        QTest::newRow("row distance wraps")
            << grid(3, 1, -1, 1, 1 << 30) << 20 << 1 << "0,0:1+1 0,1073741824:1+1 0,-2147483648:1+1"
            << 0 << 0;
    }

    void visitCopiesAndLinks()
    {
        QFETCH(MatrixParameters, parameters);
        QFETCH(int, capacity);
        QFETCH(int, stepLink);
        QFETCH(QString, cells);
        QFETCH(int, linkCount);
        QFETCH(int, beeps);
        const ServicesRecorder recorder;
        DocumentState doc = documentOf(capacity);
        doc.objects[0].stepLink = stepLink;

        createMatrix(doc, parameters);

        QCOMPARE(cellsOf(doc), cells);
        QCOMPARE(doc.linkCount, linkCount);
        QCOMPARE(recorder.beeps, beeps);
        QCOMPARE(recorder.layouts, 1); // the copies get their boxes, also from a full table
    }

    void sourceAlreadyLinked_data()
    {
        QTest::addColumn<MatrixParameters>("parameters");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("links");
        const QString kept = QStringLiteral("0,-1,1 0,0,2 0,1,-1 1,-1,4 1,3,-1");
        QTest::newRow("leaves its link for the new one")
            << grid(1, 2, 1) << 9 << "- 1,-1,5 - 0,-1,4 0,3,-1 1,1,-1";
        QTest::newRow("keeps it without a link") << grid(1, 2, -1) << 9 << kept + " -";
        QTest::newRow("keeps it with no columns") << grid(1, 0, 1) << 9 << kept;
        QTest::newRow("keeps it when the table fills") << grid(1, 3, 1) << 6 << kept + " -";
    }

    void sourceAlreadyLinked()
    {
        QFETCH(MatrixParameters, parameters);
        QFETCH(int, capacity);
        QFETCH(QString, links);
        const ServicesRecorder recorder;
        DocumentState doc = documentOf(capacity, 5, 1);
        linkObjects(doc, 0, {0, 1, 2});
        linkObjects(doc, 1, {3, 4});

        createMatrix(doc, parameters);

        QCOMPARE(linksOf(doc), links);
        QCOMPARE(doc.linkCount, 2);
    }

    void copyTakesTheListedFields()
    {
        const ServicesRecorder recorder;
        DocumentState doc = documentOf(3, 2, 1);
        setDrawOrder(doc, {1, 0});
        // Every byte of the source's record set, so a field copied or left out shows.
        mainStruct2 &from = doc.objects[1];
        std::memset(static_cast<void *>(&from), 0x35, sizeof from);
        from.kind = KindText;
        from.linkId = -1;
        from.selected = 1;
        doc.texts[1] = QStringLiteral("Label");

        createMatrix(doc, grid(1, 2, -1));

        mainStruct2 expected = zeroRecord();
        for (auto field : {&mainStruct2::start, &mainStruct2::stepPage, &mainStruct2::stepLink,
                           &mainStruct2::color, &mainStruct2::kind, &mainStruct2::angle})
            expected.*field = from.*field;
        for (auto field :
             {&mainStruct2::digits, &mainStruct2::zeros, &mainStruct2::customColor,
              &mainStruct2::reserved38, &mainStruct2::fontSize, &mainStruct2::reserved76})
            expected.*field = from.*field;
        expected.x = from.x + 9;
        expected.y = from.y;
        expected.linkId = expected.linkPrev = expected.linkNext = expected.selected = -1;
        QVERIFY(std::memcmp(&doc.objects[2], &expected, sizeof expected) == 0);
        QCOMPARE((QStringList{doc.texts[2], doc.names[2]}), (QStringList{"Label", "txt2"}));
        QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{1, 0, 2}));
        QCOMPARE(doc.currentObject, 1);
    }
};

QTEST_APPLESS_MAIN(MatrixTest)
#include "tst_matrix.moc"
