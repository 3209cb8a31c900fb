#include "file/recordcodec.h"

#include "file/windows1252.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr int textAreaSize = 64;
constexpr int textOffset = 160;
constexpr int nameOffset = 228;

// The areas of a record that carry no field; what a file holds there is
// kept and written back.
constexpr std::pair<int, int> reservedAreas[] = {
    {12, 8}, {38, 2}, {42, 2}, {76, 2}, {80, 12}, {156, 4}, {224, 4}, {292, 90},
};

// The reserved words a Create Matrix cell carries over from its source.
constexpr int copiedReservedWords[] = {38, 76};

template <typename T> void put(RecordBytes &bytes, int offset, T value)
{
    qToLittleEndian<T>(value, bytes.data() + offset);
}

template <typename T> T get(const RecordBytes &bytes, int offset)
{
    return qFromLittleEndian<T>(bytes.data() + offset);
}

void putText(RecordBytes &bytes, int offset, const QString &text)
{
    std::memset(bytes.data() + offset, 0, textAreaSize);
    const QByteArray encoded = toWindows1252(text).left(textAreaSize - 1);
    std::memcpy(bytes.data() + offset, encoded.constData(),
                static_cast<std::size_t>(encoded.size()));
}

QString getText(const RecordBytes &bytes, int offset)
{
    return fromWindows1252(reinterpret_cast<const char *>(bytes.data() + offset), textAreaSize);
}

} // namespace

RecordBytes encodeRecord(const PageObject &object, const Bounds32 &bounds)
{
    RecordBytes bytes{};
    if (object.reserved.size() == recordSize) {
        for (const auto &[offset, width] : reservedAreas)
            std::memcpy(bytes.data() + offset, object.reserved.constData() + offset,
                        static_cast<std::size_t>(width));
    }
    put<qint32>(bytes, 0, object.x);
    put<qint32>(bytes, 4, object.y);
    put<qint32>(bytes, 8, static_cast<qint32>(static_cast<quint32>(object.start)));
    put<qint32>(bytes, 20, object.stepPage);
    put<qint32>(bytes, 24, object.stepLink);
    put<qint16>(bytes, 28, object.digits);
    put<qint16>(bytes, 30, object.zeros);
    put<qint32>(bytes, 32, object.color);
    put<qint16>(bytes, 36, object.customColor);
    put<qint16>(bytes, 40, object.fontSize);
    put<qint32>(bytes, 44, bounds.left);
    put<qint32>(bytes, 48, bounds.top);
    put<qint32>(bytes, 52, bounds.right);
    put<qint32>(bytes, 56, bounds.bottom);
    put<qint32>(bytes, 60, object.kind);
    put<qint32>(bytes, linkIdOffset, object.linkId);
    put<qint32>(bytes, linkPrevOffset, object.linkPrev);
    put<qint32>(bytes, linkNextOffset, object.linkNext);
    put<qint16>(bytes, 78, object.selected);
    putText(bytes, fontNameOffset, object.fontName);
    putText(bytes, textOffset, object.text);
    putText(bytes, nameOffset, object.name);
    // The record knows decimal and hexadecimal; other systems are the
    // extension block's, and read as decimal where it is not known.
    put<qint16>(bytes, 382, object.format.system == NumberSystem::Hexadecimal ? 1 : 0);
    put<qint32>(bytes, 384, object.angle);
    return bytes;
}

PageObject decodeRecord(const RecordBytes &bytes)
{
    PageObject object;
    object.x = get<qint32>(bytes, 0);
    object.y = get<qint32>(bytes, 4);
    object.stepPage = get<qint32>(bytes, 20);
    object.stepLink = get<qint32>(bytes, 24);
    object.digits = get<qint16>(bytes, 28);
    object.zeros = get<qint16>(bytes, 30);
    object.color = get<qint32>(bytes, 32);
    object.customColor = get<qint16>(bytes, 36);
    object.fontSize = get<qint16>(bytes, 40);
    object.kind = get<qint32>(bytes, 60);
    object.linkId = get<qint32>(bytes, linkIdOffset);
    object.linkPrev = get<qint32>(bytes, linkPrevOffset);
    object.linkNext = get<qint32>(bytes, linkNextOffset);
    object.selected = get<qint16>(bytes, 78);
    object.fontName = getText(bytes, fontNameOffset);
    object.text = getText(bytes, textOffset);
    object.name = getText(bytes, nameOffset);
    if (get<qint16>(bytes, 382) != 0)
        object.format.system = NumberSystem::Hexadecimal;
    object.start =
        startOfField(get<qint32>(bytes, 8), object.format.system == NumberSystem::Hexadecimal);
    object.angle = get<qint32>(bytes, 384);

    QByteArray reserved(recordSize, '\0');
    bool any = false;
    for (const auto &[offset, width] : reservedAreas) {
        const auto *area = bytes.data() + offset;
        any = any || std::any_of(area, area + width, [](std::uint8_t b) { return b != 0; });
        std::memcpy(reserved.data() + offset, area, static_cast<std::size_t>(width));
    }
    if (any)
        object.reserved = reserved;
    return object;
}

NumberValue startOfField(std::int32_t field, bool hexadecimal)
{
    return hexadecimal ? NumberValue{static_cast<std::uint32_t>(field)} : NumberValue{field};
}

bool recordHoldsStart(const PageObject &object)
{
    const auto field = static_cast<std::int32_t>(static_cast<std::uint32_t>(object.start));
    return startOfField(field, object.format.system == NumberSystem::Hexadecimal) == object.start;
}

QByteArray reservedOfCopies(const QByteArray &reserved)
{
    if (reserved.size() != recordSize)
        return {};
    QByteArray copied(recordSize, '\0');
    for (const int offset : copiedReservedWords)
        copied.replace(offset, 2, reserved.constData() + offset, 2);
    return copied.count('\0') == recordSize ? QByteArray() : copied;
}
