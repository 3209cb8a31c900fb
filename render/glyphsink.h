#pragma once

#include <QPointF>
#include <QRawFont>
#include <QStringView>

// A paint engine that takes a run of glyphs together with the characters
// they set. QPainter hands an engine of its own making a glyph run's glyphs
// only through Qt's private classes; through this, a PDF engine keeps the
// run's font and can map each glyph back to its character. The painter's
// state is synchronised with the engine before the call.
class GlyphSink
{
public:
    virtual ~GlyphSink() = default;
    // Draws `count` glyphs of `font` at `positions` from `origin`, in the
    // painter's pen colour; `text` gives one character for each glyph.
    virtual void drawGlyphs(const QRawFont &font, QPointF origin, const quint32 *glyphs,
                            const QPointF *positions, int count, QStringView text) = 0;
};
