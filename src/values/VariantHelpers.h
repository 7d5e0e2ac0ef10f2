#pragma once

// Helpers the value type's units share: character tests, rounding, number text.

#include "values/Variant.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace variant_detail {

[[noreturn]] inline void ThrowConvert(TVarType from, const char *to)
{
    throw EVariantError(std::string("Could not convert variant of type (") + Variant::TypeName(from) + ") into type (" +
                        to + ")");
}

[[noreturn]] inline void ThrowOverflow(TVarType from, const char *to)
{
    throw EVariantError(std::string("Overflow while converting variant of type (") + Variant::TypeName(from) +
                        ") into type (" + to + ")");
}

[[noreturn]] inline void ThrowInvalidOperation() { throw EVariantError("Invalid variant operation"); }

[[noreturn]] inline void ThrowDivisionByZero() { throw EVariantError("Division by zero"); }

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

inline bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

// Round half to even, as the classic variant conversions do (2.5 -> 2, 3.5 -> 4).
inline double RoundBankers(double x)
{
    const double lower = std::floor(x);
    const double diff = x - lower;
    if (diff > 0.5)
        return lower + 1;
    if (diff < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

// Rounds and checks that the result fits [lo, hi]. The upper bound is compared as
// -lo (a power of two, exact in a double) because hi itself may not be representable.
inline bool RoundToRange(double x, std::int64_t lo, std::int64_t &out)
{
    const double r = RoundBankers(x);
    const double low = static_cast<double>(lo);
    if (!(r >= low && r < -low))
        return false;
    out = static_cast<std::int64_t>(r);
    return true;
}

inline bool FitsInt32(std::int64_t v)
{
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

} // namespace variant_detail
