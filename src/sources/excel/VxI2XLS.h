#pragma once

#include "sources/cells/VxI2Cell.h"

// Excel workbooks: BIFF files, and Open XML packages by their extension.
class TVxImportFromXLS : public TVxImportFromCell {
public:
    explicit TVxImportFromXLS(TVxImportBaseComponent *owner = nullptr);
    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    bool DetectColumnTypes() const override { return true; }
    void GetDefaultExt(std::string &ext) const override { ext = ".XLS"; }
    void GetFileFilter(std::string &filter) const override;
};

// The reader of a workbook file: the Open XML reader for the package extensions
// (".XLSX", ".XLSM", ".XLSB" and the templates), the BIFF reader for everything else.
std::unique_ptr<TSpreadSheetFile> CreateExcelReader(const std::string &fileName);
