#include "sources/excel/SharedStrings.h"

#include "sources/cells/VxCellsFile.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/excel/BiffRecords.h"
#include "sources/common/TextDecode.h"

#include <algorithm>
#include <cstdio>

namespace sources::excel {

std::vector<std::string> TSharedStringsReader::Read()
{
    const std::uint32_t unique = record_.U32(4);
    std::vector<std::string> strings;
    strings.reserve(std::min<std::uint32_t>(unique, 65536));
    for (std::uint32_t i = 0; i < unique; ++i)
        strings.push_back(ReadString());
    return strings;
}

void TSharedStringsReader::NextContinue()
{
    TRecordHeader header;
    if (!stream_.ReadHeader(header) || header.Id != rec::CONTINUE)
        throw ESpreadSheetError(SpreadSheetTexts().ContinueNotFound);
    record_ = TByteView(stream_.ReadData(header.Length));
    position_ = 0;
}

std::vector<std::uint8_t> TSharedStringsReader::ReadBytes(std::size_t count)
{
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < count) {
        if (Left() == 0)
            NextContinue();
        const std::size_t take = std::min(Left(), count - bytes.size());
        const auto piece = record_.Slice(position_, take);
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        position_ += take;
    }
    return bytes;
}

void TSharedStringsReader::SkipBytes(std::size_t count)
{
    while (count > 0) {
        if (Left() == 0)
            NextContinue();
        const std::size_t take = std::min(Left(), count);
        position_ += take;
        count -= take;
    }
}

namespace {

std::uint32_t littleEndian(const std::vector<std::uint8_t> &b)
{
    std::uint32_t v = 0;
    for (std::size_t i = b.size(); i-- > 0;)
        v = v << 8 | b[i];
    return v;
}

void checkOptions(std::uint8_t options)
{
    if (options == 0 || options == 1 || (options & 0x0C) != 0)
        return;
    char code[8];
    std::snprintf(code, sizeof code, "%.2x", options);
    std::string text = SpreadSheetTexts().SSTOptions;
    const auto at = text.find("%.2x");
    if (at != std::string::npos)
        text.replace(at, 4, code);
    throw ESpreadSheetError(text);
}

std::string decodePiece(std::span<const std::uint8_t> piece, std::uint8_t options)
{
    return (options & 0x01) ? Utf16LeToUtf8(piece) : Latin1ToUtf8(piece);
}

} // namespace

std::string TSharedStringsReader::ReadString()
{
    if (Left() < 3)
        NextContinue();
    const std::uint16_t count = record_.U16(position_);
    std::uint8_t options = record_.U8(position_ + 2);
    position_ += 3;
    checkOptions(options);
    const std::size_t runs = (options & 0x08) ? littleEndian(ReadBytes(2)) : 0;
    const std::size_t phonetic = (options & 0x04) ? littleEndian(ReadBytes(4)) : 0;

    std::size_t byteLength = (options & 0x01) ? 2u * count : count;
    std::string text;
    for (;;) {
        const std::size_t take = std::min(Left(), byteLength);
        text += decodePiece(record_.Slice(position_, take), options);
        position_ += take;
        byteLength -= take;
        if (byteLength == 0)
            break;
        NextContinue();
        const std::uint8_t next = record_.U8(0);
        position_ = 1;
        if ((options & 0x01) && !(next & 0x01))
            byteLength /= 2;
        else if (!(options & 0x01) && (next & 0x01))
            byteLength *= 2;
        options = next;
    }
    SkipBytes(4 * runs + phonetic);
    return text;
}

} // namespace sources::excel
