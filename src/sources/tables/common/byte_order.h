#pragma once

#include <cstdint>
#include <cstring>
#include <span>

// Integers and doubles as table files store them. Callers check the span's size first;
// these read exactly the bytes they name.
namespace tables {

inline std::uint16_t LE16(const std::uint8_t *p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint16_t BE16(const std::uint8_t *p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

inline std::uint32_t LE32(const std::uint8_t *p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline std::uint32_t BE32(const std::uint8_t *p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

inline std::uint64_t LE64(const std::uint8_t *p)
{
    return static_cast<std::uint64_t>(LE32(p)) | static_cast<std::uint64_t>(LE32(p + 4)) << 32;
}

inline std::uint64_t BE64(const std::uint8_t *p)
{
    return static_cast<std::uint64_t>(BE32(p)) << 32 | static_cast<std::uint64_t>(BE32(p + 4));
}

inline double DoubleFromBits(std::uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace tables
