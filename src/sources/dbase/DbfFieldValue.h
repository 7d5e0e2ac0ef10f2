#pragma once

#include "sources/dbase/DbfLayout.h"

#include "engine/DataSet.h"
#include "values/Variant.h"
#include "engine/VxITypes.h"

#include <cstdint>
#include <span>

namespace sources {
class TTableText;
}

namespace sources::dbase {

// Whether the field refers to a memo block rather than holding its value: "M", "G" and
// "P", and "B" outside Visual FoxPro (where "B" is a double).
bool IsMemoReference(char type, TDBFVersion version);
bool IsTextMemo(char type);

// Every character a blank (or no character at all): such a field has no value.
bool IsBlank(std::span<const std::uint8_t> bytes);

// The block number a memo field holds: binary in Visual FoxPro and HyperSix tables,
// digits elsewhere (0 when they are no number).
std::uint64_t MemoBlockNumber(std::span<const std::uint8_t> bytes, TDBFVersion version);

// The value of a field that is not a memo reference; Empty when it has none.
Variant DecodeFieldValue(const TDBFField &field, std::span<const std::uint8_t> bytes, TDBFVersion version,
                         const sources::TTableText &text);

TAlignment FieldAlignment(char type);
TVxIDataType FieldDataType(char type, TDBFVersion version);

} // namespace sources::dbase
