#pragma once

#include "engine/DataSet.h"
#include "engine/VxITypes.h"
#include "sources/clarion/ClarionLayout.h"
#include "values/Variant.h"

#include <span>

namespace sources::clarion {

// The cell of an entry that is not the memo reference, and its alignment; Empty for a
// kind without a value. Long fields may read as dates and times when dateAutodetect is on.
Variant DecodeEntry(const TClarionEntry &entry, std::span<const std::uint8_t> bytes, bool dateAutodetect,
                    TAlignment &alignment);

TAlignment EntryAlignment(int type);
TVxIDataType EntryDataType(int type);

// The 6-byte real of Turbo Pascal: a biased exponent, 39 bits of fraction, the sign.
double Real48(std::span<const std::uint8_t> bytes);
// A packed decimal field: the digits two per byte, the first half byte the sign. Exact
// as far as a double holds, with no rounding to four decimals; 0 for a half byte past 9.
double PackedDecimal(std::span<const std::uint8_t> bytes, int decimals);

} // namespace sources::clarion
