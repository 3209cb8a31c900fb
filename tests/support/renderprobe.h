#pragma once

#include "documentbuilder.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <initializer_list>

inline constexpr QRgb white = 0xFFFFFFFF;
inline constexpr QRgb black = 0xFF000000;
inline constexpr QRgb grey = 0xFF808080;
inline constexpr QRgb red = 0xFFFF0000;
inline constexpr QRgb green = 0xFF00FF00;
inline constexpr QRgb blue = 0xFF0000FF;

// The pixels of `image` inside `area` that differ from `background`.
struct Ink
{
    QRect bounds;
    int pixels = 0;
};

inline Ink findInk(const QImage &image, QRgb background, QRect area = {})
{
    if (area.isNull())
        area = image.rect();
    area &= image.rect();
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) {
                ink.bounds |= QRect(x, y, 1, 1);
                ++ink.pixels;
            }
        }
    }
    return ink;
}

inline int countColor(const QImage &image, QRgb color, QRect area = {})
{
    if (area.isNull())
        area = image.rect();
    area &= image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF))
                ++count;
        }
    }
    return count;
}

inline QImage whiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}
