#include "objectshapes.h"

#include "barcode.h"
#include "textdrawing.h"
#include "wrapint.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

const QColor placeholderColor(0x80, 0x80, 0x80);
const QColor refusedColor(0xC0, 0x26, 0x2D);

BoxSize textBox(RenderCache &cache, const PageObject &object, const QString &text)
{
    return {measureTextWidth(cache, object.fontName, object.fontSize, text), object.fontSize};
}

std::int32_t wholeUnits(qreal length)
{
    return static_cast<std::int32_t>(std::clamp<qreal>(std::ceil(length), 0, 1e9));
}

// A number shown as a barcode is as large as its symbol; one the symbology
// refuses keeps the box of its text.
BoxSize numberBox(RenderCache &cache, const PageObject &object, const QString &text)
{
    if (!object.format.barcode)
        return textBox(cache, object, text);
    const EncodedBarcode code = cachedBarcode(cache, *object.format.barcode, text);
    if (!code.ok())
        return textBox(cache, object, text);
    return {wholeUnits(code.symbol.size.width()), wholeUnits(code.symbol.size.height())};
}

BoxSize pictureBox(RenderCache &, const PageObject &, const QString &)
{
    return {pictureSize, pictureSize};
}

void drawText(QPainter &painter, RenderCache &cache, const PageObject &object, const QString &text,
              std::int32_t scale, std::int32_t ox, std::int32_t oy, bool)
{
    drawObjectText(painter, cache, object, text, scale, ox, oy);
}

// A barcode is drawn turned about its top-left corner like a text. A value
// its symbology refuses shows on screen as a red dashed frame the size of its
// text, and nothing on paper: the print run stops before such a page.
void drawNumber(QPainter &painter, RenderCache &cache, const PageObject &object,
                const QString &text, std::int32_t scale, std::int32_t ox, std::int32_t oy,
                bool onScreen)
{
    if (!object.format.barcode) {
        drawObjectText(painter, cache, object, text, scale, ox, oy);
        return;
    }
    const EncodedBarcode code = onScreen ? cachedBarcode(cache, *object.format.barcode, text)
                                         : encodeBarcode(*object.format.barcode, text);
    const std::int32_t px = wrapAdd(wrapMul(object.x, scale), ox);
    const std::int32_t py = wrapAdd(wrapMul(object.y, scale), oy);
    if (!code.ok()) {
        if (!onScreen)
            return;
        const BoxSize box = textBox(cache, object, text);
        painter.save();
        painter.setPen(QPen(refusedColor, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(px - 1.5, py - 1.5, box.width + 2, box.height + 2));
        painter.restore();
        return;
    }
    painter.save();
    painter.translate(px, py);
    painter.rotate(-qreal(object.angle % 360));
    drawBarcode(painter, code.symbol, QPointF(0, 0), scale, colorFromBgr(object.color),
                object.fontName);
    painter.restore();
}

qint64 numberReach(RenderCache &cache, const PageObject &object, const QString &text,
                   std::int32_t scale)
{
    if (!object.format.barcode)
        return textReach(cache, object, text, scale);
    const BoxSize box = numberBox(cache, object, text);
    return (qint64{box.width} + box.height) * scale + textReach(cache, object, text, scale);
}

// A picture shows its box on screen as a grey dashed frame, so that it can be
// found, selected and moved; nothing of it is printed.
void drawPicture(QPainter &painter, RenderCache &, const PageObject &object, const QString &,
                 std::int32_t, std::int32_t ox, std::int32_t oy, bool onScreen)
{
    if (!onScreen)
        return;
    painter.save();
    painter.setPen(QPen(placeholderColor, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(QRectF(wrapAdd(object.x, ox) + 0.5, wrapAdd(object.y, oy) + 0.5,
                            pictureSize - 1, pictureSize - 1));
    painter.restore();
}

qint64 textReachOf(RenderCache &cache, const PageObject &object, const QString &text,
                   std::int32_t scale)
{
    return textReach(cache, object, text, scale);
}

qint64 pictureReach(RenderCache &, const PageObject &, const QString &, std::int32_t scale)
{
    return qint64{2} * pictureSize * scale;
}

struct ShapeRow
{
    std::int32_t kind;
    BoxSize (*box)(RenderCache &, const PageObject &, const QString &);
    void (*draw)(QPainter &, RenderCache &, const PageObject &, const QString &, std::int32_t,
                 std::int32_t, std::int32_t, bool);
    qint64 (*reach)(RenderCache &, const PageObject &, const QString &, std::int32_t);
};

// Numbers and texts are lines of text; any kind no row names is drawn like text.
constexpr std::array<ShapeRow, 3> shapeRows{{
    {KindNumber, numberBox, drawNumber, numberReach},
    {KindText, textBox, drawText, textReachOf},
    {KindPicture, pictureBox, drawPicture, pictureReach},
}};

const ShapeRow &shapeRow(std::int32_t kind)
{
    const auto found = std::find_if(shapeRows.begin(), shapeRows.end(),
                                    [kind](const ShapeRow &row) { return row.kind == kind; });
    return found != shapeRows.end() ? *found : shapeRows[1];
}

} // namespace

BoxSize objectBoxSize(RenderCache &cache, const PageObject &object, const QString &text)
{
    return shapeRow(object.kind).box(cache, object, text);
}

void drawObject(QPainter &painter, RenderCache &cache, const PageObject &object,
                const QString &text, std::int32_t scale, std::int32_t ox, std::int32_t oy,
                bool onScreen)
{
    shapeRow(object.kind).draw(painter, cache, object, text, scale, ox, oy, onScreen);
}

qint64 objectReach(RenderCache &cache, const PageObject &object, const QString &text,
                   std::int32_t scale)
{
    return shapeRow(object.kind).reach(cache, object, text, scale);
}
