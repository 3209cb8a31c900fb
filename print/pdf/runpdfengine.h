#pragma once

#include "glyphsink.h"
#include "pdf/pdfcontent.h"

#include <QColor>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <optional>

class PdfDocument;

// Draws what a painter is asked for as PDF operators on the current page of
// a PdfDocument: glyphs as text in the document's embedded fonts, rectangles
// and paths as paths, images and pictures as shared objects drawn by
// reference. Gradients and patterns, which the engine does not declare,
// reach it from QPainter as images of the shapes they fill.
class RunPdfEngine : public QPaintEngine, public GlyphSink
{
public:
    explicit RunPdfEngine(PdfDocument &document);

    // Begins a page whose device units are `dotsPerPoint` to the point and
    // whose origin lies at `origin` (points from the paper's top left) on
    // paper `paperHeight` points high.
    void startPage(qreal dotsPerPoint, QPointF origin, qreal paperHeight);
    // The content of the page begun, ended.
    QByteArrayView endPage();

    bool begin(QPaintDevice *device) override;
    bool end() override;
    void updateState(const QPaintEngineState &state) override;
    void drawPath(const QPainterPath &path) override;
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override;
    void drawRects(const QRectF *rects, int count) override;
    void drawRects(const QRect *rects, int count) override;
    void drawPixmap(const QRectF &target, const QPixmap &pixmap, const QRectF &source) override;
    void drawImage(const QRectF &target, const QImage &image, const QRectF &source,
                   Qt::ImageConversionFlags flags) override;
    void drawTextItem(const QPointF &origin, const QTextItem &item) override;
    Type type() const override { return QPaintEngine::User; }

    void drawGlyphs(const QRawFont &font, QPointF origin, const quint32 *glyphs,
                    const QPointF *positions, int count, QStringView text) override;

private:
    // The content's graphics state as the painter's: its clip and transform
    // in a q ... Q block of their own, the text object closed unless `text`.
    void matchState(bool text);
    void closeText();
    void setFill(const QColor &color);
    void setStroke(const QPen &pen);
    void setOpacity(int fillAlpha, int strokeAlpha);
    // Paints the path just written with the pen and brush.
    void paint(bool evenOdd, bool fill);
    bool hasFill() const;
    bool hasStroke() const;
    void drawOutlines(const QRawFont &font, QPointF origin, const quint32 *glyphs,
                      const QPointF *positions, int count);

    PdfDocument &m_document;
    PdfContent m_content;

    // The painter's state.
    QTransform m_transform;
    QPen m_pen;
    QBrush m_brush;
    qreal m_opacity = 1;
    bool m_clipped = false;
    QPainterPath m_clip; // in device units
    int m_clipVersion = 0;

    // What the content has set within its current block.
    bool m_inBlock = false;
    QTransform m_blockTransform;
    int m_blockClip = -1;
    bool m_inText = false;
    QPointF m_lineStart;
    int m_textFace = -1;
    qreal m_textSize = 0;
    std::optional<QColor> m_fill;
    std::optional<QPen> m_stroke;
    std::pair<int, int> m_alpha{255, 255};
};
