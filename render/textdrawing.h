#pragma once

#include "objectrecord.h"

#include <QString>

#include <cstdint>

class QPainter;

// Draws `text` in the object's face, size (character cell height * scale),
// colour and angle, with the top-left corner of the first cell at
// (x * scale + ox, y * scale + oy).
void drawObjectText(QPainter &painter, const mainStruct2 &object, const QString &face,
                    const QString &text, std::int32_t scale, std::int32_t ox, std::int32_t oy);
// Width of the unrotated text at scale 1, in pixels.
std::int32_t measureTextWidth(const QString &face, std::int16_t fontSize, const QString &text);
