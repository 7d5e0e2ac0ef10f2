#include "sources/markup/VxI2HTML.h"

#include "engine/ImpCnst.h"
#include "engine/VxIConvert.h"
#include "sources/markup/MarkupText.h"

#include <algorithm>

using markup::IsBlank;
using markup::MatchesAt;

namespace {

bool sameTag(std::string_view token, std::string_view upperName)
{
    return token.size() == upperName.size() && MatchesAt(token, 0, upperName);
}

bool isCellStart(std::string_view token, bool images)
{
    return sameTag(token, "<TD") || sameTag(token, "<TH") || (images && sameTag(token, "<IMG"));
}

bool isCellEnd(std::string_view token) { return sameTag(token, "</TD") || sameTag(token, "</TH"); }

std::size_t skipBlanks(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return pos;
}

// Past a comment that starts at pos: after its "-->", or the end of the text.
std::size_t skipComment(std::string_view text, std::size_t pos)
{
    const std::size_t end = text.find("-->", pos + 4);
    return end == std::string_view::npos ? text.size() : end + 3;
}

// Blanks after a tag inside a cell: only a run that reaches the next tag is layout.
std::size_t skipLayoutBlanks(std::string_view text, std::size_t pos)
{
    const std::size_t after = skipBlanks(text, pos);
    return after >= text.size() || text[after] == '<' ? after : pos;
}

// Tables inside tables: the rows of an inner table are rows too, and the outer table goes
// on after it.
void countTable(std::string_view token, int &depth)
{
    if (sameTag(token, "<TABLE"))
        ++depth;
    else if (sameTag(token, "</TABLE"))
        --depth;
}

// The content of the cell that starts at pos, up to its closing tag (appended with it).
void readCell(std::string_view text, std::size_t &pos, bool images, std::string &row, int &depth)
{
    pos = skipBlanks(text, pos);
    while (pos < text.size()) {
        if (images && MatchesAt(text, pos, "<IMG SRC=\"")) {
            pos += 10;
            const std::size_t end = std::min(text.find('<', pos), text.size());
            for (; pos < end; ++pos)
                if (text[pos] != '"' && text[pos] != '>')
                    row += text[pos];
            continue;
        }
        if (text[pos] != '<') {
            const std::size_t end = std::min(text.find('<', pos), text.size());
            row.append(text, pos, end - pos);
            pos = end;
            continue;
        }
        if (MatchesAt(text, pos, "<!--")) {
            pos = skipLayoutBlanks(text, skipComment(text, pos));
            continue;
        }
        const std::string_view token = ReadHTMLTag(text, pos);
        if (isCellEnd(token)) {
            row.append(token).append(1, '>');
            return;
        }
        countTable(token, depth);
        pos = skipLayoutBlanks(text, pos);
    }
}

// A table row from pos up to its "</TR" or the end of the text.
std::string readRow(std::string_view text, std::size_t &pos, bool images, int &depth)
{
    std::string row;
    for (;;) {
        const std::string_view token = ReadHTMLTag(text, pos);
        if (token.empty() || sameTag(token, "</TR"))
            return row;
        row.append(token).append(1, '>');
        countTable(token, depth);
        if (isCellStart(token, images))
            readCell(text, pos, images, row, depth);
    }
}

} // namespace

std::string_view ReadHTMLTag(std::string_view text, std::size_t &pos)
{
    for (;;) {
        while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == '>'))
            ++pos;
        pos = std::min(text.find('<', pos), text.size());
        if (pos >= text.size())
            return {};
        if (!MatchesAt(text, pos, "<!--"))
            break;
        pos = skipComment(text, pos);
    }
    // A tag name ends at any blank: a tab or a line break before the attributes is common.
    const std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != '>')
        ++pos;
    const std::string_view token = text.substr(start, pos - start);
    pos = std::min(text.find('>', pos), text.size());
    if (pos < text.size())
        ++pos;
    return token;
}

std::string ReadHTMLRows(const THTMLRowsRequest &request, std::string_view text, std::vector<std::string> &rows,
                         std::vector<std::string> &columnNames)
{
    rows.clear();
    columnNames.clear();
    long long lastRow = request.RowLast;
    const long long previewLast = static_cast<long long>(request.PreviewRowCount) + request.RowFirst - 1;
    if (request.Preview && previewLast < lastRow)
        lastRow = previewLast;
    const bool images = request.ExtTagsParse.Has(TVxIExtTag::etImage);
    // Past both the last kept row and the naming row nothing more is wanted.
    const long long wanted = std::max<long long>(lastRow, request.RowFieldNames < 1 ? 1 : request.RowFieldNames);

    std::string fieldNameLine;
    std::size_t pos = 0;
    int depth = 0;
    long long i = 0;
    while (pos < text.size() && i < wanted) {
        const std::string_view token = ReadHTMLTag(text, pos);
        if (token.empty())
            break;
        if (depth <= 0) {
            depth = 0;
            if (sameTag(token, "<TABLE"))
                depth = 1;
            continue;
        }
        countTable(token, depth);
        if (!sameTag(token, "<TR"))
            continue;
        std::string row = readRow(text, pos, images, depth);
        ++i;
        if ((request.RowFieldNames < 1 && i == 1) || request.RowFieldNames == i)
            GetHTMLCell(row, columnNames);
        if (request.RowFieldNames == i)
            fieldNameLine = row;
        if (request.RowFirst <= i && i <= lastRow)
            rows.push_back(std::move(row));
    }
    return fieldNameLine;
}

namespace {

// Calls cell(n, text) for each cell of a row string, from 1. A cell opened and not
// closed runs to the end of the row.
template <class F> void forEachCell(std::string_view row, F cell)
{
    int n = 0;
    for (std::size_t pos = row.find('<'); pos != std::string_view::npos;) {
        const bool open = MatchesAt(row, pos, "<TD>") || MatchesAt(row, pos, "<TH>");
        if (!open) {
            pos = row.find('<', pos + 1);
            continue;
        }
        ++n;
        const std::size_t start = pos + 4;
        std::size_t end = start;
        for (end = row.find('<', start); end != std::string_view::npos; end = row.find('<', end + 1))
            if (MatchesAt(row, end, "</TD>") || MatchesAt(row, end, "</TH>") || MatchesAt(row, end, "<TD>") ||
                MatchesAt(row, end, "<TH>"))
                break;
        if (end == std::string_view::npos) {
            cell(n, row.substr(start), false);
            return;
        }
        const bool closed = row[end + 1] == '/';
        // A cell opened again before it closed has no text of its own.
        cell(n, closed ? row.substr(start, end - start) : std::string_view(), closed);
        pos = closed ? end + 5 : end;
    }
}

} // namespace

std::string_view GetHTMLCell(std::string_view row, int n)
{
    std::string_view found;
    forEachCell(row, [&](int k, std::string_view text, bool) {
        if (k == n)
            found = text;
    });
    return found;
}

void GetHTMLCell(std::string_view row, std::vector<std::string> &columnNames)
{
    forEachCell(row, [&](int, std::string_view, bool closed) {
        if (closed)
            columnNames.push_back(ImpTexts().Field + std::to_string(columnNames.size() + 1));
    });
}

int HTMLCellNumber(std::string_view name)
{
    // The column names are "Field1", "Field2", ... in order: a name's place among them is
    // the number it ends with.
    const std::string &prefix = ImpTexts().Field;
    if (name.size() < prefix.size() || !Text::SameText(name.substr(0, prefix.size()), prefix))
        return 0;
    std::int64_t n = 0;
    if (!TryStrToInt64(name.substr(prefix.size()), n) || n < 1 || n > INT32_MAX)
        return 0;
    return static_cast<int>(n);
}

void BuildHTMLPreview(const TMarkupPreviewRequest &request, std::vector<std::string> &columnNames)
{
    THTMLRowsRequest rowsRequest;
    rowsRequest.Preview = true;
    if (request.Images)
        rowsRequest.ExtTagsParse = {TVxIExtTag::etImage};
    rowsRequest.RowFieldNames = request.FieldNameRow;
    rowsRequest.PreviewRowCount = request.PreviewRowCount;
    rowsRequest.RowLast = request.LastRow;
    rowsRequest.RowFirst = request.FirstRow;
    std::vector<std::string> rows;
    ReadHTMLRows(rowsRequest, markup::ReadDocument(nullptr, request.FileName, markup::TMarkupKind::mkHTML), rows,
                 columnNames);
    // Listed columns are read as the import reads them: by name, or by "Field" and number.
    std::vector<int> numbers;
    if (request.ColumnList != nullptr) {
        columnNames = SplitColumnList(*request.ColumnList);
        for (const std::string &name : columnNames)
            numbers.push_back(HTMLCellNumber(name));
    } else {
        for (std::size_t k = 0; k < columnNames.size(); ++k)
            numbers.push_back(static_cast<int>(k) + 1);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<Variant> values;
        std::vector<std::string_view> cells;
        forEachCell(rows[i], [&](int, std::string_view text, bool) { cells.push_back(text); });
        for (int n : numbers) {
            // As the import reads it: "&amp;" is shown as the "&" that will arrive.
            std::string text(n >= 1 && n <= static_cast<int>(cells.size()) ? cells[n - 1] : std::string_view());
            DecodeHTMLEntities(text);
            values.emplace_back(std::move(text));
        }
        SendPreviewRow(request, static_cast<int>(columnNames.size()), i, std::move(values));
    }
}

// ---------------------------------------------------------------- TVxImportFromHTML

TVxImportFromHTML::TVxImportFromHTML(TVxImportBaseComponent *owner) : TVxImportFromMarkup(owner)
{
    TableType = TTableTypeImport::teHTML;
    ApplyDefaultSourceFileName();
}

void TVxImportFromHTML::OpenSource()
{
    ResetRows();
    ColumnNames.clear();
    cells_.clear();
    cellsLine_ = {};
    THTMLRowsRequest request;
    request.ExtTagsParse = ExtTagsParse;
    request.RowFieldNames = RowFieldNames;
    request.RowLast = RowLast;
    request.RowFirst = RowFirst;
    const std::string text = markup::ReadDocument(SourceStream, SourceFileName, markup::TMarkupKind::mkHTML);
    FieldNameLine = ReadHTMLRows(request, text, texts_, ColumnNames);
}

void TVxImportFromHTML::CloseSource()
{
    TVxImportFromMarkup::CloseSource();
    ColumnNames.clear();
    FieldNameLine.clear();
    cells_.clear();
    cellsLine_ = {};
}

void TVxImportFromHTML::GetFieldValue(const Variant &name, Variant &value)
{
    value = name;
    // The cells of a row are found once, when its first value is asked for.
    if (cellsLine_.data() != CurrentLine.data() || cellsLine_.size() != CurrentLine.size()) {
        cells_.clear();
        forEachCell(CurrentLine, [this](int, std::string_view text, bool) { cells_.push_back(text); });
        cellsLine_ = CurrentLine;
    }
    const int n = HTMLCellNumber(name.AsString());
    if (n < 1 || static_cast<std::size_t>(n) > cells_.size() || cells_[static_cast<std::size_t>(n) - 1].empty())
        return;
    std::string text(cells_[static_cast<std::size_t>(n) - 1]);
    DecodeHTMLEntities(text);
    value = Variant(std::move(text));
}

void TVxImportFromHTML::GetFileFilter(std::string &filter) const
{
    std::string base;
    TVxImportBaseComponent::GetFileFilter(base);
    filter = "HTML file (*.htm;*.html)|*.HTM;*.HTML|" + base;
}

void TVxImportFromHTML::CreateColumns()
{
    if (DataSet && DataSet->FieldCount() > 0 && RowFieldNames <= 0) {
        // One column per destination field, read by position: a page laid out like its
        // table maps field by field.
        TVxImportBaseComponent::CreateColumns();
        for (int k = 0; k < Columns.Count(); ++k)
            Columns[k].Caption = ImpTexts().Field + std::to_string(k + 1);
        return;
    }
    std::vector<std::string_view> headers;
    if (!FieldNameLine.empty() && RowFieldNames != 0)
        forEachCell(FieldNameLine, [&](int, std::string_view text, bool) { headers.push_back(text); });
    for (std::size_t k = 0; k < ColumnNames.size(); ++k) {
        TVxIColumn &c = Columns.Add();
        c.Caption = ColumnNames[k];
        c.FieldName = ColumnNames[k];
        if (k < headers.size()) {
            // A header cell's text, as a user reads it on the page.
            std::string header(headers[k]);
            DecodeHTMLEntities(header);
            c.FieldName = Text::Trim(header);
        }
        c.DataType = TVxIDataType::itString;
    }
}

void TVxImportFromHTML::AutoMapColumns() { AutoMapColumnsToCaptions(); }
