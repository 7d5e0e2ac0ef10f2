#include "TableRows.h"

#include "CellText.h"

#include "sources/dbase/VxDBF.h"
#include "sources/paradox/VxParadox.h"

#include <fstream>
#include <sstream>

namespace {

// Collects the cells of the row being read.
template <typename Reader> TableRows readRows(Reader &reader, std::istream &in, int maxRows)
{
    std::vector<std::string> current;
    reader.OnCellValue = [&](TCustomSpreadSheetFile *, int, int, int column, int, const Variant &value, TAlignment) {
        if (static_cast<std::size_t>(column) >= current.size())
            current.resize(static_cast<std::size_t>(column) + 1, "-");
        current[static_cast<std::size_t>(column)] = ValueText(value);
    };
    reader.LoadFromStream(in);
    TableRows rows;
    for (int row = 0; row < maxRows && reader.HasRecordFor(row); ++row) {
        current.assign(static_cast<std::size_t>(reader.FieldCount()), "-");
        reader.ReadRow(row);
        rows.push_back(current);
    }
    reader.EndOfRows();
    return rows;
}

} // namespace

TableRows ReadDbfRows(const std::string &path, TVxIRowStatuses statuses, bool parseBLOB, int maxRows)
{
    TDBF reader;
    reader.LoadRowStatuses = statuses;
    reader.ParseBLOB = parseBLOB;
    reader.FileName = path;
    std::ifstream in(path, std::ios::binary);
    return readRows(reader, in, maxRows);
}

TableRows ReadParadoxRows(const std::string &path, int maxRows)
{
    TDBParadox reader;
    reader.FileName = path;
    std::ifstream in(path, std::ios::binary);
    return readRows(reader, in, maxRows);
}

TableRows ReadDbfRowsFromMemory(const std::string &table, const std::string &memo)
{
    TDBF reader;
    std::istringstream tableStream(table), memoStream(memo);
    if (!memo.empty())
        reader.MemoStream = &memoStream;
    return readRows(reader, tableStream, 100000);
}

TableRows ReadParadoxRowsFromMemory(const std::string &table, const std::string &blobs)
{
    TDBParadox reader;
    std::istringstream tableStream(table), blobStream(blobs);
    if (!blobs.empty())
        reader.BLOBStream = &blobStream;
    return readRows(reader, tableStream, 100000);
}
