#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

namespace excel {

// A read outside the bytes a file gave us; readers turn it into their own message.
class EShortData : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Little-endian reads from a piece of a file; every read is checked against its end.
class ByteView {
public:
    ByteView() = default;
    explicit ByteView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

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
        return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    }
    std::uint32_t U32(std::size_t offset) const
    {
        Need(offset, 4);
        return static_cast<std::uint32_t>(bytes_[offset]) | static_cast<std::uint32_t>(bytes_[offset + 1]) << 8 |
               static_cast<std::uint32_t>(bytes_[offset + 2]) << 16 |
               static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
    }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    std::uint64_t U64(std::size_t offset) const
    {
        return static_cast<std::uint64_t>(U32(offset)) | static_cast<std::uint64_t>(U32(offset + 4)) << 32;
    }
    double F64(std::size_t offset) const
    {
        const std::uint64_t bits = U64(offset);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    void Need(std::size_t offset, std::size_t count) const
    {
        if (!Has(offset, count))
            throw EShortData("read of " + std::to_string(count) + " bytes at " + std::to_string(offset) +
                             " past the end of " + std::to_string(bytes_.size()));
    }

    std::span<const std::uint8_t> bytes_;
};

} // namespace excel
