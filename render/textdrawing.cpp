#include "textdrawing.h"

#include "glyphsink.h"
#include "rendercachetables.h"
#include "wrapint.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QVarLengthArray>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

namespace {
// Large enough that the reference metrics, kept to 1/64 pixel, scale down
// without visible error, and small enough that the face keeps its glyphs'
// metrics: from about 384 pixels on, every text asks the face again.
constexpr int referencePixelSize = 256;

// Caches are emptied when they reach these sizes, which bounds their memory
// however many different texts a run draws.
constexpr qsizetype fontCacheLimit = 256;
constexpr qsizetype widthCacheLimit = 1 << 16;

template <typename Key, typename Value>
void insertBounded(QHash<Key, Value> &cache, qsizetype limit, const Key &key, const Value &value)
{
    if (cache.size() >= limit)
        cache.clear();
    cache.insert(key, value);
}

// Nothing of a text reaches farther from its point than the largest page a
// PDF can hold, 200 inches, and no cell is taller: what lies beyond cannot be
// on any page, and a value crafted larger would only cost time.
constexpr qint64 largestReach = 14400; // page units

qint64 drawnCell(qint64 cellHeight, std::int32_t scale)
{
    return std::min(cellHeight, largestReach * scale);
}

// How far along its line a text drawn at `point` turned by `angle` degrees
// needs to reach to cover `area`, the device in the painter's coordinates, in
// device units, and never farther than the largest page; nothing when the
// line's band, a cell on either side of its cell, misses the device.
std::optional<qreal> deviceReach(const std::optional<QRectF> &area, QPointF point,
                                 std::int32_t angle, qint64 cellHeight, std::int32_t scale)
{
    const qreal largest = qreal(largestReach) * scale;
    if (!area)
        return largest;
    // The line runs counter-clockwise from the x axis, and y points down;
    // most lines are level, which needs no trigonometry.
    const qreal radians = qDegreesToRadians(qreal(angle % 360));
    const QPointF along =
        angle % 360 == 0 ? QPointF(1, 0) : QPointF(std::cos(radians), -std::sin(radians));
    const QPointF across(-along.y(), along.x());
    qreal farthest = std::numeric_limits<qreal>::lowest();
    qreal highest = std::numeric_limits<qreal>::max();
    qreal lowest = std::numeric_limits<qreal>::lowest();
    for (const QPointF corner :
         {area->topLeft(), area->topRight(), area->bottomLeft(), area->bottomRight()}) {
        farthest = std::max(farthest, QPointF::dotProduct(corner - point, along));
        const qreal below = QPointF::dotProduct(corner - point, across);
        highest = std::min(highest, below);
        lowest = std::max(lowest, below);
    }
    const auto cell = qreal(cellHeight);
    if (farthest < -cell || lowest < -cell || highest > 2 * cell)
        return std::nullopt;
    return std::min(farthest, largest);
}

// The advances of single characters in one font, asked of the font once
// each: long lines are summed character by character, and most of their
// characters are Latin-1.
class CharacterAdvances
{
public:
    explicit CharacterAdvances(const QFont &font) : m_metrics(font) { m_latin.fill(-1); }

    qreal operator()(QChar c)
    {
        if (c.unicode() < m_latin.size()) {
            qreal &advance = m_latin[c.unicode()];
            if (advance < 0)
                advance = m_metrics.horizontalAdvance(c);
            return advance;
        }
        auto found = m_others.find(c);
        if (found == m_others.end())
            found = m_others.insert(c, m_metrics.horizontalAdvance(c));
        return *found;
    }

    const QFontMetricsF &metrics() const { return m_metrics; }

private:
    QFontMetricsF m_metrics;
    std::array<qreal, 256> m_latin;
    QHash<QChar, qreal> m_others;
};

// The part of `text` that can reach `reach` device units in `font`: its
// characters up to the first that starts beyond the reach, each taking its
// own advance.
QString reachableText(const QString &text, const CellFont &font, qreal reach)
{
    // A text narrower at its widest advance than the reach is whole.
    if (font.scale <= 0 || qreal(text.size()) * font.maxAdvance * font.scale <= reach)
        return text;
    reach /= font.scale;
    CharacterAdvances advances(font.font);
    qreal start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (start > reach)
            return text.left(i);
        start += advances(text[i]);
    }
    return text;
}

// Beyond this many characters a line is summed character by character: a
// number zero-filled to thousands of digits would cost its shaping, and its
// digits have no shaping to take into account.
constexpr qsizetype shapedLength = 256;

qreal advanceOf(const QFont &font, const QString &text)
{
    CharacterAdvances advances(font);
    if (text.size() <= shapedLength)
        return advances.metrics().horizontalAdvance(text);
    qreal advance = advances.metrics().horizontalAdvance(text.left(shapedLength));
    for (const QChar c : QStringView(text).sliced(shapedLength))
        advance += advances(c);
    return advance;
}

// A number's digits take no substitution in any face. The shaping a face may
// still do to its letters and signs (ligatures and the like) stays within a
// run of them, and each such run is shaped once per font and kept.
constexpr bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Capitals and the space, which faces set as their glyphs: runs of them alone
// are not shaped to be sure, so that numbers in letters cost no shaping.
constexpr bool isCapitalOrSpace(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || c == u' ';
}

void keepTableGlyphs(DeviceFont &font, const QFont &reference, qreal pixelSize)
{
    font.raw = QRawFont::fromFont(reference);
    if (!font.raw.isValid())
        return;
    font.raw.setPixelSize(pixelSize);
    QString table;
    for (char16_t c = u' '; c < tableCharacters; ++c)
        table.append(QChar(c));
    const QList<quint32> glyphs = font.raw.glyphIndexesForString(table);
    const QList<QPointF> advances = font.raw.advancesForGlyphIndexes(glyphs);
    for (qsizetype i = 0; i < table.size() && i < glyphs.size(); ++i) {
        const char16_t c = table[i].unicode();
        font.glyphs[c] = glyphs[i];
        font.advances[c] = advances[i].x();
    }
}

// Whether shaping `run` in the font gives the face's own glyphs of its
// characters, one for one, so that their glyphs at their advances are what
// shaping would draw.
bool shapesAsItsGlyphs(RenderCache &renderCache, const DeviceFont &font, const FontKey &key,
                       const QString &run)
{
    QHash<RunKey, bool> &cache = renderCache.tables().plainRuns;
    const RunKey runKey{key, run};
    const auto found = cache.constFind(runKey);
    if (found != cache.cend())
        return *found;
    QTextLayout layout(run, font.font);
    layout.beginLayout();
    layout.createLine().setNumColumns(run.size());
    layout.endLayout();
    const QList<QGlyphRun> shaped = layout.glyphRuns();
    bool plain = shaped.size() == 1 && shaped[0].glyphIndexes().size() == run.size();
    for (qsizetype i = 0; plain && i < run.size(); ++i)
        plain = shaped[0].glyphIndexes()[i] == font.glyphs[run[i].unicode()];
    insertBounded(cache, widthCacheLimit, runKey, plain);
    return plain;
}

// Draws a Latin-1 text as the run of its glyphs, each at its advance, when
// its runs of letters and signs shape as their glyphs; false, drawing
// nothing, for any other text.
bool drawTableGlyphs(QPainter &painter, RenderCache &cache, const DeviceFont &font,
                     const FontKey &key, QPointF baseline, const QString &text)
{
    QVarLengthArray<quint32, 32> glyphs;
    QVarLengthArray<QPointF, 32> positions;
    qreal x = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= tableCharacters || font.glyphs[u] == 0)
            return false;
        glyphs.append(font.glyphs[u]);
        positions.append(QPointF(x, 0));
        x += font.advances[u];
    }
    for (qsizetype start = 0; start < text.size();) {
        if (isDigit(text[start].unicode())) {
            ++start;
            continue;
        }
        qsizetype end = start;
        bool capitalsOnly = true;
        for (; end < text.size() && !isDigit(text[end].unicode()); ++end)
            capitalsOnly = capitalsOnly && isCapitalOrSpace(text[end].unicode());
        if (!capitalsOnly && !shapesAsItsGlyphs(cache, font, key, text.sliced(start, end - start)))
            return false;
        start = end;
    }
    if (auto *sink = dynamic_cast<GlyphSink *>(painter.paintEngine())) {
        painter.paintEngine()->syncState();
        sink->drawGlyphs(font.raw, baseline, glyphs.constData(), positions.constData(),
                         int(glyphs.size()), text);
        return true;
    }
    QGlyphRun &run = cache.tables().glyphRun;
    if (run.rawFont() != font.raw)
        run.setRawFont(font.raw);
    run.setRawData(glyphs.constData(), positions.constData(), int(glyphs.size()));
    painter.drawGlyphRun(baseline, run);
    run.setRawData(nullptr, nullptr, 0);
    return true;
}

std::shared_ptr<const DeviceFont> cachedDeviceFont(RenderCache &renderCache, const FontKey &key)
{
    RenderCache::Tables &tables = renderCache.tables();
    if (tables.lastDeviceFont && tables.lastDeviceFont->first == key)
        return tables.lastDeviceFont->second;
    QHash<FontKey, std::shared_ptr<const DeviceFont>> &cache = tables.deviceFonts;
    const auto found = cache.constFind(key);
    if (found != cache.cend()) {
        tables.lastDeviceFont.emplace(key, *found);
        return *found;
    }
    const CellFont cellFont = cachedCellFont(renderCache, key.face, key.cellHeight);
    auto made = std::make_shared<DeviceFont>();
    if (cellFont.scale > 0 && key.dpi > 0) {
        made->font = cellFont.font;
        // Unhinted, the metrics scale linearly from the reference size, and a
        // point is dpi / 72 device pixels.
        made->font.setPointSizeF(referencePixelSize * cellFont.scale * 72 / key.dpi);
        made->ascent = cellFont.ascent * cellFont.scale;
        keepTableGlyphs(*made, cellFont.font, referencePixelSize * cellFont.scale);
    }
    insertBounded(cache, fontCacheLimit, key, std::shared_ptr<const DeviceFont>(made));
    return made;
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

CellFont cachedCellFont(RenderCache &renderCache, const QString &face, qint64 cellHeight)
{
    RenderCache::Tables &tables = renderCache.tables();
    const FontKey key{face, cellHeight};
    if (tables.lastCellFont && tables.lastCellFont->first == key)
        return tables.lastCellFont->second;
    QHash<FontKey, CellFont> &cache = tables.cellFonts;
    const auto found = cache.constFind(key);
    if (found != cache.cend()) {
        tables.lastCellFont.emplace(key, *found);
        return *found;
    }
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

std::optional<QRectF> deviceArea(const QPainter &painter)
{
    const QPaintDevice *device = painter.device();
    bool invertible = false;
    const QTransform toPainter = painter.worldTransform().inverted(&invertible);
    if (!device || !invertible)
        return std::nullopt;
    return toPainter.mapRect(QRectF(0, 0, device->width(), device->height()));
}

void drawObjectText(QPainter &painter, RenderCache &cache, const PageObject &object,
                    const QString &whole, std::int32_t scale, std::int32_t ox, std::int32_t oy,
                    const std::optional<QRectF> &area)
{
    const qint64 cellHeight = drawnCell(qint64{object.fontSize} * scale, scale);
    if (cellHeight <= 0 || whole.isEmpty())
        return;
    const std::int32_t px = wrapAdd(wrapMul(object.x, scale), ox);
    const std::int32_t py = wrapAdd(wrapMul(object.y, scale), oy);
    const std::optional<qreal> reach =
        deviceReach(area, QPointF(px, py), object.angle, cellHeight, scale);
    if (!reach)
        return;
    // Ligatures may set a line narrower than its characters' advances: twice
    // the reach leaves room for them.
    const QString text =
        reachableText(whole, cachedCellFont(cache, object.fontName, cellHeight), 2 * *reach);
    const QColor color = colorFromBgr(object.color);

    const QPaintDevice *device = painter.device();
    const QPaintEngine *engine = painter.paintEngine();
    // On paper, once per number on every printed page: a font sized for the
    // device, and no transform. A raster device would set such glyphs on
    // whole pixels, a pixel off the cell; there the outline is scaled.
    if (object.angle % 360 == 0 && device && engine && engine->type() != QPaintEngine::Raster) {
        const FontKey key{object.fontName, cellHeight, device->logicalDpiY()};
        const std::shared_ptr<const DeviceFont> shared = cachedDeviceFont(cache, key);
        const DeviceFont &font = *shared;
        if (font.ascent <= 0)
            return;
        // Numbers of one style follow one another: the painter's state is
        // changed only where it differs.
        if (painter.pen().color() != color || painter.pen().style() != Qt::SolidLine)
            painter.setPen(color);
        const QPointF baseline(px, py + font.ascent);
        // An SVG keeps a text as text only when it is drawn as one.
        if (engine->type() != QPaintEngine::SVG &&
            drawTableGlyphs(painter, cache, font, key, baseline, text))
            return;
        if (painter.font() != font.font)
            painter.setFont(font.font);
        painter.drawText(baseline, text);
        return;
    }

    const CellFont cellFont = cachedCellFont(cache, object.fontName, cellHeight);
    if (cellFont.scale <= 0)
        return;
    painter.save();
    painter.translate(px, py);
    // Reduced first so that huge angles keep their precision; negative
    // because the y axis points down and the angle turns counter-clockwise.
    painter.rotate(-qreal(object.angle % 360));
    painter.scale(cellFont.scale, cellFont.scale);
    painter.setFont(cellFont.font);
    painter.setPen(color);
    painter.drawText(QPointF(0, cellFont.ascent), text);
    painter.restore();
}

qint64 textReach(RenderCache &cache, const PageObject &object, const QString &whole,
                 std::int32_t scale)
{
    const qint64 cellHeight = drawnCell(qint64{object.fontSize} * scale, scale);
    if (cellHeight <= 0 || whole.isEmpty())
        return 0;
    const CellFont cellFont = cachedCellFont(cache, object.fontName, cellHeight);
    const QString text = reachableText(whole, cellFont, qreal(largestReach) * scale);
    // No line is longer than its characters at the widest advance; one more
    // cell on each side covers the glyphs' overhang and the turned cell.
    const qreal length = qreal(text.size()) * cellFont.maxAdvance * cellFont.scale;
    return qint64(std::ceil(length)) + 2 * cellHeight;
}

std::int32_t measureTextWidth(RenderCache &renderCache, const QString &face, std::int16_t fontSize,
                              const QString &whole)
{
    if (fontSize <= 0 || whole.isEmpty())
        return 0;
    const CellFont cellFont = cachedCellFont(renderCache, face, drawnCell(fontSize, 1));
    const QString text = reachableText(whole, cellFont, qreal(largestReach));
    QHash<WidthKey, std::int32_t> &cache = renderCache.tables().widths;
    const WidthKey key{face, fontSize, text};
    const auto found = cache.constFind(key);
    if (found != cache.cend())
        return *found;
    const qreal width = advanceOf(cellFont.font, text) * cellFont.scale;
    constexpr qreal largest = std::numeric_limits<std::int32_t>::max();
    const auto measured = static_cast<std::int32_t>(qRound64(std::clamp(width, qreal(0), largest)));
    insertBounded(cache, widthCacheLimit, key, measured);
    return measured;
}
