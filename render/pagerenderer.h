#pragma once

#include "document.h"
#include "numbering.h"
#include "pictures/picturedrawing.h"
#include "renderstate.h"

#include <QColor>
#include <QList>
#include <QRect>
#include <QRectF>

#include <functional>

class QPainter;
class SymbolPrefetch;

// What a screen render needs to know of the shell and the document window.
struct RenderContext
{
    bool docOpen = true;
    bool showLinkOverlay = false;  // a link mode is on or Show Links is ticked
    std::int32_t scrollOffset = 0; // vScrollPos * vScrollStep
    QRect windowRect;              // document window bounds in the main window's client area
    qreal devicePixelRatio = 1;    // device pixels to a window pixel on the window's screen
    Side side = Side::Front;       // the side of the paper the window shows
    std::function<void(const QImage &)> present; // copies backBuffer to the window
};

// Asked now and then while a printed page takes long to draw; false stops it.
using KeepDrawing = std::function<bool()>;

// What a render has to report: numbers that show nothing, having no width.
struct RenderReport
{
    int emptyNumbers = 0;
    bool stopped = false; // a printed page left unfinished when asked to stop
    // On screen, the first barcode drawn that shows no symbol, and why: "num0:
    // EAN-13 takes 12 or 13 digits; page 6 gives 14".
    QString refusal;
};

// The grey the page lies on, on screen, wherever a render does not reach.
inline const QColor deskColor(0x80, 0x80, 0x80);

// A screen render of the page shown: the desk, the sheet, the objects, the
// link overlay and the selection frames into backBuffer, which is then
// presented; without an open document the desk alone. `boxes` are the
// layout's boxes for the same scroll offset.
RenderReport renderPage(const Document &doc, const QList<Bounds32> &boxes, RenderState &state,
                        const RenderContext &context);
// What a printed page lies on: the paper, in page units from the page
// origin, which pictures set as backgrounds cover; and where a PDF writer
// takes the PDF pages the objects show, when it does.
struct PaperSheet
{
    QRectF paper;
    // Where the page origin lies on the device: a label's cell on its sheet.
    QPoint origin{};
    const PdfPagePlacer *placePdfPage = nullptr;
    SymbolPrefetch *symbols = nullptr; // the page's barcodes, encoded ahead
    Side side = Side::Front;           // of the paper: only its objects are drawn
};

// Page `page` of the run whose texts are `texts`, as printed: the objects
// only, at `scale` dots per page unit, with the page origin at the painter's
// origin. `keepDrawing` is asked about ten times a second while the page is
// drawn, so that a run can be cancelled within a page that takes long.
RenderReport renderPrintedPage(QPainter &painter, RenderCache &cache, const RunTexts &texts,
                               std::int32_t page, std::int32_t scale, const PaperSheet &sheet = {},
                               const KeepDrawing &keepDrawing = {});
// Why page `page` cannot be printed: the first number on it shown as a
// barcode whose value its symbology refuses, named with the reason. Empty
// when every barcode on the page can be printed.
QString unscannableOn(const RunTexts &texts, std::int32_t page);
// Why object `index` shows no symbol on page `page` of the screen: "EAN-13
// takes 12 or 13 digits; page 6 gives 14". Empty for a symbol or no barcode.
QString refusalOnScreen(RenderCache &cache, const RunTexts &texts, int index, std::int32_t page);
// The grey desk over the whole device and the white, black-framed page sheet.
void drawPageSheet(QPainter &painter, const RenderState &state, std::int32_t scrollOffset);
// Link overlay: a red marker and a line from each member's box to the next one's.
void drawLinks(QPainter &painter, const Document &doc, const QList<Bounds32> &boxes);
// A black frame on the box of every selected object.
void drawSelection(QPainter &painter, const Document &doc, const QList<Bounds32> &boxes);
// printerResolution div 72, at least 1.
std::int32_t printerScale(std::int32_t printerResolution);
