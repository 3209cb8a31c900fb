#include "documentbuilder.h"
#include "matrix.h"
#include "numbering.h"
#include "objecttable.h"
#include "servicesrecorder.h"

#include <QTest>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <optional>

namespace {

constexpr std::int32_t intMax = std::numeric_limits<std::int32_t>::max();

MatrixParameters grid(std::int32_t rows, std::int32_t columns, std::int32_t dx, std::int32_t dy,
                      std::int32_t type, std::int32_t pages = 1)
{
    return MatrixParameters{rows, columns, dx, dy, type, pages};
}

// A table of `capacity` slots holding one selected number at (100, 50).
DocumentState withSource(int capacity, std::int32_t start = 1, std::int32_t stepLink = 1,
                         std::int32_t stepPage = 1)
{
    DocumentState doc(capacity);
    const int source = addNumber(doc, 100, 50, start, 3, stepPage);
    doc.objects[source].stepLink = stepLink;
    selectObjects(doc, {source});
    refreshSelection(doc);
    return doc;
}

// The numbers as they lie on the page, row by row ("a b / c d"); each cell
// shows its values on the first `pages` pages, at most three.
QString gridOf(const DocumentState &doc, std::int32_t pages)
{
    std::map<std::pair<std::int32_t, std::int32_t>, QString> cells;
    for (int i = 0; i < doc.objectCount; ++i) {
        QStringList values;
        for (std::int32_t page = 1; page <= std::min(pages, 3); ++page)
            values.append(QString::number(valueOnPage(doc.objects[i], page)));
        cells[{doc.objects[i].y, doc.objects[i].x}] = values.join(u',');
    }
    QString dump;
    std::optional<std::int32_t> row;
    for (const auto &[place, values] : cells) {
        if (row)
            dump += place.first == *row ? QStringLiteral(" ") : QStringLiteral(" / ");
        row = place.first;
        dump += values;
    }
    return dump;
}

QString stepLinksOf(const DocumentState &doc)
{
    QStringList steps;
    for (int i = 0; i < doc.objectCount; ++i)
        steps.append(QString::number(doc.objects[i].stepLink));
    return steps.join(u' ');
}

// The record as it lies in memory, reserved areas included.
QByteArray bytesOf(const mainStruct2 &record)
{
    return QByteArray(reinterpret_cast<const char *>(&record), sizeof record);
}

} // namespace

Q_DECLARE_METATYPE(MatrixParameters)

class MatrixTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_recorder.emplace(); }
    void cleanup() { m_recorder.reset(); }

    void cellsAndPlaces_data();
    void cellsAndPlaces();
    void numbering_data();
    void numbering();
    void sourceAlreadyLinked_data();
    void sourceAlreadyLinked();
    void copyTakesTheSourceFields_data();
    void copyTakesTheSourceFields();
    void needsOneSelectedObject();

private:
    std::optional<ServicesRecorder> m_recorder;
};

void MatrixTest::cellsAndPlaces_data()
{
    QTest::addColumn<MatrixParameters>("parameters");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QString>("positions");
    QTest::addColumn<int>("beeps");

    QTest::newRow("2 x 2 by 2, no link")
        << grid(2, 2, 2, 2, -1) << 20 << "100,50 102,50 100,52 102,52" << 0;
    QTest::newRow("negative distances go left and up")
        << grid(2, 2, -30, -20, 1) << 20 << "100,50 70,50 100,30 70,30" << 0;
    QTest::newRow("type 4 visits column by column")
        << grid(3, 2, 10, 5, 4) << 20 << "100,50 100,55 100,60 110,50 110,55 110,60" << 0;
    QTest::newRow("type 5 visits row by row")
        << grid(2, 2, 10, 5, 5, 3) << 20 << "100,50 110,50 100,55 110,55" << 0;
    QTest::newRow("1 x 1 makes no copy") << grid(1, 1, 2, 2, 1) << 20 << "100,50" << 0;
    QTest::newRow("no rows") << grid(0, 5, 2, 2, 1) << 20 << "100,50" << 0;
    QTest::newRow("negative rows and columns") << grid(-2, -3, 2, 2, -1) << 20 << "100,50" << 0;
    QTest::newRow("two free slots for 3 x 3")
        << grid(3, 3, 2, 2, 1) << 3 << "100,50 102,50 104,50" << 1;
    QTest::newRow("any size stops at a full table")
        << grid(intMax, intMax, 2, 2, 3) << 4 << "100,50 100,52 100,54 100,56" << 1;
    QTest::newRow("column distance wraps")
        << grid(1, 2, intMax, 0, -1) << 20 << "100,50 -2147483549,50" << 0;
    QTest::newRow("row distance times row wraps")
        << grid(3, 1, 0, 1 << 30, -1) << 20 << "100,50 100,1073741874 100,-2147483598" << 0;
}

void MatrixTest::cellsAndPlaces()
{
    QFETCH(MatrixParameters, parameters);
    QFETCH(int, capacity);
    QFETCH(QString, positions);
    QFETCH(int, beeps);

    DocumentState doc = withSource(capacity);
    createMatrix(doc, parameters);

    QCOMPARE(positionsOf(doc), positions);
    QCOMPARE(m_recorder->beeps, beeps);
    // The copies get their boxes, also when the table filled up.
    QCOMPARE(m_recorder->layouts, 1);
}

void MatrixTest::numbering_data()
{
    QTest::addColumn<MatrixParameters>("parameters");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("stepLink");
    QTest::addColumn<int>("stepPage");
    QTest::addColumn<QString>("numbers");
    QTest::addColumn<QString>("stepLinks");
    QTest::addColumn<int>("linkCount");
    QTest::addColumn<int>("beeps");

    QTest::newRow("type 1") << grid(2, 2, 10, 10, 1) << 20 << 1 << 1 << 1 << "1 2 / 3 4"
                            << "1 1 1 1" << 1 << 0;
    QTest::newRow("type 2, step at each row's end")
        << grid(3, 2, 10, 10, 2) << 20 << 10 << 1 << 1 << "10 10 / 11 11 / 12 12"
        << "0 1 0 1 0 1" << 1 << 0;
    QTest::newRow("type 3") << grid(2, 3, 10, 10, 3) << 20 << 10 << 5 << 1 << "10 20 30 / 15 25 35"
                            << "5 5 5 5 5 5" << 1 << 0;
    QTest::newRow("type 4, step at each column's end")
        << grid(2, 3, 10, 10, 4) << 20 << 10 << 1 << 1 << "10 11 12 / 10 11 12"
        << "0 1 0 1 0 1" << 1 << 0;
    QTest::newRow("no link") << grid(2, 2, 10, 10, -1) << 20 << 1 << 1 << 1 << "1 1 / 1 1"
                             << "1 1 1 1" << 0 << 0;
    QTest::newRow("type 5, stacks of three pages")
        << grid(2, 2, 10, 10, 5, 3) << 20 << 1 << 1 << 1 << "1,2,3 4,5,6 / 7,8,9 10,11,12"
        << "3 3 3 3" << 1 << 0;
    QTest::newRow("type 5, page step of two")
        << grid(1, 2, 10, 10, 5, 3) << 20 << 1 << 1 << 2 << "1,3,5 7,9,11"
        << "6 6" << 1 << 0;
    QTest::newRow("type 5, stack step wraps")
        << grid(1, 2, 10, 10, 5, 1 << 30) << 20 << 1 << 1 << 4 << "1,5,9 1,5,9"
        << "0 0" << 1 << 0;
    QTest::newRow("1 x 1 links the source alone")
        << grid(1, 1, 10, 10, 1) << 20 << 7 << 1 << 1 << "7"
        << "1" << 1 << 0;
    QTest::newRow("table filled exactly, linked")
        << grid(2, 2, 10, 10, 1) << 4 << 1 << 1 << 1 << "1 2 / 3 4"
        << "1 1 1 1" << 1 << 0;
    QTest::newRow("table full before the last cell, unlinked")
        << grid(2, 2, 10, 10, 1) << 3 << 1 << 1 << 1 << "1 1 / 1"
        << "1 1 1" << 0 << 1;
    QTest::newRow("no columns, no link") << grid(2, 0, 10, 10, 3) << 20 << 1 << 1 << 1 << "1"
                                         << "1" << 0 << 0;
}

void MatrixTest::numbering()
{
    QFETCH(MatrixParameters, parameters);
    QFETCH(int, capacity);
    QFETCH(int, start);
    QFETCH(int, stepLink);
    QFETCH(int, stepPage);
    QFETCH(QString, numbers);
    QFETCH(QString, stepLinks);
    QFETCH(int, linkCount);
    QFETCH(int, beeps);

    DocumentState doc = withSource(capacity, start, stepLink, stepPage);
    createMatrix(doc, parameters);

    QCOMPARE(gridOf(doc, parameters.pagesToPrint), numbers);
    QCOMPARE(stepLinksOf(doc), stepLinks);
    QCOMPARE(doc.linkCount, linkCount);
    QCOMPARE(m_recorder->beeps, beeps);
}

void MatrixTest::sourceAlreadyLinked_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<MatrixParameters>("parameters");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QString>("links");
    QTest::addColumn<int>("linkCount");

    const QString before = QStringLiteral("0,-1,1 0,0,2 0,1,-1 1,-1,4 1,3,-1 -");
    QTest::newRow("source leaves its link for the new one")
        << 1 << grid(1, 2, 10, 0, 1) << 10 << "- 1,-1,6 - 0,-1,4 0,3,-1 - 1,1,-1" << 2;
    QTest::newRow("without a link the source keeps its own")
        << 1 << grid(1, 2, 10, 0, -1) << 10 << before + QStringLiteral(" -") << 2;
    QTest::newRow("no columns, the source keeps its link")
        << 1 << grid(1, 0, 10, 0, 1) << 10 << before << 2;
    QTest::newRow("table full, the source keeps its link")
        << 1 << grid(1, 3, 10, 0, 1) << 7 << before + QStringLiteral(" -") << 2;
    QTest::newRow("unlinked source, one cell")
        << 5 << grid(1, 1, 10, 0, 2) << 10 << "0,-1,1 0,0,2 0,1,-1 1,-1,4 1,3,-1 2,-1,-1" << 3;
    QTest::newRow("unlinked source, no link")
        << 5 << grid(2, 2, 10, 10, -1) << 10 << before + QStringLiteral(" - - -") << 2;
}

void MatrixTest::sourceAlreadyLinked()
{
    QFETCH(int, source);
    QFETCH(MatrixParameters, parameters);
    QFETCH(int, capacity);
    QFETCH(QString, links);
    QFETCH(int, linkCount);

    // Links 0 (objects 0, 1, 2) and 1 (objects 3, 4); object 5 unlinked.
    DocumentState doc(capacity);
    for (int i = 0; i < 6; ++i)
        addNumber(doc, 10 * i, 0, 100 * i, 3);
    linkObjects(doc, 0, {0, 1, 2});
    linkObjects(doc, 1, {3, 4});
    selectObjects(doc, {source});
    refreshSelection(doc);

    createMatrix(doc, parameters);

    QCOMPARE(linksOf(doc), links);
    QCOMPARE(doc.linkCount, linkCount);
}

void MatrixTest::copyTakesTheSourceFields_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");

    QTest::newRow("number") << int(KindNumber) << "num2";
    QTest::newRow("text") << int(KindText) << "txt2";
    QTest::newRow("picture") << int(KindPicture) << "txt2";
}

void MatrixTest::copyTakesTheSourceFields()
{
    QFETCH(int, kind);
    QFETCH(QString, name);

    // The source, object 1, drawn below object 0, with every byte of its record set.
    DocumentState doc(4);
    addNumber(doc, 0, 0, 1, 3);
    const int source = addNumber(doc, 0, 0, 1, 3);
    setDrawOrder(doc, {1, 0});
    mainStruct2 &from = doc.objects[source];
    std::memset(static_cast<void *>(&from), 0x35, sizeof from);
    from.kind = kind;
    from.linkId = -1;
    from.linkPrev = -1;
    from.linkNext = -1;
    from.selected = 1;
    doc.texts[source] = QStringLiteral("Label");
    doc.fontNames[source] = QStringLiteral("Courier");
    doc.names[source] = QStringLiteral("mine");
    refreshSelection(doc);

    createMatrix(doc, grid(1, 2, 7, 0, -1));

    mainStruct2 expected = zeroRecord();
    expected.start = from.start;
    expected.stepPage = from.stepPage;
    expected.stepLink = from.stepLink;
    expected.digits = from.digits;
    expected.zeros = from.zeros;
    expected.color = from.color;
    expected.customColor = from.customColor;
    expected.reserved38 = from.reserved38;
    expected.fontSize = from.fontSize;
    expected.kind = kind;
    expected.reserved76 = from.reserved76;
    expected.angle = from.angle;
    expected.x = from.x + 7;
    expected.y = from.y;
    expected.linkId = -1;
    expected.linkPrev = -1;
    expected.linkNext = -1;
    expected.selected = -1;
    QCOMPARE(bytesOf(doc.objects[2]), bytesOf(expected));
    QCOMPARE((QStringList{doc.texts[2], doc.fontNames[2], doc.names[2]}),
             (QStringList{QStringLiteral("Label"), QStringLiteral("Courier"), name}));
    QCOMPARE(drawOrderOf(doc), (QList<std::int32_t>{1, 0, 2}));
    QCOMPARE(doc.selectedCount, 1);
    QCOMPARE(doc.currentObject, source);
}

void MatrixTest::needsOneSelectedObject()
{
    DocumentState doc = withSource(20);
    addNumber(doc, 0, 0, 1, 3);
    for (const int selected : {0, 2}) {
        for (int i = 0; i < doc.objectCount; ++i)
            doc.objects[i].selected = i < selected ? 1 : -1;
        refreshSelection(doc);
        createMatrix(doc, grid(2, 2, 2, 2, 1));
        QCOMPARE(doc.objectCount, 2);
        QCOMPARE(linksOf(doc), QStringLiteral("- -"));
    }
}

QTEST_APPLESS_MAIN(MatrixTest)
#include "tst_matrix.moc"
