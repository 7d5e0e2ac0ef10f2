#include "sources/dbase/DbfLayout.h"

#include "sources/cells/VxCellsFile.h"
#include "sources/common/ByteView.h"
#include "sources/common/TableStream.h"
#include "sources/common/TableText.h"

#include <algorithm>
#include <span>
#include <utility>

namespace sources::dbase {

namespace {

constexpr std::pair<std::uint8_t, TDBFVersion> versionBytes[] = {
    {0x03, TDBFVersion::dBase3},
    {0x83, TDBFVersion::dBase3Memo},
    {0x05, TDBFVersion::FoxPro},
    {0xF5, TDBFVersion::FoxProMemo},
    {0x03, TDBFVersion::dBase4},
    {0x8B, TDBFVersion::dBase4Memo},
    {0x30, TDBFVersion::VFP3},
    {0x04, TDBFVersion::dBase5},
    {0x04, TDBFVersion::dBase7},
    {0x8C, TDBFVersion::dBase7Memo},
    {0x02, TDBFVersion::FoxBASE1},
    {0xFB, TDBFVersion::FoxBASE2},
    {0x31, TDBFVersion::VFP3AutoIncrement},
    {0xE5, TDBFVersion::HyperSix},
};

constexpr std::uint8_t descriptorEnd = 0x0D;

[[noreturn]] void damaged() { throw ESpreadSheetError(DBFTexts::Damaged); }

std::size_t descriptorSize(TDBFVersion version) { return IsDBase7(version) ? 48 : 32; }

// Bytes between the header and the descriptors (dBase 7) or after them (the Visual FoxPro
// backlink) that the header length includes.
int extraHeaderBytes(TDBFVersion version)
{
    if (IsVisualFoxPro(version))
        return 263;
    return IsDBase7(version) ? 36 : 0;
}

std::size_t declaredFieldCount(const TDBFTableLayout &layout)
{
    const int room = layout.HeaderLength - 33 - extraHeaderBytes(layout.Version);
    if (room <= 0)
        return 0;
    return std::min(static_cast<std::size_t>(room) / descriptorSize(layout.Version), MaxFields);
}

std::string nameOf(std::span<const std::uint8_t> bytes, std::size_t keep, const sources::TTableText &text)
{
    const auto end = std::find(bytes.begin(), bytes.end(), 0);
    const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(end - bytes.begin()), keep);
    return text.Decode(bytes.first(length));
}

TDBFField readDescriptor(std::span<const std::uint8_t> d, TDBFVersion version, const sources::TTableText &text)
{
    TDBFField field;
    if (IsDBase7(version)) {
        field.Name = nameOf(d.first(32), 10, text);
        field.Type = static_cast<char>(d[32]);
        field.Length = d[33];
        field.Decimals = d[34];
        return field;
    }
    field.Name = nameOf(d.first(11), 11, text);
    field.Type = static_cast<char>(d[11]);
    field.Length = d[16];
    field.Decimals = d[17];
    return field;
}

} // namespace

TDBFVersion VersionFromByte(std::uint8_t versionByte)
{
    for (const auto &[byte, version] : versionBytes)
        if (byte == versionByte)
            return version;
    return TDBFVersion::dBase3;
}

bool IsDBase7(TDBFVersion version) { return version == TDBFVersion::dBase7 || version == TDBFVersion::dBase7Memo; }

bool IsVisualFoxPro(TDBFVersion version)
{
    return version == TDBFVersion::VFP3 || version == TDBFVersion::VFP3AutoIncrement;
}

bool IsFoxProFamily(TDBFVersion version)
{
    return version == TDBFVersion::FoxPro || version == TDBFVersion::FoxProMemo || IsVisualFoxPro(version);
}

void ReadTableLayout(sources::TTableStream &stream, const sources::TTableText &text, TDBFTableLayout &layout)
{
    if (!stream.Read(layout.Header))
        damaged();
    const std::uint8_t *h = layout.Header.data();
    layout.Version = VersionFromByte(h[0]);
    layout.RecordCount = sources::LE32(h + 4);
    layout.HeaderLength = sources::LE16(h + 8);
    layout.RecordLength = sources::LE16(h + 10);
    if (layout.RecordLength == 0)
        damaged();
    if (IsDBase7(layout.Version) && !stream.Seek(stream.Position() + 36))
        damaged();

    layout.Fields.clear();
    const std::size_t count = declaredFieldCount(layout);
    std::vector<std::uint8_t> descriptor(descriptorSize(layout.Version));
    std::uint32_t position = 1;
    for (std::size_t i = 0; i < count; ++i) {
        if (!stream.Read(descriptor))
            damaged();
        // writers that reserve room for more descriptors than they write end the list here
        if (descriptor[0] == descriptorEnd)
            break;
        TDBFField field = readDescriptor(descriptor, layout.Version, text);
        field.Position = position;
        position += field.Length;
        if (position > layout.RecordLength)
            damaged();
        layout.Fields.push_back(std::move(field));
    }
}

// The language driver bytes of the published xBase table; double-byte and Macintosh code
// pages are left out, their text passes through.
int CodePageOfLanguageDriver(std::uint8_t driver)
{
    static constexpr std::pair<std::uint8_t, int> drivers[] = {
        {0x01, 437},  {0x02, 850},  {0x03, 1252}, {0x08, 865},  {0x09, 437},  {0x0A, 850},  {0x0B, 437},  {0x0D, 437},
        {0x0E, 850},  {0x0F, 437},  {0x10, 850},  {0x11, 437},  {0x12, 850},  {0x14, 850},  {0x15, 437},  {0x16, 850},
        {0x17, 865},  {0x18, 437},  {0x19, 437},  {0x1A, 850},  {0x1B, 437},  {0x1C, 863},  {0x1D, 850},  {0x1F, 852},
        {0x22, 852},  {0x23, 852},  {0x24, 860},  {0x25, 850},  {0x26, 866},  {0x37, 850},  {0x40, 852},  {0x50, 874},
        {0x57, 1252}, {0x58, 1252}, {0x59, 1252}, {0x64, 852},  {0x65, 866},  {0x66, 865},  {0x67, 861},  {0x6A, 737},
        {0x6B, 857},  {0x7C, 874},  {0x7D, 1255}, {0x7E, 1256}, {0xC8, 1250}, {0xC9, 1251}, {0xCA, 1254}, {0xCB, 1253},
    };
    for (const auto &[byte, codePage] : drivers)
        if (byte == driver)
            return codePage;
    return 0;
}

} // namespace sources::dbase
