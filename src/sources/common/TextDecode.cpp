#include "sources/common/TextDecode.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace sources {

void AppendUtf8(std::string &out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes)
{
    constexpr char32_t Replacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        char32_t unit = static_cast<char32_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const char32_t low = static_cast<char32_t>(bytes[2 * i + 2] | bytes[2 * i + 3] << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            unit = Replacement; // a lone surrogate has no UTF-8 form
        AppendUtf8(out, unit);
    }
    return out;
}

std::string Latin1ToUtf8(std::span<const std::uint8_t> bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::uint8_t b : bytes)
        AppendUtf8(out, b);
    return out;
}

std::string SingleByteCodePageName(int codePage)
{
    switch (codePage) {
    case 367: return "ASCII";
    case 437:
    case 737:
    case 775:
    case 850:
    case 852:
    case 855:
    case 857:
    case 860:
    case 861:
    case 862:
    case 863:
    case 864:
    case 865:
    case 866:
    case 869:
    case 874:
    case 1250:
    case 1251:
    case 1252:
    case 1253:
    case 1254:
    case 1255:
    case 1256:
    case 1257:
    case 1258: return "CP" + std::to_string(codePage);
    case 858: return "IBM858";
    case 10000:
    case 32768: return "MACINTOSH";
    case 32769: return "CP1252";
    default: return {};
    }
}

struct TCodePageDecoder::Converter {
    explicit Converter(iconv_t cd) : handle(cd) {}
    ~Converter() { iconv_close(handle); }
    iconv_t handle;
};

TCodePageDecoder::TCodePageDecoder() = default;
TCodePageDecoder::~TCodePageDecoder() = default;

void TCodePageDecoder::SetCodePage(int codePage)
{
    converter_.reset();
    utf16_ = codePage == 1200;
    const std::string name = SingleByteCodePageName(codePage);
    if (name.empty())
        return;
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd != reinterpret_cast<iconv_t>(-1))
        converter_ = std::make_unique<Converter>(cd);
}

namespace {

// Under code page 1200 some writers keep plain ASCII strings in one byte per character
// and write the others as UTF-16 with the byte count as length; only the latter hold
// zero bytes.
bool looksLikeUtf16(std::span<const std::uint8_t> bytes)
{
    return bytes.size() % 2 == 0 && std::find(bytes.begin(), bytes.end(), 0) != bytes.end();
}

} // namespace

std::string TCodePageDecoder::Decode(std::span<const std::uint8_t> bytes) const
{
    if (utf16_)
        return looksLikeUtf16(bytes) ? Utf16LeToUtf8(bytes) : Latin1ToUtf8(bytes);
    std::string raw(bytes.begin(), bytes.end());
    if (!converter_ || raw.empty())
        return raw;
    std::vector<char> out(raw.size() * 4 + 4);
    char *in = raw.data();
    std::size_t inLeft = raw.size();
    char *to = out.data();
    std::size_t outLeft = out.size();
    iconv(converter_->handle, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        if (iconv(converter_->handle, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            return raw;
        // a byte the code page leaves undefined stays visible as a replacement character
        ++in;
        --inLeft;
        if (outLeft < 3)
            return raw;
        *to++ = '\xEF';
        *to++ = '\xBF';
        *to++ = '\xBD';
        outLeft -= 3;
    }
    return std::string(out.data(), to);
}

bool ConvertToUtf8(std::string_view bytes, const std::string &charset, std::string &out)
{
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    const std::unique_ptr<void, int (*)(iconv_t)> closer(cd, iconv_close);
    out.clear();
    // Worst cases: a single byte to three, two UTF-16 bytes to three, a UTF-32 unit to four.
    out.resize(bytes.size() * 3 / 2 + 16);
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::size_t written = 0;
    while (inLeft > 0) {
        char *to = out.data() + written;
        std::size_t outLeft = out.size() - written;
        const std::size_t result = iconv(cd, &in, &inLeft, &to, &outLeft);
        written = out.size() - outLeft;
        if (result != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() + inLeft * 3 + 16);
            continue;
        }
        // An undefined or cut sequence: one byte goes, a replacement character stays.
        ++in;
        --inLeft;
        if (out.size() - written < 3)
            out.resize(out.size() + inLeft * 3 + 16);
        out.replace(written, 3, "\xEF\xBF\xBD");
        written += 3;
    }
    out.resize(written);
    return true;
}

} // namespace sources
