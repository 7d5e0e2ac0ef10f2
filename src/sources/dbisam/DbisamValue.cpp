#include "sources/dbisam/DbisamValue.h"

#include "sources/common/ByteView.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace sources::dbisam {

namespace {

constexpr std::int64_t msPerDay = 86400000;
// Day 1 of the count (1 January of year 1) lies this many days before the engine's day 0
// plus one; 31 December 9999 is the count's last calendar day.
constexpr std::int64_t dayOneToEngineDays = 693594;
constexpr std::int64_t lastDay = 3652059;
constexpr std::size_t maxDigits = 64;

// Text stops at its terminating zero; blanks and control characters around it go.
std::string trimmedText(std::span<const std::uint8_t> bytes)
{
    const auto end = std::find(bytes.begin(), bytes.end(), 0);
    auto first = bytes.begin();
    auto last = end;
    while (first != last && *first <= ' ')
        ++first;
    while (last != first && *(last - 1) <= ' ')
        --last;
    return std::string(first, last);
}

Variant unsignedValue(std::uint64_t value)
{
    if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return Variant(static_cast<std::int32_t>(value));
    if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return Variant(static_cast<std::int64_t>(value));
    return Variant(std::to_string(value)); // no signed kind holds it: its digits, exact
}

template <class TNumber> [[noreturn]] void noDate(const char *what, TNumber value)
{
    throw EVariantError(std::string("The DBISAM ") + what + " " + std::to_string(value) + " is no calendar date");
}

// Day 1 is 1 January of year 1.
double dayCountToDate(std::int64_t day)
{
    if (day < 1 || day > lastDay)
        noDate("day count", day);
    return static_cast<double>(day - dayOneToEngineDays);
}

Variant timeValue(std::int32_t ms)
{
    if (ms < 0 || ms >= msPerDay)
        noDate("time", ms);
    return Variant::DateTime(static_cast<double>(ms) / msPerDay);
}

// Milliseconds from the start of day 0, so that 86400000 begins 1 January of year 1.
Variant timestampValue(double stored)
{
    if (!std::isfinite(stored) || stored < msPerDay || stored >= static_cast<double>((lastDay + 1) * msPerDay))
        noDate("timestamp", stored);
    const auto ms = static_cast<std::int64_t>(std::llround(stored));
    const double date = dayCountToDate(ms / msPerDay);
    const double time = static_cast<double>(ms % msPerDay) / msPerDay;
    // Before the engine's day 0 the time still counts forward from midnight.
    return Variant::DateTime(date >= 0 ? date + time : date - time);
}

} // namespace

TAlignment FieldAlignment(int type)
{
    switch (type) {
    case 2:
    case 5:
    case 6:
    case 7:
    case 8:
    case 10:
    case 11:
    case 12:
    case 13:
    case 18:
    case 19: return TAlignment::taRightJustify;
    default: return TAlignment::taLeftJustify;
    }
}

TVxIDataType FieldDataType(int type, int subType)
{
    switch (type) {
    case 1: return TVxIDataType::itString;
    case 2: return TVxIDataType::itDate;
    case BlobType:
        if (subType == 22 || subType == 24 || subType == 33)
            return TVxIDataType::itMEMO;
        return subType == 26 ? TVxIDataType::itGraphic : TVxIDataType::itBLOB;
    case 4: return TVxIDataType::itBoolean;
    case 5:
    case 6:
    case 12:
    case 13:
    case 18:
    case 19: return TVxIDataType::itInteger;
    case 7:
    case 8:
    case 14: return TVxIDataType::itFloat;
    case 10: return TVxIDataType::itTime;
    case 11: return TVxIDataType::itDateTime;
    default: return TVxIDataType::itString;
    }
}

double PackedDecimal(std::span<const std::uint8_t> bytes)
{
    const TByteView data(bytes);
    const std::size_t precision = data.U8(0);
    const std::size_t decimals = data.U8(1) & 0x3F;
    const bool negative = (data.U8(1) & 0x80) != 0;
    if (precision == 0 || precision > maxDigits || decimals > precision)
        return 0.0;
    std::string text = negative ? "-" : "";
    for (std::size_t i = 0; i < precision; ++i) {
        if (i == precision - decimals)
            text += '.';
        const std::uint8_t pair = data.U8(2 + i / 2);
        const int digit = i % 2 == 0 ? pair >> 4 : pair & 0x0F;
        if (digit > 9)
            return 0.0;
        text += static_cast<char>('0' + digit);
    }
    // The digits read as one decimal number: a double as near to it as one can be.
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

Variant DecodeValue(const TDBISAMField &field, std::span<const std::uint8_t> bytes, TAlignment &alignment)
{
    const TByteView data(bytes);
    alignment = FieldAlignment(field.Type);
    switch (field.Type) {
    case 1: return Variant(trimmedText(bytes));
    case 2: {
        const std::int32_t day = data.I32(0);
        return day == 0 ? Variant() : Variant::DateTime(dayCountToDate(day));
    }
    case 4: return Variant(data.U8(0) != 0);
    case 5: return Variant(static_cast<std::int32_t>(data.I16(0)));
    case 6: return Variant(data.I32(0));
    case 7: return Variant(data.F64(0));
    case 8: return Variant(PackedDecimal(data.Slice(0, 34)));
    case 10: return timeValue(data.I32(0));
    case 11: return timestampValue(data.F64(0));
    case 12: return Variant(static_cast<std::int32_t>(data.U16(0)));
    case 13: {
        // As wide as the field, up to four bytes; the missing high bytes are 0.
        std::uint32_t value = 0;
        const std::size_t width = std::min<std::size_t>(bytes.size(), 4);
        for (std::size_t i = width; i > 0; --i)
            value = value << 8 | bytes[i - 1];
        return unsignedValue(value);
    }
    case 18: return Variant(static_cast<std::int64_t>(data.U64(0)));
    case 19: return unsignedValue(data.U64(0));
    default: alignment = TAlignment::taLeftJustify; return {};
    }
}

} // namespace sources::dbisam
