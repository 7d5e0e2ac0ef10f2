#include "sources/paradox/VxI2DB.h"

#include "sources/paradox/VxParadox.h"
#include "sources/paradox/PxFieldValue.h"

#include <algorithm>
#include <limits>

namespace {

TDBParadox *paradoxReader(TSpreadSheetFile *reader) { return dynamic_cast<TDBParadox *>(reader); }

} // namespace

TVxImportFromParadox::TVxImportFromParadox(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teParadox;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromParadox::CreateSpreadSheetFile()
{
    return std::make_unique<TDBParadox>();
}

void TVxImportFromParadox::GetFileFilter(std::string &filter) const
{
    std::string base;
    TVxImportBaseComponent::GetFileFilter(base);
    filter = "Paradox file (*.db)|*.DB|" + base;
}

void TVxImportFromParadox::CreateColumns()
{
    const TDBParadox *reader = paradoxReader(SpreadSheetFile());
    if (!reader) {
        TVxImportFromCell::CreateColumns();
        return;
    }
    for (const sources::paradox::TPxField &field : reader->Fields()) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = field.Name;
        column.Caption = field.Name;
        column.Size = field.Size;
        column.DataType = sources::paradox::FieldDataType(field.Type);
    }
}

std::int32_t TVxImportFromParadox::GetRowCount()
{
    const TDBParadox *reader = paradoxReader(SpreadSheetFile());
    if (!reader)
        return TVxImportFromCell::GetRowCount();
    return static_cast<std::int32_t>(
        std::min<std::uint32_t>(reader->RecordCount(), std::numeric_limits<std::int32_t>::max()));
}

// The rows end where the block chain does, even when the header counts more records.
bool TVxImportFromParadox::HasRow()
{
    if (!TVxImportFromCell::HasRow())
        return false;
    TDBParadox *reader = paradoxReader(SpreadSheetFile());
    if (!reader || !reader->ByRowMode || reader->HasRecordFor(CurrentRowIndex))
        return true;
    reader->EndOfRows();
    return false;
}
