#include "sources/lotus/VxWQ.h"

#include "sources/cells/VxCellsTexts.h"
#include "sources/excel/CompoundFile.h"
#include "sources/lotus/WorksheetRecords.h"
#include "values/StringList.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

using sources::TByteView;
using sources::lotus::TWorksheetRecord;

void TQuattroPro::LoadFromFile(const std::string &fileName)
{
    TSpreadSheetFile::LoadFromFile(fileName);
    LoadBytes(sources::lotus::ReadWholeFile(fileName));
}

void TQuattroPro::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    LoadBytes(sources::lotus::ReadRest(stream));
}

void TQuattroPro::LoadBytes(std::span<const std::uint8_t> bytes)
{
    Version = TWQVersion::qvUnknown;
    layout_ = TLayout::Windows;
    CurrentSheet = 0;
    native_ = false;
    nativeSheet_ = false;
    nativeColumn_ = 0;
    repeatedCells_ = 0;
    stringPool_.clear();
    if (sources::excel::TCompoundFile::HasSignature(bytes))
        ReadCompound(bytes);
    else
        ReadRecords(bytes, false);
}

void TQuattroPro::ReadCompound(std::span<const std::uint8_t> bytes)
{
    const std::unique_ptr<sources::excel::TCompoundFile> file = sources::excel::TCompoundFile::Open(bytes);
    if (!file)
        throw ESpreadSheetError(SpreadSheetTexts().QuattroDamaged);
    // The notebook is the last "..._MAIN" stream the root lists.
    std::optional<std::string> main;
    for (const std::string &name : file->ChildNames())
        if (Text::Upper(name).find("_MAIN") != std::string::npos)
            main = name;
    if (!main)
        throw ESpreadSheetError(SpreadSheetTexts().NotValidQuattroWorkbook);
    const std::optional<std::vector<std::uint8_t>> stream = file->ReadStream(*main);
    if (!stream)
        throw ESpreadSheetError(SpreadSheetTexts().QuattroDamaged);
    // Quattro Pro 9 and later begin with a record 0x0001 of their own, "QPW9".
    static constexpr std::uint8_t nativeMark[] = {0x01, 0x00};
    static constexpr char nativeName[] = {'Q', 'P', 'W'};
    if (stream->size() >= 7 && std::equal(std::begin(nativeMark), std::end(nativeMark), stream->begin()) &&
        std::equal(std::begin(nativeName), std::end(nativeName), stream->begin() + 4)) {
        native_ = true;
        Version = TWQVersion::qvWB3;
    }
    ReadRecords(*stream, true);
}

void TQuattroPro::ReadRecords(std::span<const std::uint8_t> bytes, bool reportProgress)
{
    sources::lotus::TWorksheetRecords records(bytes);
    TWorksheetRecord record;
    for (;;) {
        try {
            if (!records.Next(record))
                break;
        } catch (const sources::EShortData &) {
            throw ESpreadSheetError(SpreadSheetTexts().QuattroDamaged);
        }
        if (record.Length != 0 && !record.Oversized)
            OfferRecord(record);
        if (reportProgress)
            ReportProgress(static_cast<std::int64_t>(records.Position()), static_cast<std::int64_t>(bytes.size()));
    }
}

void TQuattroPro::OfferRecord(const TWorksheetRecord &record)
{
    try {
        try {
            HandleRecord(record);
        } catch (const sources::EShortData &) {
            throw ESpreadSheetError(SpreadSheetTexts().QuattroDamaged);
        }
    } catch (const std::exception &error) {
        bool abort = true;
        if (OnErrorProcess)
            OnErrorProcess(this, error, abort);
        if (abort)
            throw;
    }
}

void TQuattroPro::HandleRecord(const TWorksheetRecord &record)
{
    if (OnRecord)
        OnRecord(this, TRecordHeader{record.Id, record.Length}, record.Data);
    if (native_) {
        HandleNativeRecord(record);
        return;
    }
    const TByteView data(record.Data);
    switch (record.Id) {
    case 0x00: HandleBOF(data.U16(0)); return;
    case 0x06: HandleExtent(data); return;
    case 0x08: HandleColumnWidths(data); return;
    case 0x0C: ReportCell(Address(data), Variant::Null(), TAlignment::taLeftJustify); return;
    case 0x0D: {
        const TCellAddress at = Address(data);
        ReportCell(at, Variant(static_cast<std::int32_t>(data.I16(at.Value))), TAlignment::taRightJustify);
        return;
    }
    case 0x0E: {
        const TCellAddress at = Address(data);
        const double number = data.F64(at.Value);
        ReportCell(at, Variant(IsInvalidReal(number) ? 0.0 : number), TAlignment::taRightJustify);
        return;
    }
    case 0x0F:
    case 0x33: HandleLabel(record.Id, data); return;
    case 0x10: {
        const TCellAddress at = Address(data);
        const double result = data.F64(at.Value);
        ReportCell(at, Variant(IsInvalidReal(result) ? 0.0 : result), TAlignment::taLeftJustify);
        return;
    }
    default: break;
    }
    // Sheets are a Windows notebook's; the DOS programs used these numbers for settings.
    if (layout_ != TLayout::Windows)
        return;
    if (record.Id == 0xCA)
        HandleSheetBegin(data.U8(0));
    else if (record.Id == 0xCC)
        HandleSheetName(record.Data);
}

void TQuattroPro::HandleBOF(std::uint16_t version)
{
    switch (version) {
    case 0x0101:
    case 0x5120:
        Version = TWQVersion::qvWQ1;
        layout_ = TLayout::DOS;
        return;
    case 0x1001:
        Version = TWQVersion::qvWQ1;
        layout_ = TLayout::Windows;
        return;
    case 0x0102:
    case 0x5121:
        Version = TWQVersion::qvWQ2;
        layout_ = TLayout::DOS5;
        return;
    case 0x1002:
        Version = TWQVersion::qvWQ2;
        layout_ = TLayout::Windows;
        return;
    case 0x0A0B:
        Version = TWQVersion::qvWKQ;
        layout_ = TLayout::Lotus;
        return;
    case 0x1007:
        Version = TWQVersion::qvWB3;
        layout_ = TLayout::Windows;
        return;
    default: throw ESpreadSheetError(SpreadSheetTexts().NotQuattroFile);
    }
}

TQuattroPro::TCellAddress TQuattroPro::Address(const TByteView &data) const
{
    TCellAddress at;
    if (layout_ == TLayout::Lotus || layout_ == TLayout::DOS) {
        at.Format = data.U8(0);
        at.Column = data.U16(1);
        at.Row = data.U16(3);
        at.Value = 5;
    } else {
        at.Column = data.U16(0);
        at.Row = data.U16(2);
        at.Format = data.U8(4);
        at.Value = 6;
    }
    return at;
}

void TQuattroPro::HandleExtent(const TByteView &data)
{
    if (!OnDimensions)
        return;
    if (layout_ == TLayout::DOS5) // column, row and sheet of each corner
        OnDimensions(this, 0, data.U16(2), data.U16(8), data.U16(0), data.U16(6));
    else
        OnDimensions(this, 0, data.U16(2), data.U16(6), data.U8(0), data.U8(4));
}

void TQuattroPro::HandleColumnWidths(const TByteView &data)
{
    if (!OnColumnWidth)
        return;
    if (data.Size() == 3) { // one column: its number and its width
        OnColumnWidth(this, 0, data.U16(0), data.U8(2));
        return;
    }
    const int width = data.U8(3);
    for (int column = data.U8(0), last = data.U8(1); column <= last; ++column)
        OnColumnWidth(this, 0, column, width);
}

void TQuattroPro::HandleLabel(std::uint16_t id, const TByteView &data)
{
    const TCellAddress at = Address(data);
    // A formula's text result (0x33) has no prefix in the files of the DOS programs.
    const bool prefixed = id == 0x0F || layout_ == TLayout::Windows;
    const std::size_t prefixAt = at.Value;
    const std::size_t textAt = prefixed ? prefixAt + 1 : prefixAt;
    const TAlignment alignment = prefixed ? sources::lotus::LabelPrefixAlignment(data.U8(prefixAt))
                                          : TAlignment::taLeftJustify;
    std::string text;
    if (layout_ == TLayout::DOS || layout_ == TLayout::DOS5)
        text = sources::lotus::CountedText(data, textAt);
    else
        text = sources::lotus::ZeroTerminated(data.Slice(textAt, data.Size() - std::min(textAt, data.Size())));
    ReportCell(at, Variant(std::move(text)), alignment);
}

void TQuattroPro::HandleSheetBegin(int sheet)
{
    CurrentSheet = sheet;
    if (!OnSheet || sheet < Sheets.Count())
        return;
    bool skip = false;
    while (Sheets.Count() <= sheet) {
        const int next = Sheets.Count();
        OnSheet(this, "Sheet" + std::to_string(next + 1), next, skip);
        if (Sheets.Count() == next)
            break; // a handler of the caller's own keeps no sheet list
    }
}

void TQuattroPro::HandleSheetName(std::span<const std::uint8_t> bytes)
{
    if (!bytes.empty() && bytes.back() == 0)
        bytes = bytes.first(bytes.size() - 1);
    if (CurrentSheet < Sheets.Count())
        Sheets.GetSheet(CurrentSheet).Caption.assign(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

void TQuattroPro::ReportCell(const TCellAddress &at, const Variant &value, TAlignment alignment)
{
    if (OnCellValue)
        OnCellValue(this, CurrentSheet, at.Row, at.Column, at.Format, value, alignment);
}

// ---------------------------------------------------------------- Quattro Pro 9 and later

namespace {

// Rows of a Quattro Pro 9 sheet; a cell further down comes from a damaged file.
constexpr std::int64_t NativeRows = 1 << 20;
// Cells that sequences may add in one load: a hostile file asks 65,535 of one 5-byte entry.
constexpr std::int64_t MaxRepeatedCells = 2 << 20;

// A cell entry's tag: the kind in the low five bits, then "a run of this kind" (0x40) or
// "a sequence of whole numbers" (0x60), each with a 16-bit count.
enum TNativeKind : std::uint8_t {
    nkBlank = 1,
    nkWord = 2,     // unsigned 16-bit
    nkSmallInt = 3, // signed 16-bit
    nkReal = 5,     // 8-byte double
    nkText = 7,     // 1-based index into the notebook's text pool
    nkFormula = 8,  // its result (8-byte double), flags, the formula's number
};

} // namespace

void TQuattroPro::HandleNativeRecord(const TWorksheetRecord &record)
{
    const TByteView data(record.Data);
    switch (record.Id) {
    case 0x0407: ReadStringPool(data); return;
    case 0x0601: ReadNativeSheetBegin(data); return;
    case 0x0602: nativeSheet_ = false; return;
    case 0x0A01: nativeColumn_ = data.U16(0); return;
    case 0x0C01:
        if (nativeSheet_)
            ReadNativeCells(data);
        return;
    case 0x0C02:
        if (nativeSheet_)
            ReadNativeText(data);
        return;
    default: return;
    }
}

void TQuattroPro::ReadStringPool(const TByteView &data)
{
    // The count, two sizes; then each text: its length, a flag byte, the bytes, a zero.
    const std::uint32_t count = data.U32(0);
    std::size_t at = 12;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t length = data.U16(at);
        const std::span<const std::uint8_t> text = data.Slice(at + 3, length);
        stringPool_.emplace_back(reinterpret_cast<const char *>(text.data()), text.size());
        at += 3 + length;
        if (data.Has(at, 1) && data.U8(at) == 0)
            ++at;
    }
}

void TQuattroPro::ReadNativeSheetBegin(const TByteView &data)
{
    // Pages past the 256th hold the notebook's objects, not cells of a sheet.
    const int sheet = data.U16(0);
    nativeSheet_ = sheet < 256;
    if (!nativeSheet_)
        return;
    HandleSheetBegin(sheet);
    const std::size_t length = data.Size() >= 20 ? data.U16(18) : 0;
    if (length > 0 && sheet < Sheets.Count()) {
        const std::span<const std::uint8_t> name = data.Slice(21, length);
        Sheets.GetSheet(sheet).Caption.assign(reinterpret_cast<const char *>(name.data()), name.size());
    }
}

void TQuattroPro::ReadNativeCells(const TByteView &data)
{
    std::int64_t row = data.U32(0);
    const std::int64_t end = row + data.U32(4);
    std::size_t at = 8;
    while (row < end && row < NativeRows && at < data.Size()) {
        const std::uint8_t tag = data.U8(at++);
        const std::uint8_t kind = tag & 0x1F;
        const std::uint8_t mode = tag & 0x60;
        std::int64_t count = 1;
        if (mode != 0) {
            count = data.U16(at);
            at += 2;
        }
        if (mode == 0x60) { // start and step, both of the kind's width
            if (kind != nkWord && kind != nkSmallInt)
                return; // a kind this reader does not know: the rest of the column cannot be placed
            const std::int64_t start = kind == nkWord ? data.U16(at) : data.I16(at);
            const std::int64_t step = kind == nkWord ? data.U16(at + 2) : data.I16(at + 2);
            at += 4;
            repeatedCells_ += count;
            if (repeatedCells_ > MaxRepeatedCells)
                throw ESpreadSheetError(SpreadSheetTexts().QuattroTooManyCells);
            for (std::int64_t k = 0; k < count && row < NativeRows; ++k, ++row) {
                const std::int64_t value = start + k * step;
                ReportNativeCell(static_cast<int>(row),
                                 value >= INT32_MIN && value <= INT32_MAX ? Variant(static_cast<std::int32_t>(value))
                                                                          : Variant(static_cast<double>(value)),
                                 TAlignment::taRightJustify);
            }
            continue;
        }
        if (kind == nkBlank) {
            row += count;
            continue;
        }
        for (std::int64_t k = 0; k < count && row < NativeRows; ++k, ++row) {
            switch (kind) {
            case nkWord:
                ReportNativeCell(static_cast<int>(row), Variant(static_cast<std::int32_t>(data.U16(at))),
                                 TAlignment::taRightJustify);
                at += 2;
                break;
            case nkSmallInt:
                ReportNativeCell(static_cast<int>(row), Variant(static_cast<std::int32_t>(data.I16(at))),
                                 TAlignment::taRightJustify);
                at += 2;
                break;
            case nkReal: {
                const double value = data.F64(at);
                ReportNativeCell(static_cast<int>(row), Variant(IsInvalidReal(value) ? 0.0 : value),
                                 TAlignment::taRightJustify);
                at += 8;
                break;
            }
            case nkText: {
                const std::uint32_t index = data.U32(at);
                at += 4;
                if (index >= 1 && index <= stringPool_.size())
                    ReportNativeCell(static_cast<int>(row), Variant(stringPool_[index - 1]), TAlignment::taLeftJustify);
                break;
            }
            case nkFormula: {
                const double result = data.F64(at);
                ReportNativeCell(static_cast<int>(row), Variant(IsInvalidReal(result) ? 0.0 : result),
                                 TAlignment::taLeftJustify);
                at += 14;
                break;
            }
            default: return; // a kind this reader does not know: its width is unknown
            }
        }
    }
}

void TQuattroPro::ReadNativeText(const TByteView &data)
{
    // A formula's text result: column, row, length, a flag byte, the bytes.
    const int column = data.U16(0);
    const std::uint32_t row = data.U32(2);
    const std::span<const std::uint8_t> text = data.Slice(9, data.U16(6));
    if (row >= NativeRows || !OnCellValue)
        return;
    OnCellValue(this, CurrentSheet, static_cast<int>(row), column, 0,
                Variant(std::string(reinterpret_cast<const char *>(text.data()), text.size())),
                TAlignment::taLeftJustify);
}

void TQuattroPro::ReportNativeCell(int row, const Variant &value, TAlignment alignment)
{
    if (OnCellValue)
        OnCellValue(this, CurrentSheet, row, nativeColumn_, 0, value, alignment);
}
