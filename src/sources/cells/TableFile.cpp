#include "sources/cells/TableFile.h"

#include "sources/common/CompanionFile.h"
#include "sources/common/TableStream.h"

#include "values/StringList.h"

#include <algorithm>
#include <limits>

namespace sources {

void TTableFile::LoadFromFile(const std::string &fileName)
{
    TCustomSpreadSheetFile::LoadFromFile(fileName);
    const auto file = OpenSharedForReading(fileName);
    if (!file)
        throw ESpreadSheetError("File is not exists.");
    try {
        LoadFromStream(*file);
    } catch (...) {
        EndOfRows();
        throw;
    }
    EndOfRows();
}

void TTableFile::ResetRows()
{
    TSpreadSheetFile::ResetRows();
    TSpreadSheet &sheet = Sheets.GetSheet(0);
    sheet.Caption = FileNameWithoutFolder(FileName);
    sheet.Cells.TrackExtent = false;
}

void TTableFile::ReadAllRows(std::uint32_t recordCount)
{
    try {
        for (int row = 0; static_cast<std::uint32_t>(row) < recordCount && row <= Range.LastRow; ++row) {
            if (!NextRecordAvailable())
                break;
            ReadRow(row);
        }
    } catch (...) {
        EndOfRows();
        throw;
    }
    EndOfRows();
}

// ---------------------------------------------------------------- records

int ClampedRowCount(std::uint32_t count)
{
    return static_cast<int>(std::min<std::uint32_t>(count, std::numeric_limits<int>::max()));
}

TRecordTableFile::TRecordTableFile()
{
    ByRowMode = true;
    NameKind = TVxIColumnNameKind::nkFieldName;
}

bool TRecordTableFile::ReadPaddedRecord(TTableStream *table, std::vector<std::uint8_t> &record,
                                        std::uint32_t &recordsRead, std::uint32_t recordCount)
{
    if (!table || recordsRead >= recordCount)
        return false;
    const std::size_t read = table->ReadSome(record);
    if (read == 0)
        return false;
    std::fill(record.begin() + static_cast<std::ptrdiff_t>(read), record.end(), 0);
    ++recordsRead;
    return true;
}

int TRecordTableFile::FindField(const std::string &name) const
{
    for (int i = 0; i < FieldCount(); ++i)
        if (Text::SameText(FieldName(i), name))
            return i;
    return -1;
}

void TRecordTableFile::RestartRecords()
{
    pending_ = false;
    nextRow_ = 0;
}

bool TRecordTableFile::NextWantedRecord(TVxIRowStatus &status)
{
    if (pending_) {
        pending_ = false;
        status = pendingStatus_;
        return true;
    }
    while (ReadRecord(status))
        if (LoadRowStatuses.Has(status))
            return true;
    return false;
}

bool TRecordTableFile::HasMoreRecords()
{
    if (!pending_)
        pending_ = NextWantedRecord(pendingStatus_);
    return pending_;
}

bool TRecordTableFile::HasRecordFor(int row)
{
    CatchUpTo(row);
    return HasMoreRecords();
}

// A source that starts at a later row passes over the records before it.
void TRecordTableFile::CatchUpTo(int row)
{
    TVxIRowStatus status;
    while (nextRow_ < row && NextWantedRecord(status))
        ++nextRow_;
}

void TRecordTableFile::ReadRow(int row)
{
    TCustomSpreadSheetFile::ReadRow(row);
    ReportProgress(row, RecordCount());
    CatchUpTo(row);
    TVxIRowStatus status;
    if (!NextWantedRecord(status))
        return;
    nextRow_ = std::max(nextRow_, row) + 1;
    if (OnCellValue)
        DeliverRecord(row);
}

} // namespace sources
