#pragma once

#include "document.h"
#include "numberrun.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The numbering rule: what a number shows on each page of a run, and how the
// members of a link follow one another.

// start + (page - 1) * stepPage, wrapping in 32 bits.
std::int32_t valueOnPage(const PageObject &object, std::int32_t page);

// The fixed-width text of `valueText`: zero-filled on the left when short,
// cut to its leading characters when long, empty when `digits` is 0 or less.
// Stores the leading-zero count in `zeros` when given and digits is above 0.
QString formatNumber(const QString &valueText, std::int16_t digits, std::int16_t *zeros = nullptr);

// The digits of a value in the object's number system: decimal (signed, or
// the unsigned reading when `asUnsigned`), upper-case hexadecimal or base 36
// of the unsigned value, or letters (decimal for a value below 1).
QString numberValueText(const PageObject &object, std::int32_t value, bool asUnsigned);

// What the object shows on page `page` of a run of `pages` pages: a number's
// formatted value for that page (prefix, digits, check character, suffix),
// any other object its text. Every text that is drawn, printed, measured or
// previewed comes from here.
QString objectText(const PageObject &object, std::int32_t page, std::int32_t pages);
// The texts of a document's objects over one run of its pages to print, as
// objectText gives them; what stays the same from page to page (a number's
// width, its last value) is worked out once, for the pages of a print run.
class RunTexts
{
public:
    explicit RunTexts(const Document &doc);

    QString text(int index, std::int32_t page) const;
    const Document &document() const { return m_doc; }

private:
    const Document &m_doc;
    std::vector<std::optional<NumberRun>> m_runs; // none for an object that is no number
};

// Whether a number's value on `page` has no digits in its system (letters
// below 1) and shows in decimal instead.
bool showsInDecimal(const PageObject &object, std::int32_t page, std::int32_t pages);

// A number with no width shows nothing on any page.
bool showsNothing(const PageObject &object);

// The number's start value as the Start entry shows it: unsigned, at its width.
QString startText(const PageObject &object);

// Rewrites start and digits of every linked object after the first of its
// link from the member before it. A member that is not a number takes the
// formatted start as its text.
void propagateLinks(Document &doc);

// Reads a Start entry written in `system` into the object's start, digits
// and zeros and stores `system` with it. A decimal, base 36 or letters entry
// that is no number there throws PaginetteError and changes nothing.
void parseStart(PageObject &object, const QString &entry, NumberSystem system);

// The value of a hexadecimal Start entry: its first 8 characters read as
// hexadecimal digits, -1 (all bits) when one of them is not a digit, 0 when
// the entry is empty.
std::int32_t readHexStart(const QString &entry);
// Whether every character that readHexStart reads is a hexadecimal digit.
bool isHexadecimalEntry(const QString &entry);

// The text object `index` shows on the last printed page.
QString endText(const Document &doc, int index);
