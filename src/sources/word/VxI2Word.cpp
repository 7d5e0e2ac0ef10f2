#include "sources/word/VxI2Word.h"

#include "engine/DataSet.h"
#include "engine/ImpCnst.h"
#include "sources/word/OfficeConverter.h"
#include "values/StringList.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

using namespace sources::word;

namespace {

std::vector<std::uint8_t> readAll(std::istream &stream)
{
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// A header cell's first line, trimmed: the same text names the column in the column list
// and finds it again when a value is asked for by that name.
std::string headerName(std::string_view text)
{
    return Text::Trim(text.substr(0, std::min(text.find_first_of("\a\r\n"), text.size())));
}

std::string fieldName(int number) { return ImpTexts().Field + std::to_string(number); }

} // namespace

TVxImportFromWord::TVxImportFromWord(TVxImportBaseComponent *owner) : TVxImportBaseComponent(owner)
{
    TableType = TTableTypeImport::teWord;
    ApplyDefaultSourceFileName();
}

void TVxImportFromWord::OpenSource()
{
    TVxImportBaseComponent::OpenSource();
    CloseSource();
    if (SourceStream) {
        OpenBytes(readAll(*SourceStream));
        return;
    }
    std::ifstream file(SourceFileName, std::ios::binary);
    if (!file)
        throw EWordError(FormatMessage(WordTexts().CannotOpen, {SourceFileName}) + std::strerror(errno));
    OpenBytes(readAll(file));
}

void TVxImportFromWord::OpenBytes(std::vector<std::uint8_t> bytes)
{
    const TWordDocumentKind kind = DetectWordDocument(bytes);
    if (kind == TWordDocumentKind::wdUnknown)
        throw EWordError(FormatMessage(WordTexts().NotAWordDocument, {SourceFileName}));
    if (kind == TWordDocumentKind::wdEncrypted)
        throw EWordError(FormatMessage(WordTexts().Encrypted, {SourceFileName}));
    if (kind != TWordDocumentKind::wdDocx) {
        TOfficeConverter converter;
        converter.OfficeCommand = OfficeCommand;
        converter.TimeoutSeconds = ConversionTimeout;
        bytes = converter.ConvertToDocx(bytes, ConversionExtension(kind), SourceFileName);
    }
    document_ = ReadWordDocument(bytes, SourceFileName);
    open_ = true;
    NameColumns();
}

void TVxImportFromWord::CloseSource()
{
    open_ = false;
    document_ = {};
    columnNames_.clear();
    CurrentRow = 0;
}

void TVxImportFromWord::NameColumns()
{
    const TWordTable &table = document_.Table;
    columnNames_.clear();
    for (int c = 0; c < table.ColumnCount; ++c) {
        std::string name;
        if (RowFieldNames >= 1)
            name = headerName(table.CellText(static_cast<std::size_t>(RowFieldNames) - 1, c));
        // A column without a header (none, an empty cell, one a spanning cell covers) is
        // still read by its number.
        columnNames_.push_back(name.empty() ? fieldName(c + 1) : std::move(name));
    }
}

void TVxImportFromWord::FirstRow() { CurrentRow = std::max<std::int64_t>(RowFirst, 1); }

bool TVxImportFromWord::HasRow()
{
    return HasTable() && CurrentRow <= static_cast<std::int64_t>(document_.Table.Rows.size()) && CurrentRow <= RowLast;
}

std::int32_t TVxImportFromWord::GetRowCount()
{
    if (!HasTable())
        return 0;
    return static_cast<std::int32_t>(
        std::min<std::size_t>(document_.Table.Rows.size(), std::numeric_limits<std::int32_t>::max()));
}

int TVxImportFromWord::ColumnOf(const std::string &name) const
{
    if (RowFieldNames >= 1) {
        const auto found = std::find(columnNames_.begin(), columnNames_.end(), name);
        return found == columnNames_.end() ? -1 : static_cast<int>(found - columnNames_.begin());
    }
    const std::string &prefix = ImpTexts().Field;
    std::int64_t n = 0;
    if (name.size() <= prefix.size() || !Text::SameText(std::string_view(name).substr(0, prefix.size()), prefix) ||
        !TryStrToInt64(std::string_view(name).substr(prefix.size()), n) || n < 1 ||
        n > static_cast<std::int64_t>(columnNames_.size()))
        return -1;
    return static_cast<int>(n) - 1;
}

void TVxImportFromWord::GetFieldValue(const Variant &name, Variant &value)
{
    value = name;
    if (!HasRow() || CurrentRow < 1)
        return;
    const int column = ColumnOf(name.AsString());
    if (column < 0)
        return;
    value = Variant(std::string(document_.Table.CellText(static_cast<std::size_t>(CurrentRow) - 1, column)));
}

bool TVxImportFromWord::CheckProperties(std::string &propertyName)
{
    return CheckPropertiesAndSourceFile(propertyName);
}

void TVxImportFromWord::GetFileFilter(std::string &filter) const
{
    std::string base;
    TVxImportBaseComponent::GetFileFilter(base);
    filter = "Word file (*.doc)|*.DOC|Word 2007 and later (*.docx)|*.DOCX|OpenDocument text (*.odt)|*.ODT|"
             "Rich text (*.rtf)|*.RTF|" +
             base;
}

void TVxImportFromWord::CreateColumns()
{
    const std::vector<int> &widths = document_.Table.ColumnWidths;
    for (std::size_t c = 0; c < columnNames_.size(); ++c) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = columnNames_[c];
        column.Caption = columnNames_[c];
        column.DataType = TVxIDataType::itString;
        // The grid is in twips, twenty to a point; a column's width is a seventh of its points.
        column.Size = c < widths.size() ? widths[c] / 20 / 7 : 0;
    }
}
