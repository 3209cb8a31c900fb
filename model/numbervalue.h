#pragma once

#include <cstdint>

// A number's value. Serials of ten digits and more are ordinary (tickets,
// lotteries, packaging), so values are 64 bits wide; arithmetic on them
// wraps at 2^64 without signed overflow.
using NumberValue = std::int64_t;

inline constexpr NumberValue valueAdd(NumberValue a, NumberValue b)
{
    return static_cast<NumberValue>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

inline constexpr NumberValue valueSub(NumberValue a, NumberValue b)
{
    return static_cast<NumberValue>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

inline constexpr NumberValue valueMul(NumberValue a, NumberValue b)
{
    return static_cast<NumberValue>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}
