#include "copypaste.h"
#include "documentbuilder.h"
#include "kinds.h"
#include "numbering.h"
#include "objecttable.h"
#include "picture.h"

#include <QMimeData>
#include <QRandomGenerator>
#include <QTest>

#include <set>

namespace {

// A document of numbers, texts and pictures: links, repeats, prefixes with
// {last}, QR codes, back numbers showing front ones, and a random selection.
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
    // Two-sided now and then, a number on the back showing a front number's
    // text: copied without it, it keeps showing what it showed.
    if (random.bounded(2) == 0)
        doc.duplex = Duplex::LongEdge;
    for (int i = 1; doc.duplex != Duplex::Off && i < doc.count(); ++i) {
        const int front = int(random.bounded(i));
        // The editor offers "Same as" to a number outside any link.
        if (random.bounded(3) == 0 && kindRow(doc.objects[i].kind).numbered &&
            !doc.objects[i].isLinked() && kindRow(doc.objects[front].kind).numbered &&
            doc.objects[front].sameAs == -1) {
            doc.objects[i].side = Side::Back;
            doc.objects[i].sameAs = front;
        }
    }
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

// Three objects copied whole: a number with a prefix, a text and a picture
// of `pictureBytes`, whose bytes go with it unless `withPictureBytes` is off.
QByteArray copiedBytes(const QByteArray &pictureBytes, bool withPictureBytes = true)
{
    Document doc = emptyDocument(20);
    const int number = addNumber(doc, 10, 10, 125, 5);
    doc.objects[number].format.prefix = QStringLiteral("No. ");
    addObject(doc, KindText, 10, 40, QStringLiteral("Admit one"));
    placePicture(doc, 10, 70, pictureBytes, QStringLiteral("logo.png"), 1, QSizeF(30, 20));
    if (!withPictureBytes)
        doc.pictures = PictureStore();
    for (PageObject &object : doc.objects)
        object.selected = 1;
    QMimeData mime;
    putObjects(mime, copiedObjects(doc), copiedText(doc));
    return mime.data(QLatin1String(objectsMimeType));
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
            const ClipboardContent taken = takeFromClipboard(mime);
            QCOMPARE(taken.refusal, QString());
            const std::optional<Document> &copied = taken.objects;
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

    // Paste takes the clipboard's objects whole or not at all, and says why
    // not; it reads no more than a document can hold.
    void objectsNotWholeAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        const QByteArray whole = copiedBytes("a picture");
        QTest::newRow("cut inside an object")
            << whole.left(48 + 388 + 100) << "the file ends inside object 2 of 3";
        QTest::newRow("cut inside the block")
            << whole.chopped(10) << "Some number formats could not be read";
        QByteArray damaged = whole;
        damaged.back() = '!';
        QTest::newRow("a block that does not parse")
            << damaged << "Some number formats could not be read";
        QTest::newRow("a picture over 16 MB") << copiedBytes(QByteArray(maxPictureBytes + 1, 'p'))
                                              << "Some number formats could not be read";
        QTest::newRow("a picture without its bytes")
            << copiedBytes("a picture", false) << "a picture without its bytes";
        QTest::newRow("no document") << QByteArray("shopping list") << "Bad file header";
        QTest::newRow("nothing, as a transfer that failed gives")
            << QByteArray() << "Bad file header";
    }

    void objectsNotWholeAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        QMimeData mime;
        mime.setData(QLatin1String(objectsMimeType), bytes);
        mime.setText(QStringLiteral("00125\nAdmit one"));
        const ClipboardContent taken = takeFromClipboard(mime);
        QVERIFY(!taken.objects);
        // The text beside them is not pasted in their place.
        QCOMPARE(taken.text, QString());
        QCOMPARE(taken.refusal, QStringLiteral("Nothing was pasted: the objects on the clipboard "
                                               "cannot be read whole (%1).")
                                    .arg(why));
    }

    void aClipboardLargerThanADocumentIsNotRead()
    {
        QMimeData mime;
        mime.setData(QLatin1String(objectsMimeType), QByteArray(qsizetype{300} << 20, 'x'));
        const ClipboardContent taken = takeFromClipboard(mime);
        QVERIFY(!taken.objects);
        QCOMPARE(taken.refusal, QStringLiteral("Nothing was pasted: the clipboard holds 300 MB, "
                                               "more than a document can (259 MB)."));
    }
};

QTEST_MAIN(TestCopyPaste)
#include "tst_copypaste.moc"
