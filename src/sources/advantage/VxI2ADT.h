#pragma once

#include "sources/cells/VxI2Table.h"

// The Advantage source: a cell source whose reader is a TADT, with the table's own
// columns, types and record count.
class TVxImportFromAdvantage : public TVxImportFromRecordTable {
public:
    explicit TVxImportFromAdvantage(TVxImportBaseComponent *owner = nullptr);

    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".ADT"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
};

std::unique_ptr<TSpreadSheetFile> CreateAdvantageReader(const std::string &fileName);
