#include "DbfBuilder.h"

#include <algorithm>

namespace {

void put16(std::vector<std::uint8_t> &out, std::size_t at, std::uint16_t value)
{
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::vector<std::uint8_t> &out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

void put32BE(std::vector<std::uint8_t> &out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

bool isDbase7(std::uint8_t version) { return version == 0x8C; }
bool isVisualFoxPro(std::uint8_t version) { return version == 0x30 || version == 0x31; }

template <typename Place>
std::vector<std::uint8_t> memoFile(std::size_t blockSize, const std::vector<MemoDef> &memos, Place place)
{
    std::size_t size = 512;
    for (const MemoDef &m : memos)
        size = std::max(size, m.Block * blockSize + m.Text.size() + 16);
    std::vector<std::uint8_t> out(size, 0);
    for (const MemoDef &m : memos)
        place(out, m.Block * blockSize, m.Text);
    return out;
}

} // namespace

DbfBuilder::DbfBuilder(std::uint8_t versionByte, std::vector<DbfFieldDef> fields)
    : version_(versionByte), fields_(std::move(fields))
{
}

DbfBuilder &DbfBuilder::Record(const std::vector<std::string> &values, bool deleted)
{
    records_.push_back(deleted ? '*' : ' ');
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        std::string value = i < values.size() ? values[i] : std::string();
        value.resize(fields_[i].Length, ' ');
        records_.insert(records_.end(), value.begin(), value.end());
    }
    ++count_;
    return *this;
}

DbfBuilder &DbfBuilder::LanguageDriver(std::uint8_t driver)
{
    driver_ = driver;
    return *this;
}

std::vector<std::uint8_t> DbfBuilder::Bytes() const
{
    const std::size_t descriptor = isDbase7(version_) ? 48 : 32;
    const std::size_t before = isDbase7(version_) ? 68 : 32;
    const std::size_t after = isVisualFoxPro(version_) ? 263 : 0;
    const std::size_t headerLength = before + descriptor * fields_.size() + 1 + after;
    std::size_t recordLength = 1;
    for (const DbfFieldDef &f : fields_)
        recordLength += f.Length;

    std::vector<std::uint8_t> out(headerLength, 0);
    out[0] = version_;
    out[1] = 124;
    out[2] = 1;
    out[3] = 2;
    put32(out, 4, count_);
    put16(out, 8, static_cast<std::uint16_t>(headerLength));
    put16(out, 10, static_cast<std::uint16_t>(recordLength));
    out[29] = driver_;
    std::size_t at = before;
    for (const DbfFieldDef &f : fields_) {
        const std::size_t nameRoom = isDbase7(version_) ? 32 : 11;
        std::copy_n(f.Name.begin(), std::min(f.Name.size(), nameRoom - 1),
                    out.begin() + static_cast<std::ptrdiff_t>(at));
        const std::size_t typeAt = isDbase7(version_) ? 32 : 11;
        const std::size_t lengthAt = isDbase7(version_) ? 33 : 16;
        out[at + typeAt] = static_cast<std::uint8_t>(f.Type);
        out[at + lengthAt] = f.Length;
        out[at + lengthAt + 1] = f.Decimals;
        at += descriptor;
    }
    out[at] = 0x0D;
    out.insert(out.end(), records_.begin(), records_.end());
    out.push_back(0x1A);
    return out;
}

std::vector<std::uint8_t> FptFile(std::uint16_t blockSize, const std::vector<MemoDef> &memos)
{
    auto out = memoFile(blockSize, memos, [](std::vector<std::uint8_t> &o, std::size_t at, const std::string &text) {
        put32BE(o, at, 1);
        put32BE(o, at + 4, static_cast<std::uint32_t>(text.size()));
        std::copy(text.begin(), text.end(), o.begin() + static_cast<std::ptrdiff_t>(at + 8));
    });
    out[6] = static_cast<std::uint8_t>(blockSize >> 8);
    out[7] = static_cast<std::uint8_t>(blockSize);
    return out;
}

std::vector<std::uint8_t> Dbase3MemoFile(const std::vector<MemoDef> &memos)
{
    return memoFile(512, memos, [](std::vector<std::uint8_t> &o, std::size_t at, const std::string &text) {
        std::copy(text.begin(), text.end(), o.begin() + static_cast<std::ptrdiff_t>(at));
    });
}

std::vector<std::uint8_t> DbtFile(std::uint16_t blockSize, const std::vector<MemoDef> &memos)
{
    auto out = memoFile(blockSize, memos, [](std::vector<std::uint8_t> &o, std::size_t at, const std::string &text) {
        o[at] = 0xFF;
        o[at + 1] = 0xFF;
        o[at + 2] = 0x08;
        put32(o, at + 4, static_cast<std::uint32_t>(text.size()));
        std::copy(text.begin(), text.end(), o.begin() + static_cast<std::ptrdiff_t>(at + 8));
    });
    put16(out, 20, blockSize);
    return out;
}
