#include "sources/cells/VxI2Table.h"

#include "sources/cells/TableFile.h"

#include <algorithm>
#include <limits>

namespace {

sources::TRecordTableFile *recordReader(TSpreadSheetFile *reader)
{
    return dynamic_cast<sources::TRecordTableFile *>(reader);
}

} // namespace

std::int32_t TVxImportFromRecordTable::GetRowCount()
{
    const sources::TRecordTableFile *reader = recordReader(SpreadSheetFile());
    if (!reader)
        return TVxImportFromCell::GetRowCount();
    return static_cast<std::int32_t>(
        std::min<std::uint32_t>(reader->RecordCount(), std::numeric_limits<std::int32_t>::max()));
}

// The header counts deleted records too; the rows end with the last record wanted.
bool TVxImportFromRecordTable::HasRow()
{
    if (!TVxImportFromCell::HasRow())
        return false;
    sources::TRecordTableFile *reader = recordReader(SpreadSheetFile());
    if (!reader || !reader->ByRowMode || reader->HasRecordFor(CurrentRowIndex))
        return true;
    reader->EndOfRows();
    return false;
}
