#include "copypaste.h"
#include "documentbuilder.h"
#include "numbering.h"

#include <QMimeData>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <set>

namespace {

// A document of numbers and texts: links of two to four members, repeats,
// prefixes with {last}, a barcode, and a random selection.
Document randomDocument(QRandomGenerator &random)
{
    Document doc = emptyDocument(60);
    doc.pagesToPrint = random.bounded(1, 40);
    const int count = random.bounded(1, 14);
    for (int i = 0; i < count; ++i) {
        const std::int32_t x = 10 * random.bounded(0, 6);
        const std::int32_t y = 10 * random.bounded(0, 6);
        if (random.bounded(4) == 0) {
            addObject(doc, KindText, x, y, QStringLiteral("text %1").arg(i));
            continue;
        }
        const int number = addNumber(doc, x, y, random.bounded(0, 500), 4, random.bounded(1, 4));
        NumberFormat &format = doc.objects[number].format;
        format.repeat = random.bounded(1, 4);
        if (random.bounded(3) == 0)
            format.prefix = QStringLiteral("{last}-");
        if (random.bounded(5) == 0)
            format.barcode = BarcodeStyle{.symbology = Symbology::Qr};
        doc.objects[number].stepLink = random.bounded(1, 5);
    }
    std::vector<int> free;
    for (int i = 0; i < doc.count(); ++i)
        free.push_back(i);
    std::shuffle(free.begin(), free.end(), random);
    for (std::int32_t link = 0; free.size() >= 2 && random.bounded(2) == 0; ++link) {
        const int size = std::min<int>(random.bounded(2, 5), int(free.size()));
        int previous = -1;
        for (int k = 0; k < size; ++k) {
            const int member = free.back();
            free.pop_back();
            PageObject &object = doc.objects[member];
            object.linkId = link;
            object.linkPrev = previous;
            if (previous != -1)
                doc.objects[previous].linkNext = member;
            previous = member;
        }
        doc.linkCount = link + 1;
    }
    propagateLinks(doc);
    for (PageObject &object : doc.objects)
        object.selected = random.bounded(3) == 0 ? 1 : -1;
    return doc;
}

// What each selected object shows on every page of the run, in table order.
QList<QStringList> selectedRuns(const Document &doc)
{
    QList<QStringList> runs;
    for (int i = 0; i < doc.count(); ++i) {
        if (!doc.objects[i].isSelected())
            continue;
        QStringList run;
        for (std::int32_t page = 1; page <= doc.pagesToPrint; ++page)
            run.append(objectText(doc, i, page));
        runs.append(run);
    }
    return runs;
}

} // namespace

class TestCopyPaste : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Copy, through the clipboard's own form, then Paste, into the document
    // copied from and into an empty one: the pasted objects alone are
    // selected, show on every page what their sources show, keep the links
    // they had whole, move together and land on no object of their kind.
    void pastedObjectsShowWhatTheirSourcesShow()
    {
        const quint32 seed = qEnvironmentVariableIntValue("PAGINETTE_SEED");
        QRandomGenerator random(seed ? seed : 2026);
        for (int round = 0; round < 200; ++round) {
            const Document source = randomDocument(random);
            QMimeData mime;
            putObjects(mime, copiedObjects(source), copiedText(source));
            const std::optional<Document> copied = takeObjects(mime);
            QVERIFY(copied);
            QCOMPARE(mime.text().count(u'\n') + 1, std::max<qsizetype>(copied->count(), 1));

            for (const bool intoItself : {true, false}) {
                Document doc = intoItself ? source : emptyDocument(60);
                doc.pagesToPrint = source.pagesToPrint;
                const Document before = doc;
                QVERIFY(pasteObjects(doc, *copied).pasted);
                const int first = before.count();
                QCOMPARE(doc.count(), first + copied->count());

                std::set<std::int32_t> shifts;
                for (int k = 0; k < copied->count(); ++k) {
                    const PageObject &pasted = doc.objects[first + k];
                    QVERIFY(pasted.isSelected());
                    QCOMPARE(pasted.format.barcode, copied->objects[k].format.barcode);
                    shifts.insert(pasted.x - copied->objects[k].x);
                    shifts.insert(pasted.y - copied->objects[k].y);
                    for (const PageObject &object : before.objects)
                        QVERIFY(object.kind != pasted.kind || object.x != pasted.x ||
                                object.y != pasted.y);
                }
                QVERIFY(shifts.size() <= 1);
                QCOMPARE(selectedRuns(doc), selectedRuns(source));
                for (int i = 0; i < first; ++i)
                    QVERIFY(!doc.objects[i].isSelected());
            }
        }
    }

    // No room for them all: nothing is pasted, and the room is said.
    void noRoomPastesNothing()
    {
        Document source = emptyDocument(5);
        for (int i = 0; i < 3; ++i)
            selectObjects(source, {addNumber(source, 10 * i, 0, i, 3)});
        Document doc = emptyDocument(4);
        addNumber(doc, 0, 0, 1, 3);
        addNumber(doc, 0, 40, 1, 3);
        const Document before = doc;
        const PasteResult result = pasteObjects(doc, copiedObjects(source));
        QVERIFY(!result.pasted);
        QCOMPARE(result.needed, 3);
        QCOMPARE(result.room, 2);
        QCOMPARE(documentDump(doc), documentDump(before));
    }

    // Plain text from another program: a text object a line.
    void linesBecomeTextObjects()
    {
        Document doc = emptyDocument(5);
        QVERIFY(pasteLines(doc, QStringLiteral(" first\n\nsecond \n"), 30, 40).pasted);
        QCOMPARE(textsOf(doc), (QStringList{"first", "second"}));
        QCOMPARE(positionsOf(doc), QStringLiteral("30,40 30,60"));
        QCOMPARE(marksOf(doc), (QList<int>{1, 1}));
    }
};

QTEST_MAIN(TestCopyPaste)
#include "tst_copypaste.moc"
