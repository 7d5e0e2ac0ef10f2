// The BIFF record handler of TMSExcel: cells, formats, sheets and the workbook records.

#include "sources/excel/VxXLS.h"

#include "sources/cells/VxCellsTexts.h"

#include "sources/excel/BiffRecords.h"
#include "sources/excel/BiffStream.h"
#include "sources/common/ByteView.h"
#include "sources/excel/NumberFormats.h"
#include "sources/excel/SharedStrings.h"
#include "sources/common/TextDecode.h"

#include <algorithm>

using namespace sources;
using namespace sources::excel;

namespace {

// Reaching a password-protected workbook ends the load whatever OnErrorProcess says.
class EPasswordProtected : public ESpreadSheetError {
public:
    EPasswordProtected() : ESpreadSheetError(SpreadSheetTexts().PasswordProtected) {}
};

constexpr double Days1904 = 1462; // 1904-01-01 counted from 1899-12-30

TAlignment alignmentOf(int bits)
{
    switch (bits & 3) {
    case 3: return TAlignment::taRightJustify;
    case 2: return TAlignment::taCenter;
    default: return TAlignment::taLeftJustify;
    }
}

// BIFF2 cells carry their attributes in three bytes from offset 4.
TAlignment biff2Alignment(const TByteView &data) { return alignmentOf(data.U8(6)); }
int biff2Format(const TByteView &data) { return data.U8(5) & 0x3F; }

ESpreadSheetError asReaderError(const std::exception &error)
{
    if (dynamic_cast<const EShortData *>(&error) || dynamic_cast<const ETruncatedRecord *>(&error))
        return ESpreadSheetError(SpreadSheetTexts().Damaged);
    return ESpreadSheetError(error.what());
}

} // namespace

bool TMSExcel::ProcessRecord(TBiffStream &stream, const TRecordHeader &header, const TByteView &data)
{
    try {
        return HandleRecord(stream, header, data);
    } catch (const EPasswordProtected &) {
        throw;
    } catch (const std::exception &e) {
        const ESpreadSheetError error = asReaderError(e);
        bool abort = true;
        if (OnErrorProcess)
            OnErrorProcess(this, error, abort);
        if (abort)
            throw error;
        return true;
    }
}

bool TMSExcel::HandleRecord(TBiffStream &stream, const TRecordHeader &header, const TByteView &data)
{
    if (OnRecord)
        OnRecord(this, header, data.Bytes());
    return HandleCellRecord(header, data) || HandleBiff2CellRecord(header, data) ||
           HandleWorkbookRecord(stream, header, data);
}

// ---------------------------------------------------------------- cells

bool TMSExcel::HandleCellRecord(const TRecordHeader &header, const TByteView &data)
{
    switch (header.Id) {
    case rec::NUMBER: {
        const int xf = data.U16(4);
        ReportNumber(data.U16(0), data.U16(2), xf, data.F64(6), IsDateXF(xf), XFAlignment(xf));
        return true;
    }
    case rec::RK:
    case rec::RK2: {
        const int xf = data.U16(4);
        ReportNumber(data.U16(0), data.U16(2), xf, DecodeRK(data.U32(6)), IsDateXF(xf), XFAlignment(xf));
        return true;
    }
    case rec::MULRK: {
        const int row = data.U16(0);
        const int first = data.U16(2);
        const std::size_t count = data.Size() >= 6 ? (data.Size() - 6) / 6 : 0;
        for (std::size_t i = 0; i < count; ++i) {
            const int xf = data.U16(4 + 6 * i);
            ReportNumber(row, first + static_cast<int>(i), xf, DecodeRK(data.U32(6 + 6 * i)), IsDateXF(xf),
                         XFAlignment(xf));
        }
        return true;
    }
    case rec::MULBLANK: {
        if (!LoadNULLs)
            return true;
        const int row = data.U16(0);
        const int first = data.U16(2);
        const std::size_t count = data.Size() >= 6 ? (data.Size() - 6) / 2 : 0;
        for (std::size_t i = 0; i < count; ++i) {
            const int xf = data.U16(4 + 2 * i);
            ReportCell(row, first + static_cast<int>(i), xf, Variant::Null(), XFAlignment(xf));
        }
        return true;
    }
    case rec::LABEL:
    case rec::RSTRING: { // a label with formatting runs after its text; the runs are not needed
        const int xf = data.U16(4);
        const std::size_t count = data.U16(6);
        const std::string text = Version >= TExcelVersion::evExcel8
                                     ? UnicodeString(data, count, 8)
                                     : ByteString(data.Slice(8, std::min(count, data.Size() - 8)));
        ReportCell(data.U16(0), data.U16(2), xf, Variant(text), XFAlignment(xf));
        return true;
    }
    case rec::LABELSST: {
        const int xf = data.U16(4);
        const std::uint32_t index = data.U32(6);
        if (index >= sharedStrings_.size())
            throw ESpreadSheetError(SpreadSheetTexts().Damaged);
        ReportCell(data.U16(0), data.U16(2), xf, Variant(sharedStrings_[index]), XFAlignment(xf));
        return true;
    }
    case rec::BOOLERR: {
        const int xf = data.U16(4);
        HandleBoolErr(data, 6, xf, XFAlignment(xf));
        return true;
    }
    default: return false;
    }
}

bool TMSExcel::HandleBiff2CellRecord(const TRecordHeader &header, const TByteView &data)
{
    switch (header.Id) {
    case rec::BLANK2:
        if (LoadNULLs)
            ReportCell(data.U16(0), data.U16(2), -1, Variant::Null(), biff2Alignment(data));
        return true;
    case rec::INTEGER2:
        ReportCell(data.U16(0), data.U16(2), -1, Variant(static_cast<std::int32_t>(data.U16(7))), biff2Alignment(data));
        return true;
    case rec::NUMBER2:
        ReportNumber(data.U16(0), data.U16(2), -1, data.F64(7), IsDateFormat(biff2Format(data)), biff2Alignment(data));
        return true;
    case rec::LABEL2: {
        const std::size_t count = data.U8(7);
        const std::string text = ByteString(data.Slice(8, std::min(count, data.Size() - 8)));
        ReportCell(data.U16(0), data.U16(2), -1, Variant(text), biff2Alignment(data));
        return true;
    }
    case rec::BOOLERR2: HandleBoolErr(data, 7, -1, biff2Alignment(data)); return true;
    default: return false;
    }
}

void TMSExcel::HandleBoolErr(const TByteView &data, std::size_t valueAt, int formatIndex, TAlignment alignment)
{
    const std::uint8_t value = data.U8(valueAt);
    const int row = data.U16(0), column = data.U16(2);
    if (data.U8(valueAt + 1) == 0)
        ReportCell(row, column, formatIndex, Variant(value != 0), alignment);
    else
        ReportCell(row, column, formatIndex, Variant(ErrorText(value)), alignment);
}

// ---------------------------------------------------------------- formulas

void TMSExcel::HandleFormula(TBiffStream &stream, const TRecordHeader &header, const TByteView &data)
{
    const bool biff2Layout = Version == TExcelVersion::evExcel2 || Version == TExcelVersion::evUnknown;
    const std::size_t result = biff2Layout ? 7 : 6;
    const int row = data.U16(0), column = data.U16(2);
    const int xf = biff2Layout ? -1 : data.U16(4);
    const TAlignment alignment = biff2Layout ? biff2Alignment(data) : XFAlignment(xf);
    if (data.U8(result + 6) != 0xFF || data.U8(result + 7) != 0xFF) {
        const bool isDate = biff2Layout ? IsDateFormat(biff2Format(data)) : IsDateXF(xf);
        ReportNumber(row, column, xf, data.F64(result), isDate, alignment);
        return;
    }
    switch (data.U8(result)) {
    case 0: {
        const std::size_t back = stream.Position();
        std::string text;
        const bool found = [&] {
            try {
                return FormulaStringAhead(stream, text);
            } catch (...) {
                stream.Seek(back);
                throw;
            }
        }();
        // The records read ahead come round again in the main loop, which passes over them.
        stream.Seek(back);
        if (found)
            ReportCell(row, column, xf, Variant(text), alignment);
        return;
    }
    case 1: ReportCell(row, column, xf, Variant(data.U8(result + 2) != 0), alignment); return;
    case 2: ReportCell(row, column, xf, Variant(ErrorText(data.U8(result + 2))), alignment); return;
    default: return; // 3: an empty result has no cell
    }
}

// The text of a string result: the STRING record after the FORMULA, past a shared
// formula record when there is one.
bool TMSExcel::FormulaStringAhead(TBiffStream &stream, std::string &text)
{
    TRecordHeader next;
    if (!stream.ReadHeader(next))
        return false;
    if (next.Id == rec::SHRFMLA || next.Id == rec::SHRFMLA4) {
        stream.Skip(next.Length);
        if (!stream.ReadHeader(next))
            return false;
    }
    if ((next.Id != rec::STRING && next.Id != rec::STRING2) || next.Length > RecordLimit())
        return false;
    const TByteView data(stream.ReadData(next.Length));
    if (next.Id == rec::STRING2) {
        text = ByteString(data.Slice(1, std::min<std::size_t>(data.U8(0), data.Size() - 1)));
        return true;
    }
    const std::size_t count = data.U16(0);
    text = Version >= TExcelVersion::evExcel8 ? UnicodeString(data, count, 2)
                                              : ByteString(data.Slice(2, std::min(count, data.Size() - 2)));
    return true;
}

// ---------------------------------------------------------------- workbook records

bool TMSExcel::HandleWorkbookRecord(TBiffStream &stream, const TRecordHeader &header, const TByteView &data)
{
    switch (header.Id) {
    case rec::FORMULA:
    case rec::FORMULA3:
    case rec::FORMULA4: HandleFormula(stream, header, data); return true;
    case rec::FORMAT:
    case rec::FORMAT23: HandleFormat(header, data); return true;
    case rec::XF2: xfList_.push_back({data.U8(2) & 0x3F, data.U8(0), 0}); return true;
    case rec::XF3:
    case rec::XF4: xfList_.push_back({data.U8(1), data.U8(0), 0}); return true;
    case rec::XF: xfList_.push_back({data.U16(2), data.U16(0), data.U8(6) & 0x07}); return true;
    case rec::BOUNDSHEET: HandleBoundSheet(data); return true;
    case rec::SST: sharedStrings_ = TSharedStringsReader(stream, data.Bytes()).Read(); return true;
    case rec::DIMENSIONS: HandleDimensions(data); return true;
    case rec::COLINFO: {
        const int first = data.U16(0), last = data.U16(2), width = data.U16(4);
        for (int column = first; column <= last && OnColumnWidth; ++column)
            OnColumnWidth(this, SheetIndex, column, width);
        return true;
    }
    case rec::COLWIDTH: {
        const int first = data.U8(0), last = data.U8(1), width = data.U8(3);
        for (int column = first; column <= last && OnColumnWidth; ++column)
            OnColumnWidth(this, SheetIndex, column, width);
        return true;
    }
    case rec::ROW:
        if (OnRowHeight)
            OnRowHeight(this, SheetIndex, data.U16(0), data.U16(6));
        return true;
    case rec::DATEMODE: dateMode1904_ = data.U16(0) == 1; return true;
    case rec::CODEPAGE: codePage_->SetCodePage(data.U16(0)); return true;
    case rec::FILEPASS: HandleFilePass(); return true;
    case rec::EXCEL9FILE: Version = TExcelVersion::evExcel9; return true;
    case rec::NAME2:
    case rec::NAME:
    case rec::FONT2:
    case rec::FONT:
    case rec::MSODRAWINGGROUP:
    case rec::MSODRAWING: return true; // no effect on values
    default: return false;
    }
}

void TMSExcel::HandleFormat(const TRecordHeader &header, const TByteView &data)
{
    if (header.Id == rec::FORMAT23) { // numbered by their order in the file
        const std::size_t count = data.U8(0);
        SetFormat(oldFormatCount_++, ByteString(data.Slice(1, std::min(count, data.Size() - 1))));
        return;
    }
    const int index = data.U16(0);
    if (Version >= TExcelVersion::evExcel8) {
        SetFormat(index, UnicodeString(data, data.U16(2), 4));
        return;
    }
    const std::size_t count = data.U8(2);
    SetFormat(index, ByteString(data.Slice(3, std::min(count, data.Size() - 3))));
}

void TMSExcel::HandleBoundSheet(const TByteView &data)
{
    TSheetEntry entry;
    entry.Offset = data.U32(0);
    entry.Type = data.U8(5);
    const std::size_t count = data.U8(6);
    entry.Name = Version >= TExcelVersion::evExcel8 ? UnicodeString(data, count, 7)
                                                    : ByteString(data.Slice(7, std::min(count, data.Size() - 7)));
    sheetList_.push_back(std::move(entry));
}

void TMSExcel::HandleDimensions(const TByteView &data)
{
    int firstRow, lastRow, firstColumn, lastColumn;
    if (Version >= TExcelVersion::evExcel8) {
        firstRow = data.I32(0);
        lastRow = data.I32(4);
        firstColumn = data.U16(8);
        lastColumn = data.U16(10);
    } else {
        firstRow = 0;
        lastRow = data.U16(2) + 1;
        firstColumn = 0;
        lastColumn = data.U16(6) + 1;
    }
    dimensionRows_ = std::max(dimensionRows_, lastRow);
    dimensionColumns_ = std::max(dimensionColumns_, lastColumn);
    if (OnDimensions)
        OnDimensions(this, SheetIndex, firstRow, lastRow, firstColumn, lastColumn);
}

void TMSExcel::HandleFilePass()
{
    encrypted_ = true;
    // Encrypted workbooks are not decrypted, so no password can help; the handler is
    // still offered the password a few times, as a user would retry one.
    constexpr int Attempts = 3;
    std::string password = Password;
    bool again = true;
    for (int i = 0; OnPassword && again && i < Attempts; ++i)
        OnPassword(this, password, again);
    throw EPasswordProtected();
}

// ---------------------------------------------------------------- values and text

void TMSExcel::ReportCell(int row, int column, int formatIndex, const Variant &value, TAlignment alignment)
{
    largestRow_ = std::max(largestRow_, row);
    largestColumn_ = std::max(largestColumn_, column);
    if (OnCellValue)
        OnCellValue(this, SheetIndex, row, column, formatIndex, value, alignment);
}

void TMSExcel::ReportNumber(int row, int column, int formatIndex, double value, bool isDate, TAlignment alignment)
{
    if (!isDate) {
        ReportCell(row, column, formatIndex, Variant(value), alignment);
        return;
    }
    ReportCell(row, column, formatIndex, Variant::DateTime(dateMode1904_ ? value + Days1904 : value), alignment);
}

void TMSExcel::SetFormat(int index, std::string format)
{
    const auto at = static_cast<std::size_t>(index);
    if (at >= formatList_.size()) {
        formatList_.resize(at + 1);
        formatIsDate_.resize(at + 1);
    }
    formatIsDate_[at] = IsBiffDateFormat(format);
    formatList_[at] = std::move(format);
}

bool TMSExcel::IsDateFormat(int formatIndex) const
{
    return formatIndex > 0 && static_cast<std::size_t>(formatIndex) < formatIsDate_.size() &&
           formatIsDate_[static_cast<std::size_t>(formatIndex)];
}

bool TMSExcel::IsDateXF(int xf) const
{
    const bool known = xf >= 0 && static_cast<std::size_t>(xf) < xfList_.size();
    return IsDateFormat(known ? xfList_[static_cast<std::size_t>(xf)].Format : xf);
}

TAlignment TMSExcel::XFAlignment(int xf) const
{
    if (xf < 0 || static_cast<std::size_t>(xf) >= xfList_.size())
        return TAlignment::taLeftJustify;
    return alignmentOf(xfList_[static_cast<std::size_t>(xf)].Alignment);
}

std::string TMSExcel::ByteString(std::span<const std::uint8_t> bytes) const { return codePage_->Decode(bytes); }

// A BIFF8 string: an option byte (bit 0: UTF-16) and the characters after it. A string
// cut short by its record keeps what the record holds.
std::string TMSExcel::UnicodeString(const TByteView &data, std::size_t count, std::size_t optionAt) const
{
    const bool wide = data.U8(optionAt) & 0x01;
    const std::size_t start = optionAt + 1;
    const std::size_t available = data.Size() - start;
    if (!wide)
        return Latin1ToUtf8(data.Slice(start, std::min(count, available)));
    return Utf16LeToUtf8(data.Slice(start, std::min(2 * count, available & ~std::size_t{1})));
}
