#pragma once

#include "barcodestyle.h"
#include "numbersystems.h"
#include "numbervalue.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// The check character appended after a number's digits.
enum class CheckDigit : std::uint8_t
{
    None,
    // Every second digit from the rightmost doubled (less 9 when over 9).
    Luhn,
    // Weights 3, 1, 3, ... from the rightmost digit, as on retail bar codes.
    Mod10Weights31,
    // Weights 2, 3, ... 10 from the rightmost digit, then 2 again; 11 less
    // the remainder of the sum, 10 written as X and 11 as 0.
    Mod11,
    // The remainder of the number divided by 7.
    Mod7,
    // The remainder of the number divided by 9.
    Mod9,
};

// How a number object writes its value. The defaults write plain decimal
// digits to the object's own width, one value per page.
struct NumberFormat
{
    static constexpr qsizetype maxAffixLength = 63;
    static constexpr int maxRepeat = 1000;

    // Printed before and after the number; may hold {page}, {pages} and {last}.
    // Initialized, so that designated initializers may leave them out.
    QString prefix{};
    QString suffix{};
    // Each value is printed on this many pages in a row before it advances.
    int repeat = 1;
    CheckDigit check = CheckDigit::None;
    NumberSystem system = NumberSystem::Decimal;
    // The width follows the widest value of the run instead of the object's
    // digit count.
    bool autoWidth = false;
    // Shown as a barcode of the whole text instead of the text, when set.
    std::optional<BarcodeStyle> barcode{};

    bool operator==(const NumberFormat &) const = default;
};

// `format` with its affixes cut to maxAffixLength, repeat brought into
// 1..maxRepeat and a barcode's lengths into their range.
NumberFormat withinLimits(NumberFormat format);

// Whether a width fills the number with leading '0': digit systems only,
// never letters.
bool padsWithZeros(NumberSystem system);

// The value on `page` when each value stays `repeat` pages:
// start + floor((page - 1) / repeat) * stepPage, wrapping in 64 bits. A
// repeat below 1 counts as 1.
NumberValue repeatedValue(NumberValue start, std::int32_t stepPage, int repeat, std::int32_t page);

// The values a run of `pages` pages prints when each value stays `repeat`
// pages: a value the run began counts as printed, so a run that ends inside
// a repeat counts it, ceil(pages / repeat). A repeat below 1 counts as 1; no
// pages print no values.
std::int32_t valuesInRun(std::int32_t pages, int repeat);

// Appends `digits`, a value's digits in its system with a leading '-' when
// it is negative, at `width` characters: the sign first, then the zeros that
// fill the width, then the digits ("-001"); a wider value is never cut.
// Returns how many zeros were added.
qsizetype appendFilled(QString &out, QStringView digits, qsizetype width);

// Writes the digits of `value` in `system` into `out`, or its decimal digits
// when `system` has none for it; whether they are in `system`.
bool writeDigits(NumberValue value, NumberSystem system, DigitText &out);

// The digits of `value` in `system`: decimal with a leading '-' when
// negative; hexadecimal and base 36 of the unsigned 64-bit value; letters
// of a value from 1 up. Nothing for a value below 1 in letters, which have
// no digits for it: the caller shows the decimal digits instead and says so.
std::optional<QString> systemDigits(NumberValue value, NumberSystem system);

// Reads a Start entry written in `system`; nothing when it is not a number
// there. Decimal reads as every decimal entry does (a fraction and an
// exponent accepted, modulo 2^64). Hexadecimal reads the first 16
// characters and gives -1 when one of them is not a hexadecimal digit, 0 for
// an empty entry. Base 36 and letters read the whole entry, blanks around it
// ignored, case ignored, modulo 2^64; letters also read a decimal entry,
// the form a value below 1 is shown in.
std::optional<NumberValue> readStartEntry(const QString &entry, NumberSystem system);

// The character count of the widest value on pages 1..pages (at least page
// 1) in `system`, a minus sign and the decimal form of a letters value
// below 1 included.
int autoWidthDigits(NumberValue start, std::int32_t stepPage, int repeat, std::int32_t pages,
                    NumberSystem system);

// Where a number first prints more characters than its width: the page and
// how many characters its value has there.
struct WidthGrowth
{
    std::int32_t page = 0;
    int characters = 0;

    bool operator==(const WidthGrowth &) const = default;
};

// The first page from `firstPage` to `lastPage` whose value, each value
// staying `repeat` pages, is wider than `width` characters in `system`;
// nothing when every value fits. Found in a few dozen steps however long
// the run.
std::optional<WidthGrowth> firstGrowth(NumberValue start, std::int32_t stepPage, int repeat,
                                       int width, std::int32_t firstPage, std::int32_t lastPage,
                                       NumberSystem system);

// Check characters are defined on decimal digits only: a number written in
// another system carries none, whatever its check setting, so that no
// decimal check character follows digits it cannot check.
bool checkDigitApplies(const NumberFormat &format);

// The check character of the decimal digits in `digits`; other characters
// (a minus sign) are passed over. A null QChar for CheckDigit::None.
QChar checkCharacter(QStringView digits, CheckDigit check);

// `text` with {page}, {pages} and {last} replaced by the page number, the
// pages to print and `last`. A brace that opens no known name stays as it
// stands; replaced text is not scanned again.
QString expandPlaceholders(QStringView text, std::int32_t page, std::int32_t pages,
                           QStringView last);
// The same, appended to `out`.
void appendExpanded(QString &out, QStringView text, std::int32_t page, std::int32_t pages,
                    QStringView last);
