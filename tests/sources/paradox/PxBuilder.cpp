#include "PxBuilder.h"

#include <algorithm>

namespace {

void put16(std::vector<std::uint8_t> &out, std::size_t at, std::uint32_t value)
{
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::vector<std::uint8_t> &out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

PxBuilder::PxBuilder(std::vector<PxFieldDef> fields) : fields_(std::move(fields)) {}

PxBuilder &PxBuilder::Version(std::uint8_t versionByte)
{
    version_ = versionByte;
    return *this;
}

PxBuilder &PxBuilder::RecordCount(std::uint32_t count)
{
    count_ = count;
    countSet_ = true;
    return *this;
}

PxBuilder &PxBuilder::FirstBlock(std::uint16_t number)
{
    first_ = number;
    return *this;
}

PxBuilder &PxBuilder::CodePage(std::uint16_t codePage)
{
    codePage_ = codePage;
    return *this;
}

PxBuilder &PxBuilder::Encrypted(std::uint32_t checksum)
{
    encrypted_ = true;
    checksum_ = checksum;
    return *this;
}

PxBuilder &PxBuilder::Blocks(std::vector<PxBlockDef> blocks)
{
    blocks_ = std::move(blocks);
    return *this;
}

PxBuilder &PxBuilder::TransformBlocks(std::function<void(std::vector<std::uint8_t> &)> transform)
{
    transform_ = std::move(transform);
    return *this;
}

int PxBuilder::RecordLength() const
{
    int length = 0;
    for (const PxFieldDef &f : fields_)
        length += f.Type == 23 ? 17 : f.Size;
    return length;
}

std::vector<std::uint8_t> PxBuilder::Bytes() const
{
    std::vector<std::uint8_t> out(HeaderLength, 0);
    const int recordLength = RecordLength();
    std::uint32_t count = count_;
    if (!countSet_)
        for (const PxBlockDef &b : blocks_)
            count += static_cast<std::uint32_t>(b.Records.size());
    put16(out, 0, static_cast<std::uint32_t>(recordLength));
    put16(out, 2, HeaderLength);
    out[4] = 2; // a table without primary index
    out[5] = BlockSize / 1024;
    put32(out, 6, count);
    put16(out, 10, static_cast<std::uint32_t>(blocks_.size()));
    put16(out, 12, static_cast<std::uint32_t>(blocks_.size()));
    put16(out, 14, first_);
    put16(out, 16, static_cast<std::uint32_t>(blocks_.size()));
    put16(out, 33, static_cast<std::uint32_t>(fields_.size()));
    put32(out, 37, encrypted_ && version_ >= 5 ? 0xFF00FF00u : checksum_);
    out[57] = version_;
    if (encrypted_) {
        put32(out, 64, 0x6BDF0001);
        put32(out, 68, 0x6BDF0002);
    }
    std::size_t at = 88;
    if (version_ >= 5) {
        put32(out, 92, encrypted_ ? checksum_ : 0);
        put16(out, 106, codePage_);
        at += 32;
    }
    for (const PxFieldDef &f : fields_) {
        out[at++] = f.Type;
        out[at++] = f.Size;
    }
    at += 4 + 4 * fields_.size();
    const char *tableName = "built.db";
    std::copy(tableName, tableName + 8, out.begin() + static_cast<std::ptrdiff_t>(at));
    at += version_ >= 12 ? 261 : 79;
    for (const PxFieldDef &f : fields_) {
        std::copy(f.Name.begin(), f.Name.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        at += f.Name.size() + 1;
    }
    for (std::size_t i = 0; i < fields_.size(); ++i, at += 2)
        put16(out, at, static_cast<std::uint32_t>(i + 1));
    const char *sortOrder = "ascii";
    std::copy(sortOrder, sortOrder + 5, out.begin() + static_cast<std::ptrdiff_t>(at));

    for (const PxBlockDef &b : blocks_) {
        std::vector<std::uint8_t> block(BlockSize, 0);
        put16(block, 0, b.Next);
        const int last = b.Empty || b.Records.empty() ? -recordLength
                                                      : static_cast<int>(b.Records.size() - 1) * recordLength;
        put16(block, 4, static_cast<std::uint32_t>(last) & 0xFFFF);
        std::size_t offset = 6;
        for (const std::string &r : b.Records) {
            std::copy(r.begin(), r.end(), block.begin() + static_cast<std::ptrdiff_t>(offset));
            offset += r.size();
        }
        if (transform_)
            transform_(block);
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

std::string PxRecord(const std::vector<PxFieldDef> &fields, const std::vector<std::string> &values)
{
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string value = i < values.size() ? values[i] : std::string();
        value.resize(fields[i].Type == 23 ? 17 : fields[i].Size, '\0');
        record += value;
    }
    return record;
}

std::string PxBLOBDescriptor(std::uint32_t address, std::uint32_t length)
{
    std::string d(10, '\0');
    for (int i = 0; i < 4; ++i) {
        d[static_cast<std::size_t>(i)] = static_cast<char>(address >> (8 * i));
        d[static_cast<std::size_t>(4 + i)] = static_cast<char>(length >> (8 * i));
    }
    return d;
}
