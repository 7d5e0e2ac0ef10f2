#pragma once

#include "sources/paradox/PxLayout.h"

#include "engine/DataSet.h"
#include "values/Variant.h"
#include "engine/VxITypes.h"

#include <cstdint>
#include <span>

namespace sources {
class TTableText;
}

namespace sources::paradox {

enum TPxFieldType : std::uint8_t {
    pxfAlpha = 1,
    pxfDate = 2,
    pxfShort = 3,
    pxfLong = 4,
    pxfCurrency = 5,
    pxfNumber = 6,
    pxfLogical = 9,
    pxfMemoBLOb = 12,
    pxfBLOb = 13,
    pxfFmtMemoBLOb = 14,
    pxfOLE = 15,
    pxfGraphic = 16,
    pxfTime = 20,
    pxfTimestamp = 21,
    pxfAutoInc = 22,
    pxfBCD = 23,
    pxfBytes = 24,
};

bool IsBLOBType(std::uint8_t type);
// Types that give no value (bytes and unknown codes).
bool HasDecoding(std::uint8_t type);

// The value of a field that is not a BLOB; Empty when it has none.
Variant DecodeFieldValue(const TPxField &field, std::span<const std::uint8_t> bytes, const sources::TTableText &text);

// The 10-byte descriptor that ends a BLOB field.
struct TPxBLOBRef {
    std::uint32_t Address = 0;
    std::int32_t Length = 0;
};
TPxBLOBRef BLOBReference(std::span<const std::uint8_t> fieldBytes);

// The packed decimal of a BCD field as a number; 0 when its digits cannot be read.
double BCDToDouble(std::span<const std::uint8_t> bytes);

TAlignment FieldAlignment(std::uint8_t type);
TVxIDataType FieldDataType(std::uint8_t type);

} // namespace sources::paradox
