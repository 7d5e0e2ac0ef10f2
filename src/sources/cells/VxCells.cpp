#include "sources/cells/VxCells.h"

#include <algorithm>
#include <cmath>

// The whole exponent decides: a test of only its upper eight bits would also refuse
// finite numbers near 1e306.
bool IsInvalidReal(double value) { return !std::isfinite(value); }

namespace {

// A reader never reports columns this far out; refusing them keeps a damaged file from
// making every row allocate tens of thousands of empty entries.
constexpr int MaxColumns = 1 << 16;
constexpr int MaxRows = 1 << 21;

} // namespace

// ---------------------------------------------------------------- columns

TVxICell *TSpreadSheetCols::Cell(int column)
{
    if (column < 0 || column >= Count() || !cells_[static_cast<std::size_t>(column)])
        return nullptr;
    return &*cells_[static_cast<std::size_t>(column)];
}

const TVxICell *TSpreadSheetCols::Cell(int column) const { return const_cast<TSpreadSheetCols *>(this)->Cell(column); }

TVxICell &TSpreadSheetCols::Ensure(int column)
{
    const auto at = static_cast<std::size_t>(column);
    if (at >= cells_.size())
        cells_.resize(at + 1);
    if (!cells_[at])
        cells_[at].emplace();
    return *cells_[at];
}

// ---------------------------------------------------------------- cells

TSpreadSheetRow *TSpreadSheetCells::Row(int row)
{
    if (row < 0 || row >= Count())
        return nullptr;
    return rows_[static_cast<std::size_t>(row)].get();
}

const TSpreadSheetRow *TSpreadSheetCells::Row(int row) const { return const_cast<TSpreadSheetCells *>(this)->Row(row); }

TSpreadSheetRow &TSpreadSheetCells::EnsureRow(int row)
{
    while (Count() <= row)
        rows_.push_back(std::make_unique<TSpreadSheetRow>(Count()));
    return *rows_[static_cast<std::size_t>(row)];
}

void TSpreadSheetCells::SetCell(int column, int row, int formatIndex, TAlignment alignment, const Variant &value)
{
    if (value.IsNullOrEmpty())
        return;
    if (row < 0 || column < 0 || row >= MaxRows || column >= MaxColumns)
        return;
    TVxICell &cell = EnsureRow(row).Cols.Ensure(column);
    cell.Value = value;
    cell.Alignment = alignment;
    cell.FormatIndex = formatIndex;
    if (!TrackExtent)
        return;
    ColCount = std::max(ColCount, column + 1);
    RowCount = std::max(RowCount, row + 1);
}

const TVxICell *TSpreadSheetCells::Cell(int column, int row) const
{
    const TSpreadSheetRow *r = Row(row);
    return r ? r->Cols.Cell(column) : nullptr;
}

Variant TSpreadSheetCells::GetCellValue(int column, int row) const
{
    const TVxICell *cell = Cell(column, row);
    return cell ? cell->Value : Variant::Null();
}

void TSpreadSheetCells::Clear()
{
    rows_.clear();
    LastColumn = LastRow = ColCount = RowCount = 0;
}

// ---------------------------------------------------------------- sheets

std::optional<int> TSpreadSheet::ColumnWidth(int column) const
{
    if (column < 0 || column >= static_cast<int>(ColumnWidths.size()))
        return std::nullopt;
    return ColumnWidths[static_cast<std::size_t>(column)];
}

void TSpreadSheet::SetColumnWidth(int column, int width)
{
    if (column < 0 || column >= MaxColumns)
        return;
    const auto at = static_cast<std::size_t>(column);
    if (at >= ColumnWidths.size())
        ColumnWidths.resize(at + 1);
    ColumnWidths[at] = width;
}

int TSpreadSheets::AddSheet()
{
    sheets_.push_back(std::make_unique<TSpreadSheet>());
    sheets_.back()->Caption = "Sheet" + std::to_string(Count());
    return Count() - 1;
}

TSpreadSheet &TSpreadSheets::GetSheet(int index)
{
    index = std::max(index, 0);
    while (Count() <= index)
        AddSheet();
    return *sheets_[static_cast<std::size_t>(index)];
}

void TSpreadSheets::DeleteSheet(int index)
{
    if (index >= 0 && index < Count())
        sheets_.erase(sheets_.begin() + index);
}

int TSpreadSheets::FindSheet(const std::string &name) const
{
    for (int i = 0; i < Count(); ++i)
        if (sheets_[static_cast<std::size_t>(i)]->Caption == name)
            return i;
    return -1;
}

// ---------------------------------------------------------------- column names

std::string ColumnLetters(int column)
{
    std::string letters;
    for (long n = column; n > 0; n = (n - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    return letters;
}

int ColumnIndexFromLetters(const std::string &name, int colCount)
{
    if (name.empty())
        return -1;
    long long n = 0;
    for (char ch : name) {
        const char up = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
        if (up < 'A' || up > 'Z')
            return -1;
        n = n * 26 + (up - 'A' + 1);
        if (n > colCount)
            return -1; // also keeps long names from overflowing
    }
    return static_cast<int>(n - 1);
}
