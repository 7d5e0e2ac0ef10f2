#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sources {
class TTableStream;
class TTableText;
} // namespace sources

namespace ParadoxTexts {
inline constexpr const char *Damaged = "The Paradox table is damaged or truncated";
inline constexpr const char *Encrypted = "This file is encrypted but valid password is not specified.";
} // namespace ParadoxTexts

namespace sources::paradox {

inline constexpr std::uint8_t BCDType = 23;
inline constexpr int BCDSize = 17;

struct TPxField {
    std::string Name;
    std::uint8_t Type = 0;
    std::uint16_t Size = 0;
    std::uint32_t Offset = 0; // inside the record
};

struct TPxTableLayout {
    std::array<std::uint8_t, 88> Header{};
    std::array<std::uint8_t, 32> Extension{}; // zeros when the table has none
    bool HasExtension = false;
    std::uint16_t RecordLength = 0;
    std::uint16_t HeaderLength = 0;
    std::uint8_t FileType = 0;
    int BlockSize = 0; // bytes
    std::uint32_t RecordCount = 0;
    std::uint16_t FirstBlock = 0;
    std::uint8_t VersionByte = 0;
    std::vector<TPxField> Fields;
    std::string SortOrder;

    bool Encrypted() const;
    // The password checksum an encrypted table expects.
    std::uint32_t ExpectedChecksum() const;
    // The code page of the table's text; 0 when the table names none.
    int CodePage() const;
};

// 30, 35, 40, 50 or 70 for the Paradox versions, 65535 for a version byte beyond them.
std::uint16_t TableLevelOf(std::uint8_t versionByte);

// Reads the header and the field information from the start of the stream. Raises
// ESpreadSheetError with ParadoxTexts::Damaged when the header cannot hold what it claims.
void ReadTableLayout(sources::TTableStream &stream, TPxTableLayout &layout);

// Field names are read as bytes; the table's code page, known once the header is read,
// turns them into text.
void DecodeFieldNames(TPxTableLayout &layout, const sources::TTableText &text);

} // namespace sources::paradox
