#include "textdrawing.h"

#include "wrapint.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Large enough that the reference metrics, kept to 1/64 pixel, scale down
// without visible error.
constexpr int referencePixelSize = 512;

// Caches are emptied when they reach these sizes, which bounds their memory
// however many different texts a run draws.
constexpr qsizetype fontCacheLimit = 256;
constexpr qsizetype widthCacheLimit = 1 << 16;

struct FontKey
{
    QString face;
    qint64 cellHeight;
    bool operator==(const FontKey &) const = default;
};

size_t qHash(const FontKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.face, key.cellHeight);
}

struct WidthKey
{
    QString face;
    std::int16_t fontSize;
    QString text;
    bool operator==(const WidthKey &) const = default;
};

size_t qHash(const WidthKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.face, key.fontSize, key.text);
}

template <typename Key, typename Value>
void insertBounded(QHash<Key, Value> &cache, qsizetype limit, const Key &key, const Value &value)
{
    if (cache.size() >= limit)
        cache.clear();
    cache.insert(key, value);
}

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
    result.maxAdvance = metrics.maxWidth();
    const qreal referenceCell = metrics.height();
    result.scale = referenceCell > 0 ? cellHeight / referenceCell : 0;
    return result;
}

CellFont cachedCellFont(const QString &face, qint64 cellHeight)
{
    static QHash<FontKey, CellFont> cache;
    const FontKey key{face, cellHeight};
    const auto found = cache.constFind(key);
    if (found != cache.cend())
        return *found;
    const CellFont made = makeCellFont(face, qreal(cellHeight));
    insertBounded(cache, fontCacheLimit, key, made);
    return made;
}

QColor colorFromBgr(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

void drawObjectText(QPainter &painter, const PageObject &object, const QString &text,
                    std::int32_t scale, std::int32_t ox, std::int32_t oy)
{
    const qint64 cellHeight = qint64{object.fontSize} * scale;
    if (cellHeight <= 0 || text.isEmpty())
        return;
    const CellFont cellFont = cachedCellFont(object.fontName, cellHeight);
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

qint64 textReach(const PageObject &object, const QString &text, std::int32_t scale)
{
    const qint64 cellHeight = qint64{object.fontSize} * scale;
    if (cellHeight <= 0 || text.isEmpty())
        return 0;
    const CellFont cellFont = cachedCellFont(object.fontName, cellHeight);
    // No line is longer than its characters at the widest advance; one more
    // cell on each side covers the glyphs' overhang and the turned cell.
    const qreal length = qreal(text.size()) * cellFont.maxAdvance * cellFont.scale;
    return qint64(std::ceil(length)) + 2 * cellHeight;
}

std::int32_t measureTextWidth(const QString &face, std::int16_t fontSize, const QString &text)
{
    if (fontSize <= 0 || text.isEmpty())
        return 0;
    static QHash<WidthKey, std::int32_t> cache;
    const WidthKey key{face, fontSize, text};
    const auto found = cache.constFind(key);
    if (found != cache.cend())
        return *found;
    const CellFont cellFont = cachedCellFont(face, fontSize);
    const qreal width = QFontMetricsF(cellFont.font).horizontalAdvance(text) * cellFont.scale;
    constexpr qreal largest = std::numeric_limits<std::int32_t>::max();
    const auto measured = static_cast<std::int32_t>(qRound64(std::clamp(width, qreal(0), largest)));
    insertBounded(cache, widthCacheLimit, key, measured);
    return measured;
}
