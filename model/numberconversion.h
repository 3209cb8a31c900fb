#pragma once

#include "numbervalue.h"

#include <QString>

#include <cstdint>
#include <optional>

// Reads a decimal number typed by the user (a fraction and an exponent are
// accepted), truncates it toward zero and keeps its low 32 bits, so any size
// wraps modulo 2^32. Text that is not a finite decimal number throws
// PaginetteError("'<text>' is not a valid floating point value").
std::int32_t textToInt32(const QString &text);
// The same reading; nothing for text that is not a number.
std::optional<std::int32_t> readInt32(const QString &text);

// A decimal number read as a value: its low 64 bits, and whether the number
// itself, truncated toward zero, lies within what a value holds.
struct DecimalValue
{
    NumberValue value = 0;
    bool fits = true;
};
// The same reading as readInt32, to 64 bits; nothing for text that is not a
// number.
std::optional<DecimalValue> readDecimalValue(const QString &text);
// Its low 64 bits, so any size wraps modulo 2^64 as a typed entry always has.
std::optional<NumberValue> readValue(const QString &text);
// The same; text that is not a number throws as textToInt32 does.
NumberValue textToValue(const QString &text);
