#include "values/StringList.h"

#include <algorithm>
#include <cctype>

namespace Text {

std::string Upper(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return std::toupper(c); });
    return r;
}

std::string Lower(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return std::tolower(c); });
    return r;
}

static bool blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string TrimLeft(std::string_view s)
{
    std::size_t b = 0;
    while (b < s.size() && blank(s[b]))
        ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0 && blank(s[e - 1]))
        --e;
    return std::string(s.substr(0, e));
}

std::string_view TrimmedView(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (e > 0 && blank(s[e - 1]))
        --e;
    while (b < e && blank(s[b]))
        ++b;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s) { return std::string(TrimmedView(s)); }

bool SameText(std::string_view a, std::string_view b)
{
    // ASCII only, as the names compared here are; no locale lookup per character.
    const auto up = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](unsigned char x, unsigned char y) { return up(x) == up(y); });
}

} // namespace Text

std::string TStringList::Text() const
{
    std::string text;
    for (const std::string &line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(std::string_view text)
{
    lines_.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines_.emplace_back(text.substr(start));
            break;
        }
        lines_.emplace_back(text.substr(start, end - start));
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

std::string TStringList::Names(int i) const
{
    const std::string &line = (*this)[i];
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int i) const
{
    const std::string &line = (*this)[i];
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

int TStringList::IndexOfName(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string &line = lines_[static_cast<std::size_t>(i)];
        const auto eq = line.find('=');
        if (eq != std::string::npos && Text::SameText(std::string_view(line).substr(0, eq), name))
            return i;
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(std::string_view name, const std::string &value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    std::string line = std::string(name) + "=" + value;
    if (i >= 0)
        lines_[static_cast<std::size_t>(i)] = std::move(line);
    else
        lines_.push_back(std::move(line));
}
