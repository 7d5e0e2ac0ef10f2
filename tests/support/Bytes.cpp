#include "Bytes.h"

#include <cstring>

Bytes &Bytes::u8(std::uint8_t v)
{
    data_.push_back(v);
    return *this;
}

Bytes &Bytes::u16(std::uint16_t v) { return u8(static_cast<std::uint8_t>(v)).u8(static_cast<std::uint8_t>(v >> 8)); }

Bytes &Bytes::u32(std::uint32_t v)
{
    return u16(static_cast<std::uint16_t>(v)).u16(static_cast<std::uint16_t>(v >> 16));
}

Bytes &Bytes::u64(std::uint64_t v)
{
    return u32(static_cast<std::uint32_t>(v)).u32(static_cast<std::uint32_t>(v >> 32));
}

Bytes &Bytes::f64(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return u64(bits);
}

Bytes &Bytes::text(const std::string &s)
{
    data_.insert(data_.end(), s.begin(), s.end());
    return *this;
}

Bytes &Bytes::utf16(const std::u16string &s)
{
    for (char16_t c : s)
        u16(c);
    return *this;
}

Bytes &Bytes::bytes(const std::vector<std::uint8_t> &b)
{
    data_.insert(data_.end(), b.begin(), b.end());
    return *this;
}
