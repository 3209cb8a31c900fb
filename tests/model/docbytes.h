#pragma once

#include "file/recordcodec.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

// Little-endian access to hand-built file bytes, independent of the code
// under test.
inline void putLe(QByteArray &bytes, int offset, std::int64_t value, int width)
{
    const auto bits = static_cast<std::uint64_t>(value);
    for (int i = 0; i < width; ++i)
        bytes[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

inline std::int64_t getLe(const QByteArray &bytes, int offset, int width)
{
    std::uint64_t bits = 0;
    for (int i = 0; i < width; ++i)
        bits |= std::uint64_t(static_cast<std::uint8_t>(bytes[offset + i])) << (8 * i);
    // Sign-extend from the field's width.
    const std::uint64_t sign = std::uint64_t(1) << (8 * width - 1);
    return static_cast<std::int64_t>((bits ^ sign) - sign);
}

inline void putText(QByteArray &bytes, int offset, const QByteArray &text)
{
    bytes.replace(offset, text.size(), text);
}

inline QByteArray fileHeader(std::int32_t objectCount, std::int32_t linkCount,
                             std::int32_t pageShown = 1, std::int32_t pagesToPrint = 1,
                             std::int32_t recordSize = 388)
{
    QByteArray bytes(48, '\0');
    putLe(bytes, 0, 2, 2);
    putLe(bytes, 4, 4, 2);
    putLe(bytes, 6, 1, 2);
    putLe(bytes, 8, recordSize, 4);
    putLe(bytes, 12, objectCount, 4);
    putLe(bytes, 16, linkCount, 4);
    putLe(bytes, 20, pageShown, 4);
    putLe(bytes, 24, pagesToPrint, 4);
    return bytes;
}

struct LinkFields
{
    std::int32_t linkId = -1;
    std::int32_t linkPrev = -1;
    std::int32_t linkNext = -1;
};

// A text object at (x, 2x) named after x, with the given link fields.
inline QByteArray fileRecord(std::int32_t x, LinkFields link = {}, std::int16_t selected = 0)
{
    QByteArray bytes(388, '\0');
    putLe(bytes, 0, x, 4);
    putLe(bytes, 4, 2 * x, 4);
    putLe(bytes, 40, 14, 2);
    putLe(bytes, 60, 1, 4);
    putLe(bytes, 64, link.linkId, 4);
    putLe(bytes, 68, link.linkPrev, 4);
    putLe(bytes, 72, link.linkNext, 4);
    putLe(bytes, 78, selected, 2);
    putText(bytes, 92, "Arial");
    putText(bytes, 160, "text" + QByteArray::number(x));
    putText(bytes, 228, "obj" + QByteArray::number(x));
    return bytes;
}

inline QByteArray fileOrder(const QList<std::int32_t> &order)
{
    QByteArray bytes(4 * order.size(), '\0');
    for (int i = 0; i < order.size(); ++i)
        putLe(bytes, 4 * i, order[i], 4);
    return bytes;
}

inline QByteArray toByteArray(const RecordBytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), recordSize);
}
