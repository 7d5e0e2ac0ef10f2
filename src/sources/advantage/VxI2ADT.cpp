#include "sources/advantage/VxI2ADT.h"

#include "sources/advantage/VxADT.h"

namespace {

TADT *adtReader(TSpreadSheetFile *reader) { return dynamic_cast<TADT *>(reader); }

} // namespace

std::unique_ptr<TSpreadSheetFile> CreateAdvantageReader(const std::string &) { return std::make_unique<TADT>(); }

TVxImportFromAdvantage::TVxImportFromAdvantage(TVxImportBaseComponent *owner) : TVxImportFromRecordTable(owner)
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
