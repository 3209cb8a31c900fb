#pragma once

#include "pageobject.h"
#include "pictures/picturedrawing.h"
#include "rendercache.h"

#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>

class QPainter;
class SymbolPrefetch;

// How the renderer shows each kind of object: one row per kind, beside the
// model's row in model/kinds.

// The side of the placeholder frame a picture object shows on screen, and of its box.
inline constexpr std::int32_t pictureSize = 32;

// The size of the object's box in page units at scale 1, unrotated, when it
// shows `text`.
struct BoxSize
{
    std::int32_t width = 0;
    std::int32_t height = 0;
};
BoxSize objectBoxSize(RenderCache &cache, const PageObject &object, const QString &text);

// Where objects are drawn: the painter, with the device's units per page
// unit and the page origin on it; the screen or paper; the bytes of the
// pictures the objects show, and where a PDF writer takes the PDF pages they
// show on paper.
struct DrawTarget
{
    QPainter &painter;
    RenderCache &cache;
    const PictureStore &pictures;
    std::int32_t scale = 1;
    std::int32_t ox = 0;
    std::int32_t oy = 0;
    bool onScreen = false;
    const PdfPagePlacer *placePdfPage = nullptr;
    // On paper, where the symbols of the page come from, encoded ahead.
    SymbolPrefetch *symbols = nullptr;
    // The device in the painter's coordinates (deviceArea), which stay the
    // same for every object drawn.
    std::optional<QRectF> deviceArea;
};

// Draws the object showing `text` with its reference point at page point
// (x, y) * scale + (ox, oy). On screen a picture that cannot be decoded
// shows a frame with its name; on paper, nothing.
void drawObject(const DrawTarget &target, const PageObject &object, const QString &text);
// Whether the object is a picture set to cover the page, drawn first.
bool isBackground(const PageObject &object);
// Draws a background picture covering `paper` (page units from the page
// origin), whole and centred.
void drawBackground(const DrawTarget &target, const PageObject &object, const QRectF &paper);

// How far from its reference point the object can reach on the device,
// whatever its angle: a bound for skipping objects that cannot touch the target.
qint64 objectReach(RenderCache &cache, const PageObject &object, const QString &text,
                   std::int32_t scale);
