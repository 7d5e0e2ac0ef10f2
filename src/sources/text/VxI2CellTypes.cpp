// The three spreadsheet sources and the choice of reader by source type.

#include "VxI2Cell.h"

#include "ImpCnst.h"
#include "StringList.h"
#include "VxCellsTexts.h"
#include "VxXLS.h"

#include <map>

namespace {

bool isOpenXmlName(const std::string &fileName)
{
    const std::string name = Text::Upper(fileName);
    const auto dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    // templates are the same packages as workbooks, so they take the same reader
    return ext == ".XLSX" || ext == ".XLSM" || ext == ".XLSB" || ext == ".XLTX" || ext == ".XLTM";
}

std::string withBaseFilter(const TVxImportBaseComponent &source, std::string entries)
{
    std::string base;
    source.TVxImportBaseComponent::GetFileFilter(base);
    return entries + "|" + base;
}

[[noreturn]] void notAvailable(const char *what)
{
    throw ESpreadSheetError(FormatMessage(SpreadSheetTexts().ReaderNotAvailable, {what}));
}

std::map<TTableTypeImport, TCellReaderFactory> &registeredReaders()
{
    static std::map<TTableTypeImport, TCellReaderFactory> readers;
    return readers;
}

} // namespace

void RegisterCellReader(TTableTypeImport type, TCellReaderFactory factory)
{
    registeredReaders()[type] = std::move(factory);
}

std::unique_ptr<TSpreadSheetFile> CreateCellReader(TTableTypeImport type, const std::string &fileName)
{
    if (const auto found = registeredReaders().find(type); found != registeredReaders().end())
        return found->second();
    switch (type) {
    case TTableTypeImport::teXLS:
        if (isOpenXmlName(fileName))
            return std::make_unique<TMSExcelX>();
        return std::make_unique<TMSExcel>();
    case TTableTypeImport::teWKS: notAvailable("Lotus 1-2-3");
    case TTableTypeImport::teQuattro: notAvailable("Quattro Pro");
    case TTableTypeImport::teParadox: notAvailable("Paradox");
    case TTableTypeImport::teDBase: notAvailable("dBase");
    case TTableTypeImport::teADT: notAvailable("Advantage");
    case TTableTypeImport::teDBISAM: notAvailable("DBISAM");
    case TTableTypeImport::teClarion: notAvailable("Clarion");
    case TTableTypeImport::teWAB: notAvailable("address book");
    case TTableTypeImport::teVCalendar: notAvailable("calendar");
    default: throw ESpreadSheetError(SpreadSheetTexts().IncorrectType);
    }
}

// ---------------------------------------------------------------- Excel

TVxImportFromXLS::TVxImportFromXLS(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teXLS;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromXLS::CreateSpreadSheetFile()
{
    return CreateCellReader(TableType, SourceFileName);
}

void TVxImportFromXLS::GetFileFilter(std::string &filter) const
{
    filter = withBaseFilter(*this, "Excel spreadsheet (*.xls)|*.XLS|"
                                   "Excel file (*.xls)|*.XLS|"
                                   "Excel 12 Workbook (*.xlsx)|*.XLSX|"
                                   "Excel 12 Macro-Enabled Workbook (*.xlsm)|*.XLSM|"
                                   "Excel 12 Binary Workbook (*.xlsb)|*.XLSB|"
                                   "Excel 12 Template (*.xltx)|*.XLTX|"
                                   "Excel 12  Macro-Enabled Template (*.xltm)|*.XLTM");
}

// ---------------------------------------------------------------- Lotus 1-2-3

TVxImportFromWKS::TVxImportFromWKS(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teWKS;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromWKS::CreateSpreadSheetFile()
{
    return CreateCellReader(TableType, SourceFileName);
}

void TVxImportFromWKS::GetFileFilter(std::string &filter) const
{
    filter = withBaseFilter(*this, "Lotus 1-2-3 file (*.wk1)|*.WK1|"
                                   "Lotus 1-2-3 file (*.wk2)|*.WK2|"
                                   "Lotus Symphony file (*.wr1)|*.WR1|"
                                   "Lotus 1-2-3/98 file (*.123)|*.123|"
                                   "Lotus 1-2-3 file (*.wk3)|*.WK3|"
                                   "Lotus 1-2-3 file (*.wk4)|*.WK4");
}

// ---------------------------------------------------------------- Quattro Pro

TVxImportFromQuattro::TVxImportFromQuattro(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teQuattro;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromQuattro::CreateSpreadSheetFile()
{
    return CreateCellReader(TableType, SourceFileName);
}

void TVxImportFromQuattro::GetFileFilter(std::string &filter) const
{
    filter = withBaseFilter(*this, "QuattroPro file (*.wq1)|*.WQ1|"
                                   "QuattroPro file (*.wq2)|*.WQ2|"
                                   "QuattroPro file (*.wkq)|*.WKQ|"
                                   "QuattroPro for Windows 7.0 (*.wb3)|*.WB3|"
                                   "QuattroPro Project File (*.qpw)|*.QPW");
}
