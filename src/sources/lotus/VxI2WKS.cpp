#include "sources/lotus/VxI2WKS.h"

#include "sources/lotus/VxWKS.h"
#include "sources/lotus/VxWQ.h"

std::unique_ptr<TSpreadSheetFile> CreateLotusReader(const std::string &) { return std::make_unique<TLotus123>(); }

std::unique_ptr<TSpreadSheetFile> CreateQuattroReader(const std::string &) { return std::make_unique<TQuattroPro>(); }

// ---------------------------------------------------------------- Lotus 1-2-3

TVxImportFromWKS::TVxImportFromWKS(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teWKS;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromWKS::CreateSpreadSheetFile()
{
    return CreateLotusReader(SourceFileName);
}

void TVxImportFromWKS::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "Lotus 1-2-3 file (*.wks)|*.WKS|"
                                   "Lotus 1-2-3 file (*.wk1)|*.WK1|"
                                   "Lotus 1-2-3 file (*.wk2)|*.WK2|"
                                   "Lotus Symphony file (*.wrk)|*.WRK|"
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
    return CreateQuattroReader(SourceFileName);
}

void TVxImportFromQuattro::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "QuattroPro file (*.wq1)|*.WQ1|"
                                   "QuattroPro file (*.wq2)|*.WQ2|"
                                   "QuattroPro file (*.wkq)|*.WKQ|"
                                   "QuattroPro for Windows (*.wb1)|*.WB1|"
                                   "QuattroPro for Windows (*.wb2)|*.WB2|"
                                   "QuattroPro for Windows 7.0 (*.wb3)|*.WB3|"
                                   "QuattroPro Project File (*.qpw)|*.QPW");
}
