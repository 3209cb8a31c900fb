#include "numbersystems.h"

#include "numberconversion.h"

#include <algorithm>
#include <array>

namespace {

constexpr char16_t digitAlphabet[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
void writeRadix(std::uint64_t bits, std::uint64_t radix, DigitText &out)
{
    do {
        out.prepend(digitAlphabet[bits % radix]);
        bits /= radix;
    } while (bits != 0);
}

bool writeDecimal(NumberValue value, DigitText &out)
{
    const auto bits = static_cast<std::uint64_t>(value);
    writeRadix(value < 0 ? 0u - bits : bits, 10, out);
    if (value < 0)
        out.prepend(u'-');
    return true;
}

bool writeHexadecimal(NumberValue value, DigitText &out)
{
    writeRadix(static_cast<std::uint64_t>(value), 16, out);
    return true;
}

bool writeBase36(NumberValue value, DigitText &out)
{
    writeRadix(static_cast<std::uint64_t>(value), 36, out);
    return true;
}

// Bijective base 26: no digit stands for zero, so each place runs A..Z for 1..26.
bool writeLetters(NumberValue value, DigitText &out)
{
    if (value < 1)
        return false;
    auto bits = static_cast<std::uint64_t>(value);
    while (bits != 0) {
        --bits;
        out.prepend(static_cast<char16_t>(u'A' + bits % 26));
        bits /= 26;
    }
    return true;
}

// 0..9 for decimal digits, 10..35 for letters of either case, -1 otherwise.
int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'z')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'Z')
        return u - u'A' + 10;
    return -1;
}

std::optional<NumberValue> readDecimal(const QString &entry)
{
    return readValue(entry);
}

// The first 16 characters; -1 (all bits) when one of them is not a digit.
std::optional<NumberValue> readHexadecimal(const QString &entry)
{
    std::uint64_t value = 0;
    for (const QChar c : QStringView(entry).left(hexStartLength)) {
        const int digit = digitValue(c);
        if (digit < 0 || digit >= 16)
            return -1;
        value = value * 16u + static_cast<std::uint64_t>(digit);
    }
    return static_cast<NumberValue>(value);
}

// Blanks around the entry and case are ignored; modulo 2^64.
std::optional<NumberValue> readBase36(const QString &entry)
{
    const QStringView digits = QStringView(entry).trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const QChar c : digits) {
        const int digit = digitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 36u + static_cast<std::uint64_t>(digit);
    }
    return static_cast<NumberValue>(value);
}

// Letters also read a decimal entry, the form a value below 1 is shown in.
std::optional<NumberValue> readLetters(const QString &entry)
{
    const QStringView letters = QStringView(entry).trimmed();
    std::uint64_t value = 0;
    bool read = !letters.isEmpty();
    for (const QChar c : letters) {
        // A is 1, Z is 26.
        const int digit = digitValue(c) - 9;
        if (digit < 1) {
            read = false;
            break;
        }
        value = value * 26u + static_cast<std::uint64_t>(digit);
    }
    if (read)
        return static_cast<NumberValue>(value);
    return readValue(entry);
}

constexpr std::array<NumberSystemRow, 4> rows{{
    {NumberSystem::Decimal, "decimal", "decimal", writeDecimal, readDecimal,
     "'%1' is not a valid floating point value", true},
    {NumberSystem::Hexadecimal, "hexadecimal", "hex", writeHexadecimal, readHexadecimal, "", true},
    {NumberSystem::Base36, "base 36", "base36", writeBase36, readBase36,
     "'%1' is not a base 36 number", true},
    {NumberSystem::Letters, "letters", "letters", writeLetters, readLetters,
     "'%1' is not written in letters", false},
}};

} // namespace

std::span<const NumberSystemRow> numberSystemRows()
{
    return rows;
}

const NumberSystemRow &numberSystemRow(NumberSystem system)
{
    return *std::find_if(rows.begin(), rows.end(),
                         [system](const NumberSystemRow &row) { return row.system == system; });
}
