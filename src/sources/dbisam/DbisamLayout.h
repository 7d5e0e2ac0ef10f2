#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// How a DBISAM table lays out its header and field descriptors. Tables of version 6 and
// later carry a 512-byte header and 768-byte descriptors; older tables carry a 127-byte
// header and descriptors of 768 bytes (versions 3 to 5) or 265 bytes (below 3), which
// are taken into the same form.
namespace sources::dbisam {

constexpr std::size_t HeaderSize = 512;
constexpr std::size_t OldHeaderSize = 127;
constexpr std::size_t DescriptorSize = 768;
constexpr std::size_t OldestDescriptorSize = 265;
constexpr int FirstCurrentVersion = 6;

using TDigest = std::array<std::uint8_t, 16>;

struct TDBISAMHeader {
    int Version = 0;
    TDigest Signature{}; // zero below version 6
    std::uint32_t RecordCount = 0;
    std::uint32_t RecordLength = 0; // the status byte included
    std::uint32_t FieldCount = 0;
    std::uint32_t BlobBlockSize = 0;
    bool Encrypted = false;
    TDigest PasswordCheck{}; // zero below version 6
    std::string Password;    // an old header's stored password, enciphered when the table is
};

struct TDBISAMField {
    std::string Name;
    int Type = 0;
    int SubType = 0;
    int Size = 0;
    std::size_t Width = 0;    // of the value in the record
    std::size_t Position = 0; // of its null byte in the record
};

// The version byte, found at the same place in both header generations.
constexpr std::size_t VersionOffset = 8;

// A header of version 6 or later (HeaderSize bytes).
TDBISAMHeader ParseHeader(std::span<const std::uint8_t> bytes);
// A header below version 6 (OldHeaderSize bytes).
TDBISAMHeader ParseOldHeader(std::span<const std::uint8_t> bytes);
// Where an old header keeps its stored password: the offset of its text and the text's
// length, the length cut at the header's end.
std::pair<std::size_t, std::size_t> OldPasswordPlace(std::span<const std::uint8_t> bytes);

std::size_t HeaderSizeOf(int version);
std::size_t DescriptorSizeOf(int version);

// A descriptor of version 6 or later.
TDBISAMField ParseDescriptor(std::span<const std::uint8_t> bytes);
// An older descriptor; its width comes from its type.
TDBISAMField ParseOldDescriptor(std::span<const std::uint8_t> bytes, int version);

// An autoincrement field has no null byte: its value starts at its position.
bool HasNullByte(const TDBISAMField &field);
// Where the field's value starts in the record.
std::size_t ValueOffset(const TDBISAMField &field);

} // namespace sources::dbisam
