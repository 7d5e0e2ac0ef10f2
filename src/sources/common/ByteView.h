#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

// Integers and doubles as binary files store them. The free functions read exactly the
// bytes they name (callers check the size first); TByteView checks every read itself.
namespace sources {

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

// A read outside the bytes a file gave us; readers turn it into their own message.
class EShortData : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Little-endian reads from a piece of a file; every read is checked against its end.
class TByteView {
public:
    TByteView() = default;
    explicit TByteView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    std::span<const std::uint8_t> Bytes() const { return bytes_; }
    bool Has(std::size_t offset, std::size_t count) const
    {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::span<const std::uint8_t> Slice(std::size_t offset, std::size_t count) const
    {
        Need(offset, count);
        return bytes_.subspan(offset, count);
    }
    std::uint8_t U8(std::size_t offset) const
    {
        Need(offset, 1);
        return bytes_[offset];
    }
    std::uint16_t U16(std::size_t offset) const
    {
        Need(offset, 2);
        return LE16(bytes_.data() + offset);
    }
    std::int16_t I16(std::size_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
    std::uint32_t U32(std::size_t offset) const
    {
        Need(offset, 4);
        return LE32(bytes_.data() + offset);
    }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    std::uint64_t U64(std::size_t offset) const
    {
        Need(offset, 8);
        return LE64(bytes_.data() + offset);
    }
    double F64(std::size_t offset) const { return DoubleFromBits(U64(offset)); }

private:
    void Need(std::size_t offset, std::size_t count) const
    {
        if (!Has(offset, count))
            throw EShortData("read of " + std::to_string(count) + " bytes at " + std::to_string(offset) +
                             " past the end of " + std::to_string(bytes_.size()));
    }

    std::span<const std::uint8_t> bytes_;
};

} // namespace sources
