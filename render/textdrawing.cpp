#include "textdrawing.h"

#include "wrapint.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <limits>

namespace {
// Large enough that the reference metrics, kept to 1/64 pixel, scale down
// without visible error.
constexpr int referencePixelSize = 512;
} // namespace

CellFont makeCellFont(const QString &face, qreal cellHeight)
{
    CellFont result;
    result.font = QFont(face);
    result.font.setPixelSize(referencePixelSize);
    // Hinted metrics would not scale linearly from the reference size.
    result.font.setHintingPreference(QFont::PreferNoHinting);
    // Plain text output: every character advances by its own width.
    result.font.setKerning(false);
    const QFontMetricsF metrics(result.font);
    result.ascent = metrics.ascent();
    const qreal referenceCell = metrics.height();
    result.scale = referenceCell > 0 ? cellHeight / referenceCell : 0;
    return result;
}

QColor colorFromBgr(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

void drawObjectText(QPainter &painter, const mainStruct2 &object, const QString &face,
                    const QString &text, std::int32_t scale, std::int32_t ox, std::int32_t oy)
{
    const qreal cellHeight = qreal(object.fontSize) * scale;
    if (cellHeight <= 0 || text.isEmpty())
        return;
    const CellFont cellFont = makeCellFont(face, cellHeight);
    if (cellFont.scale <= 0)
        return;

    const std::int32_t px = wrapAdd(wrapMul(object.x, scale), ox);
    const std::int32_t py = wrapAdd(wrapMul(object.y, scale), oy);

    painter.save();
    painter.translate(px, py);
    // Reduced first so that huge angles keep their precision; negative
    // because the y axis points down and the angle turns counter-clockwise.
    painter.rotate(-qreal(object.angle % 360));
    painter.scale(cellFont.scale, cellFont.scale);
    painter.setFont(cellFont.font);
    painter.setPen(colorFromBgr(object.color));
    painter.drawText(QPointF(0, cellFont.ascent), text);
    painter.restore();
}

std::int32_t measureTextWidth(const QString &face, std::int16_t fontSize, const QString &text)
{
    if (fontSize <= 0 || text.isEmpty())
        return 0;
    const CellFont cellFont = makeCellFont(face, fontSize);
    const qreal width = QFontMetricsF(cellFont.font).horizontalAdvance(text) * cellFont.scale;
    constexpr qreal largest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(qRound64(std::clamp(width, qreal(0), largest)));
}
