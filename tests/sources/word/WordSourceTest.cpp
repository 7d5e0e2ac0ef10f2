// The Word source over .docx documents: the first table wherever it is anchored, the
// texts of cells, merged cells, column widths and names, the row window, what a document
// that cannot be read raises, and damaged copies of every sample.

#include "Files.h"
#include "TempDir.h"
#include "TestData.h"
#include "WordRows.h"
#include "engine/MemoryDataSet.h"
#include "sources/word/VxI2Word.h"
#include "sources/word/VxWord.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <sstream>

using sources::word::EWordError;
using sources::word::TWordDocumentKind;

namespace {

// Never a real office program: these tests read .docx documents only.
constexpr const char *NoOffice = "/nonexistent/soffice";

Rows readFile(const std::string &name, int rowFieldNames = 0, int first = 1, int last = INT_MAX)
{
    TVxImportFromWord source;
    source.OfficeCommand = NoOffice;
    source.SourceFileName = wordData(name);
    source.RowFieldNames = rowFieldNames;
    source.RowFirst = first;
    source.RowLast = last;
    return readRows(source);
}

std::string openError(TVxImportFromWord &source)
{
    try {
        source.OpenSource();
    } catch (const EWordError &e) {
        return e.what();
    }
    return "(opened)";
}

std::string openError(const std::string &file)
{
    TVxImportFromWord source;
    source.OfficeCommand = NoOffice;
    source.SourceFileName = file;
    return openError(source);
}

} // namespace

TEST(WordSource, FirstTableOfEachDocument)
{
    struct Case {
        const char *file;
        Rows rows;
    };
    const std::vector<Case> cases = {
        // The first table in document order sits in a text box anchored in a run inside a
        // paragraph; the body's table after it is the second. Its grid has a third column
        // of 10 twips that only spanning cells reach.
        {"testWORD_tableInRunInsideParagraph.docx",
         {{"gubergre", "", ""},
          {"accusam et justo duo", "AAAA", ""},
          {"takimata sanctus", "aliquyam", ""},
          {"diam voluptua", "aliquyam", ""},
          {"diam nonumy", "aliquyam", ""},
          {"duo dolores et ea", "aliquyam", ""},
          {"Lorem ipsum: ", "", ""}}},
        // A table nested in a cell: its rows one to a line, its cells apart by tabs.
        {"testWORD.libreoffice.docx",
         {{"This is a table", ""},
          {"", "Nested table\t\n\tMore of our nested table"},
          {"The table has things in it", ""}}},
        {"innertable.libreoffice.docx", {{"A", "B", "C"}, {"D", "E\n1\t2\n3\t4\nF", "G"}, {"H", "I", "J"}}},
        // Spanning cells keep their text in their first grid column.
        {"table-merges.libreoffice.docx",
         {{"A", "", "", "B", ""}, {"C", "D", "E", "", "F"}, {"", "G", "H", "", "I\nJ"}, {"K", "", "", "", ""}}},
        {"table.libreoffice.docx",
         {{"a", "b", "c", "d"},
          {"Some bar | there ", "Log or short or very long", "", "**no** bold"},
          {"1", "2", "3", "4"},
          {"fixed", "20", "30", "40"},
          {"100", "200", "300", "400"}}},
        {"md_sample_14_lo.libreoffice.docx",
         {{"Name", "Age", "City"}, {"Alice", "30", "Paris"}, {"Bob", "25", "London"}}},
        {"testRTFTableCellSeparation.libreoffice.docx",
         {{"a", "b"}, {"c", "d"}, {"\xC3\xA4", "\xC3\xAB"}, {"\xC3\xB6", "\xC3\xBC"}}},
        {"testRTFJapanese.libreoffice.docx",
         {{"\xE4\xBB\x8A\xE5\x9B\x9E\xE7\x99\xBA\xE8\xA6\x8B\xE3\x81\x95\xE3\x82\x8C\xE3\x81\x9F\xE3\x81\xAE\xE3\x81"
           "\xAF\xE3\x80\x81",
           "\xEF\xBC\xA7\xEF\xBC\xA8\xEF\xBC\xB1\xE5\x86\x85\xE3\x81\xAE\xE6\x83\x85\xE5\xA0\xB1\xE9\x83\xA8\xE9\x96"
           "\x80\xE3\x81\x8C\xE8\xA1\x8C\xE3\x81\xA3\xE3\x81\x9F\xE3\x82\xBE\xE3\x83\xAB\xE3\x82\xB2\xE4\xBA\x8B\xE4"
           "\xBB\xB6\xE3\x81\xAE\xE8\xAA\xBF\xE6\x9F\xBB\xE5\xA0\xB1\xE5\x91\x8A\xE6\x9B\xB8\xE3\x81\xA7\xE3\x80\x81"},
          {"\xEF\xBC\x94\xEF\xBC\x97\xE5\xB9\xB4\xEF\xBC\x98\xE6\x9C\x88\xEF\xBC\x95\xE6\x97\xA5\xE3\x81\xAE\xE6\x97"
           "\xA5\xE4\xBB\x98\xE3\x81\x8C\xE3\x81\x82\xE3\x82\x8B\xE3\x80\x82",
           ""}}},
        // A vertical merge shows its first cell's text in every row it covers; a row that
        // starts further right leaves its first columns empty.
        {"merges.docx",
         {{"Region", "City", "Shop", ""},
          {"North", "Oslo", "A", "B"},
          {"North", "Bergen", "C", ""},
          {"", "Troms\xC3\xB8", "D", "E"},
          {"South", "Rome", "", ""},
          {"South", "Naples", "F", "G"}}},
        {"strict-elsewhere.docx", {{"strict"}, {"found"}}},
        {"no-tables.docx", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(readFile(c.file), c.rows) << c.file;
}

TEST(WordSource, TextsOfCells)
{
    TVxImportFromWord source;
    source.SourceFileName = wordData("texts.docx");
    source.RowFieldNames = 0;
    Rows expected = {
        {"paragraphs", "line one\nline two"}, {"tab and break", "a\tb\nc"},
        {"tracked changes", "kept new"},      {"field", "7"},
        {"text box", "before \nin the box"},  {"nested table", "before\n1\t2\n3\t4a\n4b\nafter"},
        {"hyphen and tab stops", "a-b"},      {"empty", ""},
    };
    EXPECT_EQ(readRows(source), expected);
}

TEST(WordSource, ColumnsNamedByTheNamingRowWithTheirWidths)
{
    struct Case {
        int rowFieldNames;
        std::vector<std::string> names;
    };
    // A header's first line, trimmed, names its column; a column without a header keeps
    // its number. Below 1, or past the table's rows, every column is named by number.
    const std::vector<Case> cases = {
        {1, {"ID", "Name", "Field3", "Born"}},          {0, {"Field1", "Field2", "Field3", "Field4"}},
        {-1, {"Field1", "Field2", "Field3", "Field4"}}, {2, {"1", "Person 1", "x1", "01/01/2000"}},
        {99, {"Field1", "Field2", "Field3", "Field4"}},
    };
    for (const Case &c : cases) {
        TVxImportFromWord source;
        source.SourceFileName = wordData("headers.docx");
        source.RowFieldNames = c.rowFieldNames;
        source.OpenSource();
        EXPECT_EQ(source.ColumnNames(), c.names) << c.rowFieldNames;
        source.CreateColumns();
        ASSERT_EQ(source.Columns.Count(), 4);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(source.Columns[k].FieldName, c.names[static_cast<std::size_t>(k)]);
            EXPECT_EQ(source.Columns[k].Caption, c.names[static_cast<std::size_t>(k)]);
        }
        // Grid widths of 1400, 2800, 1000 and 1400 twips: 70, 140, 50 and 70 points.
        EXPECT_EQ(source.Columns[0].Size, 10);
        EXPECT_EQ(source.Columns[1].Size, 20);
        EXPECT_EQ(source.Columns[2].Size, 7);
        EXPECT_EQ(source.Columns[3].Size, 10);
    }
}

TEST(WordSource, ValuesByName)
{
    TVxImportFromWord source;
    source.SourceFileName = wordData("headers.docx");
    source.OpenSource();
    source.FirstRow();
    source.NextRow();
    struct Case {
        int rowFieldNames;
        const char *name;
        const char *value; // the name itself: no such column
    };
    const std::vector<Case> cases = {
        {1, "ID", "1"},
        {1, "Name", "Person 1"},
        {1, "Field3", "x1"},
        {1, "Born", "01/01/2000"},
        {1, "name", "name"},
        {1, "Field2", "Field2"},
        {1, "  ID ", "  ID "},
        {0, "Field2", "Person 1"},
        {0, "FIELD4", "01/01/2000"},
        {0, "Field5", "Field5"},
        {0, "Field0", "Field0"},
        {0, "ID", "ID"},
    };
    for (const Case &c : cases) {
        source.RowFieldNames = c.rowFieldNames;
        source.OpenSource();
        source.CurrentRow = 2;
        Variant value;
        source.GetFieldValue(Variant(c.name), value);
        EXPECT_EQ(value.AsString(), c.value) << c.rowFieldNames << " " << c.name;
    }

    // Automatic mapping finds the destination's fields by the header names.
    TMemoryDataSet destination({{"BORN", TFieldType::ftString, 10, false},
                                {"ID", TFieldType::ftInteger, 0, false},
                                {"NAME", TFieldType::ftString, 20, false}},
                               "PEOPLE");
    source.RowFieldNames = 1;
    source.OpenSource();
    source.DataSet = &destination;
    source.Columns.Clear();
    source.CreateColumns();
    source.AutoMapColumns();
    EXPECT_EQ(source.Mappings.Text(), "ID=ID\r\nNAME=Name\r\nBORN=Born\r\n");
}

TEST(WordSource, RowWindowInSixtyFourBits)
{
    struct Case {
        int first, last;
        std::vector<std::string> ids;
    };
    const std::vector<Case> cases = {
        {2, 4, {"1", "2", "3"}},
        {2, INT_MAX, {"1", "2", "3", "4", "5"}},
        {INT_MIN, INT_MAX, {"  ID ", "1", "2", "3", "4", "5"}},
        {INT_MIN, 1, {"  ID "}},
        {0, 2, {"  ID ", "1"}},
        {5, 3, {}},
        {INT_MAX, INT_MAX, {}},
        {6, INT_MAX, {"5"}},
    };
    for (const Case &c : cases) {
        std::vector<std::string> ids;
        for (const std::vector<std::string> &row : readFile("headers.docx", 1, c.first, c.last))
            ids.push_back(row.at(0));
        EXPECT_EQ(ids, c.ids) << c.first << ".." << c.last;
    }
    TVxImportFromWord source;
    source.SourceFileName = wordData("headers.docx");
    source.RowLast = 2;
    source.OpenSource();
    EXPECT_EQ(source.GetRowCount(), 6); // the table's rows; the engine caps the count by RowLast
}

TEST(WordSource, MeasuresOfTheGrid)
{
    using sources::word::MeasureToTwips;
    EXPECT_EQ(MeasureToTwips("2880"), 2880);
    EXPECT_EQ(MeasureToTwips("72pt"), 1440);
    EXPECT_EQ(MeasureToTwips("1in"), 1440);
    EXPECT_EQ(MeasureToTwips("2.54cm"), 1440);
    EXPECT_EQ(MeasureToTwips("25.4mm"), 1440);
    EXPECT_EQ(MeasureToTwips("6pc"), 1440);
    for (const char *bad : {"", "wide", "-5", "12furlongs", "nan", "inf"})
        EXPECT_EQ(MeasureToTwips(bad), 0) << bad;
    EXPECT_EQ(MeasureToTwips("1e300"), 1000000000);
}

TEST(WordSource, DocumentKindsByTheirBytes)
{
    struct Case {
        const char *file;
        TWordDocumentKind kind;
    };
    const std::vector<Case> cases = {
        {"merges.docx", TWordDocumentKind::wdDocx},
        {"testWORD_tableInRunInsideParagraph.docx", TWordDocumentKind::wdDocx},
        {"testWORD.doc", TWordDocumentKind::wdDoc},
        {"table-merges.doc", TWordDocumentKind::wdDoc},
        {"table.odt", TWordDocumentKind::wdOdt},
        {"testRTFJapanese.rtf", TWordDocumentKind::wdRtf},
        {"bug53475-password-is-pass.docx", TWordDocumentKind::wdEncrypted},
        {"password_password_cryptoapi.doc", TWordDocumentKind::wdEncrypted},
        {"make_docx.py", TWordDocumentKind::wdUnknown},
    };
    for (const Case &c : cases)
        EXPECT_EQ(sources::word::DetectWordDocument(ReadBytes(wordData(c.file))), c.kind) << c.file;
    // A workbook is a zip package too, but has no Word document in it.
    EXPECT_EQ(sources::word::DetectWordDocument(ReadBytes(TestDataFolder("xls") + "/dates-1904.xlsx")),
              TWordDocumentKind::wdUnknown);
}

TEST(WordSource, OpenFailuresRaiseTheirMessage)
{
    TempDir dir;
    dir.Write("notes.doc", "just some text, no document");
    dir.Write("empty.docx", "");
    struct Case {
        std::string file;
        std::string message;
    };
    const std::vector<Case> cases = {
        {dir.File("missing.docx"), "Cannot open file \"" + dir.File("missing.docx") + "\". No such file or directory"},
        {dir.File("notes.doc"), "The file \"" + dir.File("notes.doc") +
                                    "\" is not a Word document (.docx, .doc, .odt or .rtf), or it is "
                                    "damaged."},
        {dir.File("empty.docx"), "The file \"" + dir.File("empty.docx") +
                                     "\" is not a Word document (.docx, .doc, .odt or .rtf), or it is "
                                     "damaged."},
        {TestDataFolder("xls") + "/dates-1904.xlsx",
         "The file \"" + TestDataFolder("xls") +
             "/dates-1904.xlsx\" is not a Word document (.docx, .doc, .odt or "
             ".rtf), or it is damaged."},
        // Both kinds of password protection are told apart before any conversion.
        {wordData("bug53475-password-is-pass.docx"),
         "The Word document \"" + wordData("bug53475-password-is-pass.docx") +
             "\" is protected by a password and cannot be read here; remove the password in Word or LibreOffice and "
             "save the document again to import it."},
        {wordData("password_password_cryptoapi.doc"),
         "The Word document \"" + wordData("password_password_cryptoapi.doc") +
             "\" is protected by a password and cannot be read here; remove the password in Word or LibreOffice and "
             "save the document again to import it."},
    };
    for (const Case &c : cases)
        EXPECT_EQ(openError(c.file), c.message) << c.file;
}

TEST(WordSource, ADamagedMainPartIsAnError)
{
    // The package opens and names its main part, whose XML ends in the middle of a row.
    const std::string file = wordData("cut-main-part.docx");
    EXPECT_EQ(openError(file), "The Word document \"" + file + "\" is damaged: its text cannot be read.");
}

TEST(WordSource, ADocumentWithoutTablesGivesNoRowsAndNoColumns)
{
    TVxImportFromWord source;
    source.SourceFileName = wordData("no-tables.docx");
    source.OpenSource();
    EXPECT_FALSE(source.HasTable());
    EXPECT_EQ(source.GetRowCount(), 0);
    source.FirstRow();
    EXPECT_FALSE(source.HasRow());
    source.CreateColumns();
    EXPECT_EQ(source.Columns.Count(), 0);
}

TEST(WordSource, ARunRaisesWhatKeepsTheDocumentFromOpening)
{
    // An import of a file that cannot be read ends with its error, never as an empty success.
    TMemoryDataSet destination({{"ID", TFieldType::ftInteger, 0, true}}, "T");
    TVxImportFromWord source;
    source.DataSet = &destination;
    source.AnimatedStatus = false;
    source.Options = {};
    source.SourceFileName = wordData("missing.docx");
    EXPECT_THROW(source.Execute(), EWordError);
    EXPECT_TRUE(destination.IsEmpty());
}

TEST(WordSource, TypeAndFilter)
{
    TVxImportFromWord source;
    EXPECT_EQ(source.TableType, TTableTypeImport::teWord);
    EXPECT_EQ(source.SourceFileName, "VxImport.DOC");
    std::string filter;
    source.GetFileFilter(filter);
    EXPECT_EQ(filter, "Word file (*.doc)|*.DOC|Word 2007 and later (*.docx)|*.DOCX|OpenDocument text (*.odt)|*.ODT|"
                      "Rich text (*.rtf)|*.RTF|All files (*.*)|*.*");
    std::string property;
    source.DataSet = nullptr;
    EXPECT_TRUE(source.CheckProperties(property));
    EXPECT_EQ(property, "DataSet");
    TMemoryDataSet destination({{"ID", TFieldType::ftInteger, 0, true}}, "T");
    source.DataSet = &destination;
    source.SourceFileName.clear();
    EXPECT_TRUE(source.CheckProperties(property));
    EXPECT_EQ(property, "SourceFileName");
}

TEST(WordSource, DamagedCopiesOfEverySampleReadOrFail)
{
    // .docx copies reach the reader; the others stop at their kind or at the missing office
    // program, never at a crash.
    for (const auto &entry : std::filesystem::directory_iterator(TestDataFolder("word"))) {
        const std::string name = entry.path().filename().string();
        if (name == "README.md" || name == "make_docx.py")
            continue;
        const std::vector<std::uint8_t> bytes = ReadBytes(entry.path().string());
        ASSERT_FALSE(bytes.empty()) << name;
        for (const std::vector<std::uint8_t> &copy : DamagedCopies(bytes, 41, 61)) {
            std::istringstream stream(std::string(copy.begin(), copy.end()));
            TVxImportFromWord source;
            source.OfficeCommand = NoOffice;
            source.SourceStream = &stream;
            source.RowFieldNames = 1;
            try {
                source.OpenSource();
                source.CreateColumns();
                for (source.FirstRow(); source.HasRow(); source.NextRow())
                    for (const std::string &column : source.ColumnNames()) {
                        Variant value;
                        source.GetFieldValue(Variant(column), value);
                    }
            } catch (const EWordError &) {
            }
        }
    }
}
