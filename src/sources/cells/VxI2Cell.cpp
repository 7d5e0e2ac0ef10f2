#include "sources/cells/VxI2Cell.h"

#include "engine/ImpCnst.h"
#include "values/StringList.h"
#include "sources/cells/VxCellsTexts.h"

#include <cctype>

TVxImportFromCell::TVxImportFromCell(TVxImportBaseComponent *owner) : TVxImportBaseComponent(owner) {}

TVxImportFromCell::~TVxImportFromCell() = default;

void TVxImportFromCell::SetSheetIndex(int index)
{
    sheetIndex_ = index;
    if (index != -1)
        sheetName_.clear();
}

void TVxImportFromCell::SetSheetName(const std::string &name)
{
    sheetName_ = name;
    if (!name.empty())
        sheetIndex_ = -1;
}

TSpreadSheet &TVxImportFromCell::SelectedSheet() { return reader_->Sheets.GetSheet(sheetIndex_); }

// ---------------------------------------------------------------- opening and closing

// Reader errors reach Execute, as the text source's do: a missing, damaged, encrypted or
// unsupported workbook is a failed import, never an empty successful one.
void TVxImportFromCell::OpenSource()
{
    TVxImportBaseComponent::OpenSource();
    try {
        LoadReader();
    } catch (...) {
        CloseSource();
        throw;
    }
}

void TVxImportFromCell::LoadReader()
{
    if (!reader_)
        reader_ = CreateSpreadSheetFile();
    if (!reader_)
        return;
    reader_->LoadSheet = sheetIndex_;
    rowBuffer_ = std::make_unique<TSpreadSheetRow>();
    if (reader_->ByRowMode)
        reader_->OnCellValue = [this](TCustomSpreadSheetFile *, int, int row, int column, int formatIndex,
                                      const Variant &value, TAlignment alignment) {
            RowBufferCellValue(row, column, formatIndex, value, alignment);
        };
    if (SourceStream) {
        reader_->LoadFromStream(*SourceStream);
    } else if (reader_->ByRowMode) {
        reader_->FileName = SourceFileName;
        rowStream_ = std::make_unique<std::ifstream>(SourceFileName, std::ios::binary);
        if (!*rowStream_)
            throw ESpreadSheetError(SpreadSheetTexts().FileNotExists);
        reader_->LoadFromStream(*rowStream_);
    } else {
        reader_->LoadFromFile(SourceFileName);
    }
    if (!sheetName_.empty() && sheetIndex_ < 0) {
        sheetIndex_ = reader_->Sheets.FindSheet(sheetName_);
        reader_->LoadSheet = sheetIndex_;
    }
}

void TVxImportFromCell::CloseSource()
{
    rowStream_.reset();
    rowBuffer_.reset();
    CurrentRow = nullptr;
    reader_.reset();
    TVxImportBaseComponent::CloseSource();
}

void TVxImportFromCell::RowBufferCellValue(int row, int column, int formatIndex, const Variant &value,
                                           TAlignment alignment)
{
    if (!rowBuffer_ || row < reader_->Range.FirstRow - 1 || row > reader_->Range.LastRow || column < 0)
        return;
    TVxICell &cell = rowBuffer_->Cols.Ensure(column);
    cell.Value = value;
    cell.Alignment = alignment;
    cell.FormatIndex = formatIndex;
}

// ---------------------------------------------------------------- rows

void TVxImportFromCell::FirstRow()
{
    if (reader_)
        reader_->ResetRows();
    // Rows count from 1; a first row below that starts at the sheet's first row rather
    // than before it (and RowFirst - 1 cannot overflow).
    CurrentRowIndex = RowFirst > 1 ? RowFirst - 1 : 0;
}

bool TVxImportFromCell::HasRow()
{
    if (!reader_)
        return false;
    bool has = CurrentRowIndex < RowLast;
    if (has && reader_->ByRowMode) {
        has = CurrentRowIndex < GetRowCount();
    } else if (has) {
        const TSpreadSheetCells &cells = SelectedSheet().Cells;
        has = CurrentRowIndex < cells.RowCount && CurrentRowIndex < cells.Count();
    }
    if (!has)
        reader_->EndOfRows();
    return has;
}

std::int32_t TVxImportFromCell::GetRowCount() { return reader_ ? SelectedSheet().Cells.RowCount : 0; }

bool TVxImportFromCell::ProcessRow()
{
    if (reader_ && reader_->ByRowMode) {
        reader_->ReadRow(CurrentRowIndex);
        CurrentRow = rowBuffer_.get();
    } else {
        CurrentRow = reader_ ? SelectedSheet().Cells.Row(CurrentRowIndex) : nullptr;
    }
    return TVxImportBaseComponent::ProcessRow();
}

// ---------------------------------------------------------------- values

bool TVxImportFromCell::GetReaderFieldValue(const Variant &name, Variant &value)
{
    const int field = reader_ ? reader_->FindField(name.AsString()) : -1;
    if (field < 0)
        return false;
    const TVxICell *cell = CurrentRow ? CurrentRow->Cols.Cell(field) : nullptr;
    value = cell ? cell->Value : Variant::Null();
    return true;
}

void TVxImportFromCell::GetFieldValue(const Variant &name, Variant &value)
{
    const std::string text = name.AsString();
    value = Variant(text);
    if (!reader_)
        return;
    if (reader_->NameKind == TVxIColumnNameKind::nkFieldName) {
        const int field = reader_->FindField(text);
        const TVxICell *cell = field >= 0 && CurrentRow ? CurrentRow->Cols.Cell(field) : nullptr;
        if (cell)
            value = cell->Value;
        return;
    }
    const TSpreadSheetCells &cells = SelectedSheet().Cells;
    const int column = ColumnIndexFromLetters(text, cells.ColCount);
    if (column < 0)
        return;
    const TSpreadSheetRow *row = reader_->ByRowMode ? rowBuffer_.get() : cells.Row(CurrentRowIndex);
    const TVxICell *cell = row ? row->Cols.Cell(column) : nullptr;
    value = cell ? cell->Value : Variant::Null();
}

bool TVxImportFromCell::CheckProperties(std::string &propertyName)
{
    return CheckPropertiesAndSourceFile(propertyName);
}

// ---------------------------------------------------------------- columns and mappings

namespace {

TVxIDataType dataTypeOf(const Variant &value)
{
    if (value.IsOrdinal())
        return TVxIDataType::itInteger;
    if (value.IsFloat())
        return TVxIDataType::itFloat;
    if (value.IsDate())
        return TVxIDataType::itDateTime;
    if (value.IsBoolean())
        return TVxIDataType::itBoolean;
    return TVxIDataType::itString;
}

} // namespace

// The name of a column: the text of its cell in the field-name row, or its letters when
// there is no such row or cell.
std::string TVxImportFromCell::ColumnName(int column, const TSpreadSheet &sheet, TAlignment &alignment) const
{
    const TSpreadSheetCells &cells = sheet.Cells;
    const bool noNameRow = RowFieldNames <= 0 || (RowFieldNames >= cells.LastRow && cells.RowCount < RowFieldNames) ||
                           !cells.Row(RowFieldNames - 1);
    const TVxICell *cell = noNameRow ? nullptr : cells.Cell(column, RowFieldNames - 1);
    if (!cell)
        return ColumnLetters(column + 1);
    alignment = cell->Alignment;
    return cell->Value.AsString();
}

void TVxImportFromCell::CreateColumns()
{
    if (!reader_)
        return;
    const TSpreadSheet &sheet = SelectedSheet();
    const TSpreadSheetCells &cells = sheet.Cells;
    const bool detect = DetectColumnTypes() && RowFieldNames >= 0 && RowFieldNames < cells.LastRow;
    for (int i = 0; i < cells.ColCount; ++i) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = ColumnName(i, sheet, column.Alignment);
        column.Caption = column.FieldName;
        if (detect)
            if (const TVxICell *cell = cells.Cell(i, RowFieldNames))
                column.DataType = dataTypeOf(cell->Value);
        if (const auto width = sheet.ColumnWidth(i))
            column.Size = *width / 230;
    }
}

void TVxImportFromCell::AutoMapColumns()
{
    Mappings.Clear();
    if (reader_ && reader_->NameKind == TVxIColumnNameKind::nkFieldName)
        AutoMapFieldNames();
    else
        AutoMapLetters();
    BracketDigitSources();
}

void TVxImportFromCell::AutoMapFieldNames()
{
    for (int c = 0; c < Columns.Count(); ++c) {
        std::string column = Columns[c].FieldName;
        if (reader_->BracketNamesWithBlanks() && column.find(' ') != std::string::npos)
            column = "[" + column + "]";
        for (int f = 0; f < reader_->FieldCount(); ++f)
            if (reader_->FieldMatchesColumn(reader_->FieldName(f), Columns[c].FieldName))
                Mappings.Add(reader_->FieldName(f) + "=" + column);
    }
}

void TVxImportFromCell::AutoMapLetters()
{
    if (RowFieldNames < 2) {
        for (int k = 0; k < Columns.Count(); ++k)
            Mappings.Add(Columns[k].FieldName + "=" + ColumnLetters(k + 1));
        return;
    }
    if (!reader_)
        return;
    const TSpreadSheetRow *names = SelectedSheet().Cells.Row(RowFieldNames - 1);
    for (int k = 0; k < Columns.Count() && names; ++k)
        for (int j = 0; j < names->Cols.Count(); ++j) {
            const TVxICell *cell = names->Cols.Cell(j);
            if (cell && Text::SameText(cell->Value.AsString(), Columns[k].FieldName)) {
                Mappings.Add(Columns[k].FieldName + "=" + ColumnLetters(j + 1));
                break;
            }
        }
}

// A source that begins with a digit would read as a number: 2005=2005 becomes 2005=[2005].
void TVxImportFromCell::BracketDigitSources()
{
    for (int i = 0; i < Mappings.Count(); ++i) {
        const std::string source = Mappings.ValueFromIndex(i);
        if (!source.empty() && std::isdigit(static_cast<unsigned char>(source[0])))
            Mappings[i] = Mappings.Names(i) + "=[" + source + "]";
    }
}

// ---------------------------------------------------------------- specification files

void TVxImportFromCell::ReadSpecification(const TStringList &list)
{
    TVxImportBaseComponent::ReadSpecification(list);
    std::int64_t index;
    if (TryStrToInt64(Text::Trim(list.Values("SheetIndex")), index) && index >= INT32_MIN && index <= INT32_MAX)
        SetSheetIndex(static_cast<int>(index));
}

void TVxImportFromCell::WriteSpecification(std::ostream &stream, const std::string &specName)
{
    TVxImportBaseComponent::WriteSpecification(stream, specName);
    stream << "[Sheet]\r\nSheetIndex=" << SheetIndex() << "\r\n";
}

std::string CellFileFilter(const TVxImportBaseComponent &source, const std::string &entries)
{
    std::string base;
    source.TVxImportBaseComponent::GetFileFilter(base);
    return entries + "|" + base;
}
