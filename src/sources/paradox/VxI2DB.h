#pragma once

#include "sources/cells/VxI2Cell.h"

// The Paradox source: a cell source whose reader is a TDBParadox, with the table's own
// columns, types and record count.
class TVxImportFromParadox : public TVxImportFromCell {
public:
    explicit TVxImportFromParadox(TVxImportBaseComponent *owner = nullptr);

    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".DB"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
    std::int32_t GetRowCount() override;
    bool HasRow() override;
};
