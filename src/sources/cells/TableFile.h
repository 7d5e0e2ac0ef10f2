#pragma once

#include "sources/cells/VxCellsFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sources {

class TTableStream;

// What the table readers share: a table file becomes one sheet named after the file,
// read whole for a preview or record by record in row mode.
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

// A table read record by record through ReadRecord: the rows are the records that
// LoadRowStatuses wants, in file order.
class TRecordTableFile : public TTableFile {
public:
    // Row mode, and columns named by the table's fields.
    TRecordTableFile();
    // Delivers the next wanted record as the cells of the row.
    void ReadRow(int row) override;
    // Whether another record that LoadRowStatuses wants is left; the source ends its rows
    // when none is, rather than serving the last record again.
    bool HasMoreRecords();
    // The same for the record of a row further on, passing over the records before it.
    bool HasRecordFor(int row);
    // The header's count, deleted records included.
    virtual std::uint32_t RecordCount() const = 0;
    // The field of that name, ignoring case; -1 when none.
    int FindField(const std::string &name) const override;

protected:
    // The next record of the table into the reader's buffer and its status; false at the end.
    virtual bool ReadRecord(TVxIRowStatus &status) = 0;
    // The record in the buffer as the cells of the row.
    virtual void DeliverRecord(int row) = 0;
    // Forgets a record read ahead; the next row is row 0.
    void RestartRecords();
    // Reads the next of the header's records into the buffer, counting it; false at the
    // header's count or the file's end. The last record may end with the file: what it
    // lacks reads as zero bytes.
    static bool ReadPaddedRecord(TTableStream *table, std::vector<std::uint8_t> &record, std::uint32_t &recordsRead,
                                 std::uint32_t recordCount);
    bool NextRecordAvailable() override { return HasMoreRecords(); }

private:
    bool NextWantedRecord(TVxIRowStatus &status);
    void CatchUpTo(int row);

    bool pending_ = false; // a wanted record waits in the buffer
    TVxIRowStatus pendingStatus_ = TVxIRowStatus::rsNormal;
    int nextRow_ = 0; // the row the next delivered record belongs to
};

// A record count as the cell model's row numbers hold it.
int ClampedRowCount(std::uint32_t count);

} // namespace sources
