#pragma once

#include "sources/cells/VxI2Table.h"

// The Clarion source: a cell source whose reader is a TClarion, with one column per field
// and per array element.
class TVxImportFromClarion : public TVxImportFromRecordTable {
public:
    explicit TVxImportFromClarion(TVxImportBaseComponent *owner = nullptr);

    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".DAT"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
};

std::unique_ptr<TSpreadSheetFile> CreateClarionReader(const std::string &fileName);
