#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

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

// One folder per process for the files a reader insists on finding by name.
inline const std::string &FuzzFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/ferrovane-fuzz-XXXXXX";
        const char *made = mkdtemp(pattern);
        if (!made)
            std::abort();
        return std::string(made);
    }();
    return folder;
}

// Writes the bytes to a file of that name in the folder; returns its path.
inline std::string FuzzFile(const std::string &name, std::string_view bytes)
{
    const std::string path = FuzzFolder() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline void RemoveFuzzFile(const std::string &name) { unlink((FuzzFolder() + "/" + name).c_str()); }
