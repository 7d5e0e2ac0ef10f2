#include "sources/advantage/VxI2ADT.h"

#include "sources/advantage/VxADT.h"

#include <algorithm>
#include <limits>

namespace {

TADT *adtReader(TSpreadSheetFile *reader) { return dynamic_cast<TADT *>(reader); }

} // namespace

std::unique_ptr<TSpreadSheetFile> CreateAdvantageReader(const std::string &) { return std::make_unique<TADT>(); }

TVxImportFromAdvantage::TVxImportFromAdvantage(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teADT;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromAdvantage::CreateSpreadSheetFile()
{
    return CreateAdvantageReader(SourceFileName);
}

void TVxImportFromAdvantage::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "Advantage table (*.adt)|*.ADT");
}

void TVxImportFromAdvantage::CreateColumns()
{
    const TADT *reader = adtReader(SpreadSheetFile());
    if (!reader) {
        TVxImportFromCell::CreateColumns();
        return;
    }
    for (const sources::advantage::TADTField &field : reader->Fields()) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = field.Name;
        column.Caption = field.Name;
        column.Size = static_cast<int>(field.Length);
        column.DataType = sources::advantage::FieldDataType(field.Type);
    }
}

std::int32_t TVxImportFromAdvantage::GetRowCount()
{
    const TADT *reader = adtReader(SpreadSheetFile());
    if (!reader)
        return TVxImportFromCell::GetRowCount();
    return static_cast<std::int32_t>(
        std::min<std::uint32_t>(reader->RecordCount(), std::numeric_limits<std::int32_t>::max()));
}

// The header counts deleted records too; the rows end with the last record wanted.
bool TVxImportFromAdvantage::HasRow()
{
    if (!TVxImportFromCell::HasRow())
        return false;
    TADT *reader = adtReader(SpreadSheetFile());
    if (!reader || !reader->ByRowMode || reader->HasRecordFor(CurrentRowIndex))
        return true;
    reader->EndOfRows();
    return false;
}
