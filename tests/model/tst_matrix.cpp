#include "documentbuilder.h"
#include "file/recordcodec.h"
#include "matrix.h"

#include <QTest>

#include <cstdint>

namespace {
MatrixParameters grid(std::int32_t rows, std::int32_t columns, std::int32_t type,
                      std::int32_t pages = 1, std::int32_t dy = 5)
{
    return MatrixParameters{rows, columns, 9, dy, type, pages};
}

// A table with room for `capacity` objects; the selected source is object `source` of
// `count` numbers from 1, 2, 3, ... placed at (0, 0) with stepPage 2.
Document documentOf(int capacity, int count = 1, int source = 0)
{
    Document doc = emptyDocument(capacity);
    for (int i = 0; i < count; ++i)
        addNumber(doc, 0, 0, i + 1, 3, 2);
    selectObjects(doc, {source});
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
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<int>("linkCount");
        QTest::addColumn<QString>("result");
        const QString made = QStringLiteral("made");
        QTest::newRow("2 x 2, no link")
            << grid(2, 2, -1) << 20 << 1 << 1 << "0,0:1+1 9,0:1+1 0,5:1+1 9,5:1+1" << 0 << made;
        QTest::newRow("type 1, upward") << grid(2, 2, 1, 1, -5) << 20 << 1 << 1
                                        << "0,0:1+1 9,0:2+1 0,-5:3+1 9,-5:4+1" << 1 << made;
        QTest::newRow("type 2") << grid(3, 2, 2) << 20 << 1 << 1
                                << "0,0:1+0 9,0:1+1 0,5:2+0 9,5:2+1 0,10:3+0 9,10:3+1" << 1 << made;
        QTest::newRow("type 3") << grid(2, 3, 3) << 20 << 5 << 1
                                << "0,0:1+5 0,5:6+5 9,0:11+5 9,5:16+5 18,0:21+5 18,5:26+5" << 1
                                << made;
        QTest::newRow("type 4") << grid(2, 3, 4) << 20 << 1 << 1
                                << "0,0:1+0 0,5:1+1 9,0:2+0 9,5:2+1 18,0:3+0 18,5:3+1" << 1 << made;
        QTest::newRow("type 5, three pages of step 2")
            << grid(2, 2, 5, 3) << 20 << 1 << 1 << "0,0:1+6 9,0:7+6 0,5:13+6 9,5:19+6" << 1 << made;
        // A stack holds what the run prints of one cell: ceil(500 / 3) values.
        QTest::newRow("type 5, repeat 3 over 500 pages")
            << grid(1, 3, 5, 500) << 20 << 1 << 3 << "0,0:1+334 9,0:335+334 18,0:669+334" << 1
            << made;
        QTest::newRow("type 5, stack step wraps")
            << grid(1, 2, 5, 1 << 30) << 20 << 1 << 1
            << "0,0:1+-2147483648 9,0:-2147483647+-2147483648" << 1 << made;
        QTest::newRow("1 x 1 links the source alone")
            << grid(1, 1, 1) << 20 << 1 << 1 << "0,0:1+1" << 1 << made;
        QTest::newRow("negative rows and columns")
            << grid(-2, -3, 1) << 20 << 1 << 1 << "0,0:1+1" << 0 << made;
        QTest::newRow("table filled exactly")
            << grid(2, 2, 1) << 4 << 1 << 1 << "0,0:1+1 9,0:2+1 0,5:3+1 9,5:4+1" << 1 << made;
        // Nothing is made when the table cannot take every cell.
        QTest::newRow("no room for the last cell")
            << grid(3, 3, 1) << 3 << 1 << 1 << "0,0:1+1" << 0 << "needs 8, room 2";
        QTest::newRow("any size asks for its room")
            << grid(2147483647, 2147483647, 3) << 3 << 1 << 1 << "0,0:1+1" << 0
            << "needs 4611686014132420608, room 2";
        QTest::newRow("row distance wraps")
            << grid(3, 1, -1, 1, 1 << 30) << 20 << 1 << 1
            << "0,0:1+1 0,1073741824:1+1 0,-2147483648:1+1" << 0 << made;
    }

    void visitCopiesAndLinks()
    {
        QFETCH(MatrixParameters, parameters);
        QFETCH(int, capacity);
        QFETCH(int, stepLink);
        QFETCH(int, repeat);
        QFETCH(QString, cells);
        QFETCH(int, linkCount);
        QFETCH(QString, result);
        Document doc = documentOf(capacity);
        doc.objects[0].stepLink = stepLink;
        doc.objects[0].format.repeat = repeat;

        const MatrixResult outcome = createMatrix(doc, parameters);

        QCOMPARE(outcome.made
                     ? QStringLiteral("made")
                     : QStringLiteral("needs %1, room %2").arg(outcome.needed).arg(outcome.room),
                 result);
        QCOMPARE(cellsOf(doc), cells);
        QCOMPARE(doc.linkCount, linkCount);
        // Every cell is drawn above what was there before, in the order it was made.
        QCOMPARE(drawOrderOf(doc).size(), doc.count());
        for (int k = 0; k < doc.count(); ++k)
            QCOMPARE(doc.drawOrder[k], k);
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
        QTest::newRow("keeps it when the table has no room") << grid(1, 3, 1) << 6 << kept;
    }

    void sourceAlreadyLinked()
    {
        QFETCH(MatrixParameters, parameters);
        QFETCH(int, capacity);
        QFETCH(QString, links);
        Document doc = documentOf(capacity, 5, 1);
        linkObjects(doc, 0, {0, 1, 2});
        linkObjects(doc, 1, {3, 4});

        createMatrix(doc, parameters);

        QCOMPARE(linksOf(doc), links);
        QCOMPARE(doc.linkCount, 2);
    }

    void copyTakesTheListedFields()
    {
        Document doc = documentOf(3, 2, 1);
        setDrawOrder(doc, {1, 0});
        // Every byte of the source's record set, so a field copied or left out shows.
        RecordBytes bytes;
        bytes.fill(0x35);
        PageObject from = decodeRecord(bytes);
        from.kind = KindText;
        from.linkId = -1;
        from.selected = 1;
        from.format.prefix = QStringLiteral("No. ");
        from.format.repeat = 3;
        doc.objects[1] = from;

        QVERIFY(createMatrix(doc, grid(1, 2, -1)).made);

        PageObject expected;
        expected.start = from.start;
        for (auto field : {&PageObject::stepPage, &PageObject::stepLink, &PageObject::color,
                           &PageObject::kind, &PageObject::angle})
            expected.*field = from.*field;
        for (auto field : {&PageObject::digits, &PageObject::zeros, &PageObject::customColor,
                           &PageObject::fontSize})
            expected.*field = from.*field;
        expected.fontName = from.fontName;
        expected.text = from.text;
        // The whole number format comes along.
        expected.format = from.format;
        expected.name = QStringLiteral("txt2");
        // Of the record's reserved bytes, only the words at 38 and 76 come along.
        expected.reserved = QByteArray(recordSize, '\0');
        for (const int offset : {38, 39, 76, 77})
            expected.reserved[offset] = 0x35;
        expected.x = from.x + 9;
        expected.y = from.y;
        expected.linkId = expected.linkPrev = expected.linkNext = expected.selected = -1;
        QCOMPARE(objectDump(doc.objects[2]), objectDump(expected));
        QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{1, 0, 2}));
        QCOMPARE(firstSelected(doc), 1);
    }
};

QTEST_APPLESS_MAIN(MatrixTest)
#include "tst_matrix.moc"
