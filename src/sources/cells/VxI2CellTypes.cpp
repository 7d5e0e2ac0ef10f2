// The spreadsheet sources whose readers are still to come.

#include "sources/cells/VxI2Cell.h"

#include "engine/ImpCnst.h"
#include "sources/cells/VxCellsTexts.h"

namespace {

[[noreturn]] void notAvailable(const char *what)
{
    throw ESpreadSheetError(FormatMessage(SpreadSheetTexts().ReaderNotAvailable, {what}));
}

} // namespace

std::string CellFileFilter(const TVxImportBaseComponent &source, const std::string &entries)
{
    std::string base;
    source.TVxImportBaseComponent::GetFileFilter(base);
    return entries + "|" + base;
}

// ---------------------------------------------------------------- Lotus 1-2-3

TVxImportFromWKS::TVxImportFromWKS(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teWKS;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromWKS::CreateSpreadSheetFile() { notAvailable("Lotus 1-2-3"); }

void TVxImportFromWKS::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "Lotus 1-2-3 file (*.wk1)|*.WK1|"
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

std::unique_ptr<TSpreadSheetFile> TVxImportFromQuattro::CreateSpreadSheetFile() { notAvailable("Quattro Pro"); }

void TVxImportFromQuattro::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "QuattroPro file (*.wq1)|*.WQ1|"
                                   "QuattroPro file (*.wq2)|*.WQ2|"
                                   "QuattroPro file (*.wkq)|*.WKQ|"
                                   "QuattroPro for Windows 7.0 (*.wb3)|*.WB3|"
                                   "QuattroPro Project File (*.qpw)|*.QPW");
}
