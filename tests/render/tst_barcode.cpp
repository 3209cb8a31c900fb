#include "barcode.h"
#include "renderprobe.h"
#include "toolrun.h"

#include <zint.h>

#include <QPainter>
#include <QPdfWriter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

BarcodeSymbol encoded(const BarcodeStyle &style, const QString &text)
{
    const EncodedBarcode result = encodeBarcode(style, text);
    if (!result.ok())
        qWarning("refused: %s", qPrintable(result.refusal->onPage(1)));
    return result.symbol;
}

BarcodeSymbol scaled(BarcodeSymbol symbol, qreal factor)
{
    symbol.size *= factor;
    symbol.module *= factor;
    return symbol;
}

// A text of every symbology, and what its text line and a reader show.
struct Sample
{
    QString text;
    QString line;
    QString read;
};

Sample sampleOf(Symbology symbology)
{
    switch (symbology) {
    case Symbology::Code128:
        return {"Pgn-000125/a", "Pgn-000125/a", "Pgn-000125/a"};
    case Symbology::Code39:
        return {"TKT-00125", "*TKT-00125*", "TKT-00125"};
    case Symbology::Ean13:
        return {"400638133393", "4006381333931", "4006381333931"};
    case Symbology::UpcA:
        return {"03600029145", "036000291452", "036000291452"};
    case Symbology::Itf:
        return {"00012345", "00012345", "00012345"};
    case Symbology::Qr:
        return {"Café 00125, row B: 12 % off", "", "Café 00125, row B: 12 % off"};
    case Symbology::DataMatrix:
        return {"Coupon 000125-x", "", "Coupon 000125-x"};
    }
    return {};
}

void addSymbologyRows()
{
    QTest::addColumn<Symbology>("symbology");
    for (const Symbology symbology : allSymbologies)
        QTest::newRow(qPrintable(symbologyName(symbology))) << symbology;
}

} // namespace

class TestBarcode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_data();
    void names();
    void refusals_data();
    void refusals();
    void badStylesAreRefused();
    void boxAndBarsFollowTheStyle_data();
    void boxAndBarsFollowTheStyle();
    void textLineSitsUnderTheBars_data() { addSymbologyRows(); }
    void textLineSitsUnderTheBars();
    void barsDrawAsExactRectangles_data() { addSymbologyRows(); }
    void barsDrawAsExactRectangles();
    void matrixSymbolsAreTheLibrarysDrawing_data();
    void matrixSymbolsAreTheLibrarysDrawing();
    void printedSymbolsReadBack_data() { addSymbologyRows(); }
    void printedSymbolsReadBack();
};

void TestBarcode::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::optional<Symbology>>("symbology");
    QTest::addColumn<QString>("title");
    QTest::newRow("code128") << "code128" << std::optional(Symbology::Code128) << "Code 128";
    QTest::newRow("code39") << "code39" << std::optional(Symbology::Code39) << "Code 39";
    QTest::newRow("ean13") << "ean13" << std::optional(Symbology::Ean13) << "EAN-13";
    QTest::newRow("upca") << "upca" << std::optional(Symbology::UpcA) << "UPC-A";
    QTest::newRow("itf") << "itf" << std::optional(Symbology::Itf) << "Interleaved 2 of 5";
    QTest::newRow("qr") << "qr" << std::optional(Symbology::Qr) << "QR code";
    QTest::newRow("datamatrix") << "datamatrix" << std::optional(Symbology::DataMatrix)
                                << "Data Matrix";
    const std::optional<Symbology> none;
    QTest::newRow("empty") << "" << none << "";
    QTest::newRow("a title") << "Code 128" << none << "";
    QTest::newRow("capitals") << "QR" << none << "";
    QTest::newRow("another symbology") << "pdf417" << none << "";
}

void TestBarcode::names()
{
    QFETCH(QString, name);
    QFETCH(std::optional<Symbology>, symbology);
    QFETCH(QString, title);
    QCOMPARE(symbologyFromName(name), symbology);
    if (symbology) {
        QCOMPARE(symbologyName(*symbology), name);
        QCOMPARE(symbologyTitle(*symbology), title);
    }
}

void TestBarcode::refusals_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusal"); // as page 6 shows it; empty: accepted

    for (const Symbology symbology : allSymbologies)
        QTest::addRow("%s empty", qPrintable(symbologyName(symbology)))
            << symbology << QString()
            << symbologyTitle(symbology) + " needs a text to encode; page 6 gives an empty text";

    const QString ean = "EAN-13 takes 12 or 13 digits; page 6 gives ";
    QTest::newRow("EAN-13 letters") << Symbology::Ean13 << "A-12" << ean + "letters";
    QTest::newRow("EAN-13 dash") << Symbology::Ean13 << "12-4" << ean + "'-'";
    QTest::newRow("EAN-13 14 digits") << Symbology::Ean13 << "40063813339310" << ean + "14";
    QTest::newRow("EAN-13 with its check digit") << Symbology::Ean13 << "4006381333931"
                                                 << "";
    QTest::newRow("EAN-13 with a wrong check digit")
        << Symbology::Ean13 << "4006381333932"
        << "The check digit of '400638133393' is 1; page 6 gives 2";
    QTest::newRow("UPC-A with its check digit") << Symbology::UpcA << "036000291452"
                                                << "";
    QTest::newRow("UPC-A 10 digits") << Symbology::UpcA << "0360002914"
                                     << "UPC-A takes 11 or 12 digits; page 6 gives 10";
    QTest::newRow("ITF letters") << Symbology::Itf << "12A4"
                                 << "Interleaved 2 of 5 takes digits only; page 6 gives letters";
    QTest::newRow("ITF odd") << Symbology::Itf << "123"
                             << "Interleaved 2 of 5 needs an even number of digits; page 6 gives 3";
    QTest::newRow("Code 39 small letter after '%1'")
        << Symbology::Code39 << "50%1x"
        << "Code 39 takes digits, capital letters, space and - . $ / + %; page 6 gives 'x'";
    QTest::newRow("Code 128 accent") << Symbology::Code128 << "café"
                                     << "Code 128 takes ASCII characters only; page 6 gives 'é'";

    // The library's limits: the longest text fits, one more character does not.
    const auto limit = [](Symbology symbology, char16_t c, int most, const QString &rule,
                          const QString &unit = QString()) {
        const QByteArray name =
            symbologyName(symbology).toUtf8() + " '" + QString(QChar(c)).toUtf8();
        QTest::addRow("%s' %d", name.constData(), most)
            << symbology << QString(most, QChar(c)) << QString();
        QTest::addRow("%s' %d", name.constData(), most + 1)
            << symbology << QString(most + 1, QChar(c))
            << rule + "; page 6 gives " + QString::number(most + 1) + unit;
    };
    const auto tooLong = [](Symbology symbology) {
        return symbologyTitle(symbology) + " cannot hold so much text";
    };
    limit(Symbology::Code39, 'Z', 85, "Code 39 takes at most 85 characters");
    limit(Symbology::Code128, 'a', 60, tooLong(Symbology::Code128), " characters");
    limit(Symbology::Code128, '5', 120, tooLong(Symbology::Code128), " characters");
    // A number's text is far shorter than what the matrix codes could hold.
    limit(Symbology::Qr, u'中', 256, "QR code takes at most 256 characters");
    limit(Symbology::DataMatrix, u'é', 256, "Data Matrix takes at most 256 characters");
    // 91 digits is odd: past the limit means 92.
    QTest::newRow("itf 92") << Symbology::Itf << QString(92, '7')
                            << "Interleaved 2 of 5 takes at most 90 digits; page 6 gives 92";
}

void TestBarcode::refusals()
{
    QFETCH(Symbology, symbology);
    QFETCH(QString, text);
    QFETCH(QString, refusal);
    const auto onPage6 = [](const std::optional<BarcodeRefusal> &refused) {
        return refused ? refused->onPage(6) : QString();
    };
    // The check as the user types and the encoding of a print run agree.
    QCOMPARE(onPage6(barcodeRefusal(symbology, text)), refusal);
    const EncodedBarcode result = encodeBarcode({.symbology = symbology}, text);
    QCOMPARE(onPage6(result.refusal), refusal);
    QCOMPARE(result.symbol.bars.isEmpty(), !refusal.isEmpty());
}

void TestBarcode::badStylesAreRefused()
{
    QCOMPARE(encodeBarcode({Symbology::Itf, 36, 0, true}, "1234").refusal->onPage(6),
             "Interleaved 2 of 5 needs a module width above 0");
    QCOMPARE(encodeBarcode({Symbology::Code39, -1, 1, true}, "A").refusal->onPage(6),
             "Code 39 needs a bar height above 0");
    // A matrix symbology has no bar height to refuse.
    QVERIFY(encodeBarcode({Symbology::Qr, 0, 1, true}, "A").ok());
}

void TestBarcode::boxAndBarsFollowTheStyle_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<qreal>("moduleWidth");
    QTest::addColumn<qreal>("barHeight");
    QTest::addColumn<QSizeF>("size");

    // Widths in modules from the symbologies' tables, with the quiet zones:
    // Code 128 in code set C, a start, six pairs of digits, a check and a stop
    // (8 * 11 + 13), with 10 each side; Code 39, eleven 13-module characters
    // with the stars, less the last gap, 10 each side; EAN-13 and UPC-A 95,
    // with 11 and 7, or 9 each side, their guard bars 5 lower; Interleaved 2 of
    // 5, a start of 4, four pairs of 18 and a stop of 5, 10 each side; QR
    // version 2, 25 with 4 around; Data Matrix, 16 x 16 with 1 around.
    QTest::newRow("Code 128, 1 pt") << Symbology::Code128 << 1.0 << 36.0 << QSizeF(121, 36);
    QTest::newRow("Code 128, 0.5 pt") << Symbology::Code128 << 0.5 << 18.0 << QSizeF(60.5, 18);
    QTest::newRow("Code 39, 0.5 pt") << Symbology::Code39 << 0.5 << 30.0 << QSizeF(81, 30);
    QTest::newRow("EAN-13, 1 pt") << Symbology::Ean13 << 1.0 << 50.0 << QSizeF(113, 55);
    QTest::newRow("EAN-13, 0.75 pt") << Symbology::Ean13 << 0.75 << 36.0 << QSizeF(84.75, 39.75);
    QTest::newRow("UPC-A, 1 pt") << Symbology::UpcA << 1.0 << 36.0 << QSizeF(113, 41);
    QTest::newRow("ITF, 2 pt") << Symbology::Itf << 2.0 << 72.0 << QSizeF(202, 72);
    QTest::newRow("QR ignores the height") << Symbology::Qr << 2.0 << 5.0 << QSizeF(66, 66);
    QTest::newRow("Data Matrix, 1.5 pt") << Symbology::DataMatrix << 1.5 << 36.0 << QSizeF(27, 27);
}

void TestBarcode::boxAndBarsFollowTheStyle()
{
    QFETCH(Symbology, symbology);
    QFETCH(qreal, moduleWidth);
    QFETCH(qreal, barHeight);
    QFETCH(QSizeF, size);
    const QString text =
        symbology == Symbology::Code128 ? "123456789012" : sampleOf(symbology).text;
    const BarcodeSymbol symbol = encoded({symbology, barHeight, moduleWidth, false}, text);
    QCOMPARE(symbol.size, size);
    // Every shape scales with the module, not just the box.
    QCOMPARE(symbol,
             scaled(encoded({symbology, barHeight / moduleWidth, 1, false}, text), moduleWidth));
}

void TestBarcode::textLineSitsUnderTheBars()
{
    QFETCH(Symbology, symbology);
    const Sample sample = sampleOf(symbology);
    const BarcodeSymbol symbol = encoded({symbology, 40, 1, true}, sample.text);
    QString line;
    for (const BarcodeText &text : symbol.texts) {
        line += text.text;
        QVERIFY(text.anchor.y() > 40 && text.anchor.y() <= symbol.size.height());
        QVERIFY(text.anchor.x() >= 0 && text.anchor.x() <= symbol.size.width());
        QVERIFY(text.fontSize > 0);
    }
    QCOMPARE(line, sample.line);
    QVERIFY(encoded({symbology, 40, 1, false}, sample.text).texts.isEmpty());
}

void TestBarcode::barsDrawAsExactRectangles()
{
    QFETCH(Symbology, symbology);
    const BarcodeSymbol symbol = encoded({symbology, 30, 1, false}, sampleOf(symbology).text);
    const QSize size = (symbol.size * 3).toSize() + QSize(20, 20);
    QImage image = whiteImage(size.width(), size.height());
    QPainter painter(&image);
    // Half-pixel edges would come out grey if the caller's smoothing were kept.
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF origin(10.5, 10.5);
    drawBarcode(painter, symbol, origin, 3, Qt::red, QStringLiteral("Arial"));
    painter.end();

    QCOMPARE(countColor(image, red) + countColor(image, white), size.width() * size.height());
    QRectF bounds;
    for (const QRectF &bar : symbol.bars)
        bounds |= bar;
    const qreal pixels = 3 * symbol.module;
    const QRect expected =
        QRectF(origin + bounds.topLeft() * pixels, bounds.size() * pixels).toRect();
    const QRect ink = findInk(image, white).bounds;
    QVERIFY(expected.adjusted(-1, -1, 1, 1).contains(ink));
    QVERIFY(ink.adjusted(-1, -1, 1, 1).contains(expected));
}

void TestBarcode::matrixSymbolsAreTheLibrarysDrawing_data()
{
    QTest::addColumn<Symbology>("symbology");
    QTest::addColumn<int>("libraryId");
    QTest::newRow("QR code") << Symbology::Qr << BARCODE_QRCODE;
    QTest::newRow("Data Matrix") << Symbology::DataMatrix << BARCODE_DATAMATRIX;
}

// The rectangles built from the module grid cover exactly the modules the
// library's own drawing of the symbol covers, quiet zone and all, for the
// values a run prints and for texts of every size.
void TestBarcode::matrixSymbolsAreTheLibrarysDrawing()
{
    QFETCH(Symbology, symbology);
    QFETCH(int, libraryId);
    QStringList texts{sampleOf(symbology).text, QString(200, u'x')};
    for (int value = 0; value < 300; value += 7)
        texts.append(QStringLiteral("No. %1").arg(value * 104729, 7, 10, QLatin1Char('0')));
    for (const QString &text : texts) {
        const BarcodeSymbol symbol = encoded({symbology, 10, 2, false}, text);
        const QSize modules = (symbol.size / symbol.module).toSize();
        QImage ours(modules, QImage::Format_Mono);
        ours.fill(0);
        for (const QRectF &bar : symbol.bars) {
            for (int y = int(bar.top()); y < int(bar.bottom()); ++y)
                for (int x = int(bar.left()); x < int(bar.right()); ++x)
                    ours.setPixel(x, y, 1);
        }

        zint_symbol *library = ZBarcode_Create();
        library->symbology = libraryId;
        library->input_mode = UNICODE_MODE;
        library->output_options = BARCODE_QUIET_ZONES;
        library->scale = 0.5f;
        if (symbology == Symbology::DataMatrix)
            library->option_3 = DM_SQUARE;
        const QByteArray bytes = text.toUtf8();
        QVERIFY(ZBarcode_Encode_and_Buffer_Vector(
                    library, reinterpret_cast<const unsigned char *>(bytes.constData()),
                    int(bytes.size()), 0) < ZINT_ERROR);
        QImage theirs(modules, QImage::Format_Mono);
        theirs.fill(0);
        QCOMPARE(QSize(int(library->vector->width), int(library->vector->height)), modules);
        for (const zint_vector_rect *rect = library->vector->rectangles; rect; rect = rect->next) {
            for (int y = int(rect->y); y < int(rect->y + rect->height); ++y)
                for (int x = int(rect->x); x < int(rect->x + rect->width); ++x)
                    theirs.setPixel(x, y, 1);
        }
        ZBarcode_Delete(library);
        QVERIFY2(ours == theirs, qPrintable(text));
    }
}

void TestBarcode::printedSymbolsReadBack()
{
    QFETCH(Symbology, symbology);
    const bool matrix = symbology == Symbology::DataMatrix;
    const QString reader = matrix ? QStringLiteral("dmtxread") : QStringLiteral("zbarimg");
    for (const QString &tool : {QStringLiteral("pdftoppm"), reader}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + " is not installed"));
    }

    // One symbol on a page of its own, 1 pt a module, at the print run's 360 dpi.
    const Sample sample = sampleOf(symbology);
    const BarcodeSymbol symbol = encoded({symbology, 50, 1, true}, sample.text);
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("symbol.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(360);
        writer.setPageMargins(QMarginsF());
        writer.setPageSize(QPageSize(symbol.size + QSizeF(72, 72), QPageSize::Point));
        QPainter painter(&writer);
        drawBarcode(painter, symbol, QPointF(180, 180), 5, Qt::black, QStringLiteral("Arial"));
    }
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Filled rectangles and text only: no picture on the page.
    QVERIFY(!file.readAll().contains("/Subtype /Image"));

    const QString image = dir.filePath(QStringLiteral("symbol"));
    const ToolRun raster =
        runTool(QStringLiteral("pdftoppm"), {"-r", "300", "-gray", "-singlefile", pdf, image});
    QVERIFY2(raster.exitCode == 0, qPrintable(raster.err));
    const QStringList arguments =
        matrix ? QStringList{"-N1", image + ".pgm"}
               : QStringList{"--raw", "-q", "--nodbus", "-Supca.enable", image + ".pgm"};
    const ToolRun scan = runTool(reader, arguments);
    QVERIFY2(scan.exitCode == 0, qPrintable(scan.err));
    // zbarimg ends what it read with a line break, dmtxread does not.
    QCOMPARE(scan.out, matrix ? sample.read : sample.read + QLatin1Char('\n'));
}

QTEST_MAIN(TestBarcode)
#include "tst_barcode.moc"
