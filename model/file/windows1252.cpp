#include "file/windows1252.h"

#include <QList>

#include <array>
#include <cstdint>

namespace {

// Code points of bytes 0x80..0x9F. The five codes the code page leaves
// undefined map to the same-numbered control characters, so every byte
// survives a read and a write unchanged.
constexpr std::array<char16_t, 32> highControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t codePointOf(std::uint8_t byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return highControlRange[byte - 0x80];
    return byte;
}

char byteOf(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    for (std::size_t i = 0; i < highControlRange.size(); ++i) {
        if (highControlRange[i] == codePoint)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

QString fromWindows1252(const char *data, int maxLength)
{
    QString text;
    for (int i = 0; i < maxLength && data[i] != '\0'; ++i)
        text.append(QChar(codePointOf(static_cast<std::uint8_t>(data[i]))));
    return text;
}

QByteArray toWindows1252(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    // Iterating by code point turns a surrogate pair into one '?', not two.
    for (const char32_t codePoint : text.toUcs4())
        bytes.append(byteOf(codePoint));
    return bytes;
}
