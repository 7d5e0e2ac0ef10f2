#include "sources/excel/VxI_Sum.h"

#include "values/Variant.h"
#include "sources/common/ByteView.h"
#include "sources/common/TextDecode.h"

#include <ctime>
#include <functional>

namespace {

using sources::TByteView;

enum PropertyType : std::uint32_t { VT_I2 = 2, VT_I4 = 3, VT_LPSTR = 30, VT_FILETIME = 64 };

struct TProperty {
    std::uint32_t type = 0;
    std::int32_t number = 0;
    std::string text;
    std::uint64_t fileTime = 0;
};

using PropertyHandler = std::function<void(std::uint32_t id, const TProperty &p)>;

// Reads one property; false for a type the summary does not use.
bool readProperty(const TByteView &view, std::size_t at, const sources::TCodePageDecoder &decoder, TProperty &p)
{
    p.type = view.U32(at);
    switch (p.type) {
    case VT_I2: p.number = static_cast<std::int16_t>(view.U16(at + 4)); return true;
    case VT_I4: p.number = view.I32(at + 4); return true;
    case VT_FILETIME: p.fileTime = view.U64(at + 4); return true;
    case VT_LPSTR: {
        auto bytes = view.Slice(at + 8, view.U32(at + 4));
        while (!bytes.empty() && bytes.back() == 0)
            bytes = bytes.first(bytes.size() - 1);
        p.text = decoder.Decode(bytes);
        return true;
    }
    default: return false;
    }
}

void readPropertySet(std::span<const std::uint8_t> stream, const PropertyHandler &handler)
{
    constexpr std::uint32_t CodePageId = 1;
    try {
        const TByteView view(stream);
        const std::size_t section = view.U32(44);
        const std::uint32_t count = view.U32(section + 4);
        if (count > view.Size() / 8)
            return;
        sources::TCodePageDecoder decoder;
        for (std::uint32_t i = 0; i < count; ++i) { // the code page first: the texts need it
            const std::size_t entry = section + 8 + 8 * std::size_t{i};
            TProperty p;
            if (view.U32(entry) == CodePageId && readProperty(view, section + view.U32(entry + 4), decoder, p))
                decoder.SetCodePage(static_cast<std::uint16_t>(p.number));
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t entry = section + 8 + 8 * std::size_t{i};
            TProperty p;
            if (readProperty(view, section + view.U32(entry + 4), decoder, p))
                handler(view.U32(entry), p);
        }
    } catch (const sources::EShortData &) {
        // what could be read stays; document properties never stop a load
    }
}

std::string asText(const TProperty &p) { return p.type == VT_LPSTR ? p.text : std::to_string(p.number); }
std::int32_t asNumber(const TProperty &p) { return p.type == VT_LPSTR ? std::atoi(p.text.c_str()) : p.number; }
double asDate(const TProperty &p) { return p.type == VT_FILETIME ? FileTimeToDateTime(p.fileTime) : 0; }

} // namespace

double FileTimeToDateTime(std::uint64_t fileTime)
{
    constexpr std::uint64_t TicksPerSecond = 10'000'000;
    constexpr std::int64_t UnixEpochSeconds = 11'644'473'600; // 1601-01-01 to 1970-01-01
    if (fileTime == 0)
        return 0;
    const std::time_t seconds = static_cast<std::time_t>(fileTime / TicksPerSecond) - UnixEpochSeconds;
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return 0;
    double date = 0, time = 0;
    if (!TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date))
        return 0;
    TryEncodeTime(local.tm_hour, local.tm_min, local.tm_sec / 2 * 2, 0, time);
    return date + time;
}

void TVxISummaryInformation::ReadSummaryInformation(std::span<const std::uint8_t> stream)
{
    readPropertySet(stream, [this](std::uint32_t id, const TProperty &p) {
        switch (id) {
        case 2: Title = asText(p); break;
        case 3: Subject = asText(p); break;
        case 4: Author = asText(p); break;
        case 5: Keywords = asText(p); break;
        case 6: Comments = asText(p); break;
        case 7: Template = asText(p); break;
        case 8: LastAuthor = asText(p); break;
        case 9: RevNumber = asText(p); break;
        case 10: { // a duration kept as a file time; only its minutes are taken
            if (p.type != VT_FILETIME)
                break;
            const std::time_t seconds = static_cast<std::time_t>(p.fileTime / 10'000'000) - 11'644'473'600;
            std::tm local{};
            if (localtime_r(&seconds, &local))
                EditTime = local.tm_min;
            break;
        }
        case 11: LastPrinted = asDate(p); break;
        case 12: Created = asDate(p); break;
        case 13: LastSaved = asDate(p); break;
        case 14: PageCount = asNumber(p); break;
        case 15: WordCount = asNumber(p); break;
        case 16: CharCount = asNumber(p); break;
        case 18: AppName = asText(p); break;
        default: break;
        }
    });
}

void TVxISummaryInformation::ReadDocumentSummaryInformation(std::span<const std::uint8_t> stream)
{
    readPropertySet(stream, [this](std::uint32_t id, const TProperty &p) {
        switch (id) {
        case 2: Category = asText(p); break;
        case 3: PresentationTarget = asText(p); break;
        case 4: ByteCount = asNumber(p); break;
        case 5: LineCount = asNumber(p); break;
        case 6: ParagraphCount = asNumber(p); break;
        case 7: SlideCount = asNumber(p); break;
        case 8: NoteCount = asNumber(p); break;
        case 9: HiddenSlideCount = asNumber(p); break;
        case 10: MMClipCount = asNumber(p); break;
        case 14: Manager = asText(p); break;
        case 15: Company = asText(p); break;
        case 17: CharCount2 = asNumber(p); break;
        default: break;
        }
    });
}
