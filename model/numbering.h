#pragma once

#include "documentstate.h"

#include <QString>

#include <cstdint>

// start + (page - 1) * stepPage, wrapping in 32 bits.
std::int32_t valueOnPage(const mainStruct2 &object, std::int32_t page);

// Forms the fixed-width text of `valueText`: zero-filled on the left when
// short, cut to its leading characters when long. Stores the leading-zero
// count in `zeros` when given. An empty result (and a beep) when digits is 0
// or less.
QString formatNumber(const QString &valueText, std::int16_t digits, std::int16_t *zeros = nullptr);

// The text of a number value: decimal, or upper-case hexadecimal of the
// unsigned value when the object's format is not 0. `asUnsigned` selects the
// unsigned reading of a decimal value.
QString numberValueText(const mainStruct2 &object, std::int32_t value, bool asUnsigned);

// Every number object's text for page `page`, as drawn and printed.
void formatPage(DocumentState &doc, std::int32_t page);

// Every number object's text at its start value, read unsigned: the text the
// layout pass measures.
void formatStartTexts(DocumentState &doc);

// Rewrites start and digits of every linked object after the first of its
// link from the member before it, then runs the layout pass.
void propagateLinks(DocumentState &doc);

// Reads a Start entry into start, digits and zeros of object `index` and
// stores `format` with it. A decimal entry that is not a number throws
// PaginetteError and changes nothing.
void parseStart(DocumentState &doc, int index, const QString &entry, std::int16_t format);

// The value of a hexadecimal Start entry: its first 8 characters read as
// hexadecimal digits, -1 (all bits) when one of them is not a digit, 0 when
// the entry is empty.
std::int32_t readHexStart(const QString &entry);
// Whether every character that readHexStart reads is a hexadecimal digit.
bool isHexadecimalEntry(const QString &entry);

// The text object `index` shows on the last printed page (`pagesToPrint`).
// Leaves the document untouched.
QString endText(const DocumentState &doc, int index);
// The text `object` shows on page `page`.
QString pageText(const mainStruct2 &object, std::int32_t page);
