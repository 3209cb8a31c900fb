#pragma once

#include "pageobject.h"
#include "rendercache.h"

#include <QString>

#include <cstdint>

class QPainter;

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

// Draws the object showing `text` with its reference point at page point
// (x, y) * scale + (ox, oy). `onScreen` tells the screen from paper: a
// picture shows a placeholder on screen and nothing on paper.
void drawObject(QPainter &painter, RenderCache &cache, const PageObject &object,
                const QString &text, std::int32_t scale, std::int32_t ox, std::int32_t oy,
                bool onScreen);

// How far from its reference point the object can reach on the device,
// whatever its angle: a bound for skipping objects that cannot touch the target.
qint64 objectReach(RenderCache &cache, const PageObject &object, const QString &text,
                   std::int32_t scale);
