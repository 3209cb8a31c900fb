#pragma once

#include "numberformat.h"

#include <QString>

#include <cstdint>

// The texts of one number object over a run of pages. What stays the same
// from page to page (the width, whether a check character applies, the text
// of the last page) is worked out once, so forming a page's text costs about
// as much as forming its bare digits.
class NumberRun
{
public:
    // `digits` is the object's width, unless the format's autoWidth sets it;
    // `pages` the pages to print.
    NumberRun(NumberValue start, std::int32_t stepPage, std::int16_t digits,
              const NumberFormat &format, std::int32_t pages);

    // The object's whole text on `page`: its value in its system, zero-filled
    // to the width in a digit system and never cut, the check
    // character of those digits as printed, and prefix and suffix around
    // them with their placeholders.
    // When the width is 0 or less the number part is empty, without a check
    // character (the caller beeps, as for any number that cannot be shown).
    QString text(std::int32_t page) const;
    // Whether the value on `page` has no digits in the system (letters
    // below 1) and shows in decimal.
    bool showsDecimal(std::int32_t page) const;
    // The value printed on `page`.
    NumberValue value(std::int32_t page) const;
    // The value on `page` of the same number started at `start` (a data
    // row's own start).
    NumberValue valueFrom(NumberValue start, std::int32_t page) const;
    int width() const { return m_width; }
    int repeat() const { return m_format.repeat; }
    // Appends the fixed-width digits and check character of `value`: the
    // text less its prefix and suffix.
    void appendNumber(QString &out, NumberValue value) const;

private:
    NumberFormat m_format;
    NumberValue m_start = 0;
    std::int32_t m_stepPage = 0;
    std::int32_t m_pages = 0;
    int m_width = 0;
    bool m_checked = false;
    bool m_pads = true;
    bool m_hasAffixes = false;
    // The number part of the last page's text, for {last}.
    QString m_last;
    qsizetype m_textCapacity = 0;
};

// The whole text of a number object on `page` of a run of `pages` pages, as
// NumberRun::text gives it; printing many pages of one run should keep one
// NumberRun instead.
QString numberText(NumberValue start, std::int32_t stepPage, std::int16_t digits,
                   const NumberFormat &format, std::int32_t page, std::int32_t pages);
