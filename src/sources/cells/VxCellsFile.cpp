#include "sources/cells/VxCellsFile.h"

#include "values/StringList.h"
#include "sources/cells/VxCellsTexts.h"

#include <algorithm>
#include <filesystem>

void TCustomSpreadSheetFile::LoadFromFile(const std::string &fileName)
{
    if (Text::Trim(fileName).empty())
        throw ESpreadSheetError(SpreadSheetTexts().FileNotDefined);
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        throw ESpreadSheetError(SpreadSheetTexts().FileNotExists);
    FileName = fileName;
    PrepareLoad();
}

void TCustomSpreadSheetFile::ReportProgress(std::int64_t position, std::int64_t total)
{
    if (Progress)
        Progress(position, total);
    LoadProgressEvent(position, total);
}

// ---------------------------------------------------------------- the model's handlers

void TSpreadSheetFile::PrepareLoad()
{
    Sheets.Clear();
    if (!OnDimensions)
        OnDimensions = [this](TCustomSpreadSheetFile *, int sheetNo, int firstRow, int lastRow, int firstColumn,
                              int lastColumn) { ModelDimensions(sheetNo, firstRow, lastRow, firstColumn, lastColumn); };
    if (!OnCellValue)
        OnCellValue = [this](TCustomSpreadSheetFile *, int sheetNo, int row, int column, int formatIndex,
                             const Variant &value, TAlignment alignment) {
            ModelCellValue(sheetNo, row, column, formatIndex, value, alignment);
        };
    if (!OnGetCellValue)
        OnGetCellValue = [this](TCustomSpreadSheetFile *, int sheetNo, int row, int column, Variant &value) {
            ModelGetCellValue(sheetNo, row, column, value);
        };
    if (!OnSheet)
        OnSheet = [this](TCustomSpreadSheetFile *, const std::string &caption, int index, bool &skip) {
            ModelSheet(caption, index, skip);
        };
    if (!OnColumnWidth)
        OnColumnWidth = [this](TCustomSpreadSheetFile *, int sheetNo, int columnNo, int width) {
            ModelColumnWidth(sheetNo, columnNo, width);
        };
}

bool TSpreadSheetFile::FieldMatchesColumn(const std::string &field, const std::string &column) const
{
    return Text::SameText(field, column);
}

void TSpreadSheetFile::ModelSheet(const std::string &caption, int index, bool &skip)
{
    Sheets.GetSheet(Sheets.AddSheet()).Caption = caption;
    if (LoadSheet >= 0)
        skip = index != LoadSheet;
}

void TSpreadSheetFile::ModelDimensions(int sheetNo, int firstRow, int lastRow, int firstColumn, int lastColumn)
{
    TSpreadSheetCells &cells = Sheets.GetSheet(sheetNo).Cells;
    cells.LastRow = lastRow;
    cells.LastColumn = std::min(lastColumn, Range.LastCol);
    if (cells.TrackExtent)
        return;
    cells.RowCount = lastRow;
    cells.ColCount = cells.LastColumn;
}

void TSpreadSheetFile::ModelCellValue(int sheetNo, int row, int column, int formatIndex, const Variant &value,
                                      TAlignment alignment)
{
    if (column > Range.LastCol || row > Range.LastRow)
        return;
    try {
        Sheets.GetSheet(sheetNo).Cells.SetCell(column, row, formatIndex, alignment, value);
    } catch (const std::exception &) {
        // a cell that cannot be stored is lost, never the load
    }
}

void TSpreadSheetFile::ModelGetCellValue(int sheetNo, int row, int column, Variant &value)
{
    value = Sheets.GetSheet(sheetNo).Cells.GetCellValue(column, row);
}

void TSpreadSheetFile::ModelColumnWidth(int sheetNo, int columnNo, int width)
{
    Sheets.GetSheet(sheetNo).SetColumnWidth(columnNo, width);
}

void TSpreadSheetFile::LoadProgressEvent(std::int64_t position, std::int64_t total)
{
    if (OnLoadProgress)
        OnLoadProgress(this, position, total);
}
