#include "sources/excel/VxI2XLS.h"

#include "sources/excel/VxXLS.h"
#include "values/StringList.h"

namespace {

bool isOpenXmlName(const std::string &fileName)
{
    const std::string name = Text::Upper(fileName);
    const auto dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    // templates are the same packages as workbooks, so they take the same reader
    return ext == ".XLSX" || ext == ".XLSM" || ext == ".XLSB" || ext == ".XLTX" || ext == ".XLTM";
}

} // namespace

std::unique_ptr<TSpreadSheetFile> CreateExcelReader(const std::string &fileName)
{
    if (isOpenXmlName(fileName))
        return std::make_unique<TMSExcelX>();
    return std::make_unique<TMSExcel>();
}

TVxImportFromXLS::TVxImportFromXLS(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teXLS;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromXLS::CreateSpreadSheetFile()
{
    return CreateExcelReader(SourceFileName);
}

void TVxImportFromXLS::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "Excel spreadsheet (*.xls)|*.XLS|"
                                   "Excel file (*.xls)|*.XLS|"
                                   "Excel 12 Workbook (*.xlsx)|*.XLSX|"
                                   "Excel 12 Macro-Enabled Workbook (*.xlsm)|*.XLSM|"
                                   "Excel 12 Binary Workbook (*.xlsb)|*.XLSB|"
                                   "Excel 12 Template (*.xltx)|*.XLTX|"
                                   "Excel 12  Macro-Enabled Template (*.xltm)|*.XLTM");
}
