#include "pdf/runpdfengine.h"

#include "pdf/pdfdocument.h"
#include "pdf/runpdfwriter.h"

#include <QGlyphRun>
#include <QHash>
#include <QPixmap>
#include <QTextLayout>

#include <cmath>

namespace {

// Everything but what a PDF would need shadings or patterns for, which
// QPainter then hands over as images of what they fill.
constexpr QPaintEngine::PaintEngineFeatures features =
    QPaintEngine::AllFeatures &
    ~(QPaintEngine::LinearGradientFill | QPaintEngine::RadialGradientFill |
      QPaintEngine::ConicalGradientFill | QPaintEngine::ObjectBoundingModeGradients |
      QPaintEngine::PatternBrush | QPaintEngine::PatternTransform | QPaintEngine::BrushStroke |
      QPaintEngine::PorterDuff | QPaintEngine::PerspectiveTransform | QPaintEngine::BlendModes |
      QPaintEngine::RasterOpModes);

// Glyphs of a text item that QTextLayout set, each with the character
// that gives it in `font`, or none.
QString charactersOf(const QRawFont &font, const QList<quint32> &glyphs, const QString &text)
{
    if (glyphs.size() == text.size())
        return text;
    QHash<quint32, QChar> byGlyph;
    for (const QChar c : text)
        byGlyph.insert(font.glyphIndexesForString(QString(c)).value(0), c);
    QString characters;
    for (const quint32 glyph : glyphs)
        characters += byGlyph.value(glyph);
    return characters;
}

} // namespace

RunPdfEngine::RunPdfEngine(PdfDocument &document) : QPaintEngine(features), m_document(document) {}

bool RunPdfEngine::begin(QPaintDevice *device)
{
    setActive(true);
    return static_cast<RunPdfWriter *>(device)->beginRun();
}

bool RunPdfEngine::end()
{
    setActive(false);
    return static_cast<RunPdfWriter *>(paintDevice())->endRun();
}

void RunPdfEngine::startPage(qreal dotsPerPoint, QPointF origin, qreal paperHeight)
{
    m_content.clear();
    m_inBlock = false;
    m_inText = false;
    // Device units to points, y down from the printable area's corner.
    m_content.transform(QTransform(1 / dotsPerPoint, 0, 0, -1 / dotsPerPoint, origin.x(),
                                   paperHeight - origin.y()));
}

QByteArrayView RunPdfEngine::endPage()
{
    closeText();
    if (m_inBlock)
        m_content.op("Q");
    m_inBlock = false;
    return m_content.bytes();
}

void RunPdfEngine::updateState(const QPaintEngineState &state)
{
    const DirtyFlags flags = state.state();
    if (flags & DirtyTransform)
        m_transform = state.transform();
    if (flags & DirtyPen)
        m_pen = state.pen();
    if (flags & DirtyBrush)
        m_brush = state.brush();
    if (flags & DirtyOpacity)
        m_opacity = state.opacity();
    QPainterPath clip = m_clip;
    bool clipped = m_clipped;
    if (flags & DirtyClipEnabled)
        clipped = state.isClipEnabled();
    const auto setClip = [&](const QPainterPath &path, Qt::ClipOperation operation) {
        if (operation == Qt::NoClip) {
            clipped = false;
            return;
        }
        const QPainterPath mapped = m_transform.map(path);
        clip = operation == Qt::IntersectClip && clipped ? clip.intersected(mapped) : mapped;
        clipped = true;
    };
    if (flags & DirtyClipPath)
        setClip(state.clipPath(), state.clipOperation());
    if (flags & DirtyClipRegion) {
        QPainterPath path;
        path.addRegion(state.clipRegion());
        setClip(path, state.clipOperation());
    }
    // The same state given again (a glyph sink synchronises before each
    // run) changes nothing in the content.
    if (clipped != m_clipped || (clipped && clip != m_clip)) {
        m_clipped = clipped;
        m_clip = clip;
        ++m_clipVersion;
    }
}

void RunPdfEngine::closeText()
{
    if (m_inText)
        m_content.op("ET");
    m_inText = false;
}

void RunPdfEngine::matchState(bool text)
{
    const int clip = m_clipped ? m_clipVersion : -1;
    if (m_inBlock && m_blockTransform == m_transform && m_blockClip == clip) {
        if (!text)
            closeText();
        return;
    }
    closeText();
    if (m_inBlock)
        m_content.op("Q");
    m_content.op("q");
    m_inBlock = true;
    m_fill.reset();
    m_stroke.reset();
    m_alpha = {255, 255};
    m_textFace = -1;
    if (m_clipped) {
        if (m_clip.isEmpty())
            m_content.rect(QRectF());
        else
            m_content.path(m_clip);
        m_content.op(m_clip.fillRule() == Qt::OddEvenFill ? "W* n" : "W n");
    }
    if (!m_transform.isIdentity())
        m_content.transform(m_transform);
    m_blockTransform = m_transform;
    m_blockClip = clip;
}

void RunPdfEngine::setOpacity(int fillAlpha, int strokeAlpha)
{
    fillAlpha = qRound(fillAlpha * m_opacity);
    strokeAlpha = qRound(strokeAlpha * m_opacity);
    if (m_alpha == std::pair(fillAlpha, strokeAlpha))
        return;
    m_alpha = {fillAlpha, strokeAlpha};
    m_content.raw(m_document.opacityState(fillAlpha, strokeAlpha)).op(" gs");
}

void RunPdfEngine::setFill(const QColor &color)
{
    if (m_fill && *m_fill == color)
        return;
    m_fill = color;
    m_content.color(color, "rg");
}

void RunPdfEngine::setStroke(const QPen &pen)
{
    if (m_stroke && *m_stroke == pen)
        return;
    m_stroke = pen;
    m_content.color(pen.color(), "RG");
    // A cosmetic pen is as wide on every device as it says in device units,
    // whatever the transform; width 0 is one unit.
    const qreal scale = std::sqrt(std::abs(m_transform.determinant()));
    const qreal width = pen.isCosmetic()
                            ? std::max<qreal>(pen.widthF(), 1) / (scale > 0 ? scale : 1)
                            : pen.widthF();
    m_content.number(width).op("w");
    const int cap = pen.capStyle() == Qt::RoundCap ? 1 : pen.capStyle() == Qt::SquareCap ? 2 : 0;
    const int join = pen.joinStyle() == Qt::RoundJoin   ? 1
                     : pen.joinStyle() == Qt::BevelJoin ? 2
                                                        : 0;
    m_content.integer(cap).op("J").integer(join).op("j");
    if (join == 0)
        m_content.number(std::max<qreal>(pen.miterLimit(), 1)).op("M");
    m_content.raw("[");
    if (pen.style() != Qt::SolidLine) {
        const qreal unit = std::max<qreal>(width, 1e-3);
        for (const qreal dash : pen.dashPattern())
            m_content.number(dash * unit);
    }
    m_content.raw("]").number(pen.style() == Qt::SolidLine ? 0 : pen.dashOffset() * width).op("d");
}

bool RunPdfEngine::hasFill() const
{
    return m_brush.style() != Qt::NoBrush;
}

bool RunPdfEngine::hasStroke() const
{
    return m_pen.style() != Qt::NoPen;
}

void RunPdfEngine::paint(bool evenOdd, bool fill)
{
    const bool stroke = hasStroke();
    if (fill && stroke)
        m_content.op(evenOdd ? "B*" : "B");
    else if (fill)
        m_content.op(evenOdd ? "f*" : "f");
    else if (stroke)
        m_content.op("S");
    else
        m_content.op("n");
}

void RunPdfEngine::drawPath(const QPainterPath &path)
{
    const bool fill = hasFill();
    if (!fill && !hasStroke())
        return;
    matchState(false);
    setOpacity(fill ? m_brush.color().alpha() : 255, m_pen.color().alpha());
    if (fill)
        setFill(m_brush.color());
    if (hasStroke())
        setStroke(m_pen);
    m_content.path(path);
    paint(path.fillRule() == Qt::OddEvenFill, fill);
}

void RunPdfEngine::drawPolygon(const QPointF *points, int count, PolygonDrawMode mode)
{
    if (count < 1)
        return;
    QPainterPath path(points[0]);
    for (int i = 1; i < count; ++i)
        path.lineTo(points[i]);
    if (mode == PolylineMode) {
        const QBrush brush = std::exchange(m_brush, Qt::NoBrush);
        drawPath(path);
        m_brush = brush;
        return;
    }
    path.closeSubpath();
    path.setFillRule(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
    drawPath(path);
}

void RunPdfEngine::drawRects(const QRectF *rects, int count)
{
    const bool fill = hasFill();
    if (count < 1 || (!fill && !hasStroke()))
        return;
    matchState(false);
    setOpacity(fill ? m_brush.color().alpha() : 255, m_pen.color().alpha());
    if (fill)
        setFill(m_brush.color());
    if (hasStroke())
        setStroke(m_pen);
    for (int i = 0; i < count; ++i)
        m_content.rect(rects[i]);
    paint(false, fill);
}

void RunPdfEngine::drawRects(const QRect *rects, int count)
{
    QVarLengthArray<QRectF, 64> exact;
    for (int i = 0; i < count; ++i)
        exact.append(QRectF(rects[i]));
    drawRects(exact.constData(), count);
}

void RunPdfEngine::drawPixmap(const QRectF &target, const QPixmap &pixmap, const QRectF &source)
{
    drawImage(target, pixmap.toImage(), source, Qt::AutoColor);
}

void RunPdfEngine::drawImage(const QRectF &target, const QImage &image, const QRectF &source,
                             Qt::ImageConversionFlags)
{
    if (image.isNull() || target.isEmpty())
        return;
    const QImage shown =
        source == QRectF(image.rect()) ? image : image.copy(source.toAlignedRect());
    matchState(false);
    setOpacity(255, 255);
    const QByteArray name = m_document.imageName(shown);
    // The image fills the unit square, upside down in the page's space.
    m_content.op("q")
        .number(target.width())
        .integer(0)
        .integer(0)
        .number(-target.height())
        .number(target.x())
        .number(target.bottom())
        .op("cm")
        .raw(name)
        .op(" Do")
        .op("Q");
}

void RunPdfEngine::drawTextItem(const QPointF &origin, const QTextItem &item)
{
    const QString text = item.text();
    if (text.isEmpty())
        return;
    QTextLayout layout(text, item.font(), paintDevice());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setNumColumns(int(text.size()));
    layout.endLayout();
    const QPointF top = origin - QPointF(0, line.ascent());
    for (const QGlyphRun &run : layout.glyphRuns()) {
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        drawGlyphs(run.rawFont(), top, glyphs.constData(), positions.constData(),
                   int(glyphs.size()), charactersOf(run.rawFont(), glyphs, text));
    }
}

void RunPdfEngine::drawOutlines(const QRawFont &font, QPointF origin, const quint32 *glyphs,
                                const QPointF *positions, int count)
{
    QPainterPath outlines;
    for (int i = 0; i < count; ++i)
        outlines.addPath(font.pathForGlyph(glyphs[i]).translated(origin + positions[i]));
    const QBrush brush = std::exchange(m_brush, QBrush(m_pen.color()));
    const QPen pen = std::exchange(m_pen, Qt::NoPen);
    drawPath(outlines);
    m_brush = brush;
    m_pen = pen;
}

void RunPdfEngine::drawGlyphs(const QRawFont &font, QPointF origin, const quint32 *glyphs,
                              const QPointF *positions, int count, QStringView text)
{
    if (count < 1 || m_pen.style() == Qt::NoPen)
        return;
    PdfFonts &fonts = m_document.fonts();
    const int face = fonts.faceOf(font);
    QVarLengthArray<unsigned, 32> codes(count);
    if (!fonts.use(face, font, glyphs, count, text, codes.data())) {
        drawOutlines(font, origin, glyphs, positions, count);
        return;
    }
    const int codeBytes = fonts.codeBytes(face);
    const qreal size = font.pixelSize();
    matchState(true);
    setOpacity(m_pen.color().alpha(), 255);
    setFill(m_pen.color());
    if (!m_inText) {
        m_content.op("BT");
        m_inText = true;
        m_lineStart = QPointF(qInf(), qInf());
    }
    if (face != m_textFace || size != m_textSize) {
        m_content.raw("/F").integer(face).number(size).op("Tf");
        m_textFace = face;
        m_textSize = size;
    }
    // Each line of glyphs (a run is one, but for what a layout moves) from
    // its first glyph's place, later glyphs moved only where they do not
    // follow their advance.
    for (int start = 0; start < count;) {
        int end = start + 1;
        while (end < count && positions[end].y() == positions[start].y())
            ++end;
        const QPointF at = origin + positions[start];
        if (!std::isfinite(m_lineStart.x()))
            m_content.raw("1 0 0 -1 ").number(at.x()).number(at.y()).op("Tm");
        else
            m_content.number(at.x() - m_lineStart.x()).number(m_lineStart.y() - at.y()).op("Td");
        m_lineStart = at;
        QVarLengthArray<qreal, 32> gaps;
        bool moved = false;
        qreal expected = positions[start].x();
        for (int i = start; i < end; ++i) {
            const qreal gap = positions[i].x() - expected;
            gaps.append(std::abs(gap) > 1e-3 ? gap : 0);
            moved = moved || gaps.back() != 0;
            expected = positions[i].x() + fonts.width(face, glyphs[i]) * size / 1000;
        }
        if (!moved) {
            m_content.codes(codes.data() + start, end - start, codeBytes).op("Tj");
        } else {
            m_content.raw("[");
            for (int i = start; i < end;) {
                int run = i + 1;
                while (run < end && gaps[run - start] == 0)
                    ++run;
                if (gaps[i - start] != 0)
                    m_content.number(-gaps[i - start] * 1000 / size);
                m_content.codes(codes.data() + i, run - i, codeBytes);
                i = run;
            }
            m_content.op("]TJ");
        }
        start = end;
    }
}
