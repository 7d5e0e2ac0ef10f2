#pragma once

#include "engine/DataSet.h"
#include "engine/VxITypes.h"
#include "sources/dbisam/DbisamLayout.h"
#include "values/Variant.h"

#include <span>

namespace sources::dbisam {

constexpr int BlobType = 3;

TAlignment FieldAlignment(int type);
TVxIDataType FieldDataType(int type, int subType);

// The value of a field that is not a BLOB, from the bytes after its null byte; Empty
// for a kind without a value and for a date of day 0. A date, time or timestamp that is
// no calendar date raises EVariantError.
Variant DecodeValue(const TDBISAMField &field, std::span<const std::uint8_t> bytes, TAlignment &alignment);

// A packed decimal of 34 bytes: the number of digits, the sign bit with the number of
// decimals, then the digits two per byte. Exact as far as a double holds; 0 for one that
// has no digits or holds a half byte past 9.
double PackedDecimal(std::span<const std::uint8_t> bytes);

} // namespace sources::dbisam
