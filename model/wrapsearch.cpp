#include "wrapsearch.h"

namespace {

// Products of two values below 2^64 need twice their bits.
__extension__ using Wide = unsigned __int128;

// The smallest k >= 0 with lo <= (a * k) mod m <= hi, given a < m and
// lo <= hi < m; nothing when no multiple of a lands there. Each step recurses
// on (m mod a, a), as Euclid's algorithm does, so the depth stays small.
std::optional<Wide> firstMultipleIn(Wide a, Wide m, Wide lo, Wide hi)
{
    if (lo == 0)
        return 0;
    if (a == 0)
        return std::nullopt;
    const Wide k = (lo + a - 1) / a;
    if (a * k <= hi)
        return k;
    // No multiple of a lies in [lo, hi]. Then a * k mod m = a * k - m * y for
    // y wraps, and a multiple of a lies in [lo + m * y, hi + m * y] exactly
    // when m * y mod a falls in [a - hi mod a, a - lo mod a]; the fewest
    // wraps give the smallest k. Below the top level m < 2^64, so the
    // products stay within 128 bits.
    const std::optional<Wide> wraps = firstMultipleIn(m % a, a, a - hi % a, a - lo % a);
    if (!wraps)
        return std::nullopt;
    return (lo + m * *wraps + a - 1) / a;
}

} // namespace

std::optional<std::uint64_t> firstStepInto(std::uint64_t base, std::uint64_t step,
                                           std::uint64_t first, std::uint64_t last)
{
    const std::uint64_t from = first - base;
    const std::uint64_t to = last - base;
    // Seen from base, a range that wraps holds base itself.
    if (from > to)
        return 0;
    const std::optional<Wide> steps = firstMultipleIn(step, Wide{1} << 64, from, to);
    if (!steps)
        return std::nullopt;
    return static_cast<std::uint64_t>(*steps);
}
