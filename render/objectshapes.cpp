#include "objectshapes.h"

#include "textdrawing.h"
#include "wrapint.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>

namespace {

const QColor placeholderColor(0x80, 0x80, 0x80);

BoxSize textBox(const PageObject &object, const QString &text)
{
    return {measureTextWidth(object.fontName, object.fontSize, text), object.fontSize};
}

BoxSize pictureBox(const PageObject &, const QString &)
{
    return {pictureSize, pictureSize};
}

void drawText(QPainter &painter, const PageObject &object, const QString &text, std::int32_t scale,
              std::int32_t ox, std::int32_t oy, bool)
{
    drawObjectText(painter, object, text, scale, ox, oy);
}

// A picture shows its box on screen as a grey dashed frame, so that it can be
// found, selected and moved; nothing of it is printed.
void drawPicture(QPainter &painter, const PageObject &object, const QString &, std::int32_t,
                 std::int32_t ox, std::int32_t oy, bool onScreen)
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

qint64 textReachOf(const PageObject &object, const QString &text, std::int32_t scale)
{
    return textReach(object, text, scale);
}

qint64 pictureReach(const PageObject &, const QString &, std::int32_t scale)
{
    return qint64{2} * pictureSize * scale;
}

struct ShapeRow
{
    std::int32_t kind;
    BoxSize (*box)(const PageObject &, const QString &);
    void (*draw)(QPainter &, const PageObject &, const QString &, std::int32_t, std::int32_t,
                 std::int32_t, bool);
    qint64 (*reach)(const PageObject &, const QString &, std::int32_t);
};

// Numbers and texts are lines of text; any kind no row names is drawn like text.
constexpr std::array<ShapeRow, 3> shapeRows{{
    {KindNumber, textBox, drawText, textReachOf},
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

BoxSize objectBoxSize(const PageObject &object, const QString &text)
{
    return shapeRow(object.kind).box(object, text);
}

void drawObject(QPainter &painter, const PageObject &object, const QString &text,
                std::int32_t scale, std::int32_t ox, std::int32_t oy, bool onScreen)
{
    shapeRow(object.kind).draw(painter, object, text, scale, ox, oy, onScreen);
}

qint64 objectReach(const PageObject &object, const QString &text, std::int32_t scale)
{
    return shapeRow(object.kind).reach(object, text, scale);
}
