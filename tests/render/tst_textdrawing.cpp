#include "renderprobe.h"
#include "textdrawing.h"
#include "toolrun.h"

#include <QPainter>
#include <QPdfWriter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

namespace {

QString toString(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

PageObject textObject(std::int32_t x, std::int32_t y, std::int16_t fontSize, std::int32_t color = 0,
                      std::int32_t angle = 0)
{
    PageObject object;
    object.kind = KindText;
    object.x = x;
    object.y = y;
    object.fontSize = fontSize;
    object.color = color;
    object.angle = angle;
    return object;
}

// Where and how an object is drawn: the scale, the white image drawn on, the face
// and the device offset of the page origin.
struct Canvas
{
    std::int32_t scale = 1;
    QSize size{300, 200};
    QString face = QStringLiteral("Arial");
    QPoint offset{0, 0};
};

QImage drawn(PageObject object, const QString &text, const Canvas &canvas = {})
{
    RenderCache cache;
    object.fontName = canvas.face;
    QImage image = whiteImage(canvas.size.width(), canvas.size.height());
    QPainter painter(&image);
    drawObjectText(painter, cache, object, text, canvas.scale, canvas.offset.x(), canvas.offset.y(),
                   deviceArea(painter));
    return image;
}

} // namespace

class TestTextDrawing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colorsAreBgr();
    void redTextLiesRightOfAndBelowItsPoint();
    void cellIsFontSizeHighOnScreen();
    void paperShowsTheScaledOutline_data();
    void paperShowsTheScaledOutline();
    void measureIsTheCellScaledWidth();
    void measureAgreesWithDrawing();
    void emptyOrSizelessTextDrawsAndMeasuresNothing_data();
    void emptyOrSizelessTextDrawsAndMeasuresNothing();
    void angle90ReadsUpwards();
    void angleMinus45Descends();
    void unknownFaceStillDraws();
    void positionsWrapIn32Bits();
    void hugeFontStaysInsideItsCell();
    void longTextShowsAsItsHead_data();
    void longTextShowsAsItsHead();
};

void TestTextDrawing::colorsAreBgr()
{
    QCOMPARE(colorFromBgr(0x0000FF), QColor(255, 0, 0));
    QCOMPARE(colorFromBgr(0x00FF00), QColor(0, 255, 0));
    QCOMPARE(colorFromBgr(0xFF0000), QColor(0, 0, 255));
    QCOMPARE(colorFromBgr(0x123456), QColor(0x56, 0x34, 0x12));
    // The high byte is not part of the colour.
    QCOMPARE(colorFromBgr(static_cast<std::int32_t>(0xFF0000FFu)), QColor(255, 0, 0));
}

void TestTextDrawing::redTextLiesRightOfAndBelowItsPoint()
{
    const QImage image = drawn(textObject(20, 30, 14, 0x0000FF), QStringLiteral("Hello!"));
    const Ink ink = findInk(image, white);
    QVERIFY(ink.pixels > 50);
    QVERIFY(ink.bounds.left() >= 20 && ink.bounds.left() <= 22);
    QVERIFY(ink.bounds.top() >= 30);
    QVERIFY(ink.bounds.bottom() < 44);
    // One solid colour: fully covered pixels are pure red, the rest red over white.
    QVERIFY(countColor(image, red) > 0);
    for (int y = ink.bounds.top(); y <= ink.bounds.bottom(); ++y) {
        for (int x = ink.bounds.left(); x <= ink.bounds.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            QCOMPARE(qRed(pixel), 255);
            QCOMPARE(qGreen(pixel), qBlue(pixel));
        }
    }
}

void TestTextDrawing::cellIsFontSizeHighOnScreen()
{
    // 'Á' reaches almost to the top of the cell and 'g' almost to its bottom;
    // a font asked for a 14-pixel em would overflow a 14-pixel cell.
    const QImage image = drawn(textObject(10, 10, 14), QStringLiteral("ÁgÁg"));
    const Ink ink = findInk(image, white);
    QVERIFY(ink.bounds.top() >= 10);
    QVERIFY2(ink.bounds.bottom() <= 23, qPrintable(QString::number(ink.bounds.bottom())));
    QVERIFY2(ink.bounds.height() >= 12, qPrintable(QString::number(ink.bounds.height())));
}

void TestTextDrawing::paperShowsTheScaledOutline_data()
{
    QTest::addColumn<QString>("text");
    // Set as their glyphs where shaping would change nothing, else shaped.
    QTest::newRow("digits") << QStringLiteral("00125");
    QTest::newRow("capitals and a space") << QStringLiteral("AB 12");
    QTest::newRow("letters and signs") << QStringLiteral("\u00c1gNo. 7");
    QTest::newRow("beyond Latin-1") << QStringLiteral("\u2116 7 \u0416");
}

void TestTextDrawing::paperShowsTheScaledOutline()
{
    RenderCache cache;
    // A text on paper takes the cell of the same text drawn as a scaled
    // outline: at 360 dpi, scale 5, it lands on the same dots.
    QFETCH(QString, text);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm is not installed");
    const Canvas canvas{5, {400, 150}, QStringLiteral("Arial"), {20, 20}};
    const Ink outline = findInk(drawn(textObject(2, 2, 14), text, canvas), white);

    const QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("text.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(360);
        writer.setPageMargins(QMarginsF());
        writer.setPageSize(QPageSize(QSizeF(80, 30), QPageSize::Point));
        QPainter painter(&writer);
        PageObject object = textObject(2, 2, 14);
        object.fontName = canvas.face;
        drawObjectText(painter, cache, object, text, canvas.scale, canvas.offset.x(),
                       canvas.offset.y(), deviceArea(painter));
    }
    const QString image = dir.filePath(QStringLiteral("text"));
    const ToolRun raster =
        runTool(QStringLiteral("pdftoppm"), {"-r", "360", "-gray", "-singlefile", pdf, image});
    QVERIFY2(raster.exitCode == 0, qPrintable(raster.err));
    const Ink paper = findInk(QImage(image + QStringLiteral(".pgm")), white);
    for (const auto &[drawnEdge, printedEdge] :
         {std::pair{outline.bounds.left(), paper.bounds.left()},
          {outline.bounds.top(), paper.bounds.top()},
          {outline.bounds.right(), paper.bounds.right()},
          {outline.bounds.bottom(), paper.bounds.bottom()}})
        QVERIFY2(qAbs(drawnEdge - printedEdge) <= 1,
                 qPrintable(QStringLiteral("outline %1, paper %2")
                                .arg(toString(outline.bounds), toString(paper.bounds))));
}

void TestTextDrawing::measureIsTheCellScaledWidth()
{
    RenderCache cache;
    // The em of a 14-pixel cell in this face is about 12.5 pixels, so
    // "Hello!" (2.56 em) is 32 pixels wide, not the 36 of a 14-pixel em.
    const std::int32_t small =
        measureTextWidth(cache, QStringLiteral("Arial"), 14, QStringLiteral("Hello!"));
    QVERIFY2(small >= 31 && small <= 33, qPrintable(QString::number(small)));
    const std::int32_t large =
        measureTextWidth(cache, QStringLiteral("Arial"), 112, QStringLiteral("Hello!"));
    QVERIFY2(qAbs(large - 8 * small) <= 8, qPrintable(QString::number(large)));
    // Wider text is wider; repeated text adds up.
    const std::int32_t twice =
        measureTextWidth(cache, QStringLiteral("Arial"), 112, QStringLiteral("Hello!Hello!"));
    QVERIFY(qAbs(twice - 2 * large) <= 1);
}

void TestTextDrawing::measureAgreesWithDrawing()
{
    RenderCache cache;
    const QString text = QStringLiteral("HHHHHHHH");
    for (const std::int16_t size : {std::int16_t(14), std::int16_t(40)}) {
        const std::int32_t width = measureTextWidth(cache, QStringLiteral("Arial"), size, text);
        const QImage image = drawn(textObject(10, 10, size), text, {.size = {600, 100}});
        const Ink ink = findInk(image, white);
        // 'H' has small side bearings: the ink ends just inside the advance.
        QVERIFY2(ink.bounds.right() <= 10 + width && ink.bounds.right() >= 10 + width - 4,
                 qPrintable(QStringLiteral("%1 %2").arg(ink.bounds.right()).arg(width)));
    }
}

void TestTextDrawing::emptyOrSizelessTextDrawsAndMeasuresNothing_data()
{
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty text") << 14 << QString();
    QTest::newRow("size 0") << 0 << QStringLiteral("Hello!");
    QTest::newRow("negative size") << -14 << QStringLiteral("Hello!");
}

void TestTextDrawing::emptyOrSizelessTextDrawsAndMeasuresNothing()
{
    RenderCache cache;
    QFETCH(int, fontSize);
    QFETCH(QString, text);
    const auto size = static_cast<std::int16_t>(fontSize);
    QCOMPARE(measureTextWidth(cache, QStringLiteral("Arial"), size, text), 0);
    QCOMPARE(findInk(drawn(textObject(10, 10, size), text), white).pixels, 0);
}

void TestTextDrawing::angle90ReadsUpwards()
{
    const QImage image = drawn(textObject(100, 150, 14, 0, 90), QStringLiteral("Hello!"));
    const Ink ink = findInk(image, white);
    QVERIFY(ink.pixels > 50);
    // The line runs up from the point; the cell lies to its right.
    QVERIFY(ink.bounds.bottom() <= 150);
    QVERIFY(ink.bounds.top() < 150 - 25);
    QVERIFY(ink.bounds.left() >= 99);
    QVERIFY(ink.bounds.right() <= 100 + 14);
}

void TestTextDrawing::angleMinus45Descends()
{
    const QImage image = drawn(textObject(50, 50, 14, 0, -45), QStringLiteral("HHHHHHHH"));
    const Ink ink = findInk(image, white);
    QVERIFY(ink.pixels > 50);
    QVERIFY(ink.bounds.top() >= 49);
    const int middle = ink.bounds.center().x();
    const Ink left = findInk(image, white, QRect(QPoint(0, 0), QPoint(middle, image.height() - 1)));
    const Ink right = findInk(
        image, white, QRect(QPoint(middle + 1, 0), QPoint(image.width() - 1, image.height() - 1)));
    // Going right the text goes down by about as much.
    QVERIFY(right.bounds.center().y() - left.bounds.center().y() > 15);
    QVERIFY(ink.bounds.height() > 40 && ink.bounds.width() > 40);
}

void TestTextDrawing::unknownFaceStillDraws()
{
    RenderCache cache;
    const QString face = QStringLiteral("No Such Face At All");
    QVERIFY(measureTextWidth(cache, face, 14, QStringLiteral("Hello!")) > 0);
    const QImage image = drawn(textObject(10, 10, 14), QStringLiteral("Hello!"), {.face = face});
    const Ink ink = findInk(image, white);
    QVERIFY(ink.pixels > 20);
    QVERIFY(ink.bounds.top() >= 10 && ink.bounds.bottom() < 24);
}

void TestTextDrawing::positionsWrapIn32Bits()
{
    // 536870914 * 8 is 2^32 + 16: the device point wraps to x = 16.
    const QImage image = drawn(textObject(536870914, 5, 4), QStringLiteral("H"), {.scale = 8});
    const Ink ink = findInk(image, white);
    QVERIFY(ink.pixels > 20);
    QVERIFY(ink.bounds.left() >= 16 && ink.bounds.left() <= 20);
    // The largest x plus an offset wraps far to the left: nothing shows.
    const QImage offImage =
        drawn(textObject(std::numeric_limits<std::int32_t>::max(), 5, 14), QStringLiteral("Hello!"),
              {.size = {300, 100}, .offset = {40, 0}});
    QCOMPARE(findInk(offImage, white).pixels, 0);
}

void TestTextDrawing::hugeFontStaysInsideItsCell()
{
    // A cell taller than the largest page: the top of the cell above the capitals stays blank.
    const QImage image =
        drawn(textObject(0, 0, 32767), QStringLiteral("H"), {.scale = 8, .size = {200, 200}});
    QCOMPARE(findInk(image, white).pixels, 0);
    // It is drawn as the largest page's cell, 14400 units: shifted up by half that cell and
    // left into the left stem, the 'H' stem fills the view at both sizes.
    for (const std::int16_t size : {std::int16_t(14400), std::int16_t(32767)}) {
        const QImage stem = drawn(textObject(-1547, -7200, size), QStringLiteral("H"),
                                  {.scale = 8, .size = {200, 200}});
        QCOMPARE(countColor(stem, black), 200 * 200);
    }
}

void TestTextDrawing::longTextShowsAsItsHead_data()
{
    QTest::addColumn<std::int32_t>("angle");
    QTest::newRow("level") << 0;
    QTest::newRow("turned") << -30;
}

void TestTextDrawing::longTextShowsAsItsHead()
{
    RenderCache cache;
    // Digits beyond the device are not drawn, and what shows is what the whole line shows.
    QFETCH(std::int32_t, angle);
    const QString digits = QString(30000, QLatin1Char('8')).replace(7, 1, QLatin1Char('1'));
    const PageObject object = textObject(5, 20, 14, 0, angle);
    const QImage whole = drawn(object, digits.left(60), {.size = {2000, 400}});
    QCOMPARE(drawn(object, digits), whole.copy(0, 0, 300, 200));
    // Nor is a line measured past the largest page: 14400 units and the last started digit.
    const std::int32_t width = measureTextWidth(cache, QStringLiteral("Arial"), 14, digits);
    QVERIFY2(width >= 14400 && width < 14400 + 14, qPrintable(QString::number(width)));
}

QTEST_MAIN(TestTextDrawing)
#include "tst_textdrawing.moc"
