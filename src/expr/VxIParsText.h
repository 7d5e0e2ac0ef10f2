#pragma once

#include <cstddef>
#include <string_view>

// Character helpers shared by the expression units. Names compare by ASCII case only:
// the language's names are ASCII, and bytes above 127 must compare as they are.
namespace vxipars {

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

// Blanks are the space and the control characters other than NUL, which the tokenizer
// refuses as illegal wherever it stands.
inline bool IsBlank(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u != 0 && u <= ' ';
}

inline std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace vxipars
