#include "sources/advantage/AdtFieldValue.h"

#include "sources/common/ByteView.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace sources::advantage {

namespace {

constexpr double msPerDay = 86400000.0;
// A double field holding these bytes has no value.
constexpr std::uint64_t nullDouble = 0x8000000000000020ull;

bool isBlankOrControl(std::uint8_t c) { return c <= ' '; }

// The bytes without blanks and control characters at either end.
std::string_view trimmed(std::span<const std::uint8_t> bytes)
{
    std::size_t first = 0, last = bytes.size();
    while (first < last && isBlankOrControl(bytes[first]))
        ++first;
    while (last > first && isBlankOrControl(bytes[last - 1]))
        --last;
    return {reinterpret_cast<const char *>(bytes.data()) + first, last - first};
}

bool allBlankOrControl(std::span<const std::uint8_t> bytes) { return trimmed(bytes).empty(); }

Variant numericText(std::string_view text, int decimals)
{
    if (text.empty())
        return {};
    if (text.front() == '+')
        text.remove_prefix(1);
    if (decimals == 0) {
        std::int64_t whole = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), whole);
        if (error == std::errc() && end == text.data() + text.size())
            return whole >= INT32_MIN && whole <= INT32_MAX ? Variant(static_cast<std::int32_t>(whole))
                                                            : Variant(whole);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return {};
    return Variant(value);
}

Variant dateText(std::string_view text)
{
    int year = 0, month = 0, day = 0;
    const auto number = [](std::string_view digits, int &value) {
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return error == std::errc() && end == digits.data() + digits.size();
    };
    double date = 0;
    if (text.size() != 8 || !number(text.substr(0, 4), year) || !number(text.substr(4, 2), month) ||
        !number(text.substr(6, 2), day) || !TryEncodeDate(year, month, day, date))
        return {};
    return Variant::DateTime(date);
}

} // namespace

double JulianDayToDate(std::int64_t julianDay)
{
    // Fliegel and Van Flandern's conversion to the Gregorian calendar.
    std::int64_t l = julianDay + 68569;
    const std::int64_t n = 4 * l / 146097;
    l -= (146097 * n + 3) / 4;
    const std::int64_t i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    const std::int64_t j = 80 * l / 2447;
    const std::int64_t day = l - 2447 * j / 80;
    l = j / 11;
    const std::int64_t month = j + 2 - 12 * l;
    const std::int64_t year = 100 * (n - 49) + i + l;
    if (year < 1 || year > 9999)
        throw EVariantError("The Julian day number " + std::to_string(julianDay) + " is no calendar date");
    return EncodeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
}

bool IsBlobField(int type) { return type >= 5 && type <= 8; }

TAlignment FieldAlignment(int type)
{
    switch (type) {
    case 2:
    case 10:
    case 11:
    case 12:
    case 15:
    case 17: return TAlignment::taRightJustify;
    default: return TAlignment::taLeftJustify;
    }
}

TVxIDataType FieldDataType(int type)
{
    switch (type) {
    case 1: return TVxIDataType::itBoolean;
    case 2:
    case 10:
    case 17: return TVxIDataType::itFloat;
    case 3:
    case 9: return TVxIDataType::itDate;
    case 5: return TVxIDataType::itMEMO;
    case 6:
    case 8:
    case 16: return TVxIDataType::itBLOB;
    case 7: return TVxIDataType::itGraphic;
    case 11:
    case 12:
    case 15: return TVxIDataType::itInteger;
    case 13: return TVxIDataType::itTime;
    case 14: return TVxIDataType::itDateTime;
    default: return TVxIDataType::itString;
    }
}

Variant DecodeFieldValue(const TADTField &field, std::span<const std::uint8_t> bytes)
{
    const TByteView data(bytes);
    switch (field.Type) {
    case 1: return Variant(std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()) == "T");
    case 2: return numericText(trimmed(bytes), field.Decimals);
    case 3: {
        const std::uint32_t day = data.U32(0);
        return day == 0 ? Variant() : Variant::DateTime(JulianDayToDate(day));
    }
    case 4: return Variant(std::string(trimmed(bytes)));
    case 9: return dateText(trimmed(bytes));
    case 10:
    case 17: {
        // Only the null pattern is no value: eight zero bytes are the number 0.
        const std::uint64_t bits = data.U64(0);
        return bits == nullDouble ? Variant() : Variant(DoubleFromBits(bits));
    }
    case 11:
    case 15: return Variant(data.I32(0));
    case 12: {
        // A signed short: 8000 hex, which no value can hold, marks the null.
        const std::int16_t value = data.I16(0);
        return value == INT16_MIN ? Variant() : Variant(static_cast<std::int32_t>(value));
    }
    case 13:
        if (allBlankOrControl(bytes.first(4)))
            return {};
        return Variant::DateTime(data.U32(0) / msPerDay);
    case 14: {
        const std::uint32_t day = data.U32(0);
        if (allBlankOrControl(bytes.first(8)) || day == 0)
            return {};
        return Variant::DateTime(JulianDayToDate(day) + data.U32(4) / msPerDay);
    }
    default: return {}; // 0, 16 and the codes past 17 have no decoding
    }
}

} // namespace sources::advantage
