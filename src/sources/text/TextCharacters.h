#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// What a fixed-width position counts. Text decoded from UTF-16 and text written as UTF-8
// count characters, so an "é" before a field does not shift it; single-byte code pages
// (and a line that is no valid UTF-8, which can only be one) count bytes.
enum class TPositionUnit { puCharacter, puByte };

// Whether the text is well-formed UTF-8: no stray continuation bytes, overlong forms,
// surrogates or code points beyond U+10FFFF.
bool IsValidUtf8(std::string_view text);

// A line seen as a row of characters, 1-based. Pure ASCII and single-byte lines are their
// bytes; a UTF-8 line with other characters keeps where each character starts.
class TLineCharacters {
public:
    TLineCharacters(std::string_view line, TPositionUnit unit);

    int Count() const { return count_; }
    // The first byte of character i (1 <= i <= Count()): enough to compare it with an
    // ASCII delimiter or qualifier, which never occurs inside a multi-byte character.
    char Lead(int i) const { return line_[Offset(i)]; }
    // Characters from..to, both included; empty when to < from or from lies beyond the line.
    std::string_view Part(int from, int to) const;

private:
    std::size_t Offset(int i) const
    {
        return starts_.empty() ? static_cast<std::size_t>(i - 1) : starts_[static_cast<std::size_t>(i - 1)];
    }

    std::string_view line_;
    int count_ = 0;
    std::vector<std::uint32_t> starts_; // empty when characters are bytes
};

// Characters from..to (1-based, inclusive) of a line, as TLineCharacters would give them,
// without its list of offsets: an ASCII start is cut at once, other lines are walked.
std::string_view CharacterPart(std::string_view line, int from, int to, TPositionUnit unit);
