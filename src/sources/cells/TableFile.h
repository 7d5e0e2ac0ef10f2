#pragma once

#include "sources/cells/VxCellsFile.h"

#include <cstdint>
#include <string>

namespace sources {

// What the dBase and Paradox readers share: a table file becomes one sheet named after
// the file, read whole for a preview or record by record in row mode.
class TTableFile : public TSpreadSheetFile {
public:
    // Opens the file, reads it and closes it again; row mode ends whether the load
    // succeeded or not.
    void LoadFromFile(const std::string &fileName) override;
    void ResetRows() override;

protected:
    // Reads every record up to the range's last row into the sheet, ending row mode also
    // when a record fails.
    void ReadAllRows(std::uint32_t recordCount);
    // Whether the table still holds a record to read.
    virtual bool NextRecordAvailable() = 0;
};

} // namespace sources
