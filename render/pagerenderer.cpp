#include "pagerenderer.h"

#include "barcode.h"
#include "kinds.h"
#include "labelshape.h"
#include "numbering.h"
#include "objectshapes.h"
#include "objecttable.h"
#include "textdrawing.h"
#include "wrapint.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPen>
#include <QtMath>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QColor markerColor = colorFromBgr(0x0000FF);
// No screen scales further; a larger ratio would only cost memory.
constexpr qreal maxPixelRatio = 8;

// Fills left..right-1 by top..bottom-1; an empty or inverted box paints nothing.
void fillBox(QPainter &painter, std::int32_t left, std::int32_t top, std::int32_t right,
             std::int32_t bottom, const QColor &color)
{
    if (right <= left || bottom <= top)
        return;
    painter.fillRect(QRectF(left, top, qreal(right) - left, qreal(bottom) - top), color);
}

// A one-pixel border inside the box.
void frameBox(QPainter &painter, const Bounds32 &box, const QColor &color)
{
    if (box.right <= box.left || box.bottom <= box.top)
        return;
    fillBox(painter, box.left, box.top, box.right, box.top + 1, color);
    fillBox(painter, box.left, box.bottom - 1, box.right, box.bottom, color);
    fillBox(painter, box.left, box.top, box.left + 1, box.bottom, color);
    fillBox(painter, box.right - 1, box.top, box.right, box.bottom, color);
}

// True when nothing drawn at the device point within `reach` can touch `area`.
bool beyond(const QRect &area, qint64 x, qint64 y, qint64 reach)
{
    return x + reach < area.left() || x - reach > area.right() || y + reach < area.top() ||
           y - reach > area.bottom();
}

// Whether the box from (left, top) to (right, bottom), edges exclusive, meets `area`.
bool meets(const QRect &area, qint64 left, qint64 top, qint64 right, qint64 bottom)
{
    return left <= area.right() && right > area.left() && top <= area.bottom() &&
           bottom > area.top();
}

bool meets(const QRect &area, const Bounds32 &box)
{
    return meets(area, box.left, box.top, box.right, box.bottom);
}

// The barcode style object `index` is drawn with; none for an object that
// is no number, whose style is kept but not drawn.
const BarcodeStyle *drawnBarcode(const Document &doc, int index)
{
    if (!doc.isLive(index) || !kindRow(doc.objects[index].kind).numbered ||
        !doc.objects[index].format.barcode)
        return nullptr;
    return &*doc.objects[index].format.barcode;
}

// How often a long page asks whether to go on.
constexpr qint64 askEveryMilliseconds = 100;

// Draws the objects of page `page` in drawing order, the pictures that
// cover the page first. On screen, what cannot reach `visible` is skipped;
// an empty `visible` stands for paper.
RenderReport drawObjects(const DrawTarget &target, const RunTexts &texts, std::int32_t page,
                         Side side, const QRectF &paper, const QRect &visible = QRect(),
                         const KeepDrawing &keepDrawing = {})
{
    const Document &doc = texts.document();
    RenderReport report;
    QPainter &painter = target.painter;
    const Qt::BGMode previousMode = painter.backgroundMode();
    painter.setBackgroundMode(Qt::TransparentMode);
    const auto onSide = [&doc, side](std::int32_t index) {
        return doc.isLive(index) && sideOf(doc, doc.objects[index]) == side;
    };
    for (const std::int32_t index : doc.drawOrder) {
        if (onSide(index) && isBackground(doc.objects[index]))
            drawBackground(target, doc.objects[index], paper);
    }
    QElapsedTimer sinceAsked;
    sinceAsked.start();
    for (const std::int32_t index : doc.drawOrder) {
        if (keepDrawing && sinceAsked.elapsed() >= askEveryMilliseconds) {
            if (!keepDrawing()) {
                report.stopped = true;
                break;
            }
            sinceAsked.restart();
        }
        if (!onSide(index) || isBackground(doc.objects[index]))
            continue;
        const PageObject &object = doc.objects[index];
        if (showsNothing(object))
            ++report.emptyNumbers;
        const QString text = texts.text(index, page);
        if (target.onScreen && beyond(visible, qint64{object.x} * target.scale + target.ox,
                                      qint64{object.y} * target.scale + target.oy,
                                      objectReach(target.cache, object, text, target.scale)))
            continue;
        drawObject(target, object, text);
        if (target.onScreen && report.refusal.isEmpty()) {
            if (const QString refusal = refusalOnScreen(target.cache, texts, index, page);
                !refusal.isEmpty())
                report.refusal = shownName(doc, index) + QStringLiteral(": ") + refusal;
        }
    }
    painter.setBackgroundMode(previousMode);
    return report;
}

// The paper on screen, in page units from the page origin: as the printer's
// paper where it is known, else the sheet shown.
QRectF screenPaper(const RenderState &state)
{
    if (!state.paper.isEmpty())
        return state.paper;
    const qreal divisor = printerScale(state.printerResolution);
    return QRectF(0, 0, state.pageExtent.right / divisor, state.pageExtent.bottom / divisor);
}

// Sizes the buffer so that it covers the window from the client origin, in
// the screen's device pixels: on a scaled screen the page is drawn at its
// resolution rather than enlarged from window pixels.
bool prepareBackBuffer(QImage &buffer, const Bounds32 &window, qreal ratio)
{
    if (window.right <= 0 || window.bottom <= 0)
        return false;
    if (!(ratio >= 1 && ratio <= maxPixelRatio))
        ratio = 1;
    const QSize size(qCeil(window.right * ratio), qCeil(window.bottom * ratio));
    if (buffer.size() != size || buffer.format() != QImage::Format_RGB32)
        buffer = QImage(size, QImage::Format_RGB32);
    buffer.setDevicePixelRatio(ratio);
    return !buffer.isNull();
}

} // namespace

std::int32_t printerScale(std::int32_t printerResolution)
{
    return std::max(printerResolution / 72, 1);
}

RenderReport renderPage(const Document &doc, const QList<Bounds32> &boxes, RenderState &state,
                        const RenderContext &context)
{
    const QRect &window = context.windowRect;
    state.windowBounds = {window.left(), window.top(), wrapAdd(window.right(), 1),
                          wrapAdd(window.bottom(), 1)};
    if (!prepareBackBuffer(state.backBuffer, state.windowBounds, context.devicePixelRatio))
        return {};
    RenderReport report;
    if (!context.docOpen) {
        // No document: the desk alone, so that a closed one is no longer shown.
        QPainter painter(&state.backBuffer);
        painter.fillRect(state.backBuffer.rect(), deskColor);
    } else {
        QPainter painter(&state.backBuffer);
        const QPointF origin(state.windowOffset.x(),
                             wrapSub(state.windowOffset.y(), context.scrollOffset));
        if (doc.sheet) {
            // The page is one label of the sheet.
            painter.fillRect(state.backBuffer.rect(), deskColor);
            drawLabelGuide(painter, *doc.sheet, QRectF(origin, doc.sheet->label));
        } else {
            drawPageSheet(painter, state, context.scrollOffset);
        }
        const DrawTarget target{painter,
                                state.cache,
                                doc.pictures,
                                1,
                                state.windowOffset.x(),
                                wrapSub(state.windowOffset.y(), context.scrollOffset),
                                true,
                                nullptr,
                                nullptr,
                                deviceArea(painter)};
        const QRectF paper =
            doc.sheet ? QRectF(QPointF(0, 0), doc.sheet->label) : screenPaper(state);
        report = drawObjects(target, RunTexts(doc), doc.pageShown, context.side, paper,
                             QRect(0, 0, state.windowBounds.right, state.windowBounds.bottom));
        if (context.showLinkOverlay)
            drawLinks(painter, doc, boxes);
        drawSelection(painter, doc, boxes);
    }
    if (context.present)
        context.present(state.backBuffer);
    return report;
}

RenderReport renderPrintedPage(QPainter &painter, RenderCache &cache, const RunTexts &texts,
                               std::int32_t page, std::int32_t scale, const PaperSheet &sheet,
                               const KeepDrawing &keepDrawing)
{
    const DrawTarget target{
        painter,          cache, texts.document().pictures, scale,         sheet.origin.x(),
        sheet.origin.y(), false, sheet.placePdfPage,        sheet.symbols, deviceArea(painter)};
    return drawObjects(target, texts, page, sheet.side, sheet.paper, QRect(), keepDrawing);
}

QString unscannableOn(const RunTexts &texts, std::int32_t page)
{
    const Document &doc = texts.document();
    for (int i = 0; i < doc.count(); ++i) {
        const BarcodeStyle *style = drawnBarcode(doc, i);
        if (!style)
            continue;
        if (const auto refusal = barcodeRefusal(*style, texts.text(i, page)))
            return shownName(doc, i) + QStringLiteral(": ") + refusal->onPage(page);
    }
    return {};
}

QString refusalOnScreen(RenderCache &cache, const RunTexts &texts, int index, std::int32_t page)
{
    const BarcodeStyle *style = drawnBarcode(texts.document(), index);
    if (!style)
        return {};
    const EncodedBarcode code = cachedBarcode(cache, *style, texts.text(index, page));
    return code.refusal ? code.refusal->onPage(page) : QString();
}

void drawPageSheet(QPainter &painter, const RenderState &state, std::int32_t scrollOffset)
{
    if (const QPaintDevice *device = painter.device())
        painter.fillRect(QRect(0, 0, device->width(), device->height()), deskColor);

    const std::int32_t divisor = printerScale(state.printerResolution);
    const Bounds32 &extent = state.pageExtent;
    Bounds32 sheet;
    sheet.left = state.windowOffset.x();
    sheet.top = wrapSub(state.windowOffset.y(), scrollOffset);
    sheet.right = wrapAdd(sheet.left, wrapSub(extent.right, extent.left) / divisor);
    sheet.bottom = wrapAdd(sheet.top, wrapSub(extent.bottom, extent.top) / divisor);
    fillBox(painter, sheet.left, sheet.top, sheet.right, sheet.bottom, Qt::white);
    frameBox(painter, sheet, Qt::black);
}

void drawLinks(QPainter &painter, const Document &doc, const QList<Bounds32> &boxes)
{
    const auto count = static_cast<std::int32_t>(std::min<qsizetype>(doc.count(), boxes.size()));
    const auto inTable = [count](std::int32_t index) {
        return index >= 0 && index < count;
    };
    // Heads in the order the links are drawn: ascending link number, then table order.
    std::vector<std::pair<std::int32_t, std::int32_t>> heads;
    for (std::int32_t i = 0; i < count; ++i) {
        const PageObject &object = doc.objects[i];
        if (object.linkPrev == -1 && object.linkId >= 0 && object.linkId < doc.capacity)
            heads.emplace_back(object.linkId, i);
    }
    std::stable_sort(heads.begin(), heads.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });

    const QRect visible = painter.viewport();
    painter.save();
    painter.setPen(QPen(Qt::black, 1));
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const auto &head : heads) {
        std::int32_t current = head.second;
        // A malformed chain (a cycle or a stray index) ends the walk.
        for (std::int32_t steps = 0; steps < count; ++steps) {
            const std::int32_t next = doc.objects[current].linkNext;
            if (!inTable(next))
                break;
            const Bounds32 &from = boxes[current];
            const Bounds32 &to = boxes[next];
            current = next;
            // The marker and the line lie in the box their end points span.
            if (!meets(visible, qint64{std::min(from.left, to.left)} - 2,
                       qint64{std::min(from.bottom, to.top)} - 2,
                       qint64{std::max(from.left, to.left)} + 3,
                       qint64{std::max(from.bottom, to.top)} + 3))
                continue;
            fillBox(painter, wrapSub(from.left, 2), wrapSub(from.bottom, 2), wrapAdd(from.left, 2),
                    wrapAdd(from.bottom, 2), markerColor);
            painter.drawLine(QPointF(from.left, from.bottom), QPointF(to.left, to.top));
        }
    }
    painter.restore();
}

void drawSelection(QPainter &painter, const Document &doc, const QList<Bounds32> &boxes)
{
    const QRect visible = painter.viewport();
    const auto count = std::min<qsizetype>(doc.count(), boxes.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (doc.objects[i].isSelected() && meets(visible, boxes[i]))
            frameBox(painter, boxes[i], Qt::black);
    }
}
