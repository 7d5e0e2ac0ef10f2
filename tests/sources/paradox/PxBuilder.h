#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Paradox tables built byte by byte: header, field information and data blocks of 1 KB,
// for values and chains no writer produces.
struct PxFieldDef {
    std::string Name;
    std::uint8_t Type;
    std::uint8_t Size;
};

struct PxBlockDef {
    std::uint16_t Next = 0;           // block number, 0 for none
    std::vector<std::string> Records; // raw records, each the record length
    bool Empty = false;               // an empty block: its last-record offset is negative
};

class PxBuilder {
public:
    explicit PxBuilder(std::vector<PxFieldDef> fields);

    PxBuilder &Version(std::uint8_t versionByte);
    PxBuilder &RecordCount(std::uint32_t count);
    PxBuilder &FirstBlock(std::uint16_t number);
    PxBuilder &CodePage(std::uint16_t codePage);
    // Marks the table encrypted with the given password checksum.
    PxBuilder &Encrypted(std::uint32_t checksum);
    // Blocks in file order; block n of the chain is the n-th of this list (from 1).
    PxBuilder &Blocks(std::vector<PxBlockDef> blocks);
    // Changes every data block's bytes after they are laid out (encryption).
    PxBuilder &TransformBlocks(std::function<void(std::vector<std::uint8_t> &block)> transform);

    std::vector<std::uint8_t> Bytes() const;
    int RecordLength() const;

    static constexpr int BlockSize = 1024;
    static constexpr int HeaderLength = 2048;

private:
    std::vector<PxFieldDef> fields_;
    std::uint8_t version_ = 11;
    std::uint32_t count_ = 0;
    bool countSet_ = false;
    std::uint16_t first_ = 1;
    std::uint16_t codePage_ = 0;
    bool encrypted_ = false;
    std::uint32_t checksum_ = 0;
    std::vector<PxBlockDef> blocks_;
    std::function<void(std::vector<std::uint8_t> &)> transform_;
};

// A record of the given fields' sizes from the values' bytes, each zero-padded.
std::string PxRecord(const std::vector<PxFieldDef> &fields, const std::vector<std::string> &values);
// The 10-byte descriptor that ends a BLOB field.
std::string PxBLOBDescriptor(std::uint32_t address, std::uint32_t length);
