#pragma once

#include "sources/cells/VxI2Cell.h"

// The cell-based sources of Lotus 1-2-3 / Symphony worksheets and Quattro Pro notebooks.

class TVxImportFromWKS : public TVxImportFromCell {
public:
    explicit TVxImportFromWKS(TVxImportBaseComponent *owner = nullptr);
    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".WK1"; }
    void GetFileFilter(std::string &filter) const override;
};

class TVxImportFromQuattro : public TVxImportFromCell {
public:
    explicit TVxImportFromQuattro(TVxImportBaseComponent *owner = nullptr);
    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".WQ1"; }
    void GetFileFilter(std::string &filter) const override;
};

std::unique_ptr<TSpreadSheetFile> CreateLotusReader(const std::string &fileName);
std::unique_ptr<TSpreadSheetFile> CreateQuattroReader(const std::string &fileName);
