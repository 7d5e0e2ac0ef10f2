#pragma once

#include "sources/cells/VxI2Table.h"

// The dBase source: a cell source whose reader is a TDBF, with the table's own columns,
// types and record count.
class TVxImportFromDBF : public TVxImportFromRecordTable {
public:
    explicit TVxImportFromDBF(TVxImportBaseComponent *owner = nullptr);

    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".DBF"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
};
