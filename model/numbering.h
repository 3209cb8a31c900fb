#pragma once

#include "document.h"

#include <QString>

#include <cstdint>

// The numbering rule: what a number shows on each page of a run, and how the
// members of a link follow one another.

// start + (page - 1) * stepPage, wrapping in 32 bits.
std::int32_t valueOnPage(const PageObject &object, std::int32_t page);

// The fixed-width text of `valueText`: zero-filled on the left when short,
// cut to its leading characters when long, empty when `digits` is 0 or less.
// Stores the leading-zero count in `zeros` when given and digits is above 0.
QString formatNumber(const QString &valueText, std::int16_t digits, std::int16_t *zeros = nullptr);

// The digits of a value: decimal (signed, or the unsigned reading when
// `asUnsigned`), or upper-case hexadecimal of the unsigned value when the
// object's format is not 0.
QString numberValueText(const PageObject &object, std::int32_t value, bool asUnsigned);

// What the object shows on page `page` of a run of `pages` pages: a number's
// value for that page, any other object its text. Every text that is drawn,
// printed, measured or previewed comes from here.
QString objectText(const PageObject &object, std::int32_t page, std::int32_t pages);

// A number with no width shows nothing on any page.
bool showsNothing(const PageObject &object);

// The number's start value as the Start entry shows it: unsigned, at its width.
QString startText(const PageObject &object);

// Rewrites start and digits of every linked object after the first of its
// link from the member before it. A member that is not a number takes the
// formatted start as its text.
void propagateLinks(Document &doc);

// Reads a Start entry into the object's start, digits and zeros and stores
// `format` with it. A decimal entry that is not a number throws
// PaginetteError and changes nothing.
void parseStart(PageObject &object, const QString &entry, std::int16_t format);

// The value of a hexadecimal Start entry: its first 8 characters read as
// hexadecimal digits, -1 (all bits) when one of them is not a digit, 0 when
// the entry is empty.
std::int32_t readHexStart(const QString &entry);
// Whether every character that readHexStart reads is a hexadecimal digit.
bool isHexadecimalEntry(const QString &entry);

// The text object `index` shows on the last printed page.
QString endText(const Document &doc, int index);
