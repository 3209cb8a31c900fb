#pragma once

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
