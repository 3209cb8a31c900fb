#include "documentbuilder.h"
#include "symbolprefetch.h"

#include <QRandomGenerator>
#include <QTest>

// Whatever order the pages come in, asked for ahead or not, each symbol is
// the one its page's text encodes to.
class TestSymbolPrefetch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everySymbolIsItsPagesOwn()
    {
        Document doc = emptyDocument(4);
        const int qr = addNumber(doc, 0, 0, 1, 5);
        doc.objects[qr].format.barcode = BarcodeStyle{.symbology = Symbology::Qr};
        const int code128 = addNumber(doc, 0, 100, 500, 6);
        doc.objects[code128].format.barcode = BarcodeStyle{.symbology = Symbology::Code128};
        addNumber(doc, 0, 200, 7, 3);
        doc.pagesToPrint = 200;
        const RunTexts texts(doc);
        QRandomGenerator random(qEnvironmentVariableIntValue("PAGINETTE_SEED") + 27);
        SymbolPrefetch symbols(texts);
        std::int32_t page = 1;
        for (int step = 0; step < 300; ++step) {
            // Mostly the page after, as a run goes; at times another, as a
            // run on labels or one cut short does.
            const std::int32_t next = random.bounded(4) == 0
                                          ? std::int32_t(random.bounded(0, doc.pagesToPrint + 1))
                                          : page % doc.pagesToPrint + 1;
            symbols.startPage(page, next);
            // In either order, as the drawing order has them.
            const bool reversed = random.bounded(2) == 0;
            for (const int index : reversed ? QList<int>{code128, qr} : QList<int>{qr, code128}) {
                const BarcodeStyle &style = *doc.objects[index].format.barcode;
                const QString text = texts.text(index, page);
                const EncodedBarcode got = symbols.symbolFor(style, text);
                QVERIFY2(got.ok() && got.symbol == encodeBarcode(style, text).symbol,
                         qPrintable(QStringLiteral("page %1: %2").arg(page).arg(text)));
            }
            page = random.bounded(5) == 0 ? std::int32_t(random.bounded(1, doc.pagesToPrint + 1))
                                          : next == 0 ? 1 : next;
        }
    }
};

QTEST_MAIN(TestSymbolPrefetch)
#include "tst_symbolprefetch.moc"
