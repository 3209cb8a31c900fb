#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Object kinds as stored in the record's `kind` field.
enum ObjectKind : std::int32_t
{
    KindNumber = 0,
    KindText = 1,
    KindPicture = 3,
};

struct Bounds32
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// One object: the same 388 bytes in memory and in the document file.
// Field offsets are fixed by the file format; serialisation goes through
// recordToBytes/recordFromBytes so the byte order never depends on the host.
struct mainStruct2
{
    std::int32_t x;
    std::int32_t y;
    std::int32_t start;
    std::uint8_t reserved12[8];
    std::int32_t stepPage;
    std::int32_t stepLink;
    std::int16_t digits;
    std::int16_t zeros;
    std::int32_t color;
    std::int16_t customColor;
    std::int16_t reserved38;
    std::int16_t fontSize;
    std::uint8_t reserved42[2];
    Bounds32 bounds;
    std::int32_t kind;
    std::int32_t linkId;
    std::int32_t linkPrev;
    std::int32_t linkNext;
    std::int16_t reserved76;
    std::int16_t selected;
    std::uint8_t reserved80[12];
    char fontNameChar[64];
    std::uint8_t reserved156[4];
    char textChar[64];
    std::uint8_t reserved224[4];
    char nameChar[64];
    std::uint8_t reserved292[90];
    std::int16_t format;
    std::int32_t angle;
};

inline constexpr int recordSize = 388;
static_assert(sizeof(mainStruct2) == recordSize);
static_assert(offsetof(mainStruct2, stepPage) == 20);
static_assert(offsetof(mainStruct2, color) == 32);
static_assert(offsetof(mainStruct2, fontSize) == 40);
static_assert(offsetof(mainStruct2, bounds) == 44);
static_assert(offsetof(mainStruct2, kind) == 60);
static_assert(offsetof(mainStruct2, selected) == 78);
static_assert(offsetof(mainStruct2, fontNameChar) == 92);
static_assert(offsetof(mainStruct2, textChar) == 160);
static_assert(offsetof(mainStruct2, nameChar) == 228);
static_assert(offsetof(mainStruct2, format) == 382);
static_assert(offsetof(mainStruct2, angle) == 384);

// An all-zero record: the state of every free slot.
inline mainStruct2 zeroRecord()
{
    return mainStruct2{};
}

using RecordBytes = std::array<std::uint8_t, recordSize>;

// Little-endian encoding of every field at its file offset.
RecordBytes recordToBytes(const mainStruct2 &record);
mainStruct2 recordFromBytes(const RecordBytes &bytes);
