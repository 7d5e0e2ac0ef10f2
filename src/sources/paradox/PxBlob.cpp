#include "sources/paradox/PxBlob.h"

#include "sources/common/CompanionFile.h"

#include <algorithm>

namespace sources::paradox {

namespace {

constexpr std::uint32_t singleBLOBIndex = 0xFF;
constexpr std::int64_t singleBLOBHeader = 9;
constexpr std::int64_t entriesAt = 12;
constexpr std::int64_t entrySize = 5;
constexpr std::int64_t unit = 256; // encrypted files are decrypted in these

} // namespace

std::unique_ptr<TPxBLOBFile> TPxBLOBFile::Open(const std::string &tableFileName)
{
    const std::string name = sources::FindCompanionFile(tableFileName, ".mb");
    if (name.empty())
        return nullptr;
    auto file = sources::OpenSharedForReading(name);
    if (!file)
        return nullptr;
    std::istream &stream = *file;
    return std::unique_ptr<TPxBLOBFile>(new TPxBLOBFile(std::move(file), stream));
}

std::unique_ptr<TPxBLOBFile> TPxBLOBFile::FromStream(std::istream &stream)
{
    return std::unique_ptr<TPxBLOBFile>(new TPxBLOBFile(nullptr, stream));
}

TPxBLOBFile::TPxBLOBFile(std::unique_ptr<std::istream> file, std::istream &stream)
    : file_(std::move(file)), stream_(stream)
{
}

std::vector<std::uint8_t> TPxBLOBFile::ReadBytes(std::int64_t position, std::int64_t length, const TDecrypt &decrypt)
{
    length = std::min(length, stream_.Size() - position);
    if (position < 0 || length <= 0)
        return {};
    if (!decrypt) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
        if (!stream_.ReadAt(position, bytes))
            return {};
        return bytes;
    }
    const std::int64_t first = position / unit * unit;
    const std::int64_t last = std::min((position + length) / unit * unit + unit, stream_.Size());
    std::vector<std::uint8_t> units(static_cast<std::size_t>(last - first));
    if (!stream_.ReadAt(first, units))
        return {};
    decrypt(units);
    if (units.size() != static_cast<std::size_t>(last - first))
        return {}; // a decryption that changed the size left nothing to read
    const auto from = units.begin() + (position - first);
    return std::vector<std::uint8_t>(from, from + length);
}

std::string TPxBLOBFile::Read(const TPxBLOBRef &ref, const TDecrypt &decrypt)
{
    const std::int64_t block = ref.Address & ~0xFFu;
    const std::uint32_t index = ref.Address & 0xFFu;
    std::int64_t position = block + singleBLOBHeader;
    if (index != singleBLOBIndex) {
        const std::vector<std::uint8_t> entry = ReadBytes(block + entriesAt + index * entrySize, entrySize, decrypt);
        if (entry.size() < static_cast<std::size_t>(entrySize))
            return {};
        position = block + entry[0] * 16;
    }
    const std::vector<std::uint8_t> bytes = ReadBytes(position, ref.Length, decrypt);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace sources::paradox
