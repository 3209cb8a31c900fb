#pragma once

#include "pageobject.h"

#include <array>
#include <cstdint>

// The 388-byte object record of the document file. Only the file reader and
// writer use it.

inline constexpr int recordSize = 388;

using RecordBytes = std::array<std::uint8_t, recordSize>;

// Little-endian encoding of every field at its file offset. The object's
// text is written as given (the writer puts a number's shown text there), and
// its reserved bytes go back where they came from.
RecordBytes encodeRecord(const PageObject &object, const Bounds32 &bounds);
// The object a record describes; its box, which the program computes anew,
// is left out.
PageObject decodeRecord(const RecordBytes &bytes);

// The start the record's 32-bit field gives back: a hexadecimal number's read
// as unsigned bits, as its entry always gave them, any other's as signed.
NumberValue startOfField(std::int32_t field, bool hexadecimal);
// Whether the record's field gives `object`'s start back whole; a start it
// cannot hold goes in the extension block, the field keeping its low bits.
bool recordHoldsStart(const PageObject &object);

// The reserved bytes a Create Matrix cell takes from its source: the two
// reserved words at 38 and 76, and nothing else. Empty when they are zero.
QByteArray reservedOfCopies(const QByteArray &reserved);

// Offsets the reader needs to tell which fields a short record still holds.
inline constexpr int fontNameOffset = 92;
inline constexpr int linkIdOffset = 64;
inline constexpr int linkPrevOffset = 68;
inline constexpr int linkNextOffset = 72;
