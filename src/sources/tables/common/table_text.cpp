#include "table_text.h"

#include "excel/text_decode.h"

#include <algorithm>

namespace tables {

TableText::TableText() : decoder_(std::make_unique<excel::CodePageDecoder>()) {}

TableText::~TableText() = default;

void TableText::SetCodePage(int codePage)
{
    codePage_ = excel::SingleByteCodePageName(codePage).empty() ? 0 : codePage;
    decoder_->SetCodePage(codePage_);
}

std::string TableText::Decode(std::span<const std::uint8_t> bytes) const
{
    // most table text is plain ASCII, which every code page leaves alone
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b < 0x80; });
    if (codePage_ == 0 || ascii)
        return std::string(bytes.begin(), bytes.end());
    return decoder_->Decode(bytes);
}

std::string TableText::Decode(const std::string &bytes) const
{
    return Decode(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()));
}

} // namespace tables
