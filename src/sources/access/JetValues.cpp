#include "sources/access/JetValues.h"

#include "sources/common/TextDecode.h"

#include <charconv>

namespace sources::access {

namespace {

constexpr std::int64_t TicksPerDay = 864000000000;
constexpr std::int64_t DayZeroToEngineDays = 693593;

} // namespace

std::string JetText(std::span<const unsigned char> bytes)
{
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE)
        return sources::Utf16LeToUtf8(bytes);
    std::string text;
    bool compressed = true;
    std::size_t start = 2;
    const auto segment = [&](std::size_t end) {
        const auto run = bytes.subspan(start, end - start);
        if (compressed) {
            for (unsigned char c : run)
                sources::AppendUtf8(text, c);
        } else {
            text += sources::Utf16LeToUtf8(run);
        }
    };
    for (std::size_t i = 2; i < bytes.size(); ++i) {
        if (bytes[i] != 0)
            continue;
        segment(i);
        compressed = !compressed;
        start = i + 1;
    }
    segment(bytes.size());
    return text;
}

Variant ExtendedDateTime(std::span<const unsigned char> bytes)
{
    const std::string text(bytes.begin(), bytes.end());
    std::int64_t day = -1, ticks = -1;
    const auto number = [&text](std::size_t at, std::int64_t &value) {
        return text.size() >= at + 19 &&
               std::from_chars(text.data() + at, text.data() + at + 19, value).ptr == text.data() + at + 19;
    };
    if (!number(0, day) || text[19] != ':' || !number(20, ticks) || ticks < 0 || ticks >= TicksPerDay || day < 0 ||
        day > 3652058)
        throw EAccessError("An extended date of the Access database is damaged: " + text.substr(0, 42));
    const double date = static_cast<double>(day - DayZeroToEngineDays);
    const double time = static_cast<double>(ticks) / static_cast<double>(TicksPerDay);
    // Before the engine's day 0 the time still counts forward from midnight.
    return Variant::DateTime(date >= 0 ? date + time : date - time);
}

} // namespace sources::access
