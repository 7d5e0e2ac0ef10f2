#pragma once

#include <cstdint>
#include <string>
#include <vector>

// dBase tables and memo files built byte by byte, for values no writer produces.
struct DbfFieldDef {
    std::string Name;
    char Type;
    std::uint8_t Length;
    std::uint8_t Decimals = 0;
};

class DbfBuilder {
public:
    DbfBuilder(std::uint8_t versionByte, std::vector<DbfFieldDef> fields);

    // One record: each value's bytes, padded with blanks to its field's length.
    DbfBuilder &Record(const std::vector<std::string> &values, bool deleted = false);
    DbfBuilder &LanguageDriver(std::uint8_t driver);
    std::vector<std::uint8_t> Bytes() const;

private:
    std::uint8_t version_;
    std::vector<DbfFieldDef> fields_;
    std::vector<std::uint8_t> records_;
    std::uint32_t count_ = 0;
    std::uint8_t driver_ = 0;
};

// Memo files: each memo goes at its block, the rest stays zero.
struct MemoDef {
    std::uint32_t Block;
    std::string Text;
};
// FoxPro: big-endian block size in the header, an 8-byte big-endian block header.
std::vector<std::uint8_t> FptFile(std::uint16_t blockSize, const std::vector<MemoDef> &memos);
// dBase III: 512-byte blocks and no length, the text ends with two characters 26.
std::vector<std::uint8_t> Dbase3MemoFile(const std::vector<MemoDef> &memos);
// dBase IV and later: little-endian block size, an 8-byte block header with the length.
std::vector<std::uint8_t> DbtFile(std::uint16_t blockSize, const std::vector<MemoDef> &memos);
