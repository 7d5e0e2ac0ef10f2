#include "engine/VxIConvert.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace {

struct TEntity {
    const char *name;
    const char *replacement;
};

// Order matters: "&amp" goes before "&lt" and "&gt".
constexpr TEntity entities[] = {
    {"&brvbar", "|"}, {"&deg", "\xC2\xB0"}, {"&#176", "\xC2\xB0"}, {"&plusmn", "+"}, {"&para", "\xC2\xB6"},
    {"&amp", "&"},    {"&lt", "<"},         {"&gt", ">"},          {"&copy", "c"},   {"&quot", "\""},
    {"&apos", "'"},   {"&trade", "T"},      {"&nbsp", ""},         {"&car", "\n"},   {"&#010", "\n"},
    {"&#xa", "\n"},   {"&ret", "\r"},       {"&#013", "\r"},       {"&#xd", "\r"},   {"&#009", "\t"},
    {"&#x9", "\t"},   {"&#034", "\""},      {"&#34", "\""},        {"&#039", "'"},   {"&#39", "'"},
};

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return 0; // not skipped: a stray character counts as a zero digit
}

// ASCII 0x20..0x7E to EBCDIC code page 037.
constexpr std::array<unsigned char, 95> asciiToEbcdic = {
    0x40, 0x5A, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61, // space../
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F, // 0..?
    0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, // @..O
    0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xBA, 0xE0, 0xBB, 0xB0, 0x6D, // P.._
    0x79, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, // `..o
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0x4F, 0xD0, 0xA1,       // p..~
};

constexpr std::array<char, 256> ebcdicToAscii = [] {
    std::array<char, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = b < 0x20 ? static_cast<char>(b) : '?';
    for (int c = 0x20; c <= 0x7E; ++c)
        table[asciiToEbcdic[c - 0x20]] = static_cast<char>(c);
    return table;
}();

struct TIconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};

} // namespace

void DecodeHTMLEntities(std::string &text)
{
    if (text.find('&') == std::string::npos)
        return;
    for (const TEntity &e : entities) {
        const std::string_view name = e.name;
        if (text.find(name) == std::string::npos)
            continue;
        // One pass per entity, written over the text in place (every replacement is
        // shorter than its entity). A match is looked for where each written character
        // ends one, so an entity a replacement completes is replaced in turn, as repeated
        // replacing from the start would, without its quadratic time.
        const std::string_view replacement = e.replacement;
        std::size_t w = 0;
        for (std::size_t r = 0; r < text.size();) {
            text[w++] = text[r++];
            if (w < name.size() || text[w - 1] != name.back() ||
                std::string_view(text).substr(w - name.size(), name.size()) != name)
                continue;
            w -= name.size();
            if (r < text.size() && text[r] == ';')
                ++r;
            for (char c : replacement)
                text[w++] = c;
        }
        text.resize(w);
    }
}

std::string DecodeBase64(std::string_view text)
{
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i + 4 <= text.size(); i += 4) {
        const std::string_view g = text.substr(i, 4);
        if (g[0] == '=')
            continue;
        const unsigned v = (base64Value(g[0]) << 18) | (base64Value(g[1]) << 12) |
                           (g[2] == '=' ? 0 : base64Value(g[2]) << 6) | (g[3] == '=' ? 0 : base64Value(g[3]));
        out += static_cast<char>((v >> 16) & 0xFF);
        if (g[2] == '=')
            continue;
        out += static_cast<char>((v >> 8) & 0xFF);
        if (g[3] == '=')
            continue;
        out += static_cast<char>(v & 0xFF);
    }
    return out;
}

std::string ConvertFromOEM(std::string_view text)
{
    static const std::unique_ptr<void, TIconvCloser> cd(iconv_open("UTF-8", "CP850"));
    if (cd.get() == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("the code page CP850 is not available");
    std::string out(text.size() * 3, '\0');
    char *in = const_cast<char *>(text.data());
    std::size_t inLeft = text.size();
    char *dst = out.data();
    std::size_t outLeft = out.size();
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    // Every CP850 byte has a character, so the conversion cannot stop half-way.
    iconv(cd.get(), &in, &inLeft, &dst, &outLeft);
    out.resize(out.size() - outLeft);
    return out;
}

std::string ConvertFromEBCDIC(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = ebcdicToAscii[static_cast<unsigned char>(c)];
    return out;
}
