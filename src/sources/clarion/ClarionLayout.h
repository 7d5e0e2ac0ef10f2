#pragma once

#include "sources/common/TableStream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sources::clarion {

enum TClarionType : std::uint8_t {
    ctLong = 1,
    ctReal = 2,
    ctString = 3,
    ctPicture = 4,
    ctByte = 5,
    ctShort = 6,
    ctGroup = 7,
    ctDecimal = 8,
    ctMemo = 9,
    ctElement = 10,
};

// One column of a data file: a field, the memo reference or an array element.
struct TClarionEntry {
    int Type = 0;
    std::string Name;
    std::size_t Offset = 0; // in the record, the 5 bytes before the data part included
    std::size_t Width = 0;
    int Digits = 0;
    int Decimals = 0;
};

struct TClarionArray {
    struct TDimension {
        int Count = 0;
        int Width = 0;
    };
    std::vector<TDimension> Dimensions;
};

struct TClarionLayout {
    std::uint16_t Flags = 0;
    std::uint32_t RecordCount = 0;
    std::uint32_t RecordLength = 0;
    std::uint32_t FirstRecord = 0;
    std::string Prefix;
    std::vector<TClarionEntry> Entries;

    bool Enciphered() const { return (Flags & 4) != 0 || (Flags & 2) != 0; }
};

// Reads the header, the field descriptors, the keys, pictures and arrays and expands the
// arrays; raises the reader's messages for what it cannot read.
void ReadLayout(sources::TTableStream &file, bool patchNames, TClarionLayout &layout);

} // namespace sources::clarion
