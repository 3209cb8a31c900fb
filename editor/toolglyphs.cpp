#include "toolglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

namespace {

constexpr int glyphSize = 20;

// Lines, letters and chains in the button text; the arrow filled like a
// button; the alignment bars in the highlight; the break of a chain in red,
// which shows on dark and light alike.
struct GlyphColours
{
    QColor ink;
    QColor fill;
    QColor accent;
    QColor alert;
};

void drawArrow(QPainter &p, const GlyphColours &colours)
{
    QPainterPath arrow;
    arrow.moveTo(6, 3);
    arrow.lineTo(6, 16);
    arrow.lineTo(9, 13);
    arrow.lineTo(11, 18);
    arrow.lineTo(13, 17);
    arrow.lineTo(11, 12);
    arrow.lineTo(15, 12);
    arrow.closeSubpath();
    p.setBrush(colours.fill);
    p.drawPath(arrow);
}

void drawLetters(QPainter &p, const QString &letters, int pixelSize)
{
    QFont font = p.font();
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 0, glyphSize, glyphSize), Qt::AlignCenter, letters);
}

void drawChainLink(QPainter &p, const QRectF &box)
{
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(box, 3, 3);
}

void drawLink(QPainter &p, const GlyphColours &colours)
{
    p.setPen(QPen(colours.ink, 2));
    drawChainLink(p, QRectF(2, 7, 9, 6));
    drawChainLink(p, QRectF(9, 7, 9, 6));
}

void drawUnlink(QPainter &p, const GlyphColours &colours)
{
    p.setPen(QPen(colours.ink, 2));
    drawChainLink(p, QRectF(1, 9, 8, 6));
    drawChainLink(p, QRectF(11, 5, 8, 6));
    p.setPen(QPen(colours.alert, 1.5));
    p.drawLine(QPointF(9, 4), QPointF(11, 16));
}

// A framed landscape: hills under a sun.
void drawPicture(QPainter &p, const GlyphColours &colours)
{
    p.setPen(QPen(colours.ink, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2.5, 4.5, 15, 11));
    QPainterPath hills;
    hills.moveTo(3, 15);
    hills.lineTo(8, 9);
    hills.lineTo(11, 12);
    hills.lineTo(13, 10);
    hills.lineTo(17, 15);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colours.ink);
    p.drawPath(hills);
    p.setBrush(colours.accent);
    p.drawEllipse(QPointF(13.5, 7.5), 1.5, 1.5);
}

// A rectangle with a dashed line across it: a ticket and its tear line.
void drawShape(QPainter &p, const GlyphColours &colours)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colours.ink, 1.5));
    p.drawRect(QRectF(2.5, 4.5, 15, 11));
    QPen tear(colours.accent, 1.5, Qt::CustomDashLine);
    tear.setDashPattern({1.5, 1.5});
    p.setPen(tear);
    p.drawLine(QPointF(13, 4.5), QPointF(13, 15.5));
}

// Three bars of different lengths lined up against a guide line.
void drawAlignment(QPainter &p, Glyph glyph, const GlyphColours &colours)
{
    const bool horizontal =
        glyph == Glyph::AlignLeft || glyph == Glyph::AlignHCenter || glyph == Glyph::AlignRight;
    const int lengths[3] = {12, 7, 15};
    for (int i = 0; i < 3; ++i) {
        const int length = lengths[i];
        const int across = 3 + i * 5;
        int along = 3;
        if (glyph == Glyph::AlignHCenter || glyph == Glyph::AlignVCenter)
            along = (glyphSize - length) / 2;
        else if (glyph == Glyph::AlignRight || glyph == Glyph::AlignBottom)
            along = glyphSize - 3 - length;
        const QRect box =
            horizontal ? QRect(along, across, length, 4) : QRect(across, along, 4, length);
        p.fillRect(box, colours.accent);
    }
    p.setPen(QPen(colours.ink, 1, Qt::DashLine));
    // Through the middle of a pixel, so that the line is sharp.
    qreal guide = 2.5;
    if (glyph == Glyph::AlignHCenter || glyph == Glyph::AlignVCenter)
        guide = glyphSize / 2 + 0.5;
    else if (glyph == Glyph::AlignRight || glyph == Glyph::AlignBottom)
        guide = glyphSize - 2.5;
    if (horizontal)
        p.drawLine(QLineF(guide, 1, guide, glyphSize - 2));
    else
        p.drawLine(QLineF(1, guide, glyphSize - 2, guide));
}

QPixmap drawGlyph(Glyph glyph, const GlyphColours &colours, qreal scale)
{
    QPixmap pixmap(QSize(glyphSize, glyphSize) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    // The painter draws in the 20 x 20 units of the design at any scale.
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(colours.ink);
    switch (glyph) {
    case Glyph::Main:
        drawArrow(p, colours);
        break;
    case Glyph::Number:
        drawLetters(p, QStringLiteral("12"), 11);
        break;
    case Glyph::Text:
        drawLetters(p, QStringLiteral("T"), 15);
        break;
    case Glyph::Picture:
        drawPicture(p, colours);
        break;
    case Glyph::Shape:
        drawShape(p, colours);
        break;
    case Glyph::Link:
        drawLink(p, colours);
        break;
    case Glyph::Unlink:
        drawUnlink(p, colours);
        break;
    default:
        drawAlignment(p, glyph, colours);
        break;
    }
    return pixmap;
}

} // namespace

QIcon toolGlyph(Glyph glyph, const QPalette &palette)
{
    const GlyphColours colours{palette.color(QPalette::ButtonText), palette.color(QPalette::Button),
                               palette.color(QPalette::Highlight), QColor(200, 0, 0)};
    QIcon icon;
    for (const qreal scale : {1.0, 2.0})
        icon.addPixmap(drawGlyph(glyph, colours, scale));
    return icon;
}
