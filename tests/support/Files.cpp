#include "Files.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

std::vector<std::uint8_t> ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

void writeAll(const std::string &path, const char *data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

} // namespace

void WriteFile(const std::string &path, const std::string &content) { writeAll(path, content.data(), content.size()); }

void WriteFile(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    writeAll(path, reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

std::vector<std::uint8_t> CutCopy(const std::vector<std::uint8_t> &bytes, std::size_t length)
{
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(length, bytes.size()))};
}

std::vector<std::uint8_t> FlippedCopy(const std::vector<std::uint8_t> &bytes, std::size_t at, int bit)
{
    std::vector<std::uint8_t> copy = bytes;
    copy.at(at) ^= static_cast<std::uint8_t>(1u << bit);
    return copy;
}

std::vector<std::vector<std::uint8_t>> DamagedCopies(const std::vector<std::uint8_t> &bytes, std::size_t cuts,
                                                     std::size_t flips)
{
    std::vector<std::vector<std::uint8_t>> copies;
    for (std::size_t cut = 0; cut < bytes.size(); cut += 1 + bytes.size() / cuts)
        copies.push_back(CutCopy(bytes, cut));
    for (std::size_t at = 0; at < bytes.size(); at += 1 + bytes.size() / flips)
        copies.push_back(FlippedCopy(bytes, at, static_cast<int>(at % 8)));
    return copies;
}
