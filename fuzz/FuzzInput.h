#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A harness's view of libFuzzer's bytes: a few leading bytes choose the variant to try,
// the rest is the file.
class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t *data, std::size_t size) : rest_(reinterpret_cast<const char *>(data), size) {}

    // The next byte, or 0 when none is left.
    std::uint8_t Byte()
    {
        if (rest_.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    // Up to n bytes.
    std::string_view Take(std::size_t n)
    {
        const std::string_view part = rest_.substr(0, n);
        rest_.remove_prefix(part.size());
        return part;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};
