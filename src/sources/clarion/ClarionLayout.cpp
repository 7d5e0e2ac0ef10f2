#include "sources/clarion/ClarionLayout.h"

#include "sources/cells/VxCellsFile.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/common/ByteView.h"
#include "values/StringList.h"

#include <algorithm>
#include <array>

namespace sources::clarion {

namespace {

constexpr std::size_t HeaderSize = 85;
constexpr std::size_t DescriptorSize = 27;
constexpr std::size_t KeyHeaderSize = 19;
constexpr std::size_t KeyComponentSize = 6;
constexpr std::size_t PictureSize = 258;
constexpr std::size_t MaxEntries = 4096;
constexpr std::size_t RecordDataStart = 5; // status byte, memo reference

[[noreturn]] void damaged() { throw ESpreadSheetError(SpreadSheetTexts().ClarionDamaged); }

void readExactly(TTableStream &file, std::span<std::uint8_t> bytes)
{
    if (!file.Read(bytes))
        damaged();
}

void skip(TTableStream &file, std::int64_t count)
{
    if (count < 0 || count > file.Remaining() || !file.Seek(file.Position() + count))
        damaged();
}

std::string text(std::span<const std::uint8_t> bytes)
{
    return std::string(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

// A name ends at its first zero byte or blank.
std::string cutName(std::string name)
{
    const std::size_t end = name.find_first_of(std::string(" \0", 2));
    if (end != std::string::npos)
        name.erase(end);
    return name;
}

// The file's prefix and its colon come off the front of a field name; a name that does
// not carry them keeps every character.
std::string withoutPrefix(std::string name, const std::string &prefix)
{
    const std::string lead = prefix + ":";
    if (!prefix.empty() && name.size() >= lead.size() && Text::SameText(name.substr(0, lead.size()), lead))
        name.erase(0, lead.size());
    return name;
}

void checkInRecord(const TClarionEntry &entry, std::uint32_t recordLength)
{
    if (entry.Offset + entry.Width > recordLength)
        damaged();
}

std::vector<TClarionArray> readArrays(TTableStream &file, std::size_t count)
{
    std::vector<TClarionArray> arrays;
    for (std::size_t a = 0; a < count; ++a) {
        std::array<std::uint8_t, 6> header{};
        readExactly(file, header);
        const std::size_t used = LE16(header.data());
        const std::size_t entries = LE16(header.data() + 2);
        TClarionArray array;
        for (std::size_t d = 0; d < entries; ++d) {
            std::array<std::uint8_t, 4> dimension{};
            readExactly(file, dimension);
            if (d < used)
                array.Dimensions.push_back({LE16(dimension.data()), LE16(dimension.data() + 2)});
        }
        arrays.push_back(std::move(array));
    }
    return arrays;
}

// Each group field that owns an array gives way to one column per element.
void expandArrays(TClarionLayout &layout, const std::vector<TClarionArray> &arrays)
{
    std::size_t nextArray = 0;
    std::vector<TClarionEntry> &entries = layout.Entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].Type != ctGroup)
            continue;
        if (nextArray >= arrays.size())
            continue;
        const TClarionArray &array = arrays[nextArray++];
        const TClarionEntry group = entries[i];
        std::size_t offset = i == 0 ? group.Offset : entries[i - 1].Offset + entries[i - 1].Width;
        std::vector<TClarionEntry> elements;
        for (std::size_t d = 0; d < array.Dimensions.size(); ++d)
            for (int e = 1; e <= array.Dimensions[d].Count; ++e) {
                TClarionEntry element;
                element.Type = ctElement;
                element.Name = array.Dimensions.size() == 1
                                   ? group.Name + "_" + std::to_string(e)
                                   : group.Name + "_" + std::to_string(d + 1) + "_" + std::to_string(e);
                element.Offset = offset;
                element.Width = static_cast<std::size_t>(array.Dimensions[d].Width);
                checkInRecord(element, layout.RecordLength);
                offset += element.Width;
                elements.push_back(std::move(element));
                if (entries.size() + elements.size() > MaxEntries + 1)
                    damaged();
            }
        if (elements.empty())
            continue;
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
        entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(i), elements.begin(), elements.end());
        i += elements.size() - 1;
    }
}

} // namespace

void ReadLayout(TTableStream &file, bool patchNames, TClarionLayout &layout)
{
    std::array<std::uint8_t, HeaderSize> header{};
    if (!file.ReadAt(0, header))
        throw ESpreadSheetError(SpreadSheetTexts().ClarionInvalid);
    const TByteView data(header);
    if (data.U16(0) != 0x3343)
        throw ESpreadSheetError(SpreadSheetTexts().ClarionInvalid);
    layout = {};
    layout.Flags = data.U16(2);
    // Deciphering is not built: an enciphered file is refused rather than read as noise.
    if (layout.Enciphered())
        throw ESpreadSheetError(SpreadSheetTexts().ClarionEncrypted);
    const std::size_t keyCount = data.U8(4);
    layout.RecordCount = data.U32(5);
    const std::size_t fieldCount = data.U16(13);
    const std::size_t pictureCount = data.U16(15);
    const std::size_t arrayCount = data.U16(17);
    layout.RecordLength = data.U16(19);
    layout.FirstRecord = data.U32(21);
    const std::string memoName = cutName(text(data.Slice(49, 12)));
    std::string prefix = text(data.Slice(61, 3));
    prefix.erase(prefix.find_last_not_of(' ') + 1);
    layout.Prefix = prefix;
    if (layout.RecordLength < RecordDataStart || fieldCount > MaxEntries)
        damaged();

    std::array<std::uint8_t, DescriptorSize> descriptor{};
    for (std::size_t f = 0; f < fieldCount; ++f) {
        readExactly(file, descriptor);
        const TByteView d(descriptor);
        TClarionEntry entry;
        entry.Type = d.U8(0);
        std::string name = text(d.Slice(1, 16));
        name.erase(std::min(name.find('\0'), name.size()));
        if (patchNames)
            name = withoutPrefix(name, prefix);
        entry.Name = cutName(name);
        entry.Offset = RecordDataStart + d.U16(17);
        entry.Width = d.U16(19);
        entry.Digits = d.U8(21);
        entry.Decimals = d.U8(22);
        checkInRecord(entry, layout.RecordLength);
        layout.Entries.push_back(std::move(entry));
    }
    if (!memoName.empty())
        layout.Entries.push_back({ctMemo, memoName, 1, 4, 0, 0});

    for (std::size_t k = 0; k < keyCount; ++k) {
        std::array<std::uint8_t, KeyHeaderSize> key{};
        readExactly(file, key);
        skip(file, static_cast<std::int64_t>(key[0] * KeyComponentSize));
    }
    skip(file, static_cast<std::int64_t>(pictureCount * PictureSize));
    expandArrays(layout, readArrays(file, arrayCount));
}

} // namespace sources::clarion
