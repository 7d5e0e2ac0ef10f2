#pragma once

#include "engine/DataSet.h"
#include "values/Variant.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sources::excel {

// What the Open XML reader finds, in the order it finds it.
class TOpenXmlSink {
public:
    struct SheetInfo {
        std::string Name;
        bool Worksheet = true; // false for chart and dialog sheets, which take no number
    };

    virtual ~TOpenXmlSink() = default;
    virtual void Workbook(bool date1904, const std::vector<SheetInfo> &sheets) = 0;
    // A worksheet begins; returns true to pass over it.
    virtual bool BeginSheet(const std::string &name, int index) = 0;
    virtual void Dimensions(int sheet, int firstRow, int lastRow, int firstColumn, int lastColumn) = 0;
    virtual void ColumnWidth(int sheet, int column, int width) = 0;
    virtual void RowHeight(int sheet, int row, int height) = 0;
    virtual void Cell(int sheet, int row, int column, int xf, const Variant &value, TAlignment alignment) = 0;
    virtual void Progress(std::int64_t position, std::int64_t total) = 0;
    virtual bool WantsEmptyCells() const = 0;
};

// Reads an .xlsx or .xlsm package held in memory. Raises ESpreadSheetError with
// "File is not valid Excel Workbook" for a package that is not a workbook, and with the
// binary-workbook text for an .xlsb package.
void ReadOpenXmlWorkbook(std::span<const std::uint8_t> package, TOpenXmlSink &sink);

// "B3" -> row 2, column 1; false when the text is no cell reference.
bool ParseCellReference(std::string_view reference, int &row, int &column);

} // namespace sources::excel
