#include "numberconversion.h"

#include "paginetteerror.h"

#include <QStringView>

#include <algorithm>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Exponents beyond this size all give the same result (0), so reading stops
// growing there and a long exponent cannot overflow.
constexpr std::int64_t exponentCap = 1'000'000'000;

// 10^64 is a multiple of 2^64, so any power from 64 on is 0 modulo 2^64.
std::uint64_t powerOfTenModulo(std::int64_t exponent)
{
    if (exponent >= 64)
        return 0;
    std::uint64_t result = 1;
    for (std::int64_t i = 0; i < exponent; ++i)
        result *= 10u;
    return result;
}

// The largest magnitude a value holds with its sign.
constexpr std::uint64_t largestMagnitude(bool negative)
{
    return negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
}

} // namespace

std::int32_t textToInt32(const QString &text)
{
    if (const std::optional<std::int32_t> value = readInt32(text))
        return *value;
    throw PaginetteError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

std::optional<std::int32_t> readInt32(const QString &text)
{
    // 2^32 divides 2^64: the low 32 bits are those of the 64-bit reading.
    const std::optional<DecimalValue> read = readDecimalValue(text);
    if (!read)
        return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(read->value));
}

NumberValue textToValue(const QString &text)
{
    if (const std::optional<NumberValue> value = readValue(text))
        return *value;
    throw PaginetteError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

std::optional<NumberValue> readValue(const QString &text)
{
    const std::optional<DecimalValue> read = readDecimalValue(text);
    if (!read)
        return std::nullopt;
    return read->value;
}

std::optional<DecimalValue> readDecimalValue(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QStringView s(trimmed);
    qsizetype pos = 0;

    bool negative = false;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
        negative = s[pos] == u'-';
        ++pos;
    }

    // The mantissa's digits, integer and fraction part together, without the point.
    QString mantissa;
    qsizetype fractionDigits = 0;
    bool seenPoint = false;
    for (; pos < s.size(); ++pos) {
        if (isDigit(s[pos])) {
            mantissa.append(s[pos]);
            if (seenPoint)
                ++fractionDigits;
        } else if (s[pos] == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (mantissa.isEmpty())
        return std::nullopt;

    std::int64_t exponent = 0;
    if (pos < s.size() && (s[pos] == u'e' || s[pos] == u'E')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
            negativeExponent = s[pos] == u'-';
            ++pos;
        }
        const qsizetype exponentStart = pos;
        for (; pos < s.size() && isDigit(s[pos]); ++pos)
            exponent = std::min(exponent * 10 + (s[pos].unicode() - u'0'), exponentCap);
        if (pos == exponentStart)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (pos != s.size())
        return std::nullopt;

    // value = mantissa * 10^scale; truncation toward zero drops the digits
    // right of the point, and only the remainder modulo 2^64 is kept.
    const std::int64_t scale = exponent - fractionDigits;
    qsizetype integerDigits = mantissa.size();
    if (scale < 0)
        integerDigits = scale <= -integerDigits ? 0 : integerDigits + scale;

    const std::uint64_t largest = largestMagnitude(negative);
    std::uint64_t magnitude = 0;
    bool fits = true;
    for (qsizetype i = 0; i < integerDigits; ++i) {
        const auto digit = static_cast<std::uint64_t>(mantissa[i].unicode() - u'0');
        fits = fits && magnitude <= (largest - digit) / 10;
        magnitude = magnitude * 10u + digit;
    }
    if (scale > 0) {
        // Whether it fits is followed while the power grows; the bits are
        // the product's modulo 2^64 either way.
        std::uint64_t scaled = magnitude;
        for (std::int64_t i = 0; fits && scaled != 0 && i < scale; ++i) {
            fits = scaled <= largest / 10;
            scaled *= 10u;
        }
        magnitude *= powerOfTenModulo(scale);
    }

    const std::uint64_t bits = negative ? 0u - magnitude : magnitude;
    return DecimalValue{static_cast<NumberValue>(bits), fits};
}
