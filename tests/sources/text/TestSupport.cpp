#include "TestSupport.h"

#include <cstdio>

std::string CellText(const TSpreadSheet &sheet, int column, int row)
{
    const TVxICell *cell = sheet.Cells.Cell(column, row);
    if (!cell)
        return "-";
    const Variant &v = cell->Value;
    char number[64];
    switch (v.VarType()) {
    case TVarType::varDouble:
    case TVarType::varDate:
        std::snprintf(number, sizeof number, "%.10g", v.AsDouble());
        return std::string(v.IsDate() ? "Date:" : "Double:") + number;
    case TVarType::varBoolean: return std::string("Boolean:") + (v.AsBoolean() ? "True" : "False");
    default: return std::string(Variant::TypeName(v.VarType())) + ":" + v.AsString();
    }
}

#include <cstdlib>
#include <filesystem>
#include <fstream>

TempFile::TempFile(const std::string &name, const std::string &content)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ferrovane-xls-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    folder_ = pattern;
    path_ = folder_ + "/" + name;
    std::ofstream(path_, std::ios::binary) << content;
}

TempFile::~TempFile()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}
