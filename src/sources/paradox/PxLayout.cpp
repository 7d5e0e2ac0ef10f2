#include "sources/paradox/PxLayout.h"

#include "sources/cells/VxCellsFile.h"
#include "sources/common/ByteView.h"
#include "sources/common/TableStream.h"
#include "sources/common/TableText.h"

#include <algorithm>
#include <span>

namespace sources::paradox {

namespace {

constexpr std::size_t maxNameLength = 25;

[[noreturn]] void damaged() { throw ESpreadSheetError(ParadoxTexts::Damaged); }

bool hasExtension(std::uint8_t versionByte, std::uint8_t fileType)
{
    return versionByte >= 5 && (fileType == 0 || fileType == 2 || fileType == 3 || fileType == 5);
}

void readFixedHeader(sources::TTableStream &stream, TPxTableLayout &layout)
{
    if (!stream.Read(layout.Header))
        damaged();
    const std::uint8_t *h = layout.Header.data();
    layout.RecordLength = sources::LE16(h);
    layout.HeaderLength = sources::LE16(h + 2);
    layout.FileType = h[4];
    layout.BlockSize = h[5] * 1024;
    layout.RecordCount = sources::LE32(h + 6);
    layout.FirstBlock = sources::LE16(h + 14);
    layout.VersionByte = h[57];
    if (layout.RecordLength == 0 || layout.BlockSize == 0 || layout.RecordLength > layout.BlockSize - 6)
        damaged();
    if (layout.HeaderLength < layout.Header.size() || layout.HeaderLength > stream.Size())
        damaged();
}

void readFieldInfo(sources::TTableStream &stream, TPxTableLayout &layout)
{
    const std::size_t count = sources::LE16(layout.Header.data() + 33);
    std::vector<std::uint8_t> info(count * 2);
    if (!stream.Read(info))
        damaged();
    std::uint32_t offset = 0;
    for (std::size_t i = 0; i < count; ++i) {
        TPxField field;
        field.Type = info[2 * i];
        field.Size = field.Type == BCDType ? BCDSize : info[2 * i + 1];
        field.Offset = offset;
        offset += field.Size;
        layout.Fields.push_back(field);
    }
    if (offset > layout.RecordLength)
        damaged();
}

// Zero-terminated names, one per field, from what is left of the header.
void readNames(std::span<const std::uint8_t> rest, TPxTableLayout &layout)
{
    std::size_t at = 0;
    for (TPxField &field : layout.Fields) {
        const auto begin = rest.begin() + static_cast<std::ptrdiff_t>(at);
        const auto end = std::find(begin, rest.end(), 0);
        field.Name.assign(begin, begin + std::min<std::ptrdiff_t>(end - begin, maxNameLength));
        at = std::min<std::size_t>(static_cast<std::size_t>(end - rest.begin()) + 1, rest.size());
    }
    // after the names: the extra passwords of an encrypted table, the field numbers, and
    // the sort order's name
    if (layout.Encrypted() && layout.Header[61] != 0)
        at += 261;
    at += 2 * layout.Fields.size();
    if (at >= rest.size())
        return;
    const auto begin = rest.begin() + static_cast<std::ptrdiff_t>(at);
    layout.SortOrder.assign(begin, std::find(begin, rest.end(), 0));
}

} // namespace

bool TPxTableLayout::Encrypted() const
{
    return sources::LE32(Header.data() + 64) != 0 && sources::LE32(Header.data() + 68) != 0;
}

std::uint32_t TPxTableLayout::ExpectedChecksum() const
{
    const std::uint32_t first = sources::LE32(Header.data() + 37);
    return first == 0xFF00FF00u ? sources::LE32(Extension.data() + 4) : first;
}

int TPxTableLayout::CodePage() const { return HasExtension ? sources::LE16(Extension.data() + 18) : 0; }

std::uint16_t TableLevelOf(std::uint8_t versionByte)
{
    if (versionByte <= 3)
        return 30;
    if (versionByte == 4)
        return 35;
    if (versionByte <= 9)
        return 40;
    if (versionByte == 12)
        return 70;
    if (versionByte >= 13)
        return 65535;
    return 50;
}

void ReadTableLayout(sources::TTableStream &stream, TPxTableLayout &layout)
{
    layout = TPxTableLayout();
    readFixedHeader(stream, layout);
    layout.HasExtension = hasExtension(layout.VersionByte, layout.FileType);
    if (layout.HasExtension && !stream.Read(layout.Extension))
        damaged();
    readFieldInfo(stream, layout);
    const std::int64_t tableName = TableLevelOf(layout.VersionByte) >= 70 ? 261 : 79;
    const std::int64_t namesAt = stream.Position() + 4 + 4 * static_cast<std::int64_t>(layout.Fields.size()) +
                                 tableName;
    if (namesAt > layout.HeaderLength || !stream.Seek(namesAt))
        damaged();
    std::vector<std::uint8_t> rest(static_cast<std::size_t>(layout.HeaderLength - namesAt));
    if (!stream.Read(rest))
        damaged();
    readNames(rest, layout);
}

void DecodeFieldNames(TPxTableLayout &layout, const sources::TTableText &text)
{
    for (TPxField &field : layout.Fields)
        field.Name = text.Decode(field.Name);
}

} // namespace sources::paradox
