#include "CaseNames.h"
#include "FirebirdTestSupport.h"
#include "dbaccess/IBCustomDataSet.h"
#include "TestData.h"
#include "sources/excel/VxI2XLS.h"
#include "sources/excel/VxXLS.h"

#include <gtest/gtest.h>

namespace {

// One sheet of a workbook into a real embedded Firebird table, through the engine's run
// loop as the wizard and the command-line runner drive it.
class ExcelImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("items.fdb");
        CreateDatabase(path, {"CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), "
                              "AMOUNT NUMERIC(10,2), BORN DATE)"});
        destination.Open(path, "ITEMS",
                         {"insert into ITEMS (ID, NAME, AMOUNT, BORN) values (:ID, :NAME, :AMOUNT, :BORN)"},
                         {"update ITEMS set NAME = :NAME, AMOUNT = :AMOUNT, BORN = :BORN where ID = :OLD_ID"},
                         {"delete from ITEMS where ID = :OLD_ID"});

        source.DataSet = &query;
        source.Host = &host;
        source.RowFirst = 2;
    }

    std::vector<std::string> rows()
    {
        transaction.Commit();
        return QueryColumn(path, "select ID || '|' || COALESCE(NAME, '') || '|' || "
                                 "COALESCE(CAST(AMOUNT AS VARCHAR(20)), '') || '|' || "
                                 "COALESCE(CAST(BORN AS VARCHAR(10)), '') from ITEMS order by ID");
    }

    TempDir dir;
    std::string path;
    TestDestination destination;
    TIBTransaction &transaction = destination.Transaction;
    TIBQuery &query = destination.Query;
    TVxIRecordingHost host;
    TVxImportFromXLS source;
};

const std::vector<std::string> DataSheet = {"1|Zoë Ærø|12.50|2008-01-01", "2|plain|-3.25|2000-01-01",
                                            "3|2005|161.00|2009-07-06"};

} // namespace

class ExcelImportFormats : public ExcelImport, public ::testing::WithParamInterface<const char *> {};

TEST_P(ExcelImportFormats, OneSheetLandsInTheTable)
{
    source.SourceFileName = XlsData(GetParam());
    source.Mappings = {"ID=A", "NAME=B", "AMOUNT=C", "BORN=D"};
    source.Execute();
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irExecuted);
    EXPECT_EQ(source.Statistic.TotalAdded, 3);
    EXPECT_EQ(rows(), DataSheet);
}

INSTANTIATE_TEST_SUITE_P(Workbooks, ExcelImportFormats, ::testing::Values("table.xls", "table-biff5.xls", "table.xlsx"),
                         NameAfterFile());

TEST_F(ExcelImport, WithoutMappingsTheHeaderNamesMapThemselves)
{
    source.SourceFileName = XlsData("table.xlsx");
    source.Execute();
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irExecuted);
    EXPECT_EQ(rows(), DataSheet);
    EXPECT_TRUE(source.Mappings.Empty());
}

TEST_F(ExcelImport, TheSelectedSheetIsImported)
{
    source.SourceFileName = XlsData("three-sheets.xls");
    source.SetSheetName("Third");
    source.RowFirst = 1;
    source.Mappings = {"ID=B", "NAME=A"};
    source.Execute();
    EXPECT_EQ(rows(), (std::vector<std::string>{"300|||"}));
    EXPECT_EQ(source.Statistic.TotalErrors, 1); // row 1 has no number for the key
}

TEST_F(ExcelImport, ReaderErrorsFailTheImport)
{
    TempFile binary("book.xlsb", "PK");
    struct Case {
        std::string file;
        const char *message;
    };
    for (const Case &c : {Case{dir.File("missing.xls"), "File is not exists."},
                          Case{XlsData("encrypted.xls"), "Could not read the password protected file"},
                          Case{binary.path(), "Excel binary workbooks (*.xlsb) are not supported"}}) {
        SCOPED_TRACE(c.file);
        source.SourceFileName = c.file;
        source.Mappings = {"ID=A"};
        try {
            source.Execute();
            ADD_FAILURE() << "no error";
        } catch (const ESpreadSheetError &e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(source.Statistic.Result, TVxIResult::irUnknown);
        EXPECT_EQ(source.SpreadSheetFile(), nullptr);
        EXPECT_TRUE(host.Log.empty()); // no progress window, no success message
    }
    EXPECT_TRUE(rows().empty());
}
