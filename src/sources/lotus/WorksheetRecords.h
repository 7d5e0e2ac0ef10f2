#pragma once

#include "engine/DataSet.h"
#include "sources/common/ByteView.h"

#include <cstdint>
#include <istream>
#include <span>
#include <string>
#include <vector>

// What the Lotus and Quattro Pro readers share: the record framing (a 16-bit number, a
// 16-bit length, the data), label prefixes and the number encodings of both families.
namespace sources::lotus {

// Records longer than this are passed over unread, as the programs' own buffers did.
inline constexpr std::size_t MaxRecordLength = 32768;

struct TWorksheetRecord {
    std::uint16_t Id = 0;
    std::uint16_t Length = 0;
    std::span<const std::uint8_t> Data; // empty for a passed-over record
    bool Oversized = false;
    // The 4-byte header as read: the number in the low 16 bits, the length in the high.
    std::uint32_t Header() const { return static_cast<std::uint32_t>(Id) | static_cast<std::uint32_t>(Length) << 16; }
};

// The records of a stream held in memory, one after the other. A header or data cut off
// by the end of the bytes throws EShortData: a truncated file is never read as a whole.
class TWorksheetRecords {
public:
    explicit TWorksheetRecords(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // False at the end of the bytes.
    bool Next(TWorksheetRecord &record);
    std::size_t Position() const { return position_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// The rest of a stream from its current position; a failing stream gives what it had.
std::vector<std::uint8_t> ReadRest(std::istream &stream);
// A file that cannot be opened raises the readers' "File is not exists.".
std::vector<std::uint8_t> ReadWholeFile(const std::string &fileName);

// "^" centres, a double quote aligns right, anything else (the apostrophe, the backslash)
// aligns left.
TAlignment LabelPrefixAlignment(std::uint8_t prefix);

// The bytes up to the first zero byte (or all of them).
std::string ZeroTerminated(std::span<const std::uint8_t> bytes);
// A text whose length byte stands at the offset; a count past the record is cut there.
std::string CountedText(const TByteView &data, std::size_t offset);

// The 80-bit extended real of Lotus 1-2-3 release 3 and later: a 64-bit mantissa with
// its integer bit, then the sign and a 15-bit exponent. An all-ones exponent (the
// programs' marker of a text or error result) gives a NaN.
double ExtendedReal(const TByteView &data, std::size_t offset);

// The 32-bit packed number of record 0x25 in release 3 and later: the magnitude in the
// upper 26 bits, bit 5 the sign, bit 4 "divide", bits 0 to 3 the power of ten.
double PackedReal(std::uint32_t bits);

// Record 0x18 of release 3 and later: an even word is twice a whole number; an odd one
// holds a multiple of one of eight fixed factors.
double SmallNumber(std::int16_t word);

} // namespace sources::lotus
