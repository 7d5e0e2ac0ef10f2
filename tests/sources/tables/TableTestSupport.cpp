#include "TableTestSupport.h"

#include "sources/dbase/VxDBF.h"
#include "sources/paradox/VxParadox.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

std::string ValueText(const Variant &value)
{
    std::string text = Variant::TypeName(value.VarType());
    text += ":";
    if (value.IsDate()) {
        int y, m, d, h, n, s, ms;
        DecodeDate(value.AsDateTime(), y, m, d);
        DecodeTime(value.AsDateTime(), h, n, s, ms);
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, n, s);
        return text + buffer;
    }
    if (value.IsFloat()) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15g", value.AsDouble());
        return text + buffer;
    }
    if (!value.IsArray())
        text += value.AsString();
    return text;
}

ScratchDir::ScratchDir()
{
    char pattern[] = "/tmp/ferrovane-tables-XXXXXX";
    const char *made = mkdtemp(pattern);
    if (!made)
        throw std::runtime_error("cannot create a scratch folder");
    path_ = made;
}

ScratchDir::~ScratchDir()
{
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::string ScratchDir::Write(const std::string &name, const std::vector<std::uint8_t> &bytes) const
{
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ScratchDir::Copy(const std::string &from, const std::string &name) const
{
    return Write(name, ReadBytes(from));
}

std::vector<std::uint8_t> ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
