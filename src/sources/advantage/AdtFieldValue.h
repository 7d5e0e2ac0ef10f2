#pragma once

#include "engine/DataSet.h"
#include "engine/VxITypes.h"
#include "values/Variant.h"

#include <cstdint>
#include <span>
#include <string>

namespace sources::advantage {

// A field as its descriptor gives it.
struct TADTField {
    std::string Name;
    int Type = 0;           // the type code (the low byte of the descriptor's type word)
    std::size_t Offset = 0; // where its bytes start in the record buffer
    std::size_t Length = 0;
    int Decimals = 0;
};

bool IsBlobField(int type); // 5 to 8: a block number and a length
TAlignment FieldAlignment(int type);
TVxIDataType FieldDataType(int type);

// The value of a field that is not a BLOB reference; Empty when it has none. A Julian
// day number that is no calendar date raises.
Variant DecodeFieldValue(const TADTField &field, std::span<const std::uint8_t> bytes);

// The calendar date of a Julian day number (2451545 is 1 January 2000) as the engine's
// day count; raises for a number outside the years 1 to 9999.
double JulianDayToDate(std::int64_t julianDay);

} // namespace sources::advantage
