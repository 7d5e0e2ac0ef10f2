// The HTML table source: the tag scanner, how rows and cells are cut from real and
// malformed pages, the naming row, the row window, the preview, and hostile pages.

#include "Files.h"
#include "TempDir.h"
#include "TestData.h"
#include "engine/MemoryDataSet.h"
#include "sources/markup/VxI2HTML.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

namespace {

constexpr const char *None = "<none>";

// Field1..FieldN of every kept row; None where the cell gives no value.
std::vector<std::vector<std::string>> readRows(TVxImportFromHTML &source, int fields)
{
    std::vector<std::vector<std::string>> rows;
    source.OpenSource();
    for (source.FirstRow(); source.HasRow(); source.NextRow()) {
        source.CurrentLine = source.RowTexts.at(static_cast<std::size_t>(source.CurrentRowIndex));
        std::vector<std::string> row;
        for (int f = 1; f <= fields; ++f) {
            const std::string name = "Field" + std::to_string(f);
            Variant value;
            source.GetFieldValue(Variant(name), value);
            row.push_back(value.AsString() == name ? None : value.AsString());
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::vector<std::string>> readText(const std::string &html, int fields, int rowFieldNames = 1,
                                               TVxIExtTags tags = {})
{
    std::istringstream stream(html);
    TVxImportFromHTML source;
    source.SourceStream = &stream;
    source.RowFieldNames = rowFieldNames;
    source.ExtTagsParse = tags;
    return readRows(source, fields);
}

std::vector<std::vector<std::string>> readFile(const std::string &path, int fields, int first = 1)
{
    TVxImportFromHTML source;
    source.SourceFileName = path;
    source.RowFirst = first;
    return readRows(source, fields);
}

using Rows = std::vector<std::vector<std::string>>;

TEST(HTMLSource, TagScanner)
{
    const std::string text =
        "  <!-- a <TABLE> in a comment -->  \n<TABLE border=1><tr\tclass=x><td\r\nalign=left>x</TD>";
    std::size_t pos = 0;
    std::vector<std::string> tokens;
    for (std::string_view t = ReadHTMLTag(text, pos); !t.empty(); t = ReadHTMLTag(text, pos))
        tokens.emplace_back(t);
    EXPECT_EQ(tokens, (std::vector<std::string>{"<TABLE", "<tr", "<td", "</TD"}));
    EXPECT_EQ(pos, text.size());
}

TEST(HTMLSource, RowsAndCells)
{
    struct Case {
        const char *what;
        std::string html;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {"attributes do not matter", "<table><tr><td class=\"x\">5</td><td>6</td></tr></table>", {{"5", "6"}}},
        {"upper and lower case", "<TABLE><Tr><TD>a</td><Th>b</TH></tR></Table>", {{"a", "b"}}},
        {"entities decoded", "<table><tr><td>a &amp; b</td><td>&lt;x&gt;</td></tr></table>", {{"a & b", "<x>"}}},
        {"an empty cell gives no value", "<table><tr><td></td><td>2</td></tr></table>", {{None, "2"}}},
        {"a comment and blanks before the table", "<!-- c -->   \n  <table><tr><td>1</td></tr></table>", {{"1", None}}},
        {"no table, no rows", "<p>just text</p><td>x</td>", {}},
        {"a table without rows", "<table><td>x</td></table>", {}},
        // Inner tags go, the words around them keep their blanks; blank runs between tags
        // and those right after the cell's opening tag are layout.
        {"inner tags",
         "<table><tr><td>\n  <B>bold</B> text</td><td><i>x</i>\n</td></tr></table>",
         {{"bold text", "x"}}},
        {"a line break inside a value stays",
         "<table><tr><td>12 Main St<br>\nSpringfield</td></tr></table>",
         {{"12 Main St\nSpringfield", None}}},
        {"a comment inside a cell", "<table><tr><td>a<!-- note -->b</td></tr></table>", {{"ab", None}}},
        // A tag name ends at any blank: the attributes after a tab or a line break do not
        // swallow the cell's text and shift the later cells.
        {"tab before attributes", "<table><tr><td\tclass=x>1</td><td>2</td></tr></table>", {{"1", "2"}}},
        {"line break before attributes",
         "<table><tr><td\nclass=x>1</td><td\r\n  align=right>2</td></tr></table>",
         {{"1", "2"}}},
        {"a row without </tr> runs on into the next",
         "<table><tr><td>1</td><td>2</td><tr><td>3</td></tr><tr><td>4</td></tr></table>",
         {{"1", "2"}, {"4", None}}},
        {"a cell without </td> runs on into the next",
         "<table><tr><td>a<td>b</td><td>c</td></tr></table>",
         {{"ab", "c"}}},
        // The rows of an inner table are rows of their own, and the outer table goes on.
        {"a table inside a cell",
         "<table><tr><td>o1</td></tr><tr><td><table><tr><td>i1</td></tr></table></td></tr><tr><td>o3</td></tr></table>",
         {{"o1", None}, {"i1", None}, {"o3", None}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(readText(c.html, 2, 0), c.rows) << c.what;
}

TEST(HTMLSource, ImagesReadAsTheirAddressOnlyWhenAsked)
{
    const std::string html = "<table><tr><td>1</td><td><IMG SRC=\"a.gif\"></td></tr></table>";
    EXPECT_EQ(readText(html, 2, 0, {TVxIExtTag::etImage}), (Rows{{"1", "a.gif"}}));
    EXPECT_EQ(readText(html, 2, 0), (Rows{{"1", None}}));
}

TEST(HTMLSource, RowsAreNumberedAcrossTablesAndTheNamingRowNamesAllColumns)
{
    TVxImportFromHTML source;
    source.SourceFileName = HtmlData("two-tables.html");
    source.RowFirst = 2;
    EXPECT_EQ(readRows(source, 2), (Rows{{"1", "one"}, {"2", None}, {"x", "10"}, {"y", "20"}, {"z", "30"}}));
    EXPECT_EQ(source.ColumnNames, (std::vector<std::string>{"Field1", "Field2"}));
    source.Columns.Clear();
    source.CreateColumns();
    ASSERT_EQ(source.Columns.Count(), 2);
    EXPECT_EQ(source.Columns[0].FieldName, "A");
    EXPECT_EQ(source.Columns[1].FieldName, "B");
    EXPECT_EQ(source.Columns[1].Caption, "Field2");

    // A header named like a destination field maps that field to its column's position.
    TMemoryDataSet destination({{"B", TFieldType::ftString, 10, false}, {"A", TFieldType::ftString, 10, false}}, "T");
    source.DataSet = &destination;
    source.AutoMapColumns();
    EXPECT_EQ(source.Mappings.Text(), "A=Field1\r\nB=Field2\r\n");
}

TEST(HTMLSource, RowWindowInSixtyFourBits)
{
    const std::string html = "<table><tr><td>1</td></tr><tr><td>2</td></tr><tr><td>3</td></tr></table>";
    struct Case {
        int first, last;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {2, 2, {{"2"}}}, {2, INT_MAX, {{"2"}, {"3"}}}, {INT_MIN, INT_MAX, {{"1"}, {"2"}, {"3"}}}, {INT_MIN, 1, {{"1"}}},
        {3, 2, {}},      {INT_MAX, INT_MAX, {}},
    };
    for (const Case &c : cases) {
        std::istringstream stream(html);
        TVxImportFromHTML source;
        source.SourceStream = &stream;
        source.RowFieldNames = 0;
        source.RowFirst = c.first;
        source.RowLast = c.last;
        EXPECT_EQ(readRows(source, 1), c.rows) << c.first << ".." << c.last;
    }
}

TEST(HTMLSource, PagesSavedByRealPrograms)
{
    // A browser's saved page: a header of <th>, attributes after tabs and line breaks,
    // entities, inner markup, an empty cell.
    EXPECT_EQ(readFile(HtmlData("browser-saved.html"), 4, 2), (Rows{{"1", "Smith & Sons", "Liège", "10.50"},
                                                                    {"2", "Ann bold Lee", "Paris", "20.00"},
                                                                    {"3", "Bob \"Bobby\" Ray", "Lyon", "7.25"},
                                                                    {"4", "x < y Ltd", None, "0.99"}}));
    // An office program's web page in Windows-1252, made UTF-8; a <br> keeps its line break.
    const Rows office = readFile(HtmlData("office-saved.htm"), 3, 2);
    ASSERT_EQ(office.size(), 3u);
    EXPECT_EQ(office[0][1], "René Müller");
    EXPECT_EQ(office[1][2], "12 Main St\r\nSpringfield");
    // UTF-16 with a byte-order mark.
    EXPECT_EQ(readFile(HtmlData("utf16.html"), 2, 2), (Rows{{"1", "Zoë"}, {"2", "Ann"}}));
    // Omitted end tags: a row runs on until a </tr>, here across both tables.
    EXPECT_EQ(readFile(HtmlData("missing-end-tags.html"), 2), (Rows{{"apple", "1.20"}}));
    // Nested tables: every row of every table, the outer one's last row included.
    const Rows nested = readFile(HtmlData("nested-table.html"), 3);
    ASSERT_FALSE(nested.empty());
    EXPECT_EQ(nested.back(), (std::vector<std::string>{"t0,0r3c0 ", "t0,0r3c1 ", "t0,0r3c2 "}));
}

TEST(HTMLSource, Preview)
{
    TMarkupPreviewRequest request;
    request.FileName = HtmlData("two-tables.html");
    request.PreviewRowCount = 3;
    std::vector<std::pair<int, std::string>> shown;
    request.OnRow = [&](int columns, int number, const Variant &row, bool) {
        ASSERT_EQ(columns, 2);
        shown.emplace_back(number, row[0].AsString() + "|" + row[1].AsString());
    };
    std::vector<std::string> names;
    BuildHTMLPreview(request, names);
    EXPECT_EQ(names, (std::vector<std::string>{"Field1", "Field2"}));
    EXPECT_EQ(shown, (std::vector<std::pair<int, std::string>>{{1, "A|B"}, {2, "1|one"}, {3, "2|"}}));

    const std::string only = "Field2";
    request.ColumnList = &only;
    shown.clear();
    request.OnRow = [&](int columns, int, const Variant &row, bool) {
        EXPECT_EQ(columns, 1);
        shown.emplace_back(0, row[0].AsString());
    };
    BuildHTMLPreview(request, names);
    EXPECT_EQ(names, (std::vector<std::string>{"Field2"}));
    EXPECT_EQ(shown.front().second, "B");
}

TEST(HTMLSource, MissingFileAndProperties)
{
    TVxImportFromHTML source;
    EXPECT_EQ(source.SourceFileName, "VxImport.HTML");
    source.SourceFileName = "/nonexistent/page.html";
    try {
        source.OpenSource();
        FAIL() << "no error";
    } catch (const EVxIError &e) {
        EXPECT_NE(std::string(e.what()).find("Cannot open file \"/nonexistent/page.html\""), std::string::npos);
    }
    TMemoryDataSet destination({{"A", TFieldType::ftString, 10, false}}, "T");
    source.DataSet = &destination;
    source.SourceFileName.clear();
    std::string property;
    EXPECT_TRUE(source.CheckProperties(property));
    EXPECT_EQ(property, "SourceFileName");
    std::string filter;
    source.GetFileFilter(filter);
    EXPECT_EQ(filter.rfind("HTML file (*.htm;*.html)|*.HTM;*.HTML|", 0), 0u);
}

// Malformed markup never raises: a page cut short or with a byte damaged gives fewer or
// other rows, read in full.
TEST(HTMLSource, DamagedPagesStillRead)
{
    for (const char *name : {"browser-saved.html", "office-saved.htm", "utf16.html", "nested-table.html"}) {
        const std::vector<std::uint8_t> bytes = ReadBytes(HtmlData(name));
        ASSERT_FALSE(bytes.empty()) << name;
        for (const std::vector<std::uint8_t> &copy : DamagedCopies(bytes, 41, 23))
            EXPECT_NO_THROW(readText(std::string(copy.begin(), copy.end()), 4)) << name;
    }
}

TEST(HTMLSource, HostilePagesGiveRowsOrNothing)
{
    const std::string big(50u << 20, 'x');
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<table><tr><td>";
    std::string entities = "<table><tr><td>";
    for (int i = 0; i < 2000000; ++i)
        entities += "&amp;";
    entities += "</td></tr></table>";
    struct Case {
        const char *what;
        std::string html;
        std::size_t rows;
    };
    const std::vector<Case> cases = {
        {"unterminated tags", "<table><tr><td>1</td><td class=\"x", 1},
        {"an unterminated comment", "<table><tr><td>1</td><!-- never closed", 1},
        {"a 50 MB line without markup", big, 0},
        {"a 50 MB cell", "<table><tr><td>" + big + "</td></tr></table>", 1},
        {"deep nesting", deep, 1},
        {"entities by the million", entities, 1},
        {"only a '<'", "<", 0},
    };
    for (const Case &c : cases) {
        const Rows rows = readText(c.html, 1, 0);
        EXPECT_EQ(rows.size(), c.rows) << c.what;
    }
    EXPECT_EQ(readText(entities, 1, 0).at(0).at(0), std::string(2000000, '&'));
}

} // namespace
