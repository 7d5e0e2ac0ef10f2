#include "expr/VxIParsErrors.h"

namespace {

// Replaces the first occurrence of a two-character placeholder; later ones stay for the next fill.
void Fill(std::string &out, std::string_view placeholder, std::string_view value)
{
    const std::size_t at = out.find(placeholder);
    if (at != std::string::npos)
        out.replace(at, placeholder.size(), value);
}

} // namespace

std::string FormatParserText(std::string_view format, std::string_view text)
{
    std::string out(format);
    Fill(out, "%s", text);
    return out;
}

std::string FormatParserText(std::string_view format, std::string_view text, long long number)
{
    std::string out = FormatParserText(format, text);
    Fill(out, "%d", std::to_string(number));
    return out;
}

std::string FormatParserText(std::string_view format, long long number)
{
    std::string out(format);
    Fill(out, "%d", std::to_string(number));
    return out;
}

void ThrowParserError(std::string_view text) { throw EVxIParserError(std::string(text)); }
