#include "sources/dbisam/VxI2DBISAM.h"

#include "sources/dbisam/DbisamValue.h"
#include "sources/dbisam/VxDBISAM.h"

std::unique_ptr<TSpreadSheetFile> CreateDBISAMReader(const std::string &) { return std::make_unique<TDBISAM>(); }

TVxImportFromDBISAM::TVxImportFromDBISAM(TVxImportBaseComponent *owner) : TVxImportFromRecordTable(owner)
{
    TableType = TTableTypeImport::teDBISAM;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromDBISAM::CreateSpreadSheetFile()
{
    return CreateDBISAMReader(SourceFileName);
}

void TVxImportFromDBISAM::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "DBISAM table (*.dat)|*.DAT");
}

void TVxImportFromDBISAM::CreateColumns()
{
    const auto *reader = dynamic_cast<const TDBISAM *>(SpreadSheetFile());
    if (!reader) {
        TVxImportFromCell::CreateColumns();
        return;
    }
    for (const sources::dbisam::TDBISAMField &field : reader->Fields()) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = field.Name;
        column.Caption = field.Name;
        column.Size = field.Size;
        column.DataType = sources::dbisam::FieldDataType(field.Type, field.SubType);
    }
}
