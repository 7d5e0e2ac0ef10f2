#pragma once

#include "sources/cells/VxI2Cell.h"

// The source of a table file read record by record (Advantage, Clarion, …): its rows end
// with the last record the reader wants, and its row count is the header's.
class TVxImportFromRecordTable : public TVxImportFromCell {
public:
    using TVxImportFromCell::TVxImportFromCell;

    std::int32_t GetRowCount() override;
    bool HasRow() override;
};
