// Documents made to be slow: 10,000 objects whose values cost the most the
// file format or the program allows. Prints, for each, the first layout pass
// and screen render of page 1 (as on opening the document), two pages
// printed to a PDF in memory, and the longest stretch of that print between
// two chances to cancel it.

#include "layout.h"
#include "pagerenderer.h"
#include "pdf/runpdfwriter.h"
#include "run/printrun.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int objectCount = 10000;
constexpr int printerResolution = 360;

struct Crafted
{
    const char *name;
    std::function<void(PageObject &, int)> shape;
};

// Objects spread over the page, every fifth turned.
Document makeDocument(const Crafted &crafted)
{
    Document doc = emptyDocument(objectCount);
    for (int i = 0; i < objectCount; ++i) {
        PageObject object;
        object.kind = KindNumber;
        object.x = (i * 37) % 560;
        object.y = (i * 53) % 760;
        object.start = 1000 + i * 7919;
        object.stepPage = 1;
        object.digits = 5;
        object.fontSize = 14;
        object.fontName = QStringLiteral("Arial");
        object.angle = i % 5 == 0 ? 30 : 0;
        crafted.shape(object, i);
        doc.objects.append(object);
        doc.drawOrder.append(i);
    }
    doc.pagesToPrint = 2;
    return doc;
}

double millisecondsOf(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QString longAffix(63, QLatin1Char('W'));
    const Crafted documents[] = {
        {"digits and size 32767, no face",
         [](PageObject &object, int) {
             object.digits = 32767;
             object.fontSize = 32767;
             object.fontName.clear();
         }},
        {"32767 digits in size 14, no face",
         [](PageObject &object, int) {
             object.digits = 32767;
             object.fontName.clear();
         }},
        {"QR codes of 5 digits",
         [](PageObject &object, int) {
             object.format.barcode = BarcodeStyle{.symbology = Symbology::Qr};
         }},
        {"QR codes of 256 characters",
         [&longAffix](PageObject &object, int) {
             object.digits = 130;
             object.format.prefix = longAffix;
             object.format.suffix = longAffix;
             object.format.barcode = BarcodeStyle{.symbology = Symbology::Qr};
         }},
        {"Code 128 of 120 digits, with text",
         [](PageObject &object, int) {
             object.digits = 120;
             object.format.barcode = BarcodeStyle{.symbology = Symbology::Code128};
         }},
    };

    std::printf("%d objects; window 773 x 479; milliseconds, on opening and printing 2 pages at "
                "%d dpi\n",
                objectCount, printerResolution);
    std::printf("%-36s %8s %8s %8s %10s %16s\n", "document", "layout", "render", "sum", "print 2",
                "longest uncancellable");
    for (const Crafted &crafted : documents) {
        const Document doc = makeDocument(crafted);
        RenderState state;
        state.pageExtent = {0, 0, 8 * printerResolution, 10 * printerResolution};
        RenderContext context;
        context.windowRect = QRect(0, 0, 773, 479);
        QList<Bounds32> boxes;
        const double layout = millisecondsOf([&] { boxes = layoutPass(doc, 0, state.cache); });
        const double render = millisecondsOf([&] { renderPage(doc, boxes, state, context); });

        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        RunPdfWriter writer(pdf);
        writer.setResolution(printerResolution);
        QElapsedTimer sinceAsked;
        double longest = 0;
        const double print = millisecondsOf([&] {
            sinceAsked.start();
            printRun(doc, printerResolution, true, runSheets(writer),
                     [&](std::int32_t, std::int32_t) {
                         longest = std::max(longest, sinceAsked.nsecsElapsed() / 1e6);
                         sinceAsked.restart();
                         return true;
                     });
            longest = std::max(longest, sinceAsked.nsecsElapsed() / 1e6);
        });
        std::printf("%-36s %8.0f %8.0f %8.0f %10.0f %16.0f\n", crafted.name, layout, render,
                    layout + render, print, longest);
        std::fflush(stdout);
    }
    return 0;
}
