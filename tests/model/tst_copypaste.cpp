#include "copypaste.h"
#include "documentbuilder.h"
#include "numbering.h"
#include "objecttable.h"

#include <QMimeData>
#include <QRandomGenerator>
#include <QTest>

#include <set>

namespace {

// A document of numbers, texts and pictures: links, repeats, prefixes with
// {last}, QR codes, and a random selection.
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
        if (random.bounded(6) == 0) {
            // Two pictures' bytes, so that some are shared and some are not.
            const QByteArray bytes = QByteArray("picture ") + char('0' + random.bounded(2));
            placePicture(doc, x, y, bytes, QStringLiteral("p.png"), 1, QSizeF(30, 20));
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
    // Runs of neighbours in the table, two to four long, linked or not.
    for (int first = 0; first + 1 < doc.count();) {
        const int last = std::min(doc.count() - 1, first + int(random.bounded(1, 4)));
        if (random.bounded(2) == 0) {
            for (int member = first; member <= last; ++member) {
                doc.objects[member].linkId = doc.linkCount;
                doc.objects[member].linkPrev = member > first ? member - 1 : -1;
                doc.objects[member].linkNext = member < last ? member + 1 : -1;
            }
            ++doc.linkCount;
        }
        first = last + 1;
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
        // A picture comes with its bytes.
        if (const std::optional<PictureRef> &picture = doc.objects[i].picture)
            run.append(QString::fromLatin1(doc.pictures.bytes(picture->id)));
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
                    shifts.insert(pasted.x - copied->objects[k].x);
                    shifts.insert(pasted.y - copied->objects[k].y);
                    for (const PageObject &object : before.objects)
                        QVERIFY(object.kind != pasted.kind || object.x != pasted.x ||
                                object.y != pasted.y);
                }
                QVERIFY(shifts.size() <= 1);
                // The pasted objects alone are selected, in their order.
                QCOMPARE(selectedRuns(doc), selectedRuns(source));
            }
        }
    }
};

QTEST_MAIN(TestCopyPaste)
#include "tst_copypaste.moc"
