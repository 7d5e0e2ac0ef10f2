#include "sources/excel/VxXLS.h"

#include "values/StringList.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/excel/BiffRecords.h"
#include "sources/excel/BiffStream.h"
#include "sources/common/ByteView.h"
#include "sources/excel/CompoundFile.h"
#include "sources/excel/NumberFormats.h"
#include "sources/excel/OpenXml.h"
#include "sources/common/TextDecode.h"

#include <fstream>
#include <iterator>

using namespace sources;
using namespace sources::excel;

namespace {

std::vector<std::uint8_t> readAll(std::istream &in)
{
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> readFile(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw ESpreadSheetError(SpreadSheetTexts().FileNotExists);
    return readAll(in);
}

// The version a BOF record id announces; evUnknown for anything else.
TExcelVersion versionOfBof(std::uint16_t id)
{
    if (!IsBof(id))
        return TExcelVersion::evUnknown;
    switch (id >> 8) {
    case 0x00: return TExcelVersion::evExcel2;
    case 0x02: return TExcelVersion::evExcel3;
    case 0x04: return TExcelVersion::evExcel4;
    case 0x08: return TExcelVersion::evExcel5;
    default: return TExcelVersion::evUnknown;
    }
}

// A record cut short by the end of the stream or a field beyond its record is damage,
// and the user hears it in the reader's words.
template <typename Read> void readGuarded(Read read)
{
    try {
        read();
    } catch (const EShortData &) {
        throw ESpreadSheetError(SpreadSheetTexts().Damaged);
    } catch (const ETruncatedRecord &) {
        throw ESpreadSheetError(SpreadSheetTexts().Damaged);
    }
}

} // namespace

// ---------------------------------------------------------------- TCustomMSExcel

void TCustomMSExcel::PrepareLoad()
{
    TSpreadSheetFile::PrepareLoad();
    SummaryInformation.Clear();
    SheetIndex = -1;
    sheetList_.clear();
    dateMode1904_ = false;
}

// ---------------------------------------------------------------- TMSExcel: loading

TMSExcel::TMSExcel() : codePage_(std::make_unique<TCodePageDecoder>()) { Version = TExcelVersion::evUnknown; }

TMSExcel::~TMSExcel() = default;

void TMSExcel::PrepareLoad()
{
    TCustomMSExcel::PrepareLoad();
    xfList_.clear();
    sharedStrings_.clear();
    codePage_->Reset();
    oldFormatCount_ = 0;
    encrypted_ = false;
    largestRow_ = largestColumn_ = -1;
    dimensionRows_ = dimensionColumns_ = -1;
    formatList_.clear();
    formatIsDate_.clear();
    const std::vector<std::string> builtIn = BuiltInFormats();
    for (std::size_t i = 0; i < builtIn.size(); ++i)
        SetFormat(static_cast<int>(i), builtIn[i]);
}

void TMSExcel::LoadFromFile(const std::string &fileName)
{
    TCustomSpreadSheetFile::LoadFromFile(fileName);
    LoadBytes(readFile(fileName));
}

// A compound document holds the workbook stream; anything else is taken for a plain
// record stream (Excel 2 to 4 write nothing else).
void TMSExcel::LoadBytes(std::vector<std::uint8_t> bytes)
{
    if (!TCompoundFile::HasSignature(bytes)) {
        TBiffStream stream(std::move(bytes));
        readGuarded([&] { ReadPlainStream(stream); });
        return;
    }
    const auto file = TCompoundFile::Open(bytes);
    if (!file)
        throw ESpreadSheetError(SpreadSheetTexts().NotValidWorkbook);
    readGuarded([&] { ReadCompound(*file); });
}

void TMSExcel::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    LoadBytes(readAll(stream));
}

void TMSExcel::ReadCompound(const TCompoundFile &file)
{
    std::string workbook;
    for (const std::string &name : file.ChildNames()) {
        const std::string upper = Text::Upper(name);
        if (upper == "WORKBOOK" || (upper == "BOOK" && workbook.empty()))
            workbook = name;
        if (name == "\005SummaryInformation")
            if (auto bytes = file.ReadStream(name))
                SummaryInformation.ReadSummaryInformation(*bytes);
        if (name == "\005DocumentSummaryInformation")
            if (auto bytes = file.ReadStream(name))
                SummaryInformation.ReadDocumentSummaryInformation(*bytes);
    }
    if (workbook.empty())
        workbook = "Workbook";
    Version = workbook == "Book" ? TExcelVersion::evExcel7 : TExcelVersion::evExcel8;
    auto bytes = file.ReadStream(workbook);
    if (!bytes)
        throw ESpreadSheetError(SpreadSheetTexts().NotValidWorkbook);
    TBiffStream stream(std::move(*bytes));
    ReadWorkbookStream(stream);
}

std::size_t TMSExcel::RecordLimit() const { return Version >= TExcelVersion::evExcel8 ? 8224 : 2080; }

void TMSExcel::ReadWorkbookStream(TBiffStream &stream)
{
    bool skipSheet = false;
    TRecordHeader header;
    while (stream.ReadHeader(header)) {
        const std::size_t at = stream.Position() - 4;
        ReportProgress(static_cast<std::int64_t>(stream.Position()), static_cast<std::int64_t>(stream.Size()));
        if (header.Id != rec::SST && header.Length > RecordLimit()) {
            stream.Skip(header.Length);
            continue;
        }
        const TByteView data(stream.ReadData(header.Length));
        ReportProgress(static_cast<std::int64_t>(stream.Position()), static_cast<std::int64_t>(stream.Size()));
        if (!skipSheet && ProcessRecord(stream, header, data))
            continue;
        if (header.Id == rec::EOF_) {
            if (SheetIndex >= 0 && static_cast<std::size_t>(SheetIndex) + 1 >= WorksheetCount())
                return;
            continue;
        }
        if (IsBof(header.Id) && !OnBof(stream, at, data, skipSheet))
            return;
    }
}

std::size_t TMSExcel::WorksheetCount() const
{
    std::size_t count = 0;
    for (const TSheetEntry &e : sheetList_)
        count += e.Type <= 1;
    return count;
}

// The entry whose BOF offset is this substream's; failing that, the next worksheet entry
// in list order. Names then follow the substreams even when chart sheets come between.
const TCustomMSExcel::TSheetEntry *TMSExcel::SheetEntryAt(std::size_t offset) const
{
    for (const TSheetEntry &e : sheetList_)
        if (e.Offset == offset)
            return &e;
    int ordinal = SheetIndex;
    for (const TSheetEntry &e : sheetList_)
        if (e.Type <= 1 && ordinal-- == 0)
            return &e;
    return nullptr;
}

// Returns false when reading should end.
bool TMSExcel::OnBof(TBiffStream &stream, std::size_t at, const TByteView &data, bool &skipSheet)
{
    if (!data.Has(2, 2))
        throw ESpreadSheetError(SpreadSheetTexts().Damaged);
    const std::uint16_t type = data.U16(2);
    if (type == bof::Globals)
        return true;
    if (type != bof::Worksheet && type != bof::MacroSheet) {
        skipSheet = true; // charts and modules take no sheet number
        return true;
    }
    ++SheetIndex;
    skipSheet = false;
    const TSheetEntry *entry = SheetEntryAt(at);
    bool skip = false;
    if (OnSheet)
        OnSheet(this, entry ? entry->Name : "Sheet" + std::to_string(SheetIndex + 1), SheetIndex, skip);
    if (!skip)
        return true;
    // Jump to the nearest later substream; a BOUNDSHEET offset that points at no BOF is
    // not trusted, the records are then passed over one by one.
    std::size_t next = 0;
    for (const TSheetEntry &e : sheetList_)
        if (e.Offset > at && (next == 0 || e.Offset < next))
            next = e.Offset;
    if (next == 0)
        return false;
    const std::size_t resume = stream.Position();
    stream.Seek(next);
    TRecordHeader peek;
    const bool isBof = stream.ReadHeader(peek) && IsBof(peek.Id);
    stream.Seek(isBof ? next : resume);
    skipSheet = !isBof;
    return true;
}

void TMSExcel::ReadPlainStream(TBiffStream &stream)
{
    TRecordHeader header;
    if (!stream.ReadHeader(header) || versionOfBof(header.Id) == TExcelVersion::evUnknown)
        throw ESpreadSheetError(SpreadSheetTexts().NotExcelFile);
    Version = versionOfBof(header.Id);
    stream.Seek(0);
    while (stream.ReadHeader(header)) {
        ReportProgress(static_cast<std::int64_t>(stream.Position()), static_cast<std::int64_t>(stream.Size()));
        if (header.Id != rec::SST && header.Length > RecordLimit()) {
            stream.Skip(header.Length);
            continue;
        }
        const TByteView data(stream.ReadData(header.Length));
        if (ProcessRecord(stream, header, data) || !IsBof(header.Id))
            continue;
        Version = versionOfBof(header.Id);
        if (Version == TExcelVersion::evUnknown)
            throw ESpreadSheetError(SpreadSheetTexts().NotExcelFile);
    }
    if (dimensionRows_ >= largestRow_ + 1 && dimensionColumns_ >= largestColumn_ + 1)
        return;
    if (OnDimensions)
        OnDimensions(this, SheetIndex, 0, largestRow_ + 1, 0, largestColumn_ + 1);
}

// ---------------------------------------------------------------- TMSExcelX

void TMSExcelX::LoadFromFile(const std::string &fileName)
{
    TCustomSpreadSheetFile::LoadFromFile(fileName);
    const std::string name = Text::Upper(fileName);
    if (name.size() >= 5 && name.compare(name.size() - 5, 5, ".XLSB") == 0)
        throw ESpreadSheetError(SpreadSheetTexts().BinaryNotSupported);
    ReadPackage(readFile(fileName));
}

void TMSExcelX::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    ReadPackage(readAll(stream));
}

namespace {

// Hands what the Open XML reader finds to the reader events.
class TEventSink : public TOpenXmlSink {
public:
    TEventSink(TMSExcelX &reader, std::vector<TCustomMSExcel::TSheetEntry> &sheetList, bool &date1904)
        : reader_(reader), sheetList_(sheetList), date1904_(date1904)
    {
    }

    void Workbook(bool date1904, const std::vector<SheetInfo> &sheets) override
    {
        date1904_ = date1904;
        for (const SheetInfo &s : sheets)
            sheetList_.push_back({s.Name, 0, static_cast<std::uint8_t>(s.Worksheet ? 0 : 2)});
    }
    bool BeginSheet(const std::string &name, int index) override
    {
        reader_.SheetIndex = index;
        bool skip = false;
        if (reader_.OnSheet)
            reader_.OnSheet(&reader_, name, index, skip);
        return skip;
    }
    void Dimensions(int sheet, int firstRow, int lastRow, int firstColumn, int lastColumn) override
    {
        if (reader_.OnDimensions)
            reader_.OnDimensions(&reader_, sheet, firstRow, lastRow, firstColumn, lastColumn);
    }
    void ColumnWidth(int sheet, int column, int width) override
    {
        if (reader_.OnColumnWidth)
            reader_.OnColumnWidth(&reader_, sheet, column, width);
    }
    void RowHeight(int sheet, int row, int height) override
    {
        if (reader_.OnRowHeight)
            reader_.OnRowHeight(&reader_, sheet, row, height);
    }
    void Cell(int sheet, int row, int column, int xf, const Variant &value, TAlignment alignment) override
    {
        if (reader_.OnCellValue)
            reader_.OnCellValue(&reader_, sheet, row, column, xf, value, alignment);
    }
    void Progress(std::int64_t position, std::int64_t total) override { progress_(position, total); }
    bool WantsEmptyCells() const override { return reader_.LoadNULLs; }

    std::function<void(std::int64_t, std::int64_t)> progress_;

private:
    TMSExcelX &reader_;
    std::vector<TCustomMSExcel::TSheetEntry> &sheetList_;
    bool &date1904_;
};

} // namespace

void TMSExcelX::ReadPackage(const std::vector<std::uint8_t> &bytes)
{
    TEventSink sink(*this, sheetList_, dateMode1904_);
    sink.progress_ = [this](std::int64_t position, std::int64_t total) { ReportProgress(position, total); };
    ReadOpenXmlWorkbook(bytes, sink);
}
