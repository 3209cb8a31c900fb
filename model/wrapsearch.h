#pragma once

#include <cstdint>
#include <optional>

// The first i >= 0 at which base + i * step, wrapping in 64 bits, lands in
// [first, last] (as unsigned bits, first <= last); nothing when it never
// does. Takes a few dozen steps whatever the answer, so long runs of values
// can be searched without walking them.
std::optional<std::uint64_t> firstStepInto(std::uint64_t base, std::uint64_t step,
                                           std::uint64_t first, std::uint64_t last);
