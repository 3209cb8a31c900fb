#include "numberformat.h"

#include "wrapsearch.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

constexpr std::uint64_t largestBits = ~std::uint64_t{0};
constexpr std::uint64_t signBit = std::uint64_t{1} << 63;

bool isDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int shownWidth(NumberValue value, NumberSystem system)
{
    DigitText digits;
    writeDigits(value, system, digits);
    return static_cast<int>(digits.view().size());
}

// The first position in [first, last] where `reached` holds, nothing when
// it never does; once it holds it holds for every later position.
template <typename Predicate>
std::optional<std::uint64_t> firstReached(std::uint64_t first, std::uint64_t last,
                                          Predicate reached)
{
    if (!reached(last))
        return std::nullopt;
    while (first < last) {
        const std::uint64_t middle = first + (last - first) / 2;
        if (reached(middle))
            last = middle;
        else
            first = middle + 1;
    }
    return first;
}

struct BitRange
{
    std::uint64_t first = 0;
    std::uint64_t last = 0;
};

// The values `width` or more characters wide, as one range of their 64 bits.
// Decimal and letters widen away from 0 both ways, so the range runs from the
// first wide positive value across the sign change to the last wide negative
// one; hexadecimal and base 36 widen with the unsigned value.
std::optional<BitRange> valuesAtLeast(int width, NumberSystem system)
{
    const auto wide = [&](std::uint64_t bits) {
        return shownWidth(static_cast<NumberValue>(bits), system) >= width;
    };
    if (system == NumberSystem::Decimal || system == NumberSystem::Letters) {
        const std::uint64_t first = firstReached(0, signBit - 1, wide).value_or(signBit);
        const std::optional<std::uint64_t> narrow =
            firstReached(signBit, largestBits, [&](std::uint64_t bits) { return !wide(bits); });
        const std::uint64_t last = narrow ? *narrow - 1 : largestBits;
        if (first > last)
            return std::nullopt;
        return BitRange{first, last};
    }
    const std::optional<std::uint64_t> first = firstReached(0, largestBits, wide);
    if (!first)
        return std::nullopt;
    return BitRange{*first, largestBits};
}

QString cutAffix(const QString &text)
{
    qsizetype size = std::min(text.size(), NumberFormat::maxAffixLength);
    // Never half a character.
    if (size < text.size() && text[size - 1].isHighSurrogate())
        --size;
    return text.left(size);
}

void appendDecimal(QString &out, NumberValue value)
{
    DigitText digits;
    writeDigits(value, NumberSystem::Decimal, digits);
    out.append(digits.view());
}

enum class Placeholder
{
    Page,
    Pages,
    Last
};

struct PlaceholderName
{
    std::u16string_view text;
    Placeholder placeholder;
};

constexpr PlaceholderName placeholderNames[] = {
    {u"{page}", Placeholder::Page},
    {u"{pages}", Placeholder::Pages},
    {u"{last}", Placeholder::Last},
};

} // namespace

NumberFormat withinLimits(NumberFormat format)
{
    format.prefix = cutAffix(format.prefix);
    format.suffix = cutAffix(format.suffix);
    format.repeat = std::clamp(format.repeat, 1, NumberFormat::maxRepeat);
    if (format.barcode) {
        BarcodeStyle &style = *format.barcode;
        style.barHeight =
            std::clamp(style.barHeight, BarcodeStyle::smallestLength, BarcodeStyle::largestLength);
        style.moduleWidth = std::clamp(style.moduleWidth, BarcodeStyle::smallestLength,
                                       BarcodeStyle::largestLength);
    }
    return format;
}

bool padsWithZeros(NumberSystem system)
{
    return numberSystemRow(system).padsWithZeros;
}

std::int32_t valuesInRun(std::int32_t pages, int repeat)
{
    if (pages <= 0)
        return 0;
    const std::int64_t span = std::max(repeat, 1);
    return static_cast<std::int32_t>((std::int64_t{pages} + span - 1) / span);
}

NumberValue repeatedValue(NumberValue start, std::int32_t stepPage, int repeat, std::int32_t page)
{
    const std::int64_t span = std::max(repeat, 1);
    const std::int64_t offset = std::int64_t{page} - 1;
    // Rounded down, so that pages before the first step back as page 0
    // always has.
    const std::int64_t steps = offset >= 0 ? offset / span : -((-offset + span - 1) / span);
    return valueAdd(start, valueMul(steps, stepPage));
}

qsizetype appendFilled(QString &out, QStringView digits, qsizetype width)
{
    const bool negative = digits.startsWith(u'-');
    const qsizetype fill = std::max<qsizetype>(width - digits.size(), 0);
    if (negative)
        out.append(u'-');
    out.resize(out.size() + fill, u'0');
    out.append(digits.sliced(negative ? 1 : 0));
    return fill;
}

bool writeDigits(NumberValue value, NumberSystem system, DigitText &out)
{
    if (numberSystemRow(system).write(value, out))
        return true;
    numberSystemRow(NumberSystem::Decimal).write(value, out);
    return false;
}

std::optional<QString> systemDigits(NumberValue value, NumberSystem system)
{
    DigitText digits;
    if (!writeDigits(value, system, digits))
        return std::nullopt;
    return digits.view().toString();
}

std::optional<NumberValue> readStartEntry(const QString &entry, NumberSystem system)
{
    return numberSystemRow(system).read(entry);
}

int autoWidthDigits(NumberValue start, std::int32_t stepPage, int repeat, std::int32_t pages,
                    NumberSystem system)
{
    const std::int32_t lastPage = std::max(pages, 1);
    const std::uint64_t valueCount =
        static_cast<std::uint64_t>(lastPage - 1) / static_cast<std::uint64_t>(std::max(repeat, 1)) +
        1;
    const int ends = std::max(shownWidth(start, system),
                              shownWidth(repeatedValue(start, stepPage, repeat, lastPage), system));
    // Values in between can only be wider than both ends when the run wraps
    // or crosses zero; ask, widest first, whether any reaches each width.
    for (int width = static_cast<int>(DigitText::capacity); width > ends; --width) {
        const std::optional<BitRange> wide = valuesAtLeast(width, system);
        if (!wide)
            continue;
        const std::optional<std::uint64_t> first = firstStepInto(
            static_cast<std::uint64_t>(start), static_cast<std::uint64_t>(NumberValue{stepPage}),
            wide->first, wide->last);
        if (first && *first < valueCount)
            return width;
    }
    return ends;
}

std::optional<WidthGrowth> firstGrowth(NumberValue start, std::int32_t stepPage, int repeat,
                                       int width, std::int32_t firstPage, std::int32_t lastPage,
                                       NumberSystem system)
{
    if (width < 0 || width >= static_cast<int>(DigitText::capacity) || firstPage < 1 ||
        lastPage < firstPage)
        return std::nullopt;
    const std::optional<BitRange> wide = valuesAtLeast(width + 1, system);
    if (!wide)
        return std::nullopt;
    const std::int64_t span = std::max(repeat, 1);
    const std::int64_t firstValue = (std::int64_t{firstPage} - 1) / span;
    const std::int64_t lastValue = (std::int64_t{lastPage} - 1) / span;
    const NumberValue base = repeatedValue(start, stepPage, repeat, firstPage);
    const std::optional<std::uint64_t> steps =
        firstStepInto(static_cast<std::uint64_t>(base),
                      static_cast<std::uint64_t>(NumberValue{stepPage}), wide->first, wide->last);
    if (!steps || *steps > static_cast<std::uint64_t>(lastValue - firstValue))
        return std::nullopt;
    const std::int64_t value = firstValue + static_cast<std::int64_t>(*steps);
    const auto page =
        static_cast<std::int32_t>(std::max<std::int64_t>(firstPage, value * span + 1));
    return WidthGrowth{page, shownWidth(repeatedValue(start, stepPage, repeat, page), system)};
}

bool checkDigitApplies(const NumberFormat &format)
{
    return format.check != CheckDigit::None && format.system == NumberSystem::Decimal;
}

QChar checkCharacter(QStringView digits, CheckDigit check)
{
    if (check == CheckDigit::None)
        return QChar();
    if (check == CheckDigit::Mod7 || check == CheckDigit::Mod9) {
        const int divisor = check == CheckDigit::Mod7 ? 7 : 9;
        int remainder = 0;
        for (const QChar c : digits) {
            if (isDecimalDigit(c))
                remainder = (remainder * 10 + (c.unicode() - u'0')) % divisor;
        }
        return QChar(u'0' + remainder);
    }

    // Weighted sums, position 1 being the rightmost digit, reduced as they go.
    const int modulus = check == CheckDigit::Mod11 ? 11 : 10;
    int sum = 0;
    int position = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (!isDecimalDigit(*it))
            continue;
        const int digit = it->unicode() - u'0';
        ++position;
        int term = 0;
        switch (check) {
        case CheckDigit::Luhn:
            term = position % 2 == 1 ? (digit * 2 > 9 ? digit * 2 - 9 : digit * 2) : digit;
            break;
        case CheckDigit::Mod10Weights31:
            term = position % 2 == 1 ? digit * 3 : digit;
            break;
        default:
            // Weight 11 would count as 0 and let that digit change unseen.
            term = digit * ((position - 1) % 9 + 2);
            break;
        }
        sum = (sum + term) % modulus;
    }
    const int value = (modulus - sum) % modulus;
    return value == 10 ? QChar(u'X') : QChar(u'0' + value);
}

QString expandPlaceholders(QStringView text, std::int32_t page, std::int32_t pages,
                           QStringView last)
{
    QString out;
    appendExpanded(out, text, page, pages, last);
    return out;
}

void appendExpanded(QString &out, QStringView text, std::int32_t page, std::int32_t pages,
                    QStringView last)
{
    qsizetype copied = 0;
    qsizetype brace = text.indexOf(u'{');
    while (brace >= 0) {
        const QStringView rest = text.sliced(brace);
        const auto named = std::find_if(std::begin(placeholderNames), std::end(placeholderNames),
                                        [rest](const PlaceholderName &name) {
                                            return rest.startsWith(QStringView(name.text));
                                        });
        if (named == std::end(placeholderNames)) {
            brace = text.indexOf(u'{', brace + 1);
            continue;
        }
        out.append(text.sliced(copied, brace - copied));
        switch (named->placeholder) {
        case Placeholder::Page:
            appendDecimal(out, page);
            break;
        case Placeholder::Pages:
            appendDecimal(out, pages);
            break;
        case Placeholder::Last:
            out.append(last);
            break;
        }
        copied = brace + static_cast<qsizetype>(named->text.size());
        brace = text.indexOf(u'{', copied);
    }
    out.append(text.sliced(copied));
}
