#pragma once

#include "pageobject.h"
#include "rendercache.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>

class QPainter;

// A font whose character cell (ascent plus descent) is an exact, possibly
// fractional, number of pixels. QFont only knows whole pixel sizes for the em,
// so the font is made at a large reference size and drawn and measured under
// the scale `scale`.
struct CellFont
{
    QFont font;
    qreal scale = 1;
    qreal ascent = 0;     // at the reference size
    qreal maxAdvance = 0; // of the widest character, at the reference size
};

CellFont makeCellFont(const QString &face, qreal cellHeight);
// The same font, kept from an earlier call with the same face and height:
// every render and printed page asks for the same few fonts again.
CellFont cachedCellFont(RenderCache &cache, const QString &face, qint64 cellHeight);

// 0x00BBGGRR as stored in the object record.
QColor colorFromBgr(std::int32_t value);

// The painter's device in the painter's coordinates; nothing without a device
// or with a transform that cannot be undone. The texts of a page share one: a
// PDF writer works its size out of its page layout each time it is asked.
std::optional<QRectF> deviceArea(const QPainter &painter);
// Draws `text` in the object's face, size (character cell height * scale),
// colour and angle, with the top-left corner of the first cell at
// (x * scale + ox, y * scale + oy). The caller chooses the background mode.
// What lies beyond `area`, the painter's deviceArea, or farther than 200
// inches from the point, the largest page there is, is neither drawn nor
// measured, and no cell is drawn taller.
void drawObjectText(QPainter &painter, RenderCache &cache, const PageObject &object,
                    const QString &text, std::int32_t scale, std::int32_t ox, std::int32_t oy,
                    const std::optional<QRectF> &area);
// How far from its reference point the object's text can reach on the device,
// whatever its angle: a bound for skipping texts that cannot touch the target.
qint64 textReach(RenderCache &cache, const PageObject &object, const QString &text,
                 std::int32_t scale);
// Width of the unrotated text at scale 1, in pixels. Widths are kept, so
// measuring the same text again costs a lookup.
std::int32_t measureTextWidth(RenderCache &cache, const QString &face, std::int16_t fontSize,
                              const QString &text);
