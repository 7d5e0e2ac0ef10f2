#pragma once

#include "engine/DataSet.h"
#include "values/Variant.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The workbook model every grid-shaped source fills: sheets of rows of cells. Readers
// report what they find through events (VxCellsFile.h); the model keeps the cells of
// the sheet an import asked for.

// Infinities and NaNs of either sign: what spreadsheets store for errors and for
// results that are not numbers.
bool IsInvalidReal(double value);

class TVxICell {
public:
    Variant Value;
    TAlignment Alignment = TAlignment::taLeftJustify;
    int FormatIndex = 0;

    void Assign(const TVxICell &other) { *this = other; }
};

// The cells of one row by 0-based column; a column without a cell holds no value.
// Cells live in place so that a large sheet costs no allocation per cell.
class TSpreadSheetCols {
public:
    int Count() const { return static_cast<int>(cells_.size()); }
    TVxICell *Cell(int column);
    const TVxICell *Cell(int column) const;
    // Extends the list with absent entries up to the column and creates its cell.
    TVxICell &Ensure(int column);
    void Clear() { cells_.clear(); }

private:
    std::vector<std::optional<TVxICell>> cells_;
};

class TSpreadSheetRow {
public:
    explicit TSpreadSheetRow(int rowNumber = 0) : RowNumber(rowNumber), RowIndex(rowNumber) {}

    int RowNumber; // the row's 0-based index
    int RowIndex;
    TSpreadSheetCols Cols;
};

class TSpreadSheetCells {
public:
    int Count() const { return static_cast<int>(rows_.size()); }
    TSpreadSheetRow *Row(int row);
    const TSpreadSheetRow *Row(int row) const;
    TSpreadSheetRow &EnsureRow(int row);
    // Stores a value; Null and Empty store nothing.
    void SetCell(int column, int row, int formatIndex, TAlignment alignment, const Variant &value);
    // Null when the row or the cell is missing.
    Variant GetCellValue(int column, int row) const;
    const TVxICell *Cell(int column, int row) const;
    void Clear();

    int LastColumn = 0;
    int LastRow = 0;
    int ColCount = 0;
    int RowCount = 0;
    bool TrackExtent = true;

private:
    std::vector<std::unique_ptr<TSpreadSheetRow>> rows_;
};

class TSpreadSheet {
public:
    TSpreadSheetCells Cells;
    std::string Caption;
    std::vector<std::optional<int>> ColumnWidths; // by 0-based column; absent = no width known

    std::optional<int> ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
};

class TSpreadSheets {
public:
    int Count() const { return static_cast<int>(sheets_.size()); }
    // Appends a sheet named "Sheet" and its 1-based position; returns its index.
    int AddSheet();
    // Never fails: a negative index means 0, and missing sheets are added up to the index.
    TSpreadSheet &GetSheet(int index);
    TSpreadSheet &operator[](int index) { return GetSheet(index); }
    void DeleteSheet(int index);
    void Clear() { sheets_.clear(); }
    // Index of the first sheet captioned exactly so; -1 when none.
    int FindSheet(const std::string &name) const;

private:
    std::vector<std::unique_ptr<TSpreadSheet>> sheets_;
};

// The 1-based rows and columns whose cells the model keeps.
struct TVxRange {
    int FirstRow = 1;
    int LastRow = 2147483647;
    int FirstCol = 1;
    int LastCol = 2147483647;

    void Assign(const TVxRange &other) { *this = other; }
};

// 1 -> "A", 26 -> "Z", 27 -> "AA"; empty for numbers below 1.
std::string ColumnLetters(int column);
// "A" -> 0, "IV" -> 255; -1 for anything but letters, or a column beyond colCount.
int ColumnIndexFromLetters(const std::string &name, int colCount);
