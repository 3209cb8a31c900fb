#pragma once

#include "documentstate.h"

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

// Appends an unlinked object in face "Arial" on top of the stacking order.
inline int addObject(DocumentState &doc, std::int32_t kind, std::int32_t x, std::int32_t y,
                     const QString &text, std::int32_t color = 0, std::int16_t fontSize = 14)
{
    const int index = doc.objectCount;
    mainStruct2 &object = doc.objects[index];
    object = zeroRecord();
    object.kind = kind;
    object.x = x;
    object.y = y;
    object.color = color;
    object.fontSize = fontSize;
    object.linkId = -1;
    object.linkPrev = -1;
    object.linkNext = -1;
    doc.fontNames[index] = QStringLiteral("Arial");
    doc.texts[index] = text;
    doc.drawOrder[index] = index;
    ++doc.objectCount;
    return index;
}

inline int addNumber(DocumentState &doc, std::int32_t x, std::int32_t y, std::int32_t start,
                     std::int16_t digits, std::int32_t stepPage = 1)
{
    const int index = addObject(doc, KindNumber, x, y, QString());
    doc.objects[index].start = start;
    doc.objects[index].digits = digits;
    doc.objects[index].stepPage = stepPage;
    return index;
}

// Chains the given objects, in that order, into link `id`.
inline void linkObjects(DocumentState &doc, std::int32_t id, std::initializer_list<int> members)
{
    int previous = -1;
    for (const int index : members) {
        doc.objects[index].linkId = id;
        doc.objects[index].linkPrev = previous;
        doc.objects[index].linkNext = -1;
        if (previous != -1)
            doc.objects[previous].linkNext = index;
        previous = index;
    }
}
