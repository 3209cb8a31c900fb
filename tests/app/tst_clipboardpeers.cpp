#include "documentbuilder.h"
#include "documentfile.h"
#include "xdisplay.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Two numbers linked, with a prefix, a repeat and a QR code; a number in
// hexadecimal; a text.
Document sourceDocument()
{
    Document doc = emptyDocument(10);
    doc.pagesToPrint = 6;
    const int first = addNumber(doc, 50, 50, 7, 3);
    const int second = addNumber(doc, 150, 50, 0, 3);
    doc.objects[first].format.prefix = QStringLiteral("No. {last}-");
    doc.objects[first].format.repeat = 2;
    doc.objects[second].format.barcode = BarcodeStyle{.symbology = Symbology::Qr};
    linkObjects(doc, 0, {first, second});
    const int hex = addNumber(doc, 50, 150, 255, 4);
    doc.objects[hex].format.system = NumberSystem::Hexadecimal;
    addObject(doc, KindText, 50, 200, QStringLiteral("Admit one"));
    propagateLinks(doc);
    return doc;
}

QStringList runTexts(const Document &doc)
{
    QStringList texts;
    for (std::int32_t page = 1; page <= doc.pagesToPrint; ++page)
        texts += textsOf(doc, page);
    return texts;
}

} // namespace

// Copy in one program, Paste in a second: two processes on one X display.
class TestClipboardPeers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pasteInASecondProgramGivesTheSameObjects()
    {
        const XDisplay display;
        QVERIFY2(display.started(), qPrintable(display.reason()));
        const QTemporaryDir dir;
        const Document source = sourceDocument();
        const QString copiedFrom = dir.filePath(QStringLiteral("source.pgt"));
        const QString pastedTo = dir.filePath(QStringLiteral("pasted.pgt"));
        QCOMPARE(saveDocument(source, {}, copiedFrom), QString());

        QProcess copier;
        copier.setProcessEnvironment(display.environment());
        copier.start(QStringLiteral(CLIPBOARD_PEER), {QStringLiteral("copy"), copiedFrom});
        QVERIFY(copier.waitForReadyRead(60000));
        QCOMPARE(copier.readLine().trimmed(), QByteArray("copied"));

        QProcess paster;
        paster.setProcessEnvironment(display.environment());
        paster.start(QStringLiteral(CLIPBOARD_PEER), {QStringLiteral("paste"), pastedTo});
        QVERIFY(paster.waitForFinished(60000));
        copier.closeWriteChannel();
        QVERIFY(copier.waitForFinished(60000));
        QCOMPARE(paster.exitCode(), 0);
        QCOMPARE(copier.exitCode(), 0);
        QCOMPARE(paster.readAllStandardError() + copier.readAllStandardError(), QByteArray());

        LoadResult pasted = loadDocument(pastedTo, 10);
        QVERIFY(pasted.document);
        Document doc = *pasted.document;
        doc.pagesToPrint = source.pagesToPrint;
        QCOMPARE(doc.count(), source.count());
        for (int i = 0; i < doc.count(); ++i)
            QCOMPARE(doc.objects[i].format, source.objects[i].format);
        QCOMPARE(linksOf(doc), linksOf(source));
        QCOMPARE(positionsOf(doc), positionsOf(source));
        QCOMPARE(runTexts(doc), runTexts(source));
    }
};

QTEST_GUILESS_MAIN(TestClipboardPeers)
#include "tst_clipboardpeers.moc"
