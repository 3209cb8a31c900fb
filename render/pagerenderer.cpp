#include "pagerenderer.h"

#include "numbering.h"
#include "textdrawing.h"
#include "wrapint.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

const QColor deskColor(0x80, 0x80, 0x80);
const QColor markerColor = colorFromBgr(0x0000FF);

// Live slots that really exist, whatever objectCount claims.
std::int32_t liveCount(const DocumentState &doc)
{
    const auto slots = std::min({doc.objects.size(), doc.fontNames.size(), doc.texts.size()});
    return std::clamp<std::int32_t>(doc.objectCount, 0,
                                    static_cast<std::int32_t>(std::min<std::size_t>(
                                        slots, std::numeric_limits<std::int32_t>::max())));
}

bool inTable(std::int32_t index, std::int32_t count)
{
    return index >= 0 && index < count;
}

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

// A picture object shows its box on screen as a grey dashed frame, so that it
// can be found, selected and moved; nothing of it is printed.
void drawPicturePlaceholder(QPainter &painter, std::int32_t px, std::int32_t py)
{
    painter.save();
    painter.setPen(QPen(deskColor, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(QRectF(px + 0.5, py + 0.5, pictureSize - 1, pictureSize - 1));
    painter.restore();
}

// On screen, what cannot reach `visible` is skipped; an empty `visible`
// stands for the printer, which draws every text and no picture.
void drawObjects(QPainter &painter, const DocumentState &doc, std::int32_t scale, std::int32_t ox,
                 std::int32_t oy, const QRect &visible = QRect())
{
    const Qt::BGMode previousMode = painter.backgroundMode();
    painter.setBackgroundMode(Qt::TransparentMode);
    const bool onScreen = !visible.isEmpty();
    const std::int32_t count = liveCount(doc);
    const auto orderSize = static_cast<std::int32_t>(
        std::min<std::size_t>(doc.drawOrder.size(), std::numeric_limits<std::int32_t>::max()));
    for (std::int32_t k = 0; k < std::min(count, orderSize); ++k) {
        const std::int32_t index = doc.drawOrder[k];
        if (!inTable(index, count))
            continue;
        const mainStruct2 &object = doc.objects[index];
        if (object.kind == KindPicture) {
            if (onScreen)
                drawPicturePlaceholder(painter, wrapAdd(object.x, ox), wrapAdd(object.y, oy));
            continue;
        }
        if (onScreen &&
            beyond(visible, qint64{object.x} * scale + ox, qint64{object.y} * scale + oy,
                   textReach(object, doc.fontNames[index], doc.texts[index], scale)))
            continue;
        drawObjectText(painter, object, doc.fontNames[index], doc.texts[index], scale, ox, oy);
    }
    painter.setBackgroundMode(previousMode);
}

// Sizes the buffer so that it covers the window from the client origin.
bool prepareBackBuffer(QImage &buffer, const Bounds32 &window)
{
    if (window.right <= 0 || window.bottom <= 0)
        return false;
    const QSize size(window.right, window.bottom);
    if (buffer.size() != size || buffer.format() != QImage::Format_RGB32)
        buffer = QImage(size, QImage::Format_RGB32);
    return !buffer.isNull();
}

} // namespace

std::int32_t printerScale(std::int32_t printerResolution)
{
    return std::max(printerResolution / 72, 1);
}

void renderPage(DocumentState &doc, RenderState &state, const RenderContext &context,
                QPainter *canvas, bool toPrinter)
{
    if (!context.docOpen)
        return;

    if (toPrinter) {
        if (!canvas)
            return;
        formatPage(doc, doc.pageShown);
        drawObjects(*canvas, doc, printerScale(state.printerResolution), 0, 0);
        return;
    }

    const QRect &window = context.windowRect;
    state.windowBounds = {window.left(), window.top(), wrapAdd(window.right(), 1),
                          wrapAdd(window.bottom(), 1)};
    if (!prepareBackBuffer(state.backBuffer, state.windowBounds))
        return;
    {
        QPainter painter(&state.backBuffer);
        drawPageSheet(painter, state, context.scrollOffset);
        formatPage(doc, doc.pageShown);
        drawObjects(painter, doc, 1, state.windowOffset.x(),
                    wrapSub(state.windowOffset.y(), context.scrollOffset), state.backBuffer.rect());
        if (context.showLinkOverlay)
            drawLinks(painter, doc);
        drawSelection(painter, doc);
    }
    if (context.present)
        context.present(state.backBuffer);
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

void drawLinks(QPainter &painter, const DocumentState &doc)
{
    const std::int32_t count = liveCount(doc);
    // Heads in the order the links are drawn: ascending link number, then table order.
    std::vector<std::pair<std::int32_t, std::int32_t>> heads;
    for (std::int32_t i = 0; i < count; ++i) {
        const mainStruct2 &object = doc.objects[i];
        if (object.linkPrev == -1 && object.linkId >= 0 && object.linkId < doc.objectCapacity)
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
            if (!inTable(next, count))
                break;
            const Bounds32 &from = doc.objects[current].bounds;
            const Bounds32 &to = doc.objects[next].bounds;
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

void drawSelection(QPainter &painter, const DocumentState &doc)
{
    const QRect visible = painter.viewport();
    const std::int32_t count = liveCount(doc);
    for (std::int32_t i = 0; i < count; ++i) {
        if (doc.objects[i].selected == 1 && meets(visible, doc.objects[i].bounds))
            frameBox(painter, doc.objects[i].bounds, Qt::black);
    }
}

void layoutPass(DocumentState &doc, std::int32_t scrollOffset)
{
    formatStartTexts(doc);
    const std::int32_t count = liveCount(doc);
    for (std::int32_t i = 0; i < count; ++i) {
        mainStruct2 &object = doc.objects[i];
        const bool picture = object.kind == KindPicture;
        const std::int32_t width =
            picture ? pictureSize
                    : measureTextWidth(doc.fontNames[i], object.fontSize, doc.texts[i]);
        Bounds32 &box = object.bounds;
        box.left = wrapAdd(object.x, pageWindowOffset);
        box.top = wrapSub(wrapAdd(object.y, pageWindowOffset), scrollOffset);
        box.right = wrapAdd(box.left, width);
        box.bottom = wrapAdd(box.top, picture ? pictureSize : object.fontSize);
    }
}
