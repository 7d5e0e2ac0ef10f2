#include "sources/lotus/VxWQ.h"

#include "sources/cells/VxCellsTexts.h"
#include "sources/excel/CompoundFile.h"
#include "sources/lotus/WorksheetRecords.h"

#include <algorithm>
#include <cctype>
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
    for (const std::string &name : file->ChildNames()) {
        std::string upper = name;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (upper.find("_MAIN") != std::string::npos)
            main = name;
    }
    if (!main)
        throw ESpreadSheetError(SpreadSheetTexts().NotValidQuattroWorkbook);
    const std::optional<std::vector<std::uint8_t>> stream = file->ReadStream(*main);
    if (!stream)
        throw ESpreadSheetError(SpreadSheetTexts().QuattroDamaged);
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
