#include "documentbuilder.h"
#include "savedrun.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr std::int32_t pages = 3;

struct Shown
{
    Symbology symbology;
    NumberFormat format;
    std::int32_t start;
    std::int16_t digits;
};

// One number of every symbology, one above the other, each formatted.
const QList<Shown> shown{
    {Symbology::Code128, {.prefix = "A-"}, 125, 5},
    {Symbology::Code39, {.prefix = "T"}, 7, 4},
    {Symbology::Ean13, {.prefix = "40"}, 125, 10},
    {Symbology::UpcA, {.prefix = "7"}, 125, 10},
    {Symbology::Itf, {}, 125, 6},
    {Symbology::Qr, {.prefix = "Ticket ", .suffix = " of {last}"}, 125, 5},
    {Symbology::DataMatrix, {.prefix = "DM-"}, 125, 4},
};

Document barcodeRun()
{
    Document doc = emptyDocument(int(shown.size()));
    for (int i = 0; i < shown.size(); ++i) {
        const int number = addNumber(doc, 36, 36 + 90 * i, shown[i].start, shown[i].digits);
        NumberFormat format = shown[i].format;
        const bool matrix = isMatrixSymbology(shown[i].symbology);
        format.barcode = BarcodeStyle{
            .symbology = shown[i].symbology, .barHeight = 40, .moduleWidth = matrix ? 2.5 : 1.2};
        doc.objects[number].format = format;
    }
    doc.pagesToPrint = pages;
    return doc;
}

// What a scanner reads of a number's text: EAN-13 and UPC-A add their check digit.
QString scanned(Symbology symbology, const QString &text)
{
    if (symbology != Symbology::Ean13 && symbology != Symbology::UpcA)
        return text;
    return text + checkCharacter(text, CheckDigit::Mod10Weights31);
}

} // namespace

Q_DECLARE_METATYPE(Symbology)

// Every symbology paginette-print draws reads back, on every page, as
// exactly the number's formatted value.
class TestBarcodeRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyCodeScansAsItsValue()
    {
        for (const char *tool : {"pdftoppm", "zbarimg", "dmtxread"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        }
        const QTemporaryDir dir;
        const Document doc = barcodeRun();
        const auto [pdf, print] = printSaved(dir, doc, QStringLiteral("codes"));
        QCOMPARE(programErrors(print.err), QString());
        QCOMPARE(print.exitCode, 0);

        for (std::int32_t page = 1; page <= pages; ++page) {
            const QString image = dir.filePath(QStringLiteral("page%1").arg(page));
            const QString number = QString::number(page);
            const ToolRun raster =
                runTool(QStringLiteral("pdftoppm"), {"-r", "300", "-gray", "-singlefile", "-f",
                                                     number, "-l", number, pdf, image});
            QVERIFY2(raster.exitCode == 0, qPrintable(raster.err));
            QStringList expected;
            QString matrix;
            for (int i = 0; i < shown.size(); ++i) {
                const QString text = scanned(shown[i].symbology, objectText(doc, i, page));
                if (shown[i].symbology == Symbology::DataMatrix)
                    matrix = text;
                else
                    expected.append(text);
            }
            const ToolRun bars = runTool(QStringLiteral("zbarimg"),
                                         {"--raw", "-q", "-Supca.enable", image + ".pgm"});
            QStringList read = bars.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            read.sort();
            expected.sort();
            QCOMPARE(read, expected);
            const ToolRun squares = runTool(QStringLiteral("dmtxread"), {"-N1", image + ".pgm"});
            QCOMPARE(squares.out, matrix);
        }
        // Worked out by hand for page 1: EAN-13 400000000125 has check 6.
        QCOMPARE(scanned(Symbology::Ean13, objectText(doc, 2, 1)), QStringLiteral("4000000001256"));
    }

    void aValueTheSymbologyRefusesStopsTheRun()
    {
        const QTemporaryDir dir;
        Document doc = emptyDocument(1);
        // Interleaved 2 of 5 pairs its digits: after the page number's second
        // digit comes, on page 10, they no longer pair.
        const int number = addNumber(doc, 36, 36, 98, 3);
        doc.objects[number].name = QStringLiteral("stub");
        doc.objects[number].format =
            NumberFormat{.prefix = QStringLiteral("{page}"),
                         .barcode = BarcodeStyle{.symbology = Symbology::Itf}};
        doc.pagesToPrint = 12;
        const auto [pdf, print] = printSaved(dir, doc, QStringLiteral("stub"));
        QCOMPARE(print.exitCode, 1);
        QVERIFY2(print.err.contains(QLatin1String("stub.pgt: Cannot print stub: Interleaved 2 of "
                                                  "5 needs an even number of digits; page 10 "
                                                  "gives 5")),
                 qPrintable(print.err));
        QVERIFY(!QFile::exists(pdf));
    }

    // Every row's barcode text is tried before the run: one a symbology
    // refuses ends it with a usage error naming the file, the row and the
    // column, and nothing is written.
    void aRowTheSymbologyRefusesStopsTheRunBeforeIt_data()
    {
        QTest::addColumn<Symbology>("symbology");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("error");
        QTest::newRow("Code 39 with a letter it lacks")
            << Symbology::Code39 << QString("Code\nAB\nÄX\n").toUtf8() << QString()
            << "orders.csv, row 3, column Code: Code 39 takes digits, capital letters, space and "
               "- . $ / + %; num0 on page 2 gives 'Ä'";
        QTest::newRow("EAN-13 with a letter, rows of quantities")
            << Symbology::Ean13
            << QByteArray("Code,Qty\n400638133,1\n400638134,0\n400638135,2\n400638136,1\n"
                          "400638137,1\n40063813A,1\n")
            << "Qty"
            << "orders.csv, row 7, column Code: EAN-13 takes 12 or 13 digits; num0 on page 6 "
               "gives letters";
    }

    void aRowTheSymbologyRefusesStopsTheRunBeforeIt()
    {
        QFETCH(Symbology, symbology);
        QFETCH(QByteArray, csv);
        QFETCH(QString, quantity);
        QFETCH(QString, error);
        const QTemporaryDir dir;
        QFile data(dir.filePath(QStringLiteral("orders.csv")));
        QVERIFY(data.open(QIODevice::WriteOnly) && data.write(csv) == csv.size());
        data.close();
        Document doc = emptyDocument(1);
        const int number = addNumber(doc, 36, 36, 1, 3);
        doc.objects[number].name = QStringLiteral("num0");
        doc.objects[number].format = NumberFormat{.prefix = QStringLiteral("{Code}"),
                                                  .barcode = BarcodeStyle{.symbology = symbology}};
        doc.data = DataSourceSettings{.file = QStringLiteral("orders.csv"), .quantity = quantity};
        const auto [pdf, print] = printSaved(dir, doc, QStringLiteral("rows"));
        QCOMPARE(print.exitCode, 2);
        QCOMPARE(print.err.trimmed(), QStringLiteral("paginette-print: %1: %2")
                                          .arg(dir.filePath(QStringLiteral("rows.pgt")), error));
        QVERIFY(!QFile::exists(pdf));
    }
};

QTEST_GUILESS_MAIN(TestBarcodeRun)
#include "tst_barcoderun.moc"
