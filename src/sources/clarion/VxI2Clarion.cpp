#include "sources/clarion/VxI2Clarion.h"

#include "sources/clarion/ClarionValue.h"
#include "sources/clarion/VxClarion.h"

std::unique_ptr<TSpreadSheetFile> CreateClarionReader(const std::string &) { return std::make_unique<TClarion>(); }

TVxImportFromClarion::TVxImportFromClarion(TVxImportBaseComponent *owner) : TVxImportFromRecordTable(owner)
{
    TableType = TTableTypeImport::teClarion;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromClarion::CreateSpreadSheetFile()
{
    return CreateClarionReader(SourceFileName);
}

void TVxImportFromClarion::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "Clarion table (*.dat)|*.DAT");
}

void TVxImportFromClarion::CreateColumns()
{
    const auto *reader = dynamic_cast<const TClarion *>(SpreadSheetFile());
    if (!reader) {
        TVxImportFromCell::CreateColumns();
        return;
    }
    for (const sources::clarion::TClarionEntry &entry : reader->Entries()) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = entry.Name.substr(0, 16);
        column.Caption = column.FieldName;
        column.Size = static_cast<int>(entry.Width);
        column.DataType = sources::clarion::EntryDataType(entry.Type);
    }
}
