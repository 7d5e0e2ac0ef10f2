#pragma once

#include "sources/cells/VxI2Cell.h"

// The SPSS source: a cell source whose reader is a TSPSSFile, one column per variable
// (captioned by its label when the import uses display names).
class TVxImportFromSPSS : public TVxImportFromCell {
public:
    explicit TVxImportFromSPSS(TVxImportBaseComponent *owner = nullptr);

    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".SAV"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
    std::int32_t GetRowCount() override;
};

std::unique_ptr<TSpreadSheetFile> CreateSPSSReader(const std::string &fileName);
