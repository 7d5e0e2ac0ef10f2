#pragma once

#include "sources/markup/MarkupSource.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class TVxIExtTag { etImage, etURL };

// Which tags inside cells mean more than their text.
class TVxIExtTags {
public:
    constexpr TVxIExtTags() = default;
    constexpr TVxIExtTags(std::initializer_list<TVxIExtTag> tags)
    {
        for (TVxIExtTag t : tags)
            bits_ |= 1u << static_cast<unsigned>(t);
    }
    constexpr bool Has(TVxIExtTag t) const { return (bits_ & (1u << static_cast<unsigned>(t))) != 0; }
    constexpr bool operator==(const TVxIExtTags &) const = default;

private:
    unsigned bits_ = 0;
};

// The next tag token from pos ("<TABLE", "<tr", "</TD"), comments passed over; pos ends
// right after the tag's ">". Empty at the end of the text.
std::string_view ReadHTMLTag(std::string_view text, std::size_t &pos);

struct THTMLRowsRequest {
    bool Preview = false;
    TVxIExtTags ExtTagsParse;
    int RowFieldNames = 1;
    int PreviewRowCount = 0;
    int RowLast = 2147483647;
    int RowFirst = 1;
};

// Every table row of the document in order, as a row string of its cell tags and texts
// (<TD>12</TD><td>abc</td>); keeps the wanted rows, names the columns after the cells of
// the naming row, and returns that row's string.
std::string ReadHTMLRows(const THTMLRowsRequest &request, std::string_view text, std::vector<std::string> &rows,
                         std::vector<std::string> &columnNames);

// The raw text of cell n (from 1) of a row string; empty when the row has no such cell.
std::string_view GetHTMLCell(std::string_view row, int n);
// One name "Field<count + 1>" appended per cell of a row string.
void GetHTMLCell(std::string_view row, std::vector<std::string> &columnNames);

// The cell a source name ("Field3") reads; 0 for none.
int HTMLCellNumber(std::string_view name);

// The start of an HTML file for the wizard: its column names, and each previewed row.
void BuildHTMLPreview(const TMarkupPreviewRequest &request, std::vector<std::string> &columnNames);

// The rows of the tables of an HTML document.
class TVxImportFromHTML : public TVxImportFromMarkup {
public:
    explicit TVxImportFromHTML(TVxImportBaseComponent *owner = nullptr);

    TVxIExtTags ExtTagsParse;

    // ---- run-time state
    const std::vector<std::string> &RowTexts = texts_;
    std::vector<std::string> ColumnNames;
    std::string FieldNameLine;

    void OpenSource() override;
    void CloseSource() override;
    void GetFieldValue(const Variant &name, Variant &value) override;
    void GetDefaultExt(std::string &ext) const override { ext = ".HTML"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
    void AutoMapColumns() override;

private:
    std::vector<std::string_view> cells_; // of cellsLine_, from cell 1
    std::string_view cellsLine_;
};
