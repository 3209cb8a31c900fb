#include "objectshapes.h"

#include "barcode.h"
#include "pictures/picturedrawing.h"
#include "symbolprefetch.h"
#include "textdrawing.h"
#include "wrapint.h"

#include <QPainter>
#include <QPen>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

const QColor placeholderColor(0x80, 0x80, 0x80);
const QColor refusedColor(0xC0, 0x26, 0x2D);

constexpr bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\u2028' || c == u'\u2029';
}

// Calls `each(line, index)` for every line of `text`: a data file's cell may
// hold an address whose lines print one under another. A text without a
// break is its own one line, not copied.
template <typename Each> void forEachLine(const QString &text, Each each)
{
    const auto firstBreak =
        std::find_if(text.begin(), text.end(), [](QChar c) { return isLineBreak(c.unicode()); });
    if (firstBreak == text.end()) {
        each(text, 0);
        return;
    }
    int index = 0;
    qsizetype start = 0;
    for (qsizetype i = firstBreak - text.begin(); i <= text.size(); ++i) {
        if (i < text.size() && !isLineBreak(text[i].unicode()))
            continue;
        each(text.sliced(start, i - start), index++);
        // A spreadsheet's CR LF is one break.
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
}

// Where line `index` of an object's text begins on the device, from where
// its first line begins: a cell's height further down the object's turned
// frame.
QPointF lineOffset(const PageObject &object, int index, std::int32_t scale)
{
    if (index == 0)
        return {};
    const qreal down = qreal(index) * object.fontSize * scale;
    const qreal angle = qDegreesToRadians(qreal(object.angle % 360));
    return {down * std::sin(angle), down * std::cos(angle)};
}

BoxSize textBox(RenderCache &cache, const PageObject &object, const QString &text)
{
    std::int32_t width = 0;
    qint64 lines = 0;
    forEachLine(text, [&](const QString &line, int) {
        width = std::max(width, measureTextWidth(cache, object.fontName, object.fontSize, line));
        ++lines;
    });
    return {width, static_cast<std::int32_t>(std::min<qint64>(
                       lines * object.fontSize, std::numeric_limits<std::int32_t>::max()))};
}

void drawLines(const DrawTarget &target, const PageObject &object, const QString &text)
{
    forEachLine(text, [&](const QString &line, int index) {
        const QPointF offset = lineOffset(object, index, target.scale);
        drawObjectText(target.painter, target.cache, object, line, target.scale,
                       wrapAdd(target.ox, static_cast<std::int32_t>(std::llround(offset.x()))),
                       wrapAdd(target.oy, static_cast<std::int32_t>(std::llround(offset.y()))),
                       target.deviceArea);
    });
}

qint64 linesReach(RenderCache &cache, const PageObject &object, const QString &text,
                  std::int32_t scale)
{
    qint64 reach = 0;
    forEachLine(text, [&](const QString &line, int index) {
        reach = std::max(reach, textReach(cache, object, line, scale) +
                                    qint64{index} * object.fontSize * scale);
    });
    return reach;
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

// A picture is as large as it is set to be; one placed before there were
// pictures keeps the placeholder's size.
BoxSize pictureBox(RenderCache &, const PageObject &object, const QString &)
{
    if (!object.picture)
        return {pictureSize, pictureSize};
    return {std::max(wholeUnits(object.picture->width), 1),
            std::max(wholeUnits(object.picture->height), 1)};
}

// A barcode is drawn turned about its top-left corner like a text. A value
// its symbology refuses shows on screen as a red dashed frame the size of its
// text, and nothing on paper: the print run stops before such a page.
void drawNumber(const DrawTarget &target, const PageObject &object, const QString &text)
{
    QPainter &painter = target.painter;
    RenderCache &cache = target.cache;
    const std::int32_t scale = target.scale;
    const std::int32_t ox = target.ox;
    const std::int32_t oy = target.oy;
    const bool onScreen = target.onScreen;
    if (!object.format.barcode) {
        drawLines(target, object, text);
        return;
    }
    const BarcodeStyle &style = *object.format.barcode;
    const EncodedBarcode code = onScreen         ? cachedBarcode(cache, style, text)
                                : target.symbols ? target.symbols->symbolFor(style, text)
                                                 : encodeBarcode(style, text);
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
        return linesReach(cache, object, text, scale);
    const BoxSize box = numberBox(cache, object, text);
    return (qint64{box.width} + box.height) * scale + textReach(cache, object, text, scale);
}

// The object's box on the device.
QRectF deviceBox(const DrawTarget &target, const PageObject &object, const BoxSize &box)
{
    return QRectF(qreal(object.x) * target.scale + target.ox,
                  qreal(object.y) * target.scale + target.oy, qreal(box.width) * target.scale,
                  qreal(box.height) * target.scale);
}

// A grey dashed frame on a picture's box, with its file's name: what shows of
// a picture that cannot be decoded, or of one placed before there were
// pictures, so that it can be found, selected and moved.
void drawPictureFrame(const DrawTarget &target, const QRectF &box, const QString &name)
{
    QPainter &painter = target.painter;
    painter.save();
    painter.setPen(QPen(placeholderColor, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    if (!name.isEmpty())
        painter.drawText(box.adjusted(3, 3, -3, -3),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, name);
    painter.restore();
}

// A picture is drawn into `area` of the device. On paper, one that is set
// not to print, or cannot be decoded, leaves nothing.
void drawPictureInto(const DrawTarget &target, const PageObject &object, const QRectF &area)
{
    const PictureRef &picture = *object.picture;
    if (!target.onScreen && !picture.printed)
        return;
    const QByteArray bytes = target.pictures.bytes(picture.id);
    const bool drawn =
        !bytes.isEmpty() && drawPicture(target.painter, target.cache, bytes, picture.id,
                                        picture.page, area, target.onScreen, target.placePdfPage);
    if (!drawn && target.onScreen)
        drawPictureFrame(target, area, picture.file);
}

void drawPictureObject(const DrawTarget &target, const PageObject &object, const QString &)
{
    const QRectF box = deviceBox(target, object, pictureBox(target.cache, object, QString()));
    if (!object.picture) {
        if (target.onScreen)
            drawPictureFrame(target, box, QString());
        return;
    }
    drawPictureInto(target, object, box);
}

qint64 pictureReach(RenderCache &cache, const PageObject &object, const QString &,
                    std::int32_t scale)
{
    const BoxSize box = pictureBox(cache, object, QString());
    return (qint64{box.width} + box.height) * scale;
}

// A shape is as large as its box; a line along one side still has the
// width of its stroke, so that it can be found and picked.
BoxSize shapeBox(RenderCache &, const PageObject &object, const QString &)
{
    const ShapeStyle style = object.shape.value_or(ShapeStyle());
    const double least = std::max(style.stroke, 1.0);
    return {wholeUnits(std::max(style.width, least)), wholeUnits(std::max(style.height, least))};
}

QPen shapePen(const ShapeStyle &style, std::int32_t scale)
{
    if (style.stroke <= 0)
        return Qt::NoPen;
    QPen pen(QColor(QRgb(style.color)), style.stroke * scale, Qt::SolidLine, Qt::FlatCap,
             Qt::MiterJoin);
    if (!style.dash.isEmpty()) {
        // The painter counts dashes in stroke widths, and in pairs.
        QList<qreal> pattern;
        for (const double length : style.dash)
            pattern.append(length / style.stroke);
        if (pattern.size() % 2 != 0)
            pattern += pattern;
        pen.setDashPattern(pattern);
    }
    return pen;
}

void drawShape(const DrawTarget &target, const PageObject &object, const QString &)
{
    const ShapeStyle style = object.shape.value_or(ShapeStyle());
    QPainter &painter = target.painter;
    const QRectF box(qreal(object.x) * target.scale + target.ox,
                     qreal(object.y) * target.scale + target.oy, style.width * target.scale,
                     style.height * target.scale);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(shapePen(style, target.scale));
    painter.setBrush(style.fill ? QBrush(QColor(QRgb(*style.fill))) : QBrush(Qt::NoBrush));
    switch (style.type) {
    case ShapeType::Line:
        painter.drawLine(box.topLeft(), box.bottomRight());
        break;
    case ShapeType::Rectangle:
        painter.drawRect(box);
        break;
    case ShapeType::Ellipse:
        painter.drawEllipse(box);
        break;
    }
    painter.restore();
}

qint64 shapeReach(RenderCache &cache, const PageObject &object, const QString &, std::int32_t scale)
{
    const BoxSize box = shapeBox(cache, object, QString());
    return (qint64{box.width} + box.height) * scale;
}

struct ShapeRow
{
    std::int32_t kind;
    BoxSize (*box)(RenderCache &, const PageObject &, const QString &);
    void (*draw)(const DrawTarget &, const PageObject &, const QString &);
    qint64 (*reach)(RenderCache &, const PageObject &, const QString &, std::int32_t);
};

// Numbers and texts are lines of text; any kind no row names is drawn like text.
constexpr std::array<ShapeRow, 4> shapeRows{{
    {KindNumber, numberBox, drawNumber, numberReach},
    {KindText, textBox, drawLines, linesReach},
    {KindPicture, pictureBox, drawPictureObject, pictureReach},
    {KindShape, shapeBox, drawShape, shapeReach},
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

void drawObject(const DrawTarget &target, const PageObject &object, const QString &text)
{
    shapeRow(object.kind).draw(target, object, text);
}

bool isBackground(const PageObject &object)
{
    return object.kind == KindPicture && object.picture && object.picture->background;
}

void drawBackground(const DrawTarget &target, const PageObject &object, const QRectF &paper)
{
    const QRectF area(paper.left() * target.scale + target.ox,
                      paper.top() * target.scale + target.oy, paper.width() * target.scale,
                      paper.height() * target.scale);
    drawPictureInto(target, object,
                    fittedInto(QSizeF(object.picture->width, object.picture->height), area));
}

qint64 objectReach(RenderCache &cache, const PageObject &object, const QString &text,
                   std::int32_t scale)
{
    return shapeRow(object.kind).reach(cache, object, text, scale);
}
