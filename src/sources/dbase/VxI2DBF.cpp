#include "sources/dbase/VxI2DBF.h"

#include "sources/dbase/VxDBF.h"
#include "sources/dbase/DbfFieldValue.h"

#include <algorithm>
#include <limits>

namespace {

TDBF *dbfReader(TSpreadSheetFile *reader) { return dynamic_cast<TDBF *>(reader); }

// the wizard's preview finds the reader by the source type
} // namespace

TVxImportFromDBF::TVxImportFromDBF(TVxImportBaseComponent *owner) : TVxImportFromRecordTable(owner)
{
    TableType = TTableTypeImport::teDBase;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromDBF::CreateSpreadSheetFile() { return std::make_unique<TDBF>(); }

void TVxImportFromDBF::GetFileFilter(std::string &filter) const
{
    std::string base;
    TVxImportBaseComponent::GetFileFilter(base);
    filter = "DBase file (*.dbf)|*.DBF|" + base;
}

void TVxImportFromDBF::CreateColumns()
{
    const TDBF *reader = dbfReader(SpreadSheetFile());
    if (!reader) {
        TVxImportFromCell::CreateColumns();
        return;
    }
    for (const sources::dbase::TDBFField &field : reader->Fields()) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = field.Name;
        column.Caption = field.Name;
        column.Size = field.Length;
        column.Precision = field.Decimals;
        column.DataType = sources::dbase::FieldDataType(field.Type, reader->DBFVersion);
    }
}
