#include "sources/paradox/PxFieldValue.h"

#include "values/RegionalSettings.h"
#include "sources/common/ByteView.h"
#include "sources/common/TableText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace sources::paradox {

namespace {

constexpr double msPerDay = 86400000.0;
constexpr double dayOneToEngineDays = 693594; // 1 January of year 1 is day 1
constexpr double lastDate = 2958466;          // 1 January 10000

bool allZero(std::span<const std::uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// Numbers are stored big-endian so that their bytes sort as the numbers do: positive ones
// with the sign bit set, negative ones with every bit inverted. Returns the plain
// big-endian bytes of the value.
std::array<std::uint8_t, 8> unsignOrdered(std::span<const std::uint8_t> stored)
{
    std::array<std::uint8_t, 8> plain{};
    const std::size_t n = std::min<std::size_t>(stored.size(), plain.size());
    const bool positive = (stored[0] & 0x80) != 0;
    for (std::size_t i = 0; i < n; ++i)
        plain[i] = positive ? stored[i] : static_cast<std::uint8_t>(~stored[i]);
    if (positive)
        plain[0] &= 0x7F;
    return plain;
}

std::string alphaText(std::span<const std::uint8_t> bytes, const sources::TTableText &text)
{
    const auto end = std::find(bytes.begin(), bytes.end(), 0);
    auto first = bytes.begin();
    auto last = end;
    while (first != last && *first == ' ')
        ++first;
    while (last != first && *(last - 1) == ' ')
        --last;
    return text.Decode(
        bytes.subspan(static_cast<std::size_t>(first - bytes.begin()), static_cast<std::size_t>(last - first)));
}

// Days since 1899-12-30 from a stored date, time or timestamp number.
Variant dateTimeValue(std::uint8_t type, double d)
{
    if (d == -129 || d == -32769 || std::isnan(d)) // a NaN is a damaged timestamp, no date
        return {};
    if (d == 0)
        return type == pxfTime ? Variant::DateTime(0) : Variant(); // midnight is a time like any other
    if (type == pxfTime || type == pxfTimestamp)
        d /= msPerDay;
    if (type == pxfDate || type == pxfTimestamp)
        d -= dayOneToEngineDays;
    if (d == 0 && type != pxfTime)
        return {};
    if (d >= -65535 && d < lastDate)
        return Variant::DateTime(d);
    return Variant(DateTimeToStr(d, RegionalSettings::current()));
}

} // namespace

bool IsBLOBType(std::uint8_t type) { return type >= pxfMemoBLOb && type <= pxfGraphic; }

bool HasDecoding(std::uint8_t type)
{
    switch (type) {
    case pxfAlpha:
    case pxfDate:
    case pxfShort:
    case pxfLong:
    case pxfCurrency:
    case pxfNumber:
    case pxfLogical:
    case pxfMemoBLOb:
    case pxfBLOb:
    case pxfFmtMemoBLOb:
    case pxfOLE:
    case pxfGraphic:
    case pxfTime:
    case pxfTimestamp:
    case pxfAutoInc:
    case pxfBCD: return true;
    default: return false;
    }
}

TPxBLOBRef BLOBReference(std::span<const std::uint8_t> fieldBytes)
{
    if (fieldBytes.size() < 10)
        return {};
    const std::uint8_t *d = fieldBytes.data() + fieldBytes.size() - 10;
    return {sources::LE32(d), static_cast<std::int32_t>(sources::LE32(d + 4))};
}

double BCDToDouble(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < static_cast<std::size_t>(BCDSize))
        return 0;
    // byte 0 keeps its sign and decimal count plain; a negative number inverts the digits
    const bool negative = bytes[0] >= 64 && bytes[0] <= 127;
    auto byteAt = [&](std::size_t i) { return negative ? static_cast<std::uint8_t>(~bytes[i]) : bytes[i]; };
    const int decimals = bytes[0] & 0x3F;
    std::string digits;
    for (std::size_t i = 1; i < static_cast<std::size_t>(BCDSize); ++i) {
        digits += static_cast<char>('0' + (byteAt(i) >> 4));
        digits += static_cast<char>('0' + (byteAt(i) & 0x0F));
    }
    if (decimals > 0 && decimals <= static_cast<int>(digits.size()))
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), 1, '.');
    if (negative)
        digits.insert(0, 1, '-');
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() ? value : 0;
}

Variant DecodeFieldValue(const TPxField &field, std::span<const std::uint8_t> bytes, const sources::TTableText &text)
{
    switch (field.Type) {
    case pxfAlpha: return Variant(alphaText(bytes, text));
    case pxfBCD: return Variant(BCDToDouble(bytes));
    case pxfDate:
    case pxfShort:
    case pxfLong:
    case pxfCurrency:
    case pxfNumber:
    case pxfLogical:
    case pxfTime:
    case pxfTimestamp:
    case pxfAutoInc: break;
    default: return {};
    }
    if (bytes.empty() || allZero(bytes))
        return {};
    const std::array<std::uint8_t, 8> p = unsignOrdered(bytes);
    switch (field.Type) {
    case pxfDate:
    case pxfTime:
        if (bytes.size() < 4)
            return {};
        return dateTimeValue(field.Type, static_cast<std::int32_t>(sources::BE32(p.data())));
    case pxfTimestamp:
    case pxfCurrency:
    case pxfNumber: {
        if (bytes.size() < 8)
            return {};
        const double d = sources::DoubleFromBits(sources::BE64(p.data()));
        return field.Type == pxfTimestamp ? dateTimeValue(field.Type, d) : Variant(d);
    }
    // integers are two's complement with the sign bit flipped, so 7F FF is -1
    case pxfShort:
        if (bytes.size() < 2)
            return {};
        return Variant::Smallint(static_cast<std::int16_t>(sources::BE16(bytes.data()) ^ 0x8000u));
    case pxfLong:
    case pxfAutoInc:
        if (bytes.size() < 4)
            return {};
        return Variant(static_cast<std::int32_t>(sources::BE32(bytes.data()) ^ 0x80000000u));
    case pxfLogical: return Variant(p[0] == 1);
    default: return {};
    }
}

TAlignment FieldAlignment(std::uint8_t type)
{
    switch (type) {
    case pxfShort:
    case pxfLong:
    case pxfCurrency:
    case pxfNumber:
    case pxfAutoInc:
    case pxfBCD: return TAlignment::taRightJustify;
    default: return TAlignment::taLeftJustify;
    }
}

TVxIDataType FieldDataType(std::uint8_t type)
{
    switch (type) {
    case pxfAlpha: return TVxIDataType::itString;
    case pxfDate: return TVxIDataType::itDate;
    case pxfShort:
    case pxfLong:
    case pxfAutoInc: return TVxIDataType::itInteger;
    case pxfCurrency:
    case pxfNumber: return TVxIDataType::itFloat;
    case pxfLogical: return TVxIDataType::itBoolean;
    case pxfMemoBLOb: return TVxIDataType::itMEMO;
    case pxfBLOb:
    case pxfFmtMemoBLOb:
    case pxfOLE:
    case pxfBytes: return TVxIDataType::itBLOB;
    case pxfGraphic: return TVxIDataType::itGraphic;
    case pxfTime: return TVxIDataType::itTime;
    case pxfTimestamp: return TVxIDataType::itDateTime;
    default: return TVxIDataType::itString; // BCD among them
    }
}

} // namespace sources::paradox
