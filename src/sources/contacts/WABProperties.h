#pragma once

#include "engine/VxITypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The properties of the Windows address book, which name the address-book source's
// columns: 291 of them, in a fixed order, each with its standard property tag (the
// property's identifier in the upper 16 bits, its value type in the lower), its name
// without the PR_ prefix and a caption in words. Names ending in _W and _A are the
// wide-character and single-byte variants of a string property.
struct TWABProperty {
    static constexpr std::uint16_t PropertyTypeTime = 0x0040;

    std::uint32_t Tag = 0;
    std::string Name;    // "DISPLAY_NAME", "DISPLAY_NAME_W"
    std::string Caption; // "Display Name", "Display Name (Unicode)"

    std::uint16_t Id() const { return static_cast<std::uint16_t>(Tag >> 16); }
    std::uint16_t Type() const { return static_cast<std::uint16_t>(Tag & 0xFFFF); }
    bool IsVariant() const;
    // Time stamps (birthday, anniversary, creation and change) are dates; the rest text.
    TVxIDataType DataType() const;
};

const std::vector<TWABProperty> &WABProperties();

// The position of a name in the list, ignoring case; -1 when it is none.
int WABPropertyIndex(std::string_view name);

// Every column that is not a _W or _A variant and names the same property as the column
// at that position (BUSINESS_TELEPHONE_NUMBER and OFFICE_TELEPHONE_NUMBER; LOCALITY and
// BUSINESS_ADDRESS_CITY), in list order.
const std::vector<int> &WABColumnsOfProperty(int index);
