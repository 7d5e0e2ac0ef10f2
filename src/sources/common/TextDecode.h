#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace sources {

// Text of workbooks becomes UTF-8: BIFF8 strings are UTF-16 or its "compressed" Latin-1
// half, older strings follow the workbook's code page record when there is one.
std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes);
std::string Latin1ToUtf8(std::span<const std::uint8_t> bytes);
void AppendUtf8(std::string &out, char32_t code);

// Single-byte text in the code page a workbook names (its CODEPAGE record). Code pages
// that are not single-byte, or that iconv does not know, leave the bytes as they are;
// code page 1200 (UTF-16) is decoded as such.
class TCodePageDecoder {
public:
    TCodePageDecoder();
    ~TCodePageDecoder();
    TCodePageDecoder(const TCodePageDecoder &) = delete;
    TCodePageDecoder &operator=(const TCodePageDecoder &) = delete;

    void SetCodePage(int codePage);
    void Reset() { SetCodePage(0); }
    std::string Decode(std::span<const std::uint8_t> bytes) const;

private:
    struct Converter;
    std::unique_ptr<Converter> converter_;
    bool utf16_ = false;
};

// Text in the named character set (any name iconv knows) as UTF-8; a byte sequence the set
// leaves undefined becomes U+FFFD. Returns false, leaving out alone, for a name iconv does
// not know.
bool ConvertToUtf8(std::string_view bytes, const std::string &charset, std::string &out);

// The iconv name of a single-byte Windows, DOS or Mac code page; empty for others.
std::string SingleByteCodePageName(int codePage);

} // namespace sources
