#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sources {
class TTableStream;
class TTableText;
} // namespace sources

// dBase table versions, in the order the header byte is matched against them.
enum class TDBFVersion {
    dBase3,
    dBase3Memo,
    FoxPro,
    FoxProMemo,
    dBase4,
    dBase4Memo,
    VFP3,
    dBase5,
    dBase7,
    dBase7Memo,
    FoxBASE1,
    FoxBASE2,
    VFP3AutoIncrement,
    HyperSix,
};

// The memo file to look for.
enum class TDBFMemoType { dmDBT, dmFPT, dmSMT };

namespace DBFTexts {
inline constexpr const char *Damaged = "The dBase table is damaged or truncated";
} // namespace DBFTexts

namespace sources::dbase {

// The first version whose header byte matches; dBase3 for a byte no version has.
TDBFVersion VersionFromByte(std::uint8_t versionByte);
bool IsDBase7(TDBFVersion version);
// Visual FoxPro tables, with or without autoincrement fields: their binary field layouts
// are the same.
bool IsVisualFoxPro(TDBFVersion version);
// The versions whose memos live in a FoxPro memo file.
bool IsFoxProFamily(TDBFVersion version);

struct TDBFField {
    std::string Name;
    char Type = 'C';
    std::uint32_t Position = 0; // first byte inside the record
    std::uint8_t Length = 0;
    std::uint8_t Decimals = 0;
};

struct TDBFTableLayout {
    std::array<std::uint8_t, 32> Header{};
    TDBFVersion Version = TDBFVersion::dBase3;
    std::uint32_t RecordCount = 0;
    std::uint16_t HeaderLength = 0;
    std::uint16_t RecordLength = 0;
    std::vector<TDBFField> Fields;

    std::uint8_t LanguageDriver() const { return Header[29]; }
    bool Encrypted() const { return Header[15] != 0; }
};

inline constexpr std::size_t MaxFields = 4096;

// Reads the header and the field descriptors from the start of the stream and leaves the
// stream after them. Names are decoded by the given text. Raises ESpreadSheetError with
// DBFTexts::Damaged when the header cannot hold what it claims.
void ReadTableLayout(sources::TTableStream &stream, const sources::TTableText &text, TDBFTableLayout &layout);

// The code page a table's language driver byte names; 0 when it names none.
int CodePageOfLanguageDriver(std::uint8_t driver);

} // namespace sources::dbase
