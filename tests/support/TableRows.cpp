#include "TableRows.h"

#include "CellText.h"

#include "sources/dbase/VxDBF.h"
#include "sources/paradox/VxParadox.h"

#include <fstream>

namespace {

// Collects the cells of the row being read.
template <typename Reader> TableRows readRows(Reader &reader, const std::string &path, int maxRows)
{
    std::vector<std::string> current;
    reader.OnCellValue = [&](TCustomSpreadSheetFile *, int, int, int column, int, const Variant &value, TAlignment) {
        if (static_cast<std::size_t>(column) >= current.size())
            current.resize(static_cast<std::size_t>(column) + 1, "-");
        current[static_cast<std::size_t>(column)] = ValueText(value);
    };
    reader.FileName = path;
    std::ifstream in(path, std::ios::binary);
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
    return readRows(reader, path, maxRows);
}

TableRows ReadParadoxRows(const std::string &path, int maxRows)
{
    TDBParadox reader;
    return readRows(reader, path, maxRows);
}
