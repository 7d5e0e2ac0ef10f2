#include "sources/clarion/ClarionValue.h"

#include "sources/common/ByteView.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

namespace sources::clarion {

namespace {

// Day 0 of the engine is 36161 days after Clarion's.
constexpr std::int64_t ClarionDayOfEngineZero = 36161;

std::string trimmed(std::span<const std::uint8_t> bytes)
{
    std::size_t first = 0, last = bytes.size();
    while (first < last && bytes[first] <= ' ')
        ++first;
    while (last > first && bytes[last - 1] <= ' ')
        --last;
    return std::string(reinterpret_cast<const char *>(bytes.data()) + first, last - first);
}

bool contains(const std::string &text, std::string_view part) { return text.find(part) != std::string::npos; }

// A long named like a date or time, or holding a day number of the years 1991 to 2074
// under a name that is no amount or account, reads as one.
Variant longValue(std::int32_t value, const std::string &name, bool dateAutodetect, TAlignment &alignment)
{
    alignment = TAlignment::taRightJustify;
    if (!dateAutodetect)
        return Variant(value);
    if (name == "TIME") {
        if (value < 0 || value >= 8640000)
            return Variant(value);
        alignment = TAlignment::taLeftJustify;
        return Variant::DateTime(value / 8640000.0);
    }
    const auto unsignedValue = static_cast<std::uint32_t>(value);
    const bool dateName = name == "DATE" || contains(name, "_DT");
    const bool dayNumber = unsignedValue > 69500 && unsignedValue < 100000 && name != "KONTO" && name != "AMOUNT" &&
                           name != "BALANCE" && name != "ZIP" && !contains(name, "NUM");
    if (!dateName && !dayNumber)
        return Variant(value);
    alignment = TAlignment::taLeftJustify;
    return Variant::DateTime(static_cast<double>(static_cast<std::int64_t>(value) - ClarionDayOfEngineZero));
}

} // namespace

double Real48(std::span<const std::uint8_t> bytes)
{
    const TByteView data(bytes);
    const int exponent = data.U8(0);
    if (exponent == 0)
        return 0.0;
    std::uint64_t fraction = 0;
    for (int i = 5; i >= 1; --i)
        fraction = fraction << 8 | data.U8(static_cast<std::size_t>(i));
    const bool negative = (fraction >> 39) & 1;
    fraction &= (std::uint64_t{1} << 39) - 1;
    const double value = std::ldexp(1.0 + static_cast<double>(fraction) / std::ldexp(1.0, 39), exponent - 129);
    return negative ? -value : value;
}

double PackedDecimal(std::span<const std::uint8_t> bytes, int decimals)
{
    if (bytes.empty())
        return 0.0;
    std::string digits;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = bytes[i] >> 4, low = bytes[i] & 0x0F;
        if (i > 0) {
            if (high > 9)
                return 0.0;
            digits += static_cast<char>('0' + high);
        }
        if (low > 9)
            return 0.0;
        digits += static_cast<char>('0' + low);
    }
    if (decimals > 0 && static_cast<std::size_t>(decimals) < digits.size())
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
    else if (decimals > 0)
        digits = "0." + std::string(static_cast<std::size_t>(decimals) - digits.size(), '0') + digits;
    // Read as text: the nearest double, where dividing by a power of ten would round twice.
    const double value = std::strtod(digits.c_str(), nullptr);
    return bytes[0] > 0x0F ? -value : value;
}

TAlignment EntryAlignment(int type)
{
    switch (type) {
    case ctLong:
    case ctReal:
    case ctByte:
    case ctShort:
    case ctDecimal: return TAlignment::taRightJustify;
    default: return TAlignment::taLeftJustify;
    }
}

TVxIDataType EntryDataType(int type)
{
    switch (type) {
    case ctLong:
    case ctByte:
    case ctShort: return TVxIDataType::itInteger;
    case ctReal:
    case ctDecimal: return TVxIDataType::itFloat;
    case ctMemo: return TVxIDataType::itMEMO;
    default: return TVxIDataType::itString;
    }
}

Variant DecodeEntry(const TClarionEntry &entry, std::span<const std::uint8_t> bytes, bool dateAutodetect,
                    TAlignment &alignment)
{
    const TByteView data(bytes);
    alignment = EntryAlignment(entry.Type);
    switch (entry.Type) {
    case ctLong: return longValue(data.I32(0), entry.Name, dateAutodetect, alignment);
    case ctReal: return Variant(bytes.size() == 8 ? data.F64(0) : Real48(bytes));
    case ctString:
    case ctPicture:
    case ctElement: return Variant(trimmed(bytes));
    case ctByte: return Variant(static_cast<std::int32_t>(data.U8(0)));
    case ctShort: return Variant(static_cast<std::int32_t>(data.I16(0))); // SHORT is signed
    case ctDecimal: return Variant(PackedDecimal(bytes, entry.Decimals));
    default: return {}; // groups without an array, unknown kinds
    }
}

} // namespace sources::clarion
