#include "sources/markup/MarkupText.h"

#include "engine/VxIBase.h"
#include "sources/common/TextDecode.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace markup {

namespace {

// A declaration is looked for in the head of the page only; pages saved by office programs
// put several kilobytes of styles before their <meta>.
constexpr std::size_t HeadBytes = 64 * 1024;

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// A character set's name as compared: upper case, without dashes and underscores
// ("utf-8" and "UTF8" are one set).
std::string canonical(std::string_view name)
{
    std::string out;
    for (char c : name)
        if (c != '-' && c != '_')
            out += UpperAscii(c);
    return out;
}

bool isUtf8(const std::string &canon) { return canon == "UTF8" || canon == "USASCII" || canon == "ASCII"; }
bool isWide(const std::string &canon)
{
    return startsWith(canon, "UTF16") || startsWith(canon, "UTF32") || startsWith(canon, "UCS");
}

// A value after `charset` or `encoding`: blanks, "=", blanks, an optional quote, then the
// name's characters.
std::string valueAfter(std::string_view text, std::size_t at)
{
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at >= text.size() || text[at] != '=')
        return {};
    ++at;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at < text.size() && (text[at] == '"' || text[at] == '\''))
        ++at;
    const std::size_t start = at;
    while (at < text.size() && (std::isalnum(static_cast<unsigned char>(text[at])) || std::strchr("-_.:()", text[at])))
        ++at;
    return std::string(text.substr(start, at - start));
}

std::string xmlDeclared(std::string_view head)
{
    std::size_t at = 0;
    while (at < head.size() && IsBlank(head[at]))
        ++at;
    if (!MatchesAt(head, at, "<?XML"))
        return {};
    const std::size_t end = std::min(head.find("?>", at), head.size());
    const std::string_view declaration = head.substr(at, end - at);
    for (std::size_t k = FindNoCase(declaration, "ENCODING"); k != std::string_view::npos;
         k = FindNoCase(declaration, "ENCODING", k + 1))
        if (std::string value = valueAfter(declaration, k + 8); !value.empty())
            return value;
    return {};
}

std::string htmlDeclared(std::string_view head)
{
    for (std::size_t at = FindNoCase(head, "<META"); at != std::string_view::npos;
         at = FindNoCase(head, "<META", at + 5)) {
        const std::size_t end = std::min(head.find('>', at), head.size());
        const std::string_view tag = head.substr(at, end - at);
        for (std::size_t k = FindNoCase(tag, "CHARSET"); k != std::string_view::npos;
             k = FindNoCase(tag, "CHARSET", k + 7))
            if (std::string value = valueAfter(tag, k + 7); !value.empty())
                return value;
    }
    return {};
}

std::string convertWide(const std::string &bytes, std::size_t skip, const char *charset)
{
    std::string out;
    if (!sources::ConvertToUtf8(std::string_view(bytes).substr(skip), charset, out))
        return bytes.substr(skip);
    return out;
}

} // namespace

bool MatchesAt(std::string_view text, std::size_t at, std::string_view word)
{
    if (at > text.size() || text.size() - at < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (UpperAscii(text[at + i]) != UpperAscii(word[i]))
            return false;
    return true;
}

std::size_t FindNoCase(std::string_view text, std::string_view word, std::size_t from)
{
    if (word.empty())
        return from <= text.size() ? from : std::string_view::npos;
    const char first = UpperAscii(word.front());
    const char other = first >= 'A' && first <= 'Z' ? static_cast<char>(first - 'A' + 'a') : first;
    for (std::size_t at = from; at < text.size();) {
        // The next place either case of the first letter stands; memchr runs the long stretches.
        const char *base = text.data() + at;
        const std::size_t left = text.size() - at;
        const void *a = std::memchr(base, first, left);
        const void *b = other != first ? std::memchr(base, other, left) : nullptr;
        const char *hit = static_cast<const char *>(a == nullptr ? b : b == nullptr ? a : std::min(a, b));
        if (hit == nullptr)
            return std::string_view::npos;
        at = static_cast<std::size_t>(hit - text.data());
        if (MatchesAt(text, at, word))
            return at;
        ++at;
    }
    return std::string_view::npos;
}

std::string ReadRest(std::istream &stream)
{
    std::string out;
    char buffer[1 << 16];
    while (stream.read(buffer, sizeof buffer) || stream.gcount() > 0)
        out.append(buffer, static_cast<std::size_t>(stream.gcount()));
    return out;
}

std::string ReadDocument(std::istream *stream, const std::string &fileName, TMarkupKind kind)
{
    if (stream != nullptr)
        return DecodeDocument(ReadRest(*stream), kind);
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw EVxIError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    return DecodeDocument(ReadRest(file), kind);
}

std::string DeclaredCharset(std::string_view text, TMarkupKind kind)
{
    const std::string_view head = text.substr(0, HeadBytes);
    std::string declared = xmlDeclared(head);
    if (declared.empty() && kind == TMarkupKind::mkHTML)
        declared = htmlDeclared(head);
    return declared;
}

std::string DecodeDocument(std::string bytes, TMarkupKind kind)
{
    const auto at = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
    if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF)
        return bytes.substr(3);
    if (at(0) == 0xFF && at(1) == 0xFE && at(2) == 0 && at(3) == 0)
        return convertWide(bytes, 4, "UTF-32LE");
    if (at(0) == 0 && at(1) == 0 && at(2) == 0xFE && at(3) == 0xFF)
        return convertWide(bytes, 4, "UTF-32BE");
    if (at(0) == 0xFF && at(1) == 0xFE)
        return convertWide(bytes, 2, "UTF-16LE");
    if (at(0) == 0xFE && at(1) == 0xFF)
        return convertWide(bytes, 2, "UTF-16BE");
    // UTF-16 without a mark still shows its first "<" beside a zero byte.
    if (at(0) == '<' && at(1) == 0)
        return convertWide(bytes, 0, "UTF-16LE");
    if (at(0) == 0 && at(1) == '<')
        return convertWide(bytes, 0, "UTF-16BE");

    const std::string declared = DeclaredCharset(bytes, kind);
    std::string canon = canonical(declared);
    // A document whose declaration could be read as ASCII is not in a wide set, whatever
    // it says; nor is an undeclared one.
    if (declared.empty() || isUtf8(canon) || isWide(canon))
        return bytes;
    std::string charset = declared;
    // Browsers read Latin-1 pages as Windows-1252, whose extra letters such pages hold.
    if (kind == TMarkupKind::mkHTML && (canon == "ISO88591" || canon == "LATIN1"))
        charset = "WINDOWS-1252";
    std::string out;
    if (!sources::ConvertToUtf8(bytes, charset, out))
        return bytes;
    return out;
}

} // namespace markup
