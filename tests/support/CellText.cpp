#include "CellText.h"

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
