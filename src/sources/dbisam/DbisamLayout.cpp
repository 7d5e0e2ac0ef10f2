#include "sources/dbisam/DbisamLayout.h"

#include "sources/common/ByteView.h"

#include <algorithm>

namespace sources::dbisam {

namespace {

// A name stored as a length byte and its characters, cut at the room it has.
std::string countedName(const TByteView &data, std::size_t offset, std::size_t room)
{
    const std::size_t length = std::min<std::size_t>(data.U8(offset), room);
    const auto text = data.Slice(offset + 1, length);
    return std::string(reinterpret_cast<const char *>(text.data()), text.size());
}

TDigest digestAt(const TByteView &data, std::size_t offset)
{
    TDigest digest{};
    const auto bytes = data.Slice(offset, digest.size());
    std::copy(bytes.begin(), bytes.end(), digest.begin());
    return digest;
}

std::size_t oldWidth(int type, int size)
{
    switch (type) {
    case 1: return static_cast<std::size_t>(size) + 1;
    case 2:
    case 6:
    case 10: return 4;
    case 3:
    case 7:
    case 11:
    case 18: return 8;
    case 4:
    case 5:
    case 12: return 2;
    case 8: return 34;
    default: return static_cast<std::size_t>(size);
    }
}

// Subtypes an old table gave BLOB fields that later versions read as plain BLOBs.
bool plainBlobSubType(int subType)
{
    return subType == 1 || subType == 21 || (subType >= 23 && subType <= 25) || (subType >= 27 && subType <= 37) ||
           subType == 50 || subType == 100;
}

} // namespace

TDBISAMHeader ParseHeader(std::span<const std::uint8_t> bytes)
{
    const TByteView data(bytes);
    TDBISAMHeader header;
    header.Version = data.U8(VersionOffset);
    header.Signature = digestAt(data, 9);
    header.RecordCount = data.U32(41);
    header.RecordLength = data.U16(45);
    header.FieldCount = data.U16(47);
    header.BlobBlockSize = data.U32(51);
    header.Encrypted = data.U8(172) != 0;
    header.PasswordCheck = digestAt(data, 173);
    return header;
}

std::pair<std::size_t, std::size_t> OldPasswordPlace(std::span<const std::uint8_t> bytes)
{
    constexpr std::size_t at = 87;
    const TByteView data(bytes);
    return {at + 1, std::min<std::size_t>(data.U8(at), bytes.size() - at - 1)};
}

TDBISAMHeader ParseOldHeader(std::span<const std::uint8_t> bytes)
{
    const TByteView data(bytes);
    TDBISAMHeader header;
    header.BlobBlockSize = data.U32(4);
    header.Version = data.U8(VersionOffset);
    const std::uint32_t countPlusOne = data.U32(13);
    header.RecordCount = countPlusOne == 0 ? 0 : countPlusOne - 1;
    header.RecordLength = data.U16(21);
    header.FieldCount = data.U16(23);
    header.Encrypted = data.U8(86) != 0;
    const auto [at, length] = OldPasswordPlace(bytes);
    const auto password = data.Slice(at, length);
    header.Password.assign(reinterpret_cast<const char *>(password.data()), password.size());
    return header;
}

std::size_t HeaderSizeOf(int version) { return version >= FirstCurrentVersion ? HeaderSize : OldHeaderSize; }

std::size_t DescriptorSizeOf(int version) { return version >= 3 ? DescriptorSize : OldestDescriptorSize; }

TDBISAMField ParseDescriptor(std::span<const std::uint8_t> bytes)
{
    const TByteView data(bytes);
    TDBISAMField field;
    field.Name = countedName(data, 2, 60);
    field.Type = data.U8(164);
    field.SubType = data.U8(165);
    field.Size = data.U16(166);
    field.Width = data.U16(169);
    field.Position = data.U16(172);
    return field;
}

TDBISAMField ParseOldDescriptor(std::span<const std::uint8_t> bytes, int version)
{
    const TByteView data(bytes);
    TDBISAMField field;
    field.Name = countedName(data, 2, 30);
    field.Type = data.U8(84);
    field.SubType = data.U8(85);
    field.Size = data.U8(86);
    field.Position = data.U16(version >= 3 ? 90 : 88);
    field.Width = oldWidth(field.Type, field.Size);
    if (field.Type == 3 && plainBlobSubType(field.SubType))
        field.SubType = 0;
    return field;
}

bool HasNullByte(const TDBISAMField &field) { return !(field.Type == 6 && field.SubType == 29); }

std::size_t ValueOffset(const TDBISAMField &field) { return field.Position + (HasNullByte(field) ? 1 : 0); }

} // namespace sources::dbisam
