#include "sources/lotus/VxWKS.h"

#include "sources/cells/VxCellsTexts.h"
#include "sources/excel/CompoundFile.h"
#include "sources/lotus/WorksheetRecords.h"

using sources::TByteView;
using sources::lotus::TWorksheetRecord;

namespace {

// Progress is reported about this often, in bytes of the file.
constexpr std::size_t ProgressStep = 64 * 1024;

// The short address of release 1 and 2 records: a format byte, the column, the row.
struct TShortAddress {
    int Row, Column;
    explicit TShortAddress(const TByteView &data) : Row(data.U16(3)), Column(data.U16(1)) {}
};

// The long address of release 3 and later: the row, the sheet, the column.
struct TLongAddress {
    int Sheet, Row, Column;
    explicit TLongAddress(const TByteView &data) : Sheet(data.U8(2)), Row(data.U16(0)), Column(data.U8(3)) {}
};

// An invalid real in a number cell is an error or "not available" marker; it arrives as
// the zero a formula with such a result gives.
Variant NumberValue(double value) { return IsInvalidReal(value) ? Variant(0.0) : Variant(value); }

} // namespace

void TLotus123::LoadFromFile(const std::string &fileName)
{
    TSpreadSheetFile::LoadFromFile(fileName);
    ReadRecords(sources::lotus::ReadWholeFile(fileName));
}

void TLotus123::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    ReadRecords(sources::lotus::ReadRest(stream));
}

void TLotus123::ReadRecords(std::span<const std::uint8_t> bytes)
{
    Version = TWKSVersion::wvUnknown;
    encrypted_ = false;
    pendingText_ = {};
    // A worksheet may lack its BOF record, a compound document (an Excel or Quattro Pro
    // file) is none: its bytes would read as cells.
    if (sources::excel::TCompoundFile::HasSignature(bytes))
        throw ESpreadSheetError(SpreadSheetTexts().NotLotusFile);
    sources::lotus::TWorksheetRecords records(bytes);
    std::size_t nextProgress = ProgressStep;
    try {
        TWorksheetRecord record;
        while (records.Next(record)) {
            if (!HandleRecord(record))
                break;
            if (records.Position() >= nextProgress) {
                ReportProgress(static_cast<std::int64_t>(records.Position()), static_cast<std::int64_t>(bytes.size()));
                nextProgress = records.Position() + ProgressStep;
            }
        }
    } catch (const sources::EShortData &) {
        throw ESpreadSheetError(SpreadSheetTexts().LotusDamaged);
    }
    ReportProgress(static_cast<std::int64_t>(bytes.size()), static_cast<std::int64_t>(bytes.size()));
}

bool TLotus123::Release2() const
{
    return Version == TWKSVersion::wvWKS1 || Version == TWKSVersion::wvWKS2 || Version == TWKSVersion::wvWR1;
}

bool TLotus123::Release3() const
{
    return Version == TWKSVersion::wvWKS3 || Version == TWKSVersion::wvWKS4 || Version == TWKSVersion::wv123;
}

bool TLotus123::HandleRecord(const TWorksheetRecord &record)
{
    // The worksheet ends here; release 4 files go on with their formatting data, whose
    // record numbers would read as cells.
    if (record.Id == 0x01)
        return false;
    if (record.Length == 0 || record.Oversized)
        return true;
    if (OnRecord)
        OnRecord(this, TRecordHeader{record.Id, record.Length}, record.Data);
    const TByteView data(record.Data);
    switch (record.Id) {
    case 0x00: return HandleBOF(data.U16(0));
    case 0x37: encrypted_ = true; throw ESpreadSheetError(SpreadSheetTexts().PasswordProtected);
    default: break;
    }
    // A file without a BOF record gets both meanings: its records cannot tell.
    if (!Release3())
        HandleRelease2Record(record.Id, record.Data);
    if (!Release2())
        HandleRelease3Record(record.Id, record.Data);
    return true;
}

bool TLotus123::HandleBOF(std::uint16_t version)
{
    switch (version) {
    case 0x0404: Version = TWKSVersion::wvWKS1; return true;
    case 0x0405: Version = TWKSVersion::wvWKS2; return true;
    case 0x0406: Version = TWKSVersion::wvWR1; return true;
    case 0x1000: Version = TWKSVersion::wvWKS3; return true;
    case 0x1002:
    case 0x8007: Version = TWKSVersion::wvWKS4; return true;
    case 0x1003:
    case 0x1004:
    case 0x1005: Version = TWKSVersion::wv123; return true;
    case 0x0101:
    case 0xB200:
    case 0xBFFF: return false;
    default:
        if (Version == TWKSVersion::wvUnknown)
            throw ESpreadSheetError(SpreadSheetTexts().NotLotusFile);
        return true;
    }
}

void TLotus123::HandleRelease2Record(std::uint16_t id, std::span<const std::uint8_t> bytes)
{
    const TByteView data(bytes);
    switch (id) {
    case 0x06:
        if (OnDimensions)
            OnDimensions(this, 0, data.U16(2), data.U16(6), data.U16(0), data.U16(4));
        return;
    case 0x0C:
        if (LoadNULLs) {
            const TShortAddress at(data);
            ReportCell(0, at.Row, at.Column, Variant::Null(), TAlignment::taLeftJustify);
        }
        return;
    case 0x0D: {
        const TShortAddress at(data);
        ReportCell(0, at.Row, at.Column, Variant(static_cast<std::int32_t>(data.I16(5))), TAlignment::taRightJustify);
        return;
    }
    case 0x0E: {
        const TShortAddress at(data);
        ReportCell(0, at.Row, at.Column, NumberValue(data.F64(5)), TAlignment::taRightJustify);
        return;
    }
    case 0x0F: {
        const TShortAddress at(data);
        const std::uint8_t prefix = data.U8(5);
        ReportCell(0, at.Row, at.Column, Variant(sources::lotus::ZeroTerminated(bytes.subspan(6))),
                   sources::lotus::LabelPrefixAlignment(prefix));
        return;
    }
    case 0x10: {
        const TShortAddress at(data);
        ReportFormula(0, at.Row, at.Column, data.F64(5), Variant(static_cast<std::int32_t>(0)));
        return;
    }
    case 0x33: {
        const TShortAddress at(data);
        ReportFormulaText(0, at.Row, at.Column, sources::lotus::ZeroTerminated(data.Slice(5, data.Size() - 5)));
        return;
    }
    default: return;
    }
}

void TLotus123::HandleRelease3Record(std::uint16_t id, std::span<const std::uint8_t> bytes)
{
    const TByteView data(bytes);
    switch (id) {
    case 0x16: {
        const TLongAddress at(data);
        const std::uint8_t prefix = data.U8(4);
        ReportCell(at.Sheet, at.Row, at.Column, Variant(sources::lotus::ZeroTerminated(bytes.subspan(5))),
                   sources::lotus::LabelPrefixAlignment(prefix));
        return;
    }
    case 0x17: {
        const TLongAddress at(data);
        ReportCell(at.Sheet, at.Row, at.Column, NumberValue(sources::lotus::ExtendedReal(data, 4)),
                   TAlignment::taRightJustify);
        return;
    }
    case 0x18: {
        const TLongAddress at(data);
        ReportCell(at.Sheet, at.Row, at.Column, Variant(sources::lotus::SmallNumber(data.I16(4))),
                   TAlignment::taRightJustify);
        return;
    }
    case 0x19: {
        const TLongAddress at(data);
        ReportFormula(at.Sheet, at.Row, at.Column, sources::lotus::ExtendedReal(data, 4), Variant(0.0));
        return;
    }
    case 0x1A: {
        const TLongAddress at(data);
        ReportFormulaText(at.Sheet, at.Row, at.Column, sources::lotus::ZeroTerminated(data.Slice(4, data.Size() - 4)));
        return;
    }
    case 0x23: HandleSheetName(bytes); return;
    case 0x24:
        if (OnColumnWidth) {
            const int width = data.U8(3);
            for (int column = data.U8(0), last = data.U8(1); column <= last; ++column)
                OnColumnWidth(this, 0, column, width);
        }
        return;
    case 0x25: {
        const TLongAddress at(data);
        const std::uint32_t bits = data.U32(4);
        // Without a power of ten the number is whole.
        const Variant value = (bits & 0x0F) == 0 ? Variant(static_cast<std::int32_t>(sources::lotus::PackedReal(bits)))
                                                 : Variant(sources::lotus::PackedReal(bits));
        ReportCell(at.Sheet, at.Row, at.Column, value, TAlignment::taRightJustify);
        return;
    }
    case 0x27: {
        const TLongAddress at(data);
        ReportCell(at.Sheet, at.Row, at.Column, NumberValue(data.F64(4)), TAlignment::taRightJustify);
        return;
    }
    case 0x28: {
        const TLongAddress at(data);
        ReportFormula(at.Sheet, at.Row, at.Column, data.F64(4), Variant(0.0));
        return;
    }
    default: return;
    }
}

void TLotus123::HandleSheetName(std::span<const std::uint8_t> bytes)
{
    const TByteView data(bytes);
    const int sheet = data.U8(2);
    const std::string name = sources::lotus::ZeroTerminated(data.Slice(4, data.Size() - 4));
    if (!OnSheet || sheet < Sheets.Count())
        return;
    bool skip = false;
    // A name for a sheet further on names that sheet: those before it keep the model's names.
    while (Sheets.Count() < sheet) {
        const int missing = Sheets.Count();
        OnSheet(this, "Sheet" + std::to_string(missing + 1), missing, skip);
        if (Sheets.Count() == missing)
            break; // a handler of the caller's own keeps no sheet list
    }
    OnSheet(this, name, sheet, skip);
}

void TLotus123::ReportCell(int sheet, int row, int column, const Variant &value, TAlignment alignment)
{
    if (OnCellValue)
        OnCellValue(this, sheet, row, column, 0, value, alignment);
}

void TLotus123::ReportFormula(int sheet, int row, int column, double result, const Variant &invalidResult)
{
    const bool invalid = IsInvalidReal(result);
    pendingText_ = {invalid, sheet, row, column};
    ReportCell(sheet, row, column, invalid ? invalidResult : Variant(result), TAlignment::taLeftJustify);
}

void TLotus123::ReportFormulaText(int sheet, int row, int column, const std::string &text)
{
    const TPendingText pending = pendingText_;
    pendingText_ = {};
    if (pending.Waiting && pending.Sheet == sheet && pending.Row == row && pending.Column == column)
        ReportCell(sheet, row, column, Variant(text), TAlignment::taLeftJustify);
}
