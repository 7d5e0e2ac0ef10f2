#include "sources/spss/VxI2SPSS.h"

#include "sources/spss/VxSPSS.h"

#include <algorithm>
#include <limits>

std::unique_ptr<TSpreadSheetFile> CreateSPSSReader(const std::string &) { return std::make_unique<TSPSSFile>(); }

TVxImportFromSPSS::TVxImportFromSPSS(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teSPSS;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromSPSS::CreateSpreadSheetFile()
{
    return CreateSPSSReader(SourceFileName);
}

void TVxImportFromSPSS::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "SPSS file (*.sav)|*.SAV|SPSS compressed file (*.zsav)|*.ZSAV");
}

void TVxImportFromSPSS::CreateColumns()
{
    const auto *reader = dynamic_cast<const TSPSSFile *>(SpreadSheetFile());
    if (!reader) {
        TVxImportFromCell::CreateColumns();
        return;
    }
    for (const TSPSSFile::TVariable &variable : reader->Variables()) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = variable.Name;
        column.Caption = UseDisplayNames && !variable.Label.empty() ? variable.Label : variable.Name;
        column.Size = variable.Width;
        column.DataType = variable.DataType;
    }
}

std::int32_t TVxImportFromSPSS::GetRowCount()
{
    const auto *reader = dynamic_cast<const TSPSSFile *>(SpreadSheetFile());
    if (!reader || reader->CaseCount() < 0)
        return TVxImportFromCell::GetRowCount();
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(reader->CaseCount(), std::numeric_limits<std::int32_t>::max()));
}
