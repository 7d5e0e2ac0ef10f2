// The wizard's preview of a cell-based source.

#include "sources/cells/VxI2Cell.h"

#include "sources/cells/VxCellsTexts.h"
#include "values/StringList.h"

#include <algorithm>

namespace {

std::vector<TCellPreviewColumn> previewColumns(const TSpreadSheetFile &reader, const TSpreadSheetCells &cells,
                                               const std::string *columnList)
{
    std::vector<TCellPreviewColumn> columns;
    if (reader.NameKind == TVxIColumnNameKind::nkFieldName) {
        for (int i = 0; i < reader.FieldCount(); ++i)
            columns.push_back({reader.FieldName(i), i});
        return columns;
    }
    if (columnList) {
        TStringList tokens;
        std::string text = *columnList;
        std::replace(text.begin(), text.end(), ';', '\n');
        tokens.SetText(text);
        for (const std::string &token : tokens.Lines())
            columns.push_back({token, ColumnIndexFromLetters(token, cells.ColCount)});
        return columns;
    }
    for (int i = 1; i <= cells.ColCount; ++i)
        columns.push_back({ColumnLetters(i), i});
    return columns;
}

const TVxICell *previewCell(const TSpreadSheetFile &reader, const TSpreadSheetRow &row, const TSpreadSheetCells &cells,
                            const TCellPreviewColumn &column)
{
    const int index = reader.NameKind == TVxIColumnNameKind::nkFieldName
                          ? column.Index
                          : ColumnIndexFromLetters(column.Name, cells.ColCount);
    return row.Cols.Cell(index);
}

} // namespace

void BuildCellPreview(const TCellPreviewRequest &request, std::vector<TCellPreviewColumn> &columnNames,
                      std::vector<std::string> &sheetNames)
{
    columnNames.clear();
    if (!request.CreateReader)
        throw ESpreadSheetError(SpreadSheetTexts().IncorrectType);
    const std::unique_ptr<TSpreadSheetFile> reader = request.CreateReader(request.FileName);
    reader->Progress = request.Progress;
    reader->LoadSheet = request.SheetIndex;
    reader->Range.LastRow = request.PreviewRowCount + request.FirstRow;
    reader->ByRowMode = false; // the whole preview window is loaded into the model
    reader->LoadFromFile(request.FileName);

    sheetNames.clear();
    for (int i = 0; i < reader->Sheets.Count(); ++i)
        sheetNames.push_back(reader->Sheets[i].Caption);

    const TSpreadSheetCells &cells = reader->Sheets.GetSheet(request.SheetIndex).Cells;
    columnNames = previewColumns(*reader, cells, request.ColumnList);

    std::vector<Variant> items;
    for (const TCellPreviewColumn &c : columnNames)
        items.push_back(Variant::Array({Variant(), Variant(c.Name), Variant::Null()}));
    Variant rowArray = Variant::Array(std::move(items));

    const int first = request.FirstRow - 1;
    for (int index = first;
         index < first + request.PreviewRowCount && index <= cells.RowCount && index < request.LastRow; ++index) {
        if (reader->ByRowMode)
            reader->ReadRow(index);
        const TSpreadSheetRow *row = cells.Row(index);
        if (!row)
            continue;
        for (std::size_t c = 0; c < columnNames.size(); ++c) {
            const TVxICell *cell = previewCell(*reader, *row, cells, columnNames[c]);
            rowArray[c][2] = cell ? cell->Value : Variant::Null();
        }
        if (request.OnRow)
            request.OnRow(static_cast<int>(columnNames.size()), index - request.FirstRow + 2, rowArray, request.Oem);
    }
}
