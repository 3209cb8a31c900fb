#pragma once

#include <QImage>

#include <cstdint>

// The 32 x 32 picture of a Create Matrix numbering type (1 to 5): a 2 x 2
// grid of black numbers joined by red arrows in the order they are counted.
QImage matrixOrderGlyph(std::int32_t type);
