#include "craftedpdfs.h"
#include "layout.h"
#include "pagerenderer.h"
#include "picturefiles.h"
#include "pictures/picturedrawing.h"
#include "renderprobe.h"
#include "textdrawing.h"

#include <QPainter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <array>
#include <limits>

namespace {

// A document window of the design size over a 400 x 300 sheet
// (2000 x 1500 dots at 360 dpi).
struct Scene
{
    Scene()
    {
        state.pageExtent = {0, 0, 2000, 1500};
        context.windowRect = QRect(0, 0, 773, 479);
        context.present = [this](const QImage &image) {
            ++presents;
            presentedSize = image.size();
        };
    }
    Scene(const Scene &) = delete;
    Scene &operator=(const Scene &) = delete;

    // A screen render of the page shown, over the boxes the layout gives.
    const QImage &render(std::int32_t scroll = 0)
    {
        context.scrollOffset = scroll;
        boxes = layoutPass(doc, scroll, state.cache);
        report = renderPage(doc, boxes, state, context);
        return state.backBuffer;
    }

    // Page `page` of the run on a white sheet, at `scale` dots per page unit.
    QImage print(QSize size, std::int32_t page = 1, std::int32_t scale = 1)
    {
        QImage sheet = whiteImage(size.width(), size.height());
        QPainter painter(&sheet);
        report = renderPrintedPage(painter, state.cache, RunTexts(doc), page, scale);
        return sheet;
    }

    Document doc = emptyDocument(20);
    QList<Bounds32> boxes;
    RenderState state;
    RenderContext context;
    RenderReport report;
    int presents = 0;
    QSize presentedSize;
};

bool isFramed(const QImage &image, const Bounds32 &box)
{
    for (int x = box.left; x < box.right; ++x) {
        if (image.pixel(x, box.top) != black || image.pixel(x, box.bottom - 1) != black)
            return false;
    }
    for (int y = box.top; y < box.bottom; ++y) {
        if (image.pixel(box.left, y) != black || image.pixel(box.right - 1, y) != black)
            return false;
    }
    return true;
}

// A red 4 x 4 marker at the box's bottom-left corner, where only the line
// leaving its centre may cross it.
bool hasMarker(const QImage &image, const Bounds32 &box)
{
    return countColor(image, red, QRect(box.left - 2, box.bottom - 2, 4, 4)) >= 12;
}

// No red within `margin` of the box's bottom-left corner.
bool isUnmarked(const QImage &image, const Bounds32 &box, int margin)
{
    const QRect around(box.left - margin, box.bottom - margin, 2 * margin + 1, 2 * margin + 1);
    return countColor(image, red, around) == 0;
}

// One-letter text objects (A, B, C and on) at the given page points; their indices.
template <std::size_t N> std::array<int, N> addLabels(Document &doc, const QPoint (&points)[N])
{
    std::array<int, N> indices{};
    for (std::size_t i = 0; i < N; ++i) {
        indices[i] = addObject(doc, KindText, points[i].x(), points[i].y(),
                               QString(QChar(u'A' + doc.count())));
    }
    return indices;
}

} // namespace

class TestPageRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printerScaleIsAtLeastOne_data();
    void printerScaleIsAtLeastOne();
    void bufferCoversWindowFromClientOrigin();
    void deskAndSheetFollowPrinterResolution_data();
    void deskAndSheetFollowPrinterResolution();
    void closedDocumentShowsTheDeskAlone();
    void objectsSitAtWindowOffset_data();
    void objectsSitAtWindowOffset();
    void stackingOrderDecidesWhatIsOnTop();
    void lowerTextShowsThroughGaps();
    void strayDrawOrderEntriesAreSkipped();
    void scrollMovesEverythingButTheDesk();
    void linkOverlayMarksEachStep();
    void severalLinksAllHaveRedMarkers();
    void malformedChainsEndTheirWalk();
    void selectionFramesFollowBoxes();
    void layoutPassBoxes();
    void layoutMeasuresThePageShown();
    void printedPageDrawsObjectsOnlyScaled();
    void rendersShowTheirPage_data();
    void rendersShowTheirPage();
    void numbersWithoutWidthAreReported_data();
    void numbersWithoutWidthAreReported();
    void pictureShowsAPlaceholderOnScreenOnly();
    void refusedBarcodeShowsAFrameAndWhy();
    void craftedPicturesAreBounded_data();
    void craftedPicturesAreBounded();
    void svgDrawsOnlyWhatItHolds_data();
    void svgDrawsOnlyWhatItHolds();
    void textsAndLinksFromBeyondTheWindowAreDrawn_data();
    void textsAndLinksFromBeyondTheWindowAreDrawn();
};

void TestPageRenderer::printerScaleIsAtLeastOne_data()
{
    QTest::addColumn<std::int32_t>("resolution");
    QTest::addColumn<std::int32_t>("scale");
    QTest::newRow("360") << 360 << 5;
    QTest::newRow("300") << 300 << 4;
    QTest::newRow("600") << 600 << 8;
    QTest::newRow("72") << 72 << 1;
    QTest::newRow("71") << 71 << 1;
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("negative") << -600 << 1;
    QTest::newRow("largest") << std::numeric_limits<std::int32_t>::max() << 29826161;
}

void TestPageRenderer::printerScaleIsAtLeastOne()
{
    QFETCH(std::int32_t, resolution);
    QFETCH(std::int32_t, scale);
    QCOMPARE(printerScale(resolution), scale);
}

void TestPageRenderer::bufferCoversWindowFromClientOrigin()
{
    Scene scene;
    QCOMPARE(scene.render().size(), QSize(773, 479));
    QCOMPARE(scene.presents, 1);
    QCOMPARE(scene.presentedSize, QSize(773, 479));

    scene.context.windowRect = QRect(10, 20, 300, 200);
    scene.render();
    QCOMPARE(scene.state.backBuffer.size(), QSize(310, 220));
    QCOMPARE(edges(scene.state.windowBounds), (Edges{10, 20, 310, 220}));
    QCOMPARE(scene.presents, 2);
    QCOMPARE(scene.presentedSize, QSize(310, 220));

    // A window with no area leaves nothing to draw on and nothing to show.
    Scene empty;
    empty.context.windowRect = QRect();
    empty.render();
    QVERIFY(empty.state.backBuffer.isNull());
    QCOMPARE(empty.presents, 0);
}

void TestPageRenderer::deskAndSheetFollowPrinterResolution_data()
{
    QTest::addColumn<std::int32_t>("resolution");
    QTest::addColumn<Edges>("extent");
    QTest::addColumn<QSize>("sheet");
    QTest::newRow("360 dpi") << 360 << Edges{0, 0, 2000, 1500} << QSize(400, 300);
    QTest::newRow("600 dpi") << 600 << Edges{0, 0, 2400, 1600} << QSize(300, 200);
    // Below 72 dpi the divisor stays 1 instead of dividing by zero.
    QTest::newRow("below 72 dpi") << 50 << Edges{100, 50, 400, 250} << QSize(300, 200);
    QTest::newRow("inverted extent") << 360 << Edges{0, 0, -2000, -1500} << QSize(0, 0);
}

void TestPageRenderer::deskAndSheetFollowPrinterResolution()
{
    QFETCH(std::int32_t, resolution);
    QFETCH(Edges, extent);
    QFETCH(QSize, sheet);
    Scene scene;
    // Rendered over the default sheet, which must not show through.
    scene.render();
    scene.state.printerResolution = resolution;
    scene.state.pageExtent = {extent[0], extent[1], extent[2], extent[3]};
    const QImage &image = scene.render();
    const int w = sheet.width();
    const int h = sheet.height();
    QCOMPARE(countColor(image, grey), 773 * 479 - w * h);
    if (sheet.isEmpty())
        return;

    // The sheet starts at (40, 40); right and bottom are exclusive, the frame lies inside.
    QCOMPARE(image.pixel(39, 100), grey);
    QCOMPARE(image.pixel(40, 100), black);
    QCOMPARE(image.pixel(41, 100), white);
    QCOMPARE(image.pixel(40 + w - 2, 100), white);
    QCOMPARE(image.pixel(40 + w - 1, 100), black);
    QCOMPARE(image.pixel(40 + w, 100), grey);
    QCOMPARE(image.pixel(100, 39), grey);
    QCOMPARE(image.pixel(100, 40), black);
    QCOMPARE(image.pixel(100, 40 + h - 1), black);
    QCOMPARE(image.pixel(100, 40 + h), grey);
    QCOMPARE(findInk(image, white, QRect(41, 41, w - 2, h - 2)).pixels, 0);
    QCOMPARE(countColor(image, black), 2 * w + 2 * (h - 2));
}

void TestPageRenderer::closedDocumentShowsTheDeskAlone()
{
    Scene scene;
    addObject(scene.doc, KindText, 10, 10, QStringLiteral("Hello!"));
    scene.context.docOpen = false;
    scene.render();
    const QImage &image = scene.state.backBuffer;
    QCOMPARE(scene.presents, 1);
    QCOMPARE(countColor(image, QColor(0x80, 0x80, 0x80).rgb()),
             qsizetype(image.width()) * image.height());
}

void TestPageRenderer::objectsSitAtWindowOffset_data()
{
    QTest::addColumn<int>("ratio");
    QTest::newRow("100 %") << 1;
    QTest::newRow("200 %") << 2;
}

void TestPageRenderer::objectsSitAtWindowOffset()
{
    // On a scaled screen the page is drawn in device pixels, in the same place.
    QFETCH(int, ratio);
    Scene scene;
    scene.context.devicePixelRatio = ratio;
    addObject(scene.doc, KindText, 10, 20, QStringLiteral("Hello!"), 0x0000FF);
    const QImage &image = scene.render();
    QCOMPARE(image.size(), QSize(773, 479) * ratio);
    QCOMPARE(image.devicePixelRatio(), qreal(ratio));
    const Ink ink = findInk(image, white, QRect(41 * ratio, 41 * ratio, 398 * ratio, 298 * ratio));
    QVERIFY(ink.bounds.left() >= 50 * ratio && ink.bounds.left() <= 52 * ratio);
    QVERIFY(ink.bounds.top() >= 60 * ratio && ink.bounds.bottom() < 74 * ratio);
    QVERIFY(countColor(image, red) > 0);
    // Drawn at that resolution, not window pixels enlarged: neighbours differ within pairs.
    int split = 0;
    for (int y = ink.bounds.top(); y <= ink.bounds.bottom(); ++y) {
        for (int x = ink.bounds.left() & ~1; x < ink.bounds.right(); x += 2)
            split += image.pixel(x, y) != image.pixel(x + 1, y) ? 1 : 0;
    }
    QVERIFY(split > 0);
}

void TestPageRenderer::stackingOrderDecidesWhatIsOnTop()
{
    Scene scene;
    addObject(scene.doc, KindText, 50, 50, QStringLiteral("MMMM"), 0x0000FF, 40);
    addObject(scene.doc, KindText, 50, 50, QStringLiteral("MMMM"), 0xFF0000, 40);
    QImage image = scene.render();
    QCOMPARE(countColor(image, red), 0);
    QVERIFY(countColor(image, blue) > 20);

    // Bring the red one to the front.
    scene.doc.drawOrder[0] = 1;
    scene.doc.drawOrder[1] = 0;
    image = scene.render();
    QCOMPARE(countColor(image, blue), 0);
    QVERIFY(countColor(image, red) > 20);
}

void TestPageRenderer::lowerTextShowsThroughGaps()
{
    Scene scene;
    addObject(scene.doc, KindText, 50, 50, QStringLiteral("MMMMMM"), 0x0000FF, 40);
    const int redAlone = countColor(scene.render(), red);
    addObject(scene.doc, KindText, 70, 50, QStringLiteral("l"), 0xFF0000, 40);
    const QImage &image = scene.render();
    QVERIFY(countColor(image, blue) > 0);
    QVERIFY(countColor(image, red) > redAlone / 2);
}

void TestPageRenderer::strayDrawOrderEntriesAreSkipped()
{
    Scene scene;
    addObject(scene.doc, KindText, 20, 20, QStringLiteral("MMMM"), 0xFF0000, 40);
    addObject(scene.doc, KindText, 20, 120, QStringLiteral("MMMM"), 0x00FF00, 40);

    // Entries naming no object are passed over; an object the order leaves out is not drawn.
    setDrawOrder(scene.doc, {7, 0});
    QImage image = scene.render();
    QCOMPARE(countColor(image, green), 0);
    QVERIFY(countColor(image, blue) > 0);

    setDrawOrder(scene.doc, {-1, 1, 2});
    image = scene.render();
    QCOMPARE(countColor(image, blue), 0);
    QVERIFY(countColor(image, green) > 0);
}

void TestPageRenderer::scrollMovesEverythingButTheDesk()
{
    Scene scene;
    const int a = addObject(scene.doc, KindText, 100, 150, QStringLiteral("Hello!"), 0x0000FF);
    const int b = addObject(scene.doc, KindText, 200, 230, QStringLiteral("World"));
    linkObjects(scene.doc, 0, {a, b});
    scene.doc.objects[b].selected = 1;
    scene.context.showLinkOverlay = true;

    const QImage still = scene.render(0);
    const QImage scrolled = scene.render(120);
    QCOMPARE(scene.boxes[a].top, 150 + 40 - 120);

    for (int y = 0; y + 120 < still.height(); ++y) {
        for (int x = 0; x < still.width(); ++x) {
            if (scrolled.pixel(x, y) != still.pixel(x, y + 120))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
        }
    }
    // The desk below the moved sheet is filled as before.
    QCOMPARE(scrolled.pixel(100, 219), black);
    QCOMPARE(countColor(scrolled, grey, QRect(0, 220, 773, 259)), 773 * 259);
    QVERIFY(isFramed(scrolled, scene.boxes[b]));
    QVERIFY(hasMarker(scrolled, scene.boxes[a]));
}

void TestPageRenderer::linkOverlayMarksEachStep()
{
    Scene scene;
    const int a = addObject(scene.doc, KindText, 50, 50, QStringLiteral("AAAA"));
    const int b = addObject(scene.doc, KindText, 150, 100, QStringLiteral("BBBB"));
    const int c = addObject(scene.doc, KindText, 250, 150, QStringLiteral("CCCC"));
    linkObjects(scene.doc, 0, {a, b, c});

    const QImage plain = scene.render();
    QCOMPARE(countColor(plain, red), 0);

    scene.context.showLinkOverlay = true;
    const QImage linked = scene.render();
    const Bounds32 &boxA = scene.boxes[a];
    const Bounds32 &boxB = scene.boxes[b];
    const Bounds32 &boxC = scene.boxes[c];
    QVERIFY(hasMarker(linked, boxA));
    QVERIFY(hasMarker(linked, boxB));
    QVERIFY(isUnmarked(linked, boxC, 4));
    const int markers = countColor(linked, red);
    QVERIFY2(markers >= 24 && markers <= 32, qPrintable(QString::number(markers)));

    // A line from A's bottom-left to B's top-left: black half way along.
    const int midX = (boxA.left + boxB.left) / 2;
    const int midY = (boxA.bottom + boxB.top) / 2;
    QVERIFY(countColor(linked, black, QRect(midX, midY - 1, 1, 3)) > 0);

    // Only the overlay differs from the plain render.
    const QRect overlay = QRect(QPoint(boxA.left - 2, boxA.bottom - 2), QPoint(boxC.left, boxC.top))
                              .normalized()
                              .adjusted(0, 0, 1, 1);
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (plain.pixel(x, y) != linked.pixel(x, y) && !overlay.contains(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 changed").arg(x).arg(y)));
        }
    }
}

void TestPageRenderer::severalLinksAllHaveRedMarkers()
{
    Scene scene;
    scene.context.showLinkOverlay = true;
    const auto [a, b, c, d, e, f, g] = addLabels(
        scene.doc, {{20, 20}, {60, 60}, {120, 20}, {160, 60}, {220, 20}, {260, 60}, {300, 120}});
    linkObjects(scene.doc, 1, {a, b});
    linkObjects(scene.doc, 0, {c, d});
    linkObjects(scene.doc, 2, {e, f, g});
    const QImage &image = scene.render();
    for (const int index : {a, c, e, f})
        QVERIFY2(hasMarker(image, scene.boxes[index]), qPrintable(QString::number(index)));
    for (const int index : {b, d, g})
        QVERIFY2(isUnmarked(image, scene.boxes[index], 3), qPrintable(QString::number(index)));
}

void TestPageRenderer::malformedChainsEndTheirWalk()
{
    Scene scene;
    scene.context.showLinkOverlay = true;
    const auto [a, b, c, d, e] =
        addLabels(scene.doc, {{20, 20}, {60, 60}, {120, 20}, {220, 20}, {260, 60}});
    linkObjects(scene.doc, 0, {a, b});
    scene.doc.objects[b].linkNext = a; // a cycle
    linkObjects(scene.doc, 1, {c});
    scene.doc.objects[c].linkNext = 57; // past the table
    linkObjects(scene.doc, 20, {d, e}); // a link number the table cannot hold

    const QImage &image = scene.render();
    QVERIFY(hasMarker(image, scene.boxes[a]));
    QVERIFY(hasMarker(image, scene.boxes[b]));
    for (const int index : {c, d})
        QVERIFY2(isUnmarked(image, scene.boxes[index], 3), qPrintable(QString::number(index)));
}

void TestPageRenderer::selectionFramesFollowBoxes()
{
    Scene scene;
    const int a = addObject(scene.doc, KindText, 50, 50, QStringLiteral("Hello!"));
    const int b = addObject(scene.doc, KindText, 50, 100, QStringLiteral("Hello!"));
    const int c = addObject(scene.doc, KindText, 50, 150, QStringLiteral("Hello!"));
    const int d = addObject(scene.doc, KindText, 150, 250, QStringLiteral("Hello!"));
    scene.doc.objects[a].selected = 1;
    scene.doc.objects[b].selected = -1;
    scene.doc.objects[c].selected = 0;
    scene.doc.objects[d].selected = 1;
    scene.doc.objects[d].angle = 90;

    const QImage &image = scene.render();
    QVERIFY(isFramed(image, scene.boxes[a]));
    QVERIFY(isFramed(image, scene.boxes[d]));
    QVERIFY(!isFramed(image, scene.boxes[b]));
    QVERIFY(!isFramed(image, scene.boxes[c]));
    // Just outside a frame the sheet is untouched.
    const Bounds32 &box = scene.boxes[a];
    QCOMPARE(image.pixel(box.left - 1, box.top + 3), white);
    QCOMPARE(image.pixel(box.right, box.top + 3), white);
    QCOMPARE(image.pixel(box.left + 3, box.top - 1), white);
    QCOMPARE(image.pixel(box.left + 3, box.bottom), white);
    // The rotated text rises out of its frame.
    const Bounds32 &turned = scene.boxes[d];
    QVERIFY(findInk(image, white, QRect(turned.left, turned.top - 30, 14, 25)).pixels > 20);
}

void TestPageRenderer::layoutPassBoxes()
{
    RenderCache cache;
    Document doc = emptyDocument(20);
    const int number = addNumber(doc, 10, 20, -5, 5);
    const int empty = addObject(doc, KindText, 30, 40, QString());
    const int flat = addObject(doc, KindText, 50, 60, QStringLiteral("Hello!"));
    const int turned = addObject(doc, KindText, 50, 60, QStringLiteral("Hello!"));
    doc.objects[turned].angle = 90;
    const int sizeless = addObject(doc, KindText, 70, 80, QStringLiteral("Hello!"), 0, 0);
    const int edge = addObject(doc, KindText, std::numeric_limits<std::int32_t>::max(), 0,
                               QStringLiteral("Hello!"));

    const QList<Bounds32> boxes = layoutPass(doc, 30, cache);

    // Boxes start at the window offset less the scroll, as wide as the text of the page
    // shown and as high as the size.
    QCOMPARE(boxes.size(), doc.count());
    const std::int32_t width =
        measureTextWidth(cache, QStringLiteral("Arial"), 14, QStringLiteral("-0005"));
    QVERIFY(width > 20);
    QCOMPARE(edges(boxes[number]), (Edges{50, 30, 50 + width, 44}));
    QCOMPARE(edges(boxes[empty]), (Edges{70, 50, 70, 64}));
    // The angle does not turn the box.
    QCOMPARE(edges(boxes[turned]), edges(boxes[flat]));
    QCOMPARE(edges(boxes[sizeless]), (Edges{110, 90, 110, 90}));

    QCOMPARE(boxes[edge].left, std::numeric_limits<std::int32_t>::min() + 39);
    QVERIFY(boxes[edge].right > boxes[edge].left);
}

void TestPageRenderer::layoutMeasuresThePageShown()
{
    RenderCache cache;
    Document doc = emptyDocument(20);
    addNumber(doc, 10, 20, -5, 5);
    addNumber(doc, 10, 60, 99, 5);
    addObject(doc, KindText, 10, 100, QStringLiteral("Hello!"));
    // The page shown and what each object shows on it.
    const QList<std::pair<std::int32_t, QStringList>> pages{
        {1, {"-0005", "00099", "Hello!"}},
        {5, {"-0001", "00103", "Hello!"}},
        {6, {"00000", "00104", "Hello!"}},
    };
    for (const auto &[page, texts] : pages) {
        doc.pageShown = page;
        QList<std::int32_t> expected;
        for (const QString &text : texts)
            expected.append(measureTextWidth(cache, QStringLiteral("Arial"), 14, text));
        QList<std::int32_t> widths;
        for (const Bounds32 &box : layoutPass(doc, 0, cache))
            widths.append(box.right - box.left);
        QCOMPARE(widths, expected);
    }
}

void TestPageRenderer::printedPageDrawsObjectsOnlyScaled()
{
    RenderCache cache;
    Scene scene;
    const int a = addObject(scene.doc, KindText, 100, 50, QStringLiteral("ÁgÁg"));
    const int b = addObject(scene.doc, KindText, 20, 20, QString());
    linkObjects(scene.doc, 0, {a, b});
    scene.doc.objects[a].selected = 1;

    // 600 dpi: 8 dots per page unit.
    const QImage page = scene.print({1400, 700}, 1, 8);
    const Ink ink = findInk(page, white);
    QVERIFY(ink.pixels > 500);
    QVERIFY2(ink.bounds.left() >= 799 && ink.bounds.left() <= 804,
             qPrintable(QString::number(ink.bounds.left())));
    QVERIFY2(ink.bounds.top() >= 399 && ink.bounds.top() <= 406,
             qPrintable(QString::number(ink.bounds.top())));
    QVERIFY2(ink.bounds.bottom() <= 512, qPrintable(QString::number(ink.bounds.bottom())));
    QVERIFY2(ink.bounds.height() >= 104, qPrintable(QString::number(ink.bounds.height())));
    const std::int32_t width =
        measureTextWidth(cache, QStringLiteral("Arial"), 112, QStringLiteral("ÁgÁg"));
    QVERIFY(ink.bounds.right() <= 800 + width);
    // The ink bounds leave no room for a desk, a sheet or a selection frame; no link marker.
    QCOMPARE(countColor(page, red), 0);
}

void TestPageRenderer::rendersShowTheirPage_data()
{
    QTest::addColumn<bool>("printed");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("pageShown");
    QTest::addColumn<int>("page"); // the printed page
    QTest::addColumn<QString>("shown");
    QTest::newRow("screen, page 3 shown") << false << 125 << 3 << 0 << QStringLiteral("00127");
    QTest::newRow("screen, signed start") << false << -5 << 1 << 0 << QStringLiteral("-0005");
    QTest::newRow("printed page 2, page 3 shown")
        << true << 125 << 3 << 2 << QStringLiteral("00126");
}

void TestPageRenderer::rendersShowTheirPage()
{
    QFETCH(bool, printed);
    QFETCH(int, start);
    QFETCH(int, pageShown);
    QFETCH(int, page);
    QFETCH(QString, shown);

    // A number, and a text object showing what the number should show on that page.
    Scene number;
    addNumber(number.doc, 10, 10, start, 5);
    Scene text;
    addObject(text.doc, KindText, 10, 10, shown);
    for (Scene *scene : {&number, &text})
        scene->doc.pageShown = pageShown;

    const QImage image = printed ? number.print({200, 100}, page) : number.render();
    const QImage expected = printed ? text.print({200, 100}, page) : text.render();
    QVERIFY(findInk(expected, white, printed ? QRect() : QRect(41, 41, 150, 50)).pixels > 20);
    QVERIFY(image == expected);
}

void TestPageRenderer::numbersWithoutWidthAreReported_data()
{
    QTest::addColumn<bool>("printed");
    QTest::addColumn<bool>("docOpen");
    QTest::addColumn<QList<int>>("digits"); // of the numbers on the page
    QTest::addColumn<int>("reported");
    QTest::newRow("screen") << false << true << QList<int>{5, 0, -3, 0} << 3;
    QTest::newRow("printed") << true << true << QList<int>{5, 0, -3, 0} << 3;
    QTest::newRow("every number has a width") << false << true << QList<int>{5, 1} << 0;
    QTest::newRow("closed document") << false << false << QList<int>{0} << 0;
}

void TestPageRenderer::numbersWithoutWidthAreReported()
{
    QFETCH(bool, printed);
    QFETCH(bool, docOpen);
    QFETCH(QList<int>, digits);
    QFETCH(int, reported);

    Scene scene;
    addObject(scene.doc, KindText, 10, 10, QString());
    addObject(scene.doc, KindPicture, 10, 40, QString());
    for (const int width : digits)
        addNumber(scene.doc, 10, 80 + 20 * scene.doc.count(), 1, static_cast<std::int16_t>(width));
    scene.context.docOpen = docOpen;
    if (printed)
        scene.print({400, 300});
    else
        scene.render();
    QCOMPARE(scene.report.emptyNumbers, reported);
}

void TestPageRenderer::textsAndLinksFromBeyondTheWindowAreDrawn_data()
{
    // Page points and angles whose reference points lie outside the 773 x 479
    // window (page origin at 40, 40), and a strip of grey desk they reach into.
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to"); // a second, linked object; (0, 0) for none
    QTest::addColumn<int>("angle");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("strip");
    QTest::newRow("long text from the left")
        << QPoint(-300, 20) << QPoint() << 0 << QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWW")
        << QRect(0, 55, 39, 20);
    QTest::newRow("turned up from below")
        << QPoint(100, 449) << QPoint() << 90 << QStringLiteral("Hello") << QRect(130, 450, 40, 29);
    QTest::newRow("turned down from above")
        << QPoint(100, -60) << QPoint() << -90 << QStringLiteral("Hello") << QRect(100, 0, 40, 39);
    QTest::newRow("link across the window") << QPoint(500, -300) << QPoint(500, 900) << 0
                                            << QStringLiteral("A") << QRect(530, 0, 20, 39);
}

void TestPageRenderer::textsAndLinksFromBeyondTheWindowAreDrawn()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, angle);
    QFETCH(QString, text);
    QFETCH(QRect, strip);

    Scene scene;
    const int first = addObject(scene.doc, KindText, from.x(), from.y(), text);
    scene.doc.objects[first].angle = angle;
    if (!to.isNull()) {
        const int second = addObject(scene.doc, KindText, to.x(), to.y(), text);
        linkObjects(scene.doc, 0, {first, second});
        scene.context.showLinkOverlay = true;
    }
    const QImage &image = scene.render();
    QVERIFY(countColor(image, grey, strip) < strip.width() * strip.height());
}

void TestPageRenderer::pictureShowsAPlaceholderOnScreenOnly()
{
    Scene scene;
    const int picture = addObject(scene.doc, KindPicture, 100, 100, QStringLiteral("ignored"));
    const QImage &screen = scene.render();
    QCOMPARE(edges(scene.boxes[picture]), (Edges{140, 140, 172, 172}));
    // A dashed grey frame on the box's edges, nothing inside.
    const QRect box(140, 140, 32, 32);
    const int frame = countColor(screen, grey, box);
    QVERIFY2(frame > 32 && frame < 4 * 31, qPrintable(QString::number(frame)));
    QCOMPARE(countColor(screen, grey, box.adjusted(1, 1, -1, -1)), 0);
    QCOMPARE(countColor(screen, black, box), 0);

    QCOMPARE(findInk(scene.print(QSize(400, 400)), white).pixels, 0);
}

// A value its symbology refuses shows a red dashed frame, nothing else, and
// the render says why.
void TestPageRenderer::refusedBarcodeShowsAFrameAndWhy()
{
    Scene scene;
    const int number = addNumber(scene.doc, 100, 100, 1, 5);
    scene.doc.objects[number].format.barcode = BarcodeStyle{.symbology = Symbology::Ean13};
    const QImage &screen = scene.render();
    const Bounds32 &box = scene.boxes[number];
    const QRect around(box.left - 2, box.top - 2, box.right - box.left + 4,
                       box.bottom - box.top + 4);
    const int frame = countColor(screen, QColor(0xC0, 0x26, 0x2D).rgb(), around);
    QVERIFY(frame > box.right - box.left);
    QCOMPARE(frame + countColor(screen, white, around), around.width() * around.height());
    QCOMPARE(scene.report.refusal,
             QStringLiteral("object 1: EAN-13 takes 12 or 13 digits; page 1 gives 5"));
}

void TestPageRenderer::craftedPicturesAreBounded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("refusal"); // empty when it is drawn
    // A bitmap header that claims 60,000 x 60,000 pixels.
    QByteArray bitmap(54, '\0');
    bitmap[0] = 'B';
    bitmap[1] = 'M';
    qToLittleEndian<quint32>(54, bitmap.data() + 10);
    qToLittleEndian<quint32>(40, bitmap.data() + 14);
    qToLittleEndian<qint32>(60000, bitmap.data() + 18);
    qToLittleEndian<qint32>(60000, bitmap.data() + 22);
    qToLittleEndian<quint16>(1, bitmap.data() + 26);
    qToLittleEndian<quint16>(24, bitmap.data() + 28);
    QTest::newRow("a bitmap of 3.6 billion pixels")
        << bitmap << 1 << "is no PNG, JPEG, SVG or PDF file that can be read";
    QImage mono(8000, 5000, QImage::Format_Mono);
    mono.fill(1);
    QTest::newRow("a PNG of 40 megapixels")
        << encodedImage(mono, "png") << 1 << "has more than 32 megapixels";
    const QByteArray png = encodedImage(busyImage(QSize(200, 100), 3), "png");
    QTest::newRow("a PNG cut short")
        << png.left(png.size() / 2) << 1 << "is no PNG, JPEG, SVG or PDF file that can be read";
    const QByteArray scans =
        withRepeatedScans(encodedImage(busyImage(QSize(64, 64), 5), "jpeg", true), 300);
    QTest::newRow("a JPEG of 300 scans more")
        << scans << 1
        << QStringLiteral("is a JPEG of %1 scans, more work to decode than a picture may take")
               .arg(jpegScans(scans));
    QImage flat(2048, 2048, QImage::Format_RGB32);
    flat.fill(Qt::darkCyan);
    const QByteArray wide = withRepeatedScans(encodedImage(flat, "jpeg", true), 130);
    QTest::newRow("a JPEG of 130 scans more over 4 megapixels")
        << wide << 1
        << QStringLiteral("is a JPEG of %1 scans, more work to decode than a picture may take")
               .arg(jpegScans(wide));
    QTest::newRow("a progressive JPEG as encoders write it")
        << encodedImage(busyImage(QSize(256, 256), 7), "jpeg", true) << 1 << "";
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" ";
    QTest::newRow("an SVG nested 100,000 deep")
        << svg + "width=\"10\" height=\"10\">" + QByteArray("<g>").repeated(100000) +
               QByteArray("</g>").repeated(100000) + "</svg>"
        << 1 << "nests its elements more than 256 deep";
    QTest::newRow("an SVG a billion units wide")
        << svg + "width=\"1e9\" height=\"1e9\"><rect width=\"1e9\" height=\"1e9\"/></svg>" << 1
        << "";
    QTest::newRow("a PDF page of 48 MB of content")
        << pdfOfContent(std::size_t{48} << 20) << 1 << "draws more than 32 MB on page 1";
    QTest::newRow("a PDF page of 4.7 million operators")
        << pdfOfContent(std::size_t{9} << 20) << 1
        << "runs more than 4 million operators on page 1";
    // As a fuzzer found it: compressed content that qpdf cannot inflate
    // whole, which Qt PDF may inflate further. Here its zlib header is gone.
    QByteArray damaged = pdfOfContent(std::size_t{40} << 20);
    damaged.replace(damaged.indexOf("stream\n") + 7, 2, QByteArray(2, '\0'));
    QTest::newRow("a PDF page of 40 MB of content, damaged")
        << damaged << 1 << "cannot be read on page 1";
    QTest::newRow("forms drawn 16 times within each other, 8 deep")
        << pdfOfNestedForms(8, 16) << 1 << "draws more than 32 MB on page 1";
    QTest::newRow("forms drawn 4 times within each other, 3 deep")
        << pdfOfNestedForms(3, 4) << 1 << "";
    QTest::newRow("a form drawn within itself")
        << pdfOfFormInItself() << 1 << "nests its drawings too deep on page 1";
    QTest::newRow("a PDF image of 36 megapixels")
        << pdfOfImage(6000, 6000) << 1 << "holds an image of more than 32 megapixels on page 1";
    QTest::newRow("a page past the end") << wordsPdf({"One"}) << 2 << "has no page 2";
    QTest::newRow("a PDF locked by a password") << lockedPdf() << 1 << "is protected by a password";
}

// A crafted picture is refused, saying why, or drawn within bounds, however
// large it says it is, is shown or costs to decode.
void TestPageRenderer::craftedPicturesAreBounded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, page);
    QFETCH(QString, refusal);
    const Outcome<PictureFile> read = readPictureFile(bytes, page);
    QCOMPARE(bool(read), refusal.isEmpty());
    QCOMPARE(read.error, refusal);
    QImage sheet = whiteImage(100, 100);
    QPainter painter(&sheet);
    RenderCache cache;
    QCOMPARE(drawPicture(painter, cache, bytes, QStringLiteral("crafted"), page,
                         QRectF(0, 0, 1e6, 1e6), true, nullptr),
             refusal.isEmpty());
}

void TestPageRenderer::svgDrawsOnlyWhatItHolds_data()
{
    QTest::addColumn<QByteArray>("element"); // inside an SVG that draws a green square
    QTest::addColumn<int>("references");     // to files or addresses, left out
    QTest::addColumn<bool>("blue");          // a blue picture it holds is drawn
    // FILE is a red picture beside the test; the SVG must never show it.
    const QByteArray image = R"(<image x="50" y="0" width="50" height="50" )";
    QTest::newRow("a file by its path") << image + R"(xlink:href="FILE"/>)" << 1 << false;
    QTest::newRow("a file by its URL") << image + R"(xlink:href="file://FILE"/>)" << 1 << false;
    QTest::newRow("a file beside the program") << image + R"(xlink:href="red.png"/>)" << 1 << false;
    QTest::newRow("a file by href alone") << image + R"(href="FILE"/>)" << 1 << false;
    QTest::newRow("an address") << image + R"(xlink:href="http://127.0.0.1:9/red.png"/>)" << 1
                                << false;
    QTest::newRow("another SVG's shape")
        << QByteArray(R"(<use xlink:href="other.svg#shape"/>)") << 1 << false;
    // INNER is an SVG, in base64, that shows FILE.
    QTest::newRow("an SVG it holds that names a file")
        << image + R"(xlink:href="data:image/svg+xml;base64,INNER"/>)" << 0 << false;
    QImage bluePicture(8, 8, QImage::Format_RGB32);
    bluePicture.fill(Qt::blue);
    QTest::newRow("a PNG it holds") << image + R"(xlink:href="data:image/png;base64,)" +
                                           encodedImage(bluePicture, "png").toBase64() + "\"/>"
                                    << 0 << true;
    QTest::newRow("a link for a viewer")
        << QByteArray(R"(<a xlink:href="http://example.com/"><rect width="1" height="1"/></a>)")
        << 0 << false;
}

// An SVG picture draws only what it holds, on screen and on paper: a file or
// an address it names is never read, and placing it says how many it names.
void TestPageRenderer::svgDrawsOnlyWhatItHolds()
{
    QFETCH(QByteArray, element);
    QFETCH(int, references);
    QFETCH(bool, blue);
    QTemporaryDir dir;
    QImage redPicture(8, 8, QImage::Format_RGB32);
    redPicture.fill(Qt::red);
    const QString file = dir.filePath(QStringLiteral("red.png"));
    QVERIFY(redPicture.save(file));
    // A relative name is the program's folder's.
    const auto back = qScopeGuard([folder = QDir::currentPath()] { QDir::setCurrent(folder); });
    QVERIFY(QDir::setCurrent(dir.path()));
    const QByteArray svg =
        R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )";
    const QByteArray inner = svg + R"(width="50" height="50"><image width="50" height="50" )"
                                   R"(xlink:href="FILE"/></svg>)";
    const QByteArray bytes =
        svg + R"(width="100" height="50"><rect width="50" height="50" fill="#00ff00"/>)" +
        element.replace("INNER", inner.toBase64()).replace("FILE", QFile::encodeName(file)) +
        "</svg>";
    const Outcome<PictureFile> read = readPictureFile(bytes);
    QVERIFY(read);
    QCOMPARE(read->externalReferences, references);
    for (const bool onScreen : {true, false}) {
        QImage sheet = whiteImage(200, 100);
        {
            QPainter painter(&sheet);
            RenderCache cache;
            QVERIFY(drawPicture(painter, cache, bytes, QStringLiteral("svg"), 1,
                                QRectF(0, 0, 200, 100), onScreen, nullptr));
        }
        QVERIFY(countColor(sheet, qRgb(0, 255, 0)) > 1000);
        QCOMPARE(countColor(sheet, qRgb(255, 0, 0)), 0);
        QCOMPARE(countColor(sheet, qRgb(0, 0, 255)) > 1000, blue);
    }
}

QTEST_MAIN(TestPageRenderer)
#include "tst_pagerenderer.moc"
