#include "CellText.h"
#include "TestData.h"
#include "session/SourceRegistry.h"
#include "sources/paradox/VxI2DB.h"
#include "sources/dbase/VxI2DBF.h"

#include <gtest/gtest.h>

namespace {

std::string field(TVxImportFromCell &source, const std::string &name)
{
    Variant value;
    source.GetFieldValue(Variant(name), value);
    return ValueText(value);
}

// One named field over the rows the source serves, as an import reads them.
std::vector<std::string> served(TVxImportFromCell &source, const std::string &name)
{
    std::vector<std::string> values;
    source.OpenSource();
    for (source.FirstRow(); source.HasRow(); source.NextRow()) {
        source.ProcessRow();
        values.push_back(field(source, name));
    }
    source.CloseSource();
    return values;
}

std::string typeNames(const TVxIColumns &columns)
{
    static const char *names[] = {"S", "I", "F", "DT", "D", "T", "B", "BLOB", "MEMO", "G"};
    std::string text;
    for (int i = 0; i < columns.Count(); ++i)
        text += columns[i].FieldName + ":" + names[static_cast<int>(columns[i].DataType)] + "/" +
                std::to_string(columns[i].Size) + "." + std::to_string(columns[i].Precision) + " ";
    return text;
}

} // namespace

TEST(TableSources, DialogEntriesAndDefaults)
{
    TVxImportFromDBF dbf;
    TVxImportFromParadox paradox;
    std::string ext, filter;
    dbf.GetDefaultExt(ext);
    EXPECT_EQ(ext, ".DBF");
    dbf.GetFileFilter(filter);
    EXPECT_EQ(filter, "DBase file (*.dbf)|*.DBF|All files (*.*)|*.*");
    EXPECT_EQ(dbf.TableType, TTableTypeImport::teDBase);
    EXPECT_EQ(dbf.SourceFileName, "VxImport.DBF");
    paradox.GetDefaultExt(ext);
    EXPECT_EQ(ext, ".DB");
    paradox.GetFileFilter(filter);
    EXPECT_EQ(filter, "Paradox file (*.db)|*.DB|All files (*.*)|*.*");
    EXPECT_EQ(paradox.TableType, TTableTypeImport::teParadox);
}

TEST(TableSources, ColumnsCarryTheTablesTypesAndSizes)
{
    struct Case {
        TTableTypeImport type;
        const char *file;
        const char *columns;
    };
    const std::vector<Case> cases = {
        {TTableTypeImport::teDBase, "pydbf_vfp.dbf",
         "NAME:S/12.0 BORN:D/8.0 SCORE:F/6.2 WHOLE:F/4.0 OK:B/1.0 NOTES:MEMO/4.0 RATIO:F/10.3 QTY:I/4.0 "
         "PRICE:F/8.0 STAMP:T/8.0 DBL:F/8.0 PIC:BLOB/4.0 "},
        {TTableTypeImport::teParadox, "pxlib_types.db",
         "Name:S/20.0 Born:D/4.0 Qty:I/2.0 Big:I/4.0 Price:F/8.0 Ratio:F/8.0 Ok:B/1.0 Notes:MEMO/30.0 At:T/4.0 "
         "Stamp:DT/8.0 Amount:S/17.0 "},
        {TTableTypeImport::teParadox, "fields-graphic.db", "Id:I/4.0 Graphic:G/10.0 Type:S/3.0 "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        std::unique_ptr<TVxImportFromCell> source;
        if (c.type == TTableTypeImport::teDBase)
            source = std::make_unique<TVxImportFromDBF>();
        else
            source = std::make_unique<TVxImportFromParadox>();
        source->SourceFileName = c.type == TTableTypeImport::teDBase ? DbfData(c.file) : ParadoxData(c.file);
        source->OpenSource();
        source->CreateColumns();
        EXPECT_EQ(typeNames(source->Columns), c.columns);
        source->CloseSource();
    }
}

TEST(TableSources, RowsEndWithTheLastWantedRecordAndStartAtRowFirst)
{
    struct Case {
        const char *file;
        int rowFirst;
        std::vector<std::string> ids;
    };
    const std::vector<Case> cases = {
        // five records, the fourth deleted: four rows, never the fifth twice
        {"lo_memo.dbf", 1, {"Double:1", "Double:2", "Double:3", "Double:5"}},
        {"lo_memo.dbf", 3, {"Double:3", "Double:5"}},
        {"lo_memo.dbf", 5, {}},
        {"people.dbf", 2, {"String:Bob             "}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.file) + " from " + std::to_string(c.rowFirst));
        TVxImportFromDBF source;
        source.SourceFileName = DbfData(c.file);
        source.RowFirst = c.rowFirst;
        const bool people = std::string(c.file) == "people.dbf";
        EXPECT_EQ(served(source, people ? "name" : "ID"), c.ids);
    }
}

TEST(TableSources, RecordCountComesFromTheHeader)
{
    TVxImportFromDBF dbf;
    dbf.SourceFileName = DbfData("lo_memo.dbf");
    dbf.OpenSource();
    EXPECT_EQ(dbf.GetRowCount(), 5); // the deleted record counts
    dbf.CloseSource();
    TVxImportFromParadox paradox;
    paradox.SourceFileName = ParadoxData("db-AREACODES.DB");
    paradox.OpenSource();
    EXPECT_EQ(paradox.GetRowCount(), 370);
    paradox.CloseSource();
    EXPECT_EQ(served(paradox, "AC").size(), 370u);
}

TEST(TableSources, FieldNamesAreFoundByEachFormatsRules)
{
    struct Case {
        TTableTypeImport type;
        const char *file;
        const char *name;
        const char *expected;
    };
    const std::vector<Case> cases = {
        {TTableTypeImport::teDBase, "pydbf_db3.dbf", "name", "String:Ann         "},
        {TTableTypeImport::teDBase, "lo_memo.dbf", "notes", "String:First memo written by LibreOffice"},
        {TTableTypeImport::teDBase, "lo_memo.dbf", "NOTE", "String:NOTE"}, // no such field: the name stays
        {TTableTypeImport::teParadox, "db-CUSTOMER.DB", "zip/postal code", "String:94766"},
        {TTableTypeImport::teParadox, "db-CUSTOMER.DB", "Comments", "String:Small comment (less 100 symbols)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TVxImportFromCell> source;
        if (c.type == TTableTypeImport::teDBase)
            source = std::make_unique<TVxImportFromDBF>();
        else
            source = std::make_unique<TVxImportFromParadox>();
        source->SourceFileName = c.type == TTableTypeImport::teDBase ? DbfData(c.file) : ParadoxData(c.file);
        EXPECT_EQ(served(*source, c.name).front(), c.expected);
    }
}

TEST(TableSources, AutomaticMappingsBracketParadoxNamesWithBlanks)
{
    TVxImportFromParadox source;
    source.SourceFileName = ParadoxData("db-CUSTOMER.DB");
    source.OpenSource();
    source.CreateColumns();
    source.AutoMapColumns();
    const std::vector<std::string> lines = source.Mappings.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Zip/Postal Code=[Zip/Postal Code]"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "CustNo=CustNo"), lines.end());
    source.CloseSource();
}

TEST(TableSources, PreviewShowsTheFirstRowsOfEachFormat)
{
    struct Case {
        TTableTypeImport type;
        std::string file;
        int rows;
        std::vector<std::string> firstColumn;
    };
    const std::vector<Case> cases = {
        {TTableTypeImport::teDBase, DbfData("lo_memo.dbf"), 3, {"1", "2", "3"}},
        {TTableTypeImport::teDBase, DbfData("people.dbf"), 20, {"Alice           ", "Bob             "}},
        {TTableTypeImport::teParadox, ParadoxData("db-AREACODES.DB"), 2, {"201", "202"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        TCellPreviewRequest request;
        request.CreateReader = SourceTypeOf(c.type).CreateCellReader;
        request.FileName = c.file;
        request.PreviewRowCount = c.rows;
        std::vector<std::string> firstColumn;
        std::vector<int> numbers;
        request.OnRow = [&](int, int number, const Variant &row, bool) {
            numbers.push_back(number);
            firstColumn.push_back(row[0][2].AsString());
        };
        std::vector<TCellPreviewColumn> columns;
        std::vector<std::string> sheets;
        BuildCellPreview(request, columns, sheets);
        EXPECT_EQ(firstColumn, c.firstColumn);
        ASSERT_FALSE(sheets.empty());
        EXPECT_EQ(sheets[0], c.file.substr(c.file.rfind('/') + 1));
        ASSERT_FALSE(columns.empty());
        EXPECT_EQ(numbers.front(), 1);
    }
}
