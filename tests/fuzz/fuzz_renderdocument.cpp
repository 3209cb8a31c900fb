// Loads arbitrary bytes as the program opens a document, lays it out, draws
// its first and last pages on screen and as printed, reads its pictures as
// the check before a run does, and prints two pages into a PDF in memory. Any crash, sanitizer
// report or hang is a find; what is drawn is not checked.

#include "file/documentfile.h"
#include "layout.h"
#include "pagerenderer.h"
#include "pdf/runpdfwriter.h"
#include "run/printrun.h"
#include "run/runcheck.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// A letter page at 360 dpi, and a document window of a common size.
const Bounds32 printablePage{0, 0, 3060, 3960};
const QRect documentWindow(0, 0, 773, 479);
// Printed pages are drawn into a part of the sheet: the work per object is
// what matters, not the size of the image.
constexpr int printedSide = 600;
constexpr int printerResolution = 360;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

const QTemporaryDir &workDir()
{
    static const QTemporaryDir dir;
    return dir;
}

void drawOnScreen(Document doc, std::int32_t page)
{
    doc.pageShown = page;
    RenderState state;
    const QList<Bounds32> boxes = layoutPass(doc, 0, state.cache);
    state.pageExtent = printablePage;
    RenderContext context;
    context.windowRect = documentWindow;
    context.showLinkOverlay = true;
    renderPage(doc, boxes, state, context);
}

void drawAsPrinted(const Document &doc, std::int32_t page)
{
    QImage sheet(printedSide, printedSide, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    RenderCache cache;
    renderPrintedPage(painter, cache, RunTexts(doc), page, printerScale(printerResolution));
}

void printTwoPages(const Document &doc)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    RunPdfWriter writer(pdf);
    writer.setResolution(printerResolution);
    PrintPlan plan = wholeRun(doc.pagesToPrint);
    plan.last = std::min(doc.pagesToPrint, 2);
    printRun(doc, printerResolution, true, runSheets(writer), plan);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Kept for the whole run: the renderer needs a GUI application.
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = workDir().filePath(QStringLiteral("input.pgt"));
    {
        QFile input(path);
        if (!input.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            input.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) !=
                static_cast<qint64>(size))
            fail("cannot write the input file");
    }
    const LoadResult loaded = loadDocument(path, maxObjectCapacity);
    if (!loaded.document)
        return 0;
    const Document &doc = *loaded.document;
    const std::int32_t last = std::max(doc.pagesToPrint, 1);
    for (const std::int32_t page : {1, last}) {
        drawOnScreen(doc, page);
        drawAsPrinted(doc, page);
    }
    pictureLines(doc);
    if (doc.pagesToPrint >= 1)
        printTwoPages(doc);
    return 0;
}
