#include "sources/text/TextCharacters.h"

#include <algorithm>
#include <cstring>

namespace {

// Whether the first n bytes are all below 0x80, eight at a time.
bool asciiPrefix(std::string_view text, std::size_t n)
{
    const char *p = text.data();
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

// Bytes of the well-formed UTF-8 sequence starting at `at`, or 0 when there is none.
std::size_t sequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b0 = byte(at);
    if (b0 < 0x80)
        return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0)
            low = 0xA0; // overlong
        else if (b0 == 0xED)
            high = 0x9F; // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0)
            low = 0x90;
        else if (b0 == 0xF4)
            high = 0x8F; // beyond U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(at + k) < 0x80 || byte(at + k) > 0xBF)
            return 0;
    return length;
}

} // namespace

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = sequenceLength(text, at);
        if (n == 0)
            return false;
        at += n;
    }
    return true;
}

TLineCharacters::TLineCharacters(std::string_view line, TPositionUnit unit) : line_(line)
{
    if (unit == TPositionUnit::puByte || asciiPrefix(line, line.size()) || !IsValidUtf8(line)) {
        count_ = static_cast<int>(line.size());
        return;
    }
    starts_.reserve(line.size());
    for (std::size_t at = 0; at < line.size(); at += sequenceLength(line, at))
        starts_.push_back(static_cast<std::uint32_t>(at));
    count_ = static_cast<int>(starts_.size());
}

std::string_view TLineCharacters::Part(int from, int to) const
{
    if (from < 1 || to < from || from > count_)
        return {};
    const std::size_t begin = Offset(from);
    const std::size_t end = to >= count_ ? line_.size() : Offset(to + 1);
    return line_.substr(begin, end - begin);
}

std::string_view CharacterPart(std::string_view line, int from, int to, TPositionUnit unit)
{
    if (from < 1 || to < from)
        return {};
    const std::size_t reach = std::min<std::size_t>(static_cast<std::size_t>(to), line.size());
    if (unit == TPositionUnit::puByte || asciiPrefix(line, reach)) {
        if (static_cast<std::size_t>(from) > line.size())
            return {};
        const std::size_t start = static_cast<std::size_t>(from - 1);
        return line.substr(start, reach - start);
    }
    if (!IsValidUtf8(line))
        return line.substr(std::min<std::size_t>(static_cast<std::size_t>(from - 1), line.size()),
                           static_cast<std::size_t>(to - from + 1));
    // Walk the characters up to the part's end, without keeping where each one starts.
    std::size_t begin = 0;
    int character = 1;
    for (; begin < line.size() && character < from; ++character)
        begin += sequenceLength(line, begin);
    std::size_t end = begin;
    for (; end < line.size() && character <= to; ++character)
        end += sequenceLength(line, end);
    return line.substr(begin, end - begin);
}
