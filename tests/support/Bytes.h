#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Binary file content built by tests, little-endian, one value after the other.
class Bytes {
public:
    Bytes &u8(std::uint8_t v);
    Bytes &u16(std::uint16_t v);
    Bytes &u32(std::uint32_t v);
    Bytes &u64(std::uint64_t v);
    Bytes &f64(double v);
    Bytes &text(const std::string &s); // the bytes as they are
    Bytes &utf16(const std::u16string &s);
    Bytes &bytes(const std::vector<std::uint8_t> &b);
    const std::vector<std::uint8_t> &data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};
