#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cstdint>
#include <limits>

// Whole files and little-endian fields, for checking what the program stores.

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A field the bytes do not reach reads as a value no test expects.
inline std::int32_t int32At(const QByteArray &bytes, int offset)
{
    if (offset < 0 || bytes.size() < offset + 4)
        return std::numeric_limits<std::int32_t>::min();
    return qFromLittleEndian<std::int32_t>(bytes.constData() + offset);
}

inline void putInt32(QByteArray &bytes, int offset, std::int32_t value)
{
    qToLittleEndian(value, reinterpret_cast<uchar *>(bytes.data()) + offset);
}

// A preferences record: capacity at 28, its copy at 32, Show Links at 152.
inline QByteArray preferenceRecord(std::int32_t maxObjects, std::int32_t copy,
                                   std::int32_t showLinks)
{
    QByteArray bytes(156, '\0');
    putInt32(bytes, 28, maxObjects);
    putInt32(bytes, 32, copy);
    putInt32(bytes, 152, showLinks);
    return bytes;
}
