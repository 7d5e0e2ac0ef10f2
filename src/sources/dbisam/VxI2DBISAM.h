#pragma once

#include "sources/cells/VxI2Table.h"

// The DBISAM source: a cell source whose reader is a TDBISAM, with the table's own
// columns, types and record count.
class TVxImportFromDBISAM : public TVxImportFromRecordTable {
public:
    explicit TVxImportFromDBISAM(TVxImportBaseComponent *owner = nullptr);

    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".DAT"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
};

std::unique_ptr<TSpreadSheetFile> CreateDBISAMReader(const std::string &fileName);
