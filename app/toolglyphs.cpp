#include "toolglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int glyphSize = 20;

void drawArrow(QPainter &p)
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
    p.setBrush(Qt::white);
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

void drawLink(QPainter &p)
{
    p.setPen(QPen(QColor(0, 0, 160), 2));
    drawChainLink(p, QRectF(2, 7, 9, 6));
    drawChainLink(p, QRectF(9, 7, 9, 6));
}

void drawUnlink(QPainter &p)
{
    p.setPen(QPen(QColor(0, 0, 160), 2));
    drawChainLink(p, QRectF(1, 9, 8, 6));
    drawChainLink(p, QRectF(11, 5, 8, 6));
    p.setPen(QPen(QColor(200, 0, 0), 1.5));
    p.drawLine(QPointF(9, 4), QPointF(11, 16));
}

// Three bars of different lengths lined up against a guide line.
void drawAlignment(QPainter &p, Glyph glyph)
{
    const bool horizontal =
        glyph == Glyph::AlignLeft || glyph == Glyph::AlignHCenter || glyph == Glyph::AlignRight;
    const int lengths[3] = {12, 7, 15};
    const QColor bar(40, 90, 170);
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
        p.fillRect(box, bar);
    }
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    int guide = 2;
    if (glyph == Glyph::AlignHCenter || glyph == Glyph::AlignVCenter)
        guide = glyphSize / 2;
    else if (glyph == Glyph::AlignRight || glyph == Glyph::AlignBottom)
        guide = glyphSize - 3;
    if (horizontal)
        p.drawLine(guide, 1, guide, glyphSize - 2);
    else
        p.drawLine(1, guide, glyphSize - 2, guide);
}

} // namespace

QIcon toolGlyph(Glyph glyph)
{
    QPixmap pixmap(glyphSize, glyphSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    switch (glyph) {
    case Glyph::Main:
        drawArrow(p);
        break;
    case Glyph::Number:
        drawLetters(p, QStringLiteral("12"), 11);
        break;
    case Glyph::Text:
        drawLetters(p, QStringLiteral("T"), 15);
        break;
    case Glyph::Link:
        drawLink(p);
        break;
    case Glyph::Unlink:
        drawUnlink(p);
        break;
    default:
        drawAlignment(p, glyph);
        break;
    }
    p.end();
    return QIcon(pixmap);
}
