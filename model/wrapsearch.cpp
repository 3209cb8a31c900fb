#include "wrapsearch.h"

namespace {

// The smallest k >= 0 with lo <= (a * k) mod m <= hi, given a < m and
// lo <= hi < m; nothing when no multiple of a lands there. Each step recurses
// on (m mod a, a), as Euclid's algorithm does, so the depth stays small.
// Products stay below 2^64 for m up to 2^32.
std::optional<std::uint64_t> firstMultipleIn(std::uint64_t a, std::uint64_t m, std::uint64_t lo,
                                             std::uint64_t hi)
{
    if (lo == 0)
        return 0;
    if (a == 0)
        return std::nullopt;
    const std::uint64_t k = (lo + a - 1) / a;
    if (a * k <= hi)
        return k;
    // No multiple of a lies in [lo, hi]. Then a * k mod m = a * k - m * y for
    // y wraps, and a multiple of a lies in [lo + m * y, hi + m * y] exactly
    // when m * y mod a falls in [a - hi mod a, a - lo mod a]; the fewest
    // wraps give the smallest k.
    const std::optional<std::uint64_t> wraps = firstMultipleIn(m % a, a, a - hi % a, a - lo % a);
    if (!wraps)
        return std::nullopt;
    return (lo + m * *wraps + a - 1) / a;
}

} // namespace

std::optional<std::uint64_t> firstStepInto(std::uint32_t base, std::uint32_t step,
                                           std::uint32_t first, std::uint32_t last)
{
    const std::uint32_t from = first - base;
    const std::uint32_t to = last - base;
    // Seen from base, a range that wraps holds base itself.
    if (from > to)
        return 0;
    return firstMultipleIn(step, std::uint64_t{1} << 32, from, to);
}
