#include "documentbuilder.h"
#include "objecttable.h"
#include "pdf/runpdfwriter.h"
#include "picturefiles.h"
#include "run/placements.h"
#include "run/printrun.h"
#include "run/runbackground.h"
#include "toolrun.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

// The run's PDF writer against Qt's engine, page by page: each kind of
// object a run can hold, printed through both, rasterised by pdftoppm at 150
// dpi, shows the same pixels; the writer's file passes qpdf --check, embeds
// every font it uses and gives pdftotext the same text.

namespace {

constexpr int dotsPerInch = 360;

struct Run
{
    Document doc = emptyDocument(20);
    PrintPlan plan = wholeRun(1);
};

using Build = std::function<Run()>;

Run numbers(std::initializer_list<QString> faces, std::int32_t angle = 0)
{
    Run run;
    int row = 0;
    for (const QString &face : faces) {
        const int index = addNumber(run.doc, 60, 60 + 60 * row++, 1234567, 7);
        run.doc.objects[index].fontName = face;
        run.doc.objects[index].fontSize = 24;
        run.doc.objects[index].angle = angle;
    }
    addObject(run.doc, KindText, 60, 60 + 60 * row, QStringLiteral("Ticket Nº 5 – «Gala»"));
    run.doc.objects.last().angle = angle;
    return run;
}

Run colours()
{
    Run run = numbers({QStringLiteral("Arial")});
    const std::int32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080};
    for (int i = 0; i < 4; ++i)
        addNumber(run.doc, 60 + 100 * i, 300, 42 + i, 3);
    for (int i = 0; i < 4; ++i)
        run.doc.objects[run.doc.count() - 4 + i].color = colours[i];
    return run;
}

Run barcodes()
{
    Run run;
    const std::pair<Symbology, std::int32_t> symbols[] = {
        {Symbology::Code128, 1234567},   {Symbology::Code39, 1234567},
        {Symbology::Ean13, 400638133},   {Symbology::UpcA, 36000291},
        {Symbology::Itf, 12345678},      {Symbology::Qr, 1234567},
        {Symbology::DataMatrix, 1234567}};
    int row = 0;
    for (const auto &[symbology, start] : symbols) {
        const int index = addNumber(run.doc, 40 + 250 * (row % 2), 40 + 100 * (row / 2), start,
                                    symbology == Symbology::UpcA ? 11 : 12);
        run.doc.objects[index].format.barcode = BarcodeStyle{.symbology = symbology};
        ++row;
    }
    return run;
}

QByteArray svgPicture()
{
    return "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
           "<defs><linearGradient id='g'><stop offset='0' stop-color='navy'/>"
           "<stop offset='1' stop-color='gold'/></linearGradient></defs>"
           "<rect x='5' y='5' width='190' height='40' fill='url(#g)'/>"
           "<circle cx='40' cy='75' r='20' fill='none' stroke='green' stroke-width='4'"
           " stroke-dasharray='6 3'/>"
           "<text x='80' y='85' font-family='Liberation Serif' font-size='24'>Gala</text></svg>";
}

Run picture(const QByteArray &bytes)
{
    Run run = numbers({QStringLiteral("Arial")});
    if (!placePicture(run.doc, 100, 250, bytes, QStringLiteral("picture"), 1, QSizeF(200, 100)))
        qFatal("the picture could not be placed");
    return run;
}

Run background()
{
    Run run = numbers({QStringLiteral("Arial")});
    run.plan = wholeRun(2);
    run.doc.pagesToPrint = 2;
    run.plan.background = *runBackground(wordsPdf({"Admit", "Reserved"}), 1, 2);
    return run;
}

Run labels()
{
    Run run;
    SheetLayout sheet;
    sheet.paper = QSizeF(595, 842);
    sheet.label = QSizeF(180, 90);
    sheet.cornerRadius = 8;
    sheet.grids.append({3, 4, 20, 30, 190, 100});
    run.doc.sheet = sheet;
    addNumber(run.doc, 10, 10, 100, 3);
    // Wider than its label: cut at the label's edge.
    addNumber(run.doc, 120, 40, 123456789, 9);
    run.doc.objects.last().fontSize = 28;
    run.plan = wholeRun(12);
    run.doc.pagesToPrint = 12;
    return run;
}

Run twoSided()
{
    Run run = numbers({QStringLiteral("Arial")});
    run.doc.duplex = Duplex::LongEdge;
    const int back = addNumber(run.doc, 300, 500, 77, 3);
    run.doc.objects[back].side = Side::Back;
    return run;
}

Run calibrated()
{
    Run run = barcodes();
    addNumber(run.doc, 60, 500, 1234567, 7);
    run.plan.calibration = {
        .offsetX = 3, .offsetY = -2, .scaleX = 101, .scaleY = 99, .rotation = 20};
    return run;
}

// The run printed into `path` by Qt's engine or by the run writer, on A4
// with margins, as a printer's page gives them.
bool print(const Run &run, const QString &path, bool runWriter)
{
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(12, 12, 12, 12));
    if (!runWriter) {
        QPdfWriter writer(path);
        writer.setPageLayout(layout);
        writer.setResolution(dotsPerInch);
        return printRun(run.doc, dotsPerInch, true, pagedSheets(writer), run.plan).outcome ==
               PrintOutcome::Printed;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    RunPdfWriter writer(file);
    writer.setPageLayout(layout);
    writer.setResolution(dotsPerInch);
    writer.setDuplex(run.doc.duplex);
    PictureStore pictures = run.doc.pictures;
    if (run.plan.background)
        pictures.add(run.plan.background->bytes);
    writer.setPictures(pictures);
    return printRun(run.doc, dotsPerInch, true, runSheets(writer), run.plan).outcome ==
           PrintOutcome::Printed;
}

// The characters pdftotext finds in `pdf` and those of `more`, sorted,
// without blanks.
QString characters(const QString &pdf, const QString &more = {})
{
    QString found = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out + more;
    found.remove(QRegularExpression(QStringLiteral("\\s")));
    std::sort(found.begin(), found.end());
    return found;
}

QList<QImage> rasterised(const QString &pdf)
{
    const ToolRun run =
        runTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"), pdf, pdf});
    QList<QImage> pages;
    for (int page = 1;; ++page) {
        const QImage image(pdf + QStringLiteral("-%1.png").arg(page));
        if (run.exitCode != 0 || image.isNull())
            return pages;
        pages.append(image.convertToFormat(QImage::Format_RGB32));
    }
}

// Pixels of `a` that no pixel of `b` within one pixel comes near: an edge
// a fraction of a pixel away, which antialiasing shades differently, does
// not count.
int differingPixels(const QImage &a, const QImage &b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pixel = a.pixel(x, y);
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy) {
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    if (!b.valid(x + dx, y + dy))
                        continue;
                    const QRgb other = b.pixel(x + dx, y + dy);
                    near = std::abs(qRed(pixel) - qRed(other)) < 80 &&
                           std::abs(qGreen(pixel) - qGreen(other)) < 80 &&
                           std::abs(qBlue(pixel) - qBlue(other)) < 80;
                }
            }
            differing += near ? 0 : 1;
        }
    }
    return differing;
}

} // namespace

class TestRunPdfWriter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void pagesMatchQtsEngine_data()
    {
        QTest::addColumn<Build>("build");
        // The words of PDF pictures, which the writer keeps as text where
        // Qt's engine draws an image.
        QTest::addColumn<QString>("pictureWords");
        QTest::newRow("numbers in two fonts") << Build([] {
            return numbers({QStringLiteral("Arial"), QStringLiteral("DejaVu Serif"),
                            QStringLiteral("Nimbus Roman")});
        }) << QString();
        QTest::newRow("rotated text") << Build([] {
            return numbers({QStringLiteral("Arial"), QStringLiteral("DejaVu Serif")}, 30);
        }) << QString();
        QTest::newRow("colours") << Build(colours) << QString();
        QTest::newRow("each barcode symbology") << Build(barcodes) << QString();
        QTest::newRow("PNG picture") << Build([] {
            QImage image = busyImage(QSize(90, 60), 7).convertToFormat(QImage::Format_ARGB32);
            QPainter(&image).fillRect(QRect(0, 0, 30, 60), QColor(0, 0, 0, 0));
            return picture(encodedImage(image, "PNG"));
        }) << QString();
        QTest::newRow("JPEG picture")
            << Build([] { return picture(encodedImage(busyImage(QSize(90, 60), 8), "JPEG")); })
            << QString();
        QTest::newRow("SVG picture") << Build([] { return picture(svgPicture()); }) << QString();
        QTest::newRow("PDF picture")
            << Build([] { return picture(wordsPdf({"Encore"})); }) << QStringLiteral("Encore");
        QTest::newRow("background") << Build(background) << QStringLiteral("AdmitReserved");
        QTest::newRow("labels with clipping") << Build(labels) << QString();
        QTest::newRow("two-sided sheet") << Build(twoSided) << QString();
        QTest::newRow("calibration with rotation") << Build(calibrated) << QString();
    }

    void pagesMatchQtsEngine()
    {
        QFETCH(Build, build);
        QFETCH(QString, pictureWords);
        const Run run = build();
        const QString name = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(print(run, name + QStringLiteral(".qt.pdf"), false));
        QVERIFY(print(run, name + QStringLiteral(".pdf"), true));
        const QString pdf = name + QStringLiteral(".pdf");

        const ToolRun check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
        QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
        // Every font embedded (the columns emb, sub, uni, object, generation).
        const ToolRun fonts = runTool(QStringLiteral("pdffonts"), {pdf});
        for (const QString &line : fonts.out.split(u'\n', Qt::SkipEmptyParts).mid(2))
            QVERIFY2(line.split(u' ', Qt::SkipEmptyParts).end()[-5] == QLatin1String("yes"),
                     qPrintable(line));
        // The same characters, in whatever order a reader takes turned text.
        QCOMPARE(characters(pdf), characters(name + QStringLiteral(".qt.pdf"), pictureWords));

        const QList<QImage> written = rasterised(pdf);
        const QList<QImage> expected = rasterised(name + QStringLiteral(".qt.pdf"));
        QCOMPARE(written.size(), expected.size());
        QVERIFY(!written.isEmpty());
        for (qsizetype page = 0; page < written.size(); ++page) {
            QCOMPARE(written[page].size(), expected[page].size());
            // At most one pixel in a thousand apart, either way.
            const int tolerance = written[page].width() * written[page].height() / 1000;
            const int extra = differingPixels(written[page], expected[page]);
            const int missing = differingPixels(expected[page], written[page]);
            QVERIFY2(extra <= tolerance && missing <= tolerance,
                     qPrintable(QStringLiteral("page %1: %2 and %3 pixels apart")
                                    .arg(page + 1)
                                    .arg(extra)
                                    .arg(missing)));
        }
    }

    // A page is its content and its dictionary; what pages share is written
    // once, however many pages there are.
    void twoObjectsAPage_data()
    {
        QTest::addColumn<int>("pages");
        QTest::newRow("one page") << 1;
        QTest::newRow("fifty pages") << 50;
    }

    void twoObjectsAPage()
    {
        QFETCH(int, pages);
        Run run = colours();
        addObject(run.doc, KindText, 60, 400, QStringLiteral("Page {page}"));
        run.plan = wholeRun(pages);
        run.doc.pagesToPrint = pages;
        const QString pdf = m_dir.filePath(QStringLiteral("pages.pdf"));
        QVERIFY(print(run, pdf, true));
        const ToolRun trailer =
            runTool(QStringLiteral("qpdf"), {QStringLiteral("--show-object=trailer"), pdf});
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("/Size (\\d+)")).match(trailer.out);
        QVERIFY2(size.hasMatch(), qPrintable(trailer.out + trailer.err));
        // The free head, the catalog, the page tree, the resources, the
        // information, a font's five objects, the cross-reference stream.
        QCOMPARE(size.captured(1).toInt(), 2 * pages + 11);
        QCOMPARE(pdfPageCount(pdf), pages);
    }
};

QTEST_MAIN(TestRunPdfWriter)
#include "tst_runpdfwriter.moc"
