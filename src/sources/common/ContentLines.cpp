#include "sources/common/ContentLines.h"

#include "sources/common/TextDecode.h"
#include "values/DateMask.h"
#include "values/StringList.h"

#include <algorithm>
#include <cstdint>
#include <exception>

namespace sources {

namespace {

constexpr std::size_t npos = std::string::npos;

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool startsWithText(std::string_view text, std::string_view lead)
{
    return text.size() >= lead.size() && Text::SameText(text.substr(0, lead.size()), lead);
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// ---------------------------------------------------------------- the text and its lines

// Address books exported on Windows may be UTF-16; everything else reads as bytes.
std::string unicodeText(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        return std::string(text.substr(3));
    if (text.size() < 2)
        return std::string(text);
    const auto b0 = static_cast<std::uint8_t>(text[0]), b1 = static_cast<std::uint8_t>(text[1]);
    const bool little = (b0 == 0xFF && b1 == 0xFE) || (b0 != 0 && b1 == 0);
    const bool big = (b0 == 0xFE && b1 == 0xFF) || (b0 == 0 && b1 != 0);
    std::string out;
    if ((!little && !big) || !ConvertToUtf8(text, little ? "UTF-16LE" : "UTF-16BE", out))
        return std::string(text);
    if (out.starts_with("\xEF\xBB\xBF"))
        out.erase(0, 3);
    return out;
}

std::vector<std::string_view> physicalLines(std::string_view text)
{
    const char end = text.find('\n') != npos ? '\n' : '\r';
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t stop = text.find(end, start);
        std::string_view line = text.substr(start, stop == npos ? npos : stop - start);
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (stop == npos)
            return lines;
        start = stop + 1;
    }
}

// ---------------------------------------------------------------- the name part

std::vector<std::string_view> splitUnquoted(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == separator && !quoted) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string withoutQuotes(std::string_view text)
{
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c != '"'; });
    return out;
}

bool isEncodingWord(const std::string &word)
{
    return word == "QUOTED-PRINTABLE" || word == "BASE64" || word == "B" || word == "7BIT" || word == "8BIT";
}

// "item1.TEL;TYPE=home;VOICE" into group, name and parameters.
void parseNamePart(std::string_view namePart, TContentLine &line)
{
    const std::vector<std::string_view> tokens = splitUnquoted(namePart, ';');
    const std::string_view name = trimBlanks(tokens.front());
    const std::size_t dot = name.rfind('.');
    line.Group = dot == npos ? std::string() : std::string(name.substr(0, dot));
    line.Name = Text::Upper(dot == npos ? name : name.substr(dot + 1));
    line.Parameters.clear();
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        const std::string_view token = trimBlanks(tokens[i]);
        if (token.empty())
            continue;
        const std::size_t equals = token.find('=');
        TContentParameter parameter;
        if (equals == npos) {
            parameter.Value = withoutQuotes(token);
            parameter.Name = isEncodingWord(Text::Upper(parameter.Value)) ? "ENCODING" : "TYPE";
        } else {
            parameter.Name = Text::Upper(trimBlanks(token.substr(0, equals)));
            parameter.Value = withoutQuotes(trimBlanks(token.substr(equals + 1)));
        }
        line.Parameters.push_back(std::move(parameter));
    }
}

std::string decodeQuotedPrintable(std::string_view text)
{
    auto hex = [](char c) -> int {
        if (isDigit(c))
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i]; // a lone "=" is kept as written
        }
    }
    return out;
}

// ---------------------------------------------------------------- one logical line

// A property line as its physical lines are joined. The colon that ends the name part is
// looked for only in what was added since the last look, and once found, the parameters
// tell whether a trailing "=" is a quoted-printable soft break: joining stays linear in
// the length of the line.
class TLogicalLine {
public:
    void Start(std::string_view text)
    {
        text_.assign(text);
        colon_ = npos;
        scanned_ = 0;
        quoted_ = false;
        quotedPrintable_ = false;
        Scan();
    }

    void Continue(std::string_view more)
    {
        text_.append(more);
        Scan();
    }

    bool EndsWithSoftBreak() const { return quotedPrintable_ && text_.size() > colon_ + 1 && text_.back() == '='; }
    void DropSoftBreak() { text_.pop_back(); }

    bool Finish(TContentLine &line)
    {
        // An unbalanced quote in the parameters: the first colon of all ends the name part.
        const std::size_t colon = colon_ != npos ? colon_ : text_.find(':');
        if (colon == npos || colon == 0)
            return false;
        const std::string_view text(text_);
        if (colon_ == npos)
            parseNamePart(text.substr(0, colon), parsed_);
        line = std::move(parsed_);
        if (line.Name.empty())
            return false;
        line.NamePart = ContentTextToUtf8(text.substr(0, colon), {});
        for (TContentParameter &parameter : line.Parameters)
            parameter.Value = ContentTextToUtf8(parameter.Value, {});
        const std::string encoding = Text::Upper(line.Parameter("ENCODING"));
        std::string value(text.substr(colon + 1));
        if (encoding == "QUOTED-PRINTABLE")
            value = decodeQuotedPrintable(value);
        line.Binary = encoding == "BASE64" || encoding == "B";
        line.Value = line.Binary ? std::move(value) : ContentTextToUtf8(value, line.Parameter("CHARSET"));
        return true;
    }

private:
    void Scan()
    {
        if (colon_ != npos)
            return;
        for (; scanned_ < text_.size(); ++scanned_) {
            const char c = text_[scanned_];
            if (c == '"') {
                quoted_ = !quoted_;
            } else if (c == ':' && !quoted_) {
                colon_ = scanned_;
                parseNamePart(std::string_view(text_).substr(0, colon_), parsed_);
                quotedPrintable_ = Text::SameText(parsed_.Parameter("ENCODING"), "QUOTED-PRINTABLE");
                return;
            }
        }
    }

    std::string text_;
    TContentLine parsed_; // the name part's group, name and parameters, once the colon is found
    std::size_t colon_ = npos;
    std::size_t scanned_ = 0;
    bool quoted_ = false;
    bool quotedPrintable_ = false;
};

// A soft break never swallows the line that closes or opens a card or an event: a value
// that merely ends in "=" must not take the rest of the file with it.
bool opensOrCloses(std::string_view line) { return startsWithText(line, "END:") || startsWithText(line, "BEGIN:"); }

} // namespace

// ---------------------------------------------------------------- TContentLine

std::string TContentLine::Parameter(std::string_view name) const
{
    for (const TContentParameter &parameter : Parameters)
        if (Text::SameText(parameter.Name, name))
            return parameter.Value;
    return {};
}

bool TContentLine::HasParameter(std::string_view name) const
{
    return std::any_of(Parameters.begin(), Parameters.end(),
                       [&](const TContentParameter &p) { return Text::SameText(p.Name, name); });
}

bool TContentLine::HasType(std::string_view word) const
{
    for (const TContentParameter &parameter : Parameters) {
        if (parameter.Name != "TYPE")
            continue;
        for (std::string_view type : splitUnquoted(parameter.Value, ','))
            if (Text::SameText(trimBlanks(type), word))
                return true;
    }
    return false;
}

bool TContentLine::ValueIs(std::string_view word) const { return Text::SameText(trimBlanks(Value), word); }

// ---------------------------------------------------------------- reading

std::vector<TContentLine> ReadContentLines(std::string_view input)
{
    const std::string text = unicodeText(input);
    const std::vector<std::string_view> lines = physicalLines(text);
    std::vector<TContentLine> result;
    TLogicalLine logical;
    for (std::size_t i = 0; i < lines.size();) {
        // A blank line ends a property; what follows it starts a new one, even indented.
        // Blanks at the end stay: before a fold they are part of the value.
        std::string_view first = lines[i++];
        if (trimBlanks(first).empty())
            continue;
        while (isBlank(first.front()))
            first.remove_prefix(1);
        logical.Start(first);
        while (i < lines.size()) {
            const std::string_view next = lines[i];
            if (logical.EndsWithSoftBreak() && !opensOrCloses(next)) {
                logical.DropSoftBreak();
                logical.Continue(next);
            } else if (!next.empty() && isBlank(next.front())) {
                logical.Continue(next.substr(1));
            } else {
                break;
            }
            ++i;
        }
        TContentLine line;
        if (logical.Finish(line))
            result.push_back(std::move(line));
    }
    return result;
}

// ---------------------------------------------------------------- values

std::string UnescapeText(std::string_view value, bool full)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const char next = i + 1 < value.size() ? value[i + 1] : '\0';
        if (c != '\\' || next == '\0') {
            out += c;
        } else if (!full) {
            if (next == ';')
                ++i;
            out += next == ';' ? ';' : c;
        } else if (next == 'n' || next == 'N') {
            out += '\n';
            ++i;
        } else if (next == ',' || next == ';' || next == ':' || next == '\\') {
            out += next;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> SplitComponents(std::string_view value)
{
    std::vector<std::string> components(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            components.back() += value[i];
            components.back() += value[++i];
        } else if (value[i] == ';') {
            components.emplace_back();
        } else {
            components.back() += value[i];
        }
    }
    return components;
}

namespace {

bool allDigits(std::string_view text) { return std::all_of(text.begin(), text.end(), isDigit); }

int number(std::string_view digits)
{
    int n = 0;
    for (char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

// yyyymmdd from yyyymmdd or yyyy-mm-dd; empty when it is neither or no calendar day.
std::string basicDate(std::string_view date)
{
    std::string digits;
    if (date.size() == 10 && date[4] == '-' && date[7] == '-')
        digits = std::string(date.substr(0, 4)) + std::string(date.substr(5, 2)) + std::string(date.substr(8, 2));
    else
        digits = std::string(date);
    if (digits.size() != 8 || !allDigits(digits))
        return {};
    const int month = number(digits.substr(4, 2)), day = number(digits.substr(6, 2));
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return {};
    return digits;
}

// hhnnss from hh, hhnn, hhnnss (colons allowed) with a fraction, Z or an offset after it;
// empty when it is none of these or no clock time.
std::string basicTime(std::string_view time)
{
    const std::size_t end = time.find_first_of(".,Zz+-");
    std::string digits;
    for (char c : time.substr(0, end))
        if (c != ':')
            digits += c;
    if ((digits.size() != 2 && digits.size() != 4 && digits.size() != 6) || !allDigits(digits))
        return {};
    digits.resize(6, '0');
    if (number(digits.substr(0, 2)) > 23 || number(digits.substr(2, 2)) > 59 || number(digits.substr(4, 2)) > 59)
        return {};
    return digits;
}

} // namespace

bool ParseContentDateTime(std::string_view text, double &dateTime)
{
    text = trimBlanks(text);
    const std::size_t t = text.find_first_of("Tt");
    const std::string date = basicDate(text.substr(0, t));
    if (date.empty())
        return false;
    std::string value = date;
    if (t != npos) {
        const std::string time = basicTime(text.substr(t + 1));
        if (time.empty())
            return false;
        value += "T" + time;
    }
    try {
        const double parsed = ParseDateTimeByMask(value, "yyyymmddThhnnssZ", '/', ':');
        if (parsed == 0)
            return false;
        dateTime = parsed;
        return true;
    } catch (const std::exception &) {
        return false; // 31 February, year 0
    }
}

std::string ContentTextToUtf8(std::string_view bytes, const std::string &charset)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<std::uint8_t>(c) < 0x80; }))
        return std::string(bytes);
    std::string out;
    if (!charset.empty() && ConvertToUtf8(bytes, charset, out))
        return out;
    if (ConvertToUtf8(bytes, "UTF-8", out) && out == bytes)
        return out;
    if (ConvertToUtf8(bytes, "CP1252", out))
        return out;
    return std::string(bytes);
}

std::size_t Utf8Length(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<std::uint8_t>(c) & 0xC0) != 0x80; }));
}

std::size_t TNameHash::operator()(std::string_view name) const
{
    std::size_t hash = 14695981039346656037ull;
    for (char c : name) {
        hash ^= static_cast<std::uint8_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool TNameEqual::operator()(std::string_view a, std::string_view b) const { return Text::SameText(a, b); }

} // namespace sources
