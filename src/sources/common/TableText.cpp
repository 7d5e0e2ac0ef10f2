#include "sources/common/TableText.h"

#include "sources/common/TextDecode.h"

#include <algorithm>

namespace sources {

TTableText::TTableText() : decoder_(std::make_unique<sources::TCodePageDecoder>()) {}

TTableText::~TTableText() = default;

void TTableText::SetCodePage(int codePage)
{
    codePage_ = sources::SingleByteCodePageName(codePage).empty() ? 0 : codePage;
    decoder_->SetCodePage(codePage_);
}

std::string TTableText::Decode(std::span<const std::uint8_t> bytes) const
{
    // most table text is plain ASCII, which every code page leaves alone
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b < 0x80; });
    if (codePage_ == 0 || ascii)
        return std::string(bytes.begin(), bytes.end());
    return decoder_->Decode(bytes);
}

std::string TTableText::Decode(const std::string &bytes) const
{
    return Decode(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()));
}

} // namespace sources
