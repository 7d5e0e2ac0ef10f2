#include "TempDir.h"
#include "TestData.h"
#include "sources/excel/VxI2XLS.h"
#include "sources/excel/VxXLS.h"

#include <gtest/gtest.h>

namespace {

Variant field(TVxImportFromCell &source, const std::string &name)
{
    Variant value;
    source.GetFieldValue(Variant(name), value);
    return value;
}

// The texts of column A over the rows the source serves.
std::vector<std::string> columnA(TVxImportFromCell &source)
{
    std::vector<std::string> texts;
    for (source.FirstRow(); source.HasRow(); source.NextRow())
        texts.push_back(field(source, "A").AsString());
    return texts;
}

std::vector<std::string> mappings(const TVxImportFromCell &source) { return source.Mappings.Lines(); }

} // namespace

TEST(CellSource, SheetIndexAndSheetNameSelectTheSheet)
{
    struct Case {
        int index;
        const char *name;
        int expectedIndex;
        const char *a1;
    };
    for (const Case &c : {Case{1, "", 1, "sheet 2"}, Case{0, "Third", 2, "sheet 3"}, Case{0, "Nope", -1, "sheet 1"},
                          Case{7, "", 7, ""}}) {
        SCOPED_TRACE(c.name);
        TVxImportFromXLS source;
        source.SourceFileName = XlsData("three-sheets.xlsx");
        source.SetSheetIndex(c.index);
        source.SetSheetName(c.name);
        source.OpenSource();
        EXPECT_EQ(source.SheetIndex(), c.expectedIndex);
        source.FirstRow();
        if (*c.a1) {
            ASSERT_TRUE(source.HasRow());
            EXPECT_EQ(field(source, "A").AsString(), c.a1);
        } else {
            EXPECT_FALSE(source.HasRow()); // beyond the last sheet: an empty one
            EXPECT_EQ(source.GetRowCount(), 0);
        }
        source.CloseSource();
        EXPECT_EQ(source.SpreadSheetFile(), nullptr);
    }
    TVxImportFromXLS source;
    source.SetSheetName("Second");
    source.SetSheetIndex(2);
    EXPECT_EQ(source.SheetName(), "");
}

TEST(CellSource, RowsRunFromRowFirstToRowLastWithinTheSheet)
{
    struct Case {
        int first, last;
        std::vector<std::string> column;
    };
    for (const Case &c :
         {Case{2, 2147483647, {"1", "2", "3"}}, Case{1, 2, {"ID", "1"}}, Case{4, 9, {"3"}}, Case{6, 9, {}},
          // Below the first row: from the first row, with no empty row before it.
          Case{0, 2, {"ID", "1"}}, Case{-2147483647 - 1, 1, {"ID"}}}) {
        TVxImportFromXLS source;
        source.SourceFileName = XlsData("table.xls");
        source.RowFirst = c.first;
        source.RowLast = c.last;
        source.OpenSource();
        EXPECT_EQ(columnA(source), c.column) << c.first;
        EXPECT_EQ(source.GetRowCount(), 4);
    }
}

TEST(CellSource, ValuesAreReadByColumnLetters)
{
    TVxImportFromXLS source;
    source.SourceFileName = XlsData("table.xlsx");
    source.OpenSource();
    source.FirstRow();
    source.NextRow();
    ASSERT_TRUE(source.HasRow());
    EXPECT_EQ(field(source, "b").AsString(), "Zoë Ærø");
    EXPECT_TRUE(field(source, "D").IsDate());
    EXPECT_TRUE(field(source, "I").IsNull());        // the empty-string formula has no cell
    EXPECT_EQ(field(source, "A1").AsString(), "A1"); // no column: the name stays
    EXPECT_EQ(field(source, "K").AsString(), "K");   // beyond the sheet's columns
}

TEST(CellSource, ColumnsAreNamedByTheFieldNameRowAndTyped)
{
    TVxImportFromXLS source;
    source.SourceFileName = XlsData("table.xls");
    source.OpenSource();
    source.CreateColumns();
    ASSERT_EQ(source.Columns.Count(), 10);
    const std::vector<std::pair<const char *, TVxIDataType>> expected = {
        {"ID", TVxIDataType::itFloat},      {"NAME", TVxIDataType::itString},  {"AMOUNT", TVxIDataType::itFloat},
        {"BORN", TVxIDataType::itDateTime}, {"AT", TVxIDataType::itDateTime},  {"PLAIN", TVxIDataType::itFloat},
        {"TOTAL", TVxIDataType::itFloat},   {"RATIO", TVxIDataType::itString}, {"BLANK", TVxIDataType::itString},
        {"OK", TVxIDataType::itBoolean}};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(source.Columns[i].FieldName, expected[static_cast<std::size_t>(i)].first);
        EXPECT_EQ(source.Columns[i].DataType, expected[static_cast<std::size_t>(i)].second) << i;
    }
    EXPECT_GT(source.Columns[1].Size, source.Columns[0].Size); // column B was widened

    source.Columns.Clear();
    source.RowFieldNames = 0;
    source.CreateColumns();
    EXPECT_EQ(source.Columns[9].FieldName, "J");
    EXPECT_EQ(source.Columns[0].DataType, TVxIDataType::itString); // row 0 holds the names
}

TEST(CellSource, AutomaticMappingsUseLetters)
{
    struct Case {
        int rowFieldNames;
        std::vector<std::string> first;
    };
    for (const Case &c : {Case{0, {"A=A", "B=B"}}, Case{1, {"ID=A", "NAME=B"}}, Case{4, {"3=A", "2005=B"}}}) {
        SCOPED_TRACE(c.rowFieldNames);
        TVxImportFromXLS source;
        source.SourceFileName = XlsData("table.xls");
        source.RowFieldNames = c.rowFieldNames;
        source.OpenSource();
        source.CreateColumns();
        source.AutoMapColumns();
        ASSERT_GE(source.Mappings.Count(), 2);
        const std::vector<std::string> lines = mappings(source);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 2), c.first);
    }
}

TEST(CellSource, ReaderErrorsLeaveNoReaderBehind)
{
    struct Case {
        std::string file;
        const char *message;
    };
    for (const Case &c : {Case{"/no/such/book.xls", "File is not exists."},
                          Case{XlsData("encrypted.xls"), "Could not read the password protected file"},
                          Case{"", "File is not defined."}}) {
        TVxImportFromXLS source;
        source.SourceFileName = c.file;
        try {
            source.OpenSource();
            ADD_FAILURE() << c.file;
        } catch (const ESpreadSheetError &e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(source.SpreadSheetFile(), nullptr);
        EXPECT_FALSE(source.HasRow());
    }
}

TEST(CellSource, ExcelFileDialogEntries)
{
    TVxImportFromXLS source;
    EXPECT_EQ(source.SourceFileName, "VxImport.XLS");
    EXPECT_EQ(source.TableType, TTableTypeImport::teXLS);
    std::string filter;
    source.GetFileFilter(filter);
    EXPECT_EQ(filter.rfind("Excel spreadsheet (*.xls)|*.XLS|Excel file (*.xls)|*.XLS|", 0), 0u);
    EXPECT_NE(filter.find("|Excel 12  Macro-Enabled Template (*.xltm)|*.XLTM|All files (*.*)|*.*"), std::string::npos);
    EXPECT_TRUE(source.CheckProperties(filter) && filter == "DataSet");
}

// ---------------------------------------------------------------- preview

TEST(CellPreview, ShowsTheRowsAskedForWithTheirNumbers)
{
    std::vector<std::pair<int, std::vector<std::string>>> rows;
    TCellPreviewRequest request;
    request.CreateReader = CreateExcelReader;
    request.FileName = XlsData("table.xls");
    request.FirstRow = 2;
    request.PreviewRowCount = 2;
    request.OnRow = [&](int columns, int number, const Variant &row, bool oem) {
        std::vector<std::string> texts;
        for (int c = 0; c < columns; ++c)
            texts.push_back(row[static_cast<std::size_t>(c)][1].AsString() + "=" +
                            row[static_cast<std::size_t>(c)][2].AsString());
        rows.emplace_back(number, texts);
        EXPECT_TRUE(oem);
    };
    request.Oem = true;
    const std::string columnList = "B;F";
    request.ColumnList = &columnList;
    std::vector<TCellPreviewColumn> columns;
    std::vector<std::string> sheets;
    BuildCellPreview(request, columns, sheets);
    EXPECT_EQ(sheets, (std::vector<std::string>{"Data", "Notes"}));
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[1].Index, 5);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].first, 1);
    EXPECT_EQ(rows[0].second, (std::vector<std::string>{"B=Zoë Ærø", "F=39448"}));
    EXPECT_EQ(rows[1].first, 2);

    request.ColumnList = nullptr;
    request.SheetIndex = 1;
    rows.clear();
    request.FirstRow = 1;
    BuildCellPreview(request, columns, sheets);
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].Name, "A");
    EXPECT_EQ(columns[0].Index, 1);
    EXPECT_EQ(rows.size(), 1u);

    request.CreateReader = nullptr; // a source that is not cell-based
    EXPECT_THROW(BuildCellPreview(request, columns, sheets), ESpreadSheetError);
}

// ---------------------------------------------------------------- row mode

namespace {

// The shape of a table-file reader: field names, one record at a time.
class RecordReader : public TSpreadSheetFile {
public:
    RecordReader()
    {
        ByRowMode = true;
        NameKind = TVxIColumnNameKind::nkFieldName;
        LoadNULLs = true;
    }
    std::vector<std::string> Fields = {"ID", "2005", "First Name"};
    std::vector<std::vector<Variant>> Records = {
        {Variant(1), Variant("a"), Variant("Ann")},
        {Variant(2), Variant::Null(), Variant("Bob")},
    };
    int FieldCount() const override { return static_cast<int>(Fields.size()); }
    std::string FieldName(int index) const override { return Fields[static_cast<std::size_t>(index)]; }
    int FindField(const std::string &name) const override
    {
        for (int i = 0; i < FieldCount(); ++i)
            if (Text::SameText(Fields[static_cast<std::size_t>(i)], name))
                return i;
        return -1;
    }
    bool BracketNamesWithBlanks() const override { return true; }

    void LoadFromStream(std::istream &) override
    {
        PrepareLoad();
        Sheets.GetSheet(0).Cells.TrackExtent = false;
        OnDimensions(this, 0, 0, static_cast<int>(Records.size()), 0, FieldCount());
    }
    void ReadRow(int index) override
    {
        TSpreadSheetFile::ReadRow(index);
        for (int f = 0; f < FieldCount(); ++f)
            OnCellValue(this, 0, index, f, 0, Records[static_cast<std::size_t>(index)][static_cast<std::size_t>(f)],
                        TAlignment::taLeftJustify);
    }
    void EndOfRows() override { ++ended; }
    int ended = 0;
};

class RecordSource : public TVxImportFromCell {
public:
    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override { return std::make_unique<RecordReader>(); }
};

} // namespace

TEST(CellSourceRowMode, RecordsFillTheRowBufferNullsIncluded)
{
    TempFile table("table.dat", "records");
    RecordSource source;
    source.SourceFileName = table.path();
    source.OpenSource();
    source.FirstRow();
    std::vector<std::string> seen;
    while (source.HasRow()) {
        source.ProcessRow();
        seen.push_back(field(source, "first name").AsString() + "|" + field(source, "2005").AsString() + "|" +
                       (field(source, "2005").IsNull() ? "null" : "value") + "|" + field(source, "Other").AsString());
        source.NextRow();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Ann|a|value|Other", "Bob||null|Other"}));
    EXPECT_EQ(static_cast<RecordReader *>(source.SpreadSheetFile())->ended, 1);

    source.Columns.Clear();
    source.Columns.Add().FieldName = "2005";
    source.Columns.Add().FieldName = "first name";
    source.AutoMapColumns();
    EXPECT_EQ(mappings(source), (std::vector<std::string>{"2005=[2005]", "First Name=[first name]"}));
}
