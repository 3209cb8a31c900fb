#pragma once

#include "numbervalue.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <span>

// The digits a number is written in.
enum class NumberSystem : std::uint8_t
{
    Decimal,
    // Upper case, of the unsigned 64-bit value.
    Hexadecimal,
    // 0-9 then A-Z, of the unsigned 64-bit value.
    Base36,
    // A..Z, AA, AB, ...: 1 is A, 26 is Z, 27 is AA. Nothing below 1.
    Letters,
};

// The digits of a value, formed without allocating: room for the longest,
// "-9223372036854775808", filled from the right.
struct DigitText
{
    static constexpr qsizetype capacity = 20;

    char16_t chars[capacity] = {};
    qsizetype first = capacity;

    void prepend(char16_t c) { chars[--first] = c; }
    QStringView view() const { return QStringView(chars + first, capacity - first); }
};

// Only this many characters of a hexadecimal entry are read: the digits of
// a value.
inline constexpr qsizetype hexStartLength = 16;

// What varies from one number system to the next, one row each: a new
// system is a row and its functions.
struct NumberSystemRow
{
    NumberSystem system;
    // As the format boxes name it.
    const char *title;
    // As the extension block stores it.
    const char *fileKey;
    // Writes the digits of `value`; false, writing nothing, when the system
    // has none for it.
    bool (*write)(NumberValue value, DigitText &out);
    // Reads a Start entry; nothing when it is no number in the system.
    std::optional<NumberValue> (*read)(const QString &entry);
    // What a Start entry that is no number in the system is told, %1 being
    // the entry.
    const char *refusal;
    // Whether a width fills the number with leading '0'.
    bool padsWithZeros;
};

std::span<const NumberSystemRow> numberSystemRows();
const NumberSystemRow &numberSystemRow(NumberSystem system);
