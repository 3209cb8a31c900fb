#include "objectrecord.h"

#include <cstring>

namespace {

// Two's complement values go through their unsigned form, so the shifts are
// defined for negative numbers too.
void putUint16(RecordBytes &bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFFu);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void putUint32(RecordBytes &bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFFu);
}

void putInt16(RecordBytes &bytes, std::size_t offset, std::int16_t value)
{
    putUint16(bytes, offset, static_cast<std::uint16_t>(value));
}

void putInt32(RecordBytes &bytes, std::size_t offset, std::int32_t value)
{
    putUint32(bytes, offset, static_cast<std::uint32_t>(value));
}

std::int16_t getInt16(const RecordBytes &bytes, std::size_t offset)
{
    const auto value = static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
    return static_cast<std::int16_t>(value);
}

std::int32_t getInt32(const RecordBytes &bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    return static_cast<std::int32_t>(value);
}

template <std::size_t N>
void putChars(RecordBytes &bytes, std::size_t offset, const char (&area)[N])
{
    std::memcpy(bytes.data() + offset, area, N);
}

template <std::size_t N>
void getChars(const RecordBytes &bytes, std::size_t offset, char (&area)[N])
{
    std::memcpy(area, bytes.data() + offset, N);
}

} // namespace

RecordBytes recordToBytes(const mainStruct2 &record)
{
    RecordBytes bytes{};
    putInt32(bytes, 0, record.x);
    putInt32(bytes, 4, record.y);
    putInt32(bytes, 8, record.start);
    putInt32(bytes, 20, record.stepPage);
    putInt32(bytes, 24, record.stepLink);
    putInt16(bytes, 28, record.digits);
    putInt16(bytes, 30, record.zeros);
    putInt32(bytes, 32, record.color);
    putInt16(bytes, 36, record.customColor);
    putInt16(bytes, 40, record.fontSize);
    putInt32(bytes, 44, record.bounds.left);
    putInt32(bytes, 48, record.bounds.top);
    putInt32(bytes, 52, record.bounds.right);
    putInt32(bytes, 56, record.bounds.bottom);
    putInt32(bytes, 60, record.kind);
    putInt32(bytes, 64, record.linkId);
    putInt32(bytes, 68, record.linkPrev);
    putInt32(bytes, 72, record.linkNext);
    putInt16(bytes, 78, record.selected);
    putChars(bytes, 92, record.fontNameChar);
    putChars(bytes, 160, record.textChar);
    putChars(bytes, 228, record.nameChar);
    putInt16(bytes, 382, record.format);
    putInt32(bytes, 384, record.angle);
    return bytes;
}

mainStruct2 recordFromBytes(const RecordBytes &bytes)
{
    mainStruct2 record = zeroRecord();
    record.x = getInt32(bytes, 0);
    record.y = getInt32(bytes, 4);
    record.start = getInt32(bytes, 8);
    record.stepPage = getInt32(bytes, 20);
    record.stepLink = getInt32(bytes, 24);
    record.digits = getInt16(bytes, 28);
    record.zeros = getInt16(bytes, 30);
    record.color = getInt32(bytes, 32);
    record.customColor = getInt16(bytes, 36);
    record.fontSize = getInt16(bytes, 40);
    record.bounds.left = getInt32(bytes, 44);
    record.bounds.top = getInt32(bytes, 48);
    record.bounds.right = getInt32(bytes, 52);
    record.bounds.bottom = getInt32(bytes, 56);
    record.kind = getInt32(bytes, 60);
    record.linkId = getInt32(bytes, 64);
    record.linkPrev = getInt32(bytes, 68);
    record.linkNext = getInt32(bytes, 72);
    record.selected = getInt16(bytes, 78);
    getChars(bytes, 92, record.fontNameChar);
    getChars(bytes, 160, record.textChar);
    getChars(bytes, 228, record.nameChar);
    record.format = getInt16(bytes, 382);
    record.angle = getInt32(bytes, 384);
    return record;
}
