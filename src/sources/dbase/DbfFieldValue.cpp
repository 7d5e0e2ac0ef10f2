#include "sources/dbase/DbfFieldValue.h"

#include "sources/common/ByteView.h"
#include "sources/common/TableText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace sources::dbase {

namespace {

constexpr double msPerDay = 86400000.0;
// Day 1 of the count that starts on 1 January of year 1 is 693594 days before the engine's
// day 0 (30 December 1899); the Julian day number of that 1 January is 1721425 + 1.
constexpr std::int64_t dayOneToEngineDays = 693594;
constexpr std::int64_t julianDayOfDayZero = 1721425;

std::string_view asText(std::span<const std::uint8_t> bytes)
{
    return {reinterpret_cast<const char *>(bytes.data()), bytes.size()};
}

bool digits(std::string_view text, int &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

Variant dateValue(std::string_view text)
{
    int year = 0, month = 0, day = 0;
    double date = 0;
    if (text.size() < 8 || !digits(text.substr(0, 4), year) || !digits(text.substr(4, 2), month) ||
        !digits(text.substr(6, 2), day) || !TryEncodeDate(year, month, day, date))
        return {};
    return Variant::DateTime(date);
}

Variant numberValue(std::string_view text, int decimals)
{
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return {};
    if (decimals == 0)
        value = std::nearbyint(value); // halves go to the even neighbour
    return Variant(value);
}

Variant unsignedValue(std::uint64_t value)
{
    if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return Variant(static_cast<std::int32_t>(value));
    return Variant(static_cast<std::int64_t>(value));
}

// Big-endian with the top bit inverted, so that the bytes sort as the numbers do.
Variant signOrderedLong(const std::uint8_t *p)
{
    const std::uint32_t stored = sources::BE32(p);
    if (stored == 0)
        return Variant(std::int32_t{0});
    return Variant(static_cast<std::int32_t>(stored ^ 0x80000000u));
}

Variant integerValue(std::span<const std::uint8_t> bytes, TDBFVersion version)
{
    if (bytes.size() < 4)
        return {};
    if (IsFoxProFamily(version))
        return Variant(static_cast<std::int32_t>(sources::LE32(bytes.data())));
    return signOrderedLong(bytes.data());
}

Variant autoIncrementValue(std::span<const std::uint8_t> bytes, TDBFVersion version)
{
    if (bytes.size() < 4)
        return {};
    // dBase 7, the only version with this type, stores it as its long integers
    if (IsDBase7(version))
        return signOrderedLong(bytes.data());
    return unsignedValue(sources::LE32(bytes.data()));
}

Variant shortIntegerValue(std::span<const std::uint8_t> bytes)
{
    std::uint32_t value = 0;
    const std::size_t n = std::min<std::size_t>(bytes.size(), 4);
    for (std::size_t i = 0; i < n; ++i)
        value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return Variant(static_cast<std::int32_t>(value));
}

Variant doubleValue(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 8)
        return {};
    return Variant(sources::DoubleFromBits(sources::LE64(bytes.data())));
}

// Big-endian with sign-ordered bits: positive numbers have their sign bit set, negative
// ones every bit inverted.
Variant signOrderedDouble(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 8)
        return {};
    const std::uint64_t pattern = sources::BE64(bytes.data());
    if (pattern == 0)
        return Variant(0.0);
    if (static_cast<std::int64_t>(pattern) < 0)
        return Variant(-sources::DoubleFromBits(pattern));
    return Variant(sources::DoubleFromBits(~pattern));
}

Variant currencyValue(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 8)
        return {};
    return Variant(static_cast<double>(static_cast<std::int64_t>(sources::LE64(bytes.data()))) / 10000.0);
}

// A date beyond the years 1 to 9999 is no date a destination can take: such a field reads
// as empty, like one that holds nothing.
Variant dateTimeFromDayOne(std::int64_t dayNumber, double msOfDay)
{
    constexpr double firstDay = -693593.0; // 0001-01-01
    constexpr double lastDay = 2958466.0;  // the day after 9999-12-31
    const double days = static_cast<double>(dayNumber - dayOneToEngineDays) + msOfDay / msPerDay;
    if (!(days >= firstDay && days < lastDay))
        return {};
    return Variant::DateTime(days);
}

Variant timestampValue(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 8)
        return {};
    // writers that sign-order the double leave its sign bit set; the count is never negative
    const double ms = std::round(std::fabs(sources::DoubleFromBits(sources::BE64(bytes.data()))));
    // Beyond any 64-bit count (and far beyond the last date) the count has no integer.
    if (ms == 0 || !std::isfinite(ms) || ms >= 9.0e18)
        return {};
    const auto total = static_cast<std::int64_t>(ms);
    const std::int64_t perDay = static_cast<std::int64_t>(msPerDay);
    return dateTimeFromDayOne(total / perDay, static_cast<double>(total % perDay));
}

Variant timeOfDayValue(std::string_view text)
{
    int hour = 0, minute = 0, second = 0;
    double time = 0;
    if (!digits(text.substr(0, 2), hour) || !digits(text.substr(2, 2), minute) || !digits(text.substr(4, 2), second) ||
        !TryEncodeTime(hour, minute, second, 0, time))
        return {};
    return Variant::DateTime(time);
}

Variant julianDateTimeValue(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 8)
        return {};
    const auto julian = static_cast<std::int32_t>(sources::LE32(bytes.data()));
    const std::uint32_t ms = sources::LE32(bytes.data() + 4);
    // an empty date-time is written as zeros, which would otherwise be a day in 4713 BC
    if (julian == 0 && ms == 0)
        return {};
    return dateTimeFromDayOne(julian - julianDayOfDayZero, static_cast<double>(ms));
}

Variant timeValue(const TDBFField &field, std::span<const std::uint8_t> bytes)
{
    if (bytes[0] == ' ')
        return {};
    if (field.Length == 6)
        return timeOfDayValue(asText(bytes));
    return julianDateTimeValue(bytes);
}

} // namespace

bool IsMemoReference(char type, TDBFVersion version)
{
    if (type == 'B')
        return !IsVisualFoxPro(version);
    return type == 'M' || type == 'G' || type == 'P';
}

bool IsTextMemo(char type) { return type == 'M'; }

bool IsBlank(std::span<const std::uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == ' '; });
}

std::uint64_t MemoBlockNumber(std::span<const std::uint8_t> bytes, TDBFVersion version)
{
    if (IsVisualFoxPro(version) || version == TDBFVersion::HyperSix)
        return bytes.size() >= 4 ? sources::LE32(bytes.data()) : 0;
    const std::string_view text = trimBlanks(asText(bytes));
    std::uint64_t block = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), block);
    return error == std::errc() && end == text.data() + text.size() ? block : 0;
}

Variant DecodeFieldValue(const TDBFField &field, std::span<const std::uint8_t> bytes, TDBFVersion version,
                         const sources::TTableText &text)
{
    if (IsBlank(bytes))
        return {};
    switch (field.Type) {
    case 'D': return dateValue(asText(bytes));
    case 'N':
    case 'F': return numberValue(asText(bytes), field.Decimals);
    case 'L': return Variant(asText(bytes) == "T");
    case 'I': return integerValue(bytes, version);
    case '+': return autoIncrementValue(bytes, version);
    case '2':
    case '4': return shortIntegerValue(bytes);
    case '8': return doubleValue(bytes);
    case 'B': return doubleValue(bytes); // Visual FoxPro; elsewhere a memo reference
    case 'O': return signOrderedDouble(bytes);
    case 'Y': return currencyValue(bytes);
    case '@': return timestampValue(bytes);
    case 'T': return timeValue(field, bytes);
    case '0': return {};
    default: return Variant(text.Decode(bytes));
    }
}

TAlignment FieldAlignment(char type)
{
    return type == 'O' || type == 'Y' ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
}

TVxIDataType FieldDataType(char type, TDBFVersion version)
{
    switch (type) {
    case '+':
    case '2':
    case '4':
    case '8':
    case 'I': return TVxIDataType::itInteger;
    case 'F':
    case 'N':
    case 'O':
    case 'Y': return TVxIDataType::itFloat;
    case '@': return TVxIDataType::itDateTime;
    case 'D': return TVxIDataType::itDate;
    case 'T': return TVxIDataType::itTime;
    case 'L': return TVxIDataType::itBoolean;
    case 'B': return IsVisualFoxPro(version) ? TVxIDataType::itFloat : TVxIDataType::itBLOB;
    case '0':
    case 'G': return TVxIDataType::itBLOB;
    case 'M': return TVxIDataType::itMEMO;
    case 'P': return TVxIDataType::itGraphic;
    default: return TVxIDataType::itString;
    }
}

} // namespace sources::dbase
