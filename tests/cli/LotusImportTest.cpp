// Lotus 1-2-3 worksheets and Quattro Pro notebooks loaded by the runner into a real
// database, checked row by row.

#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

class LotusImportTest : public ::testing::Test {
protected:
    void SetUp() override { db = dir.File("lotus.fdb"); }

    RunResult run(const std::string &table, const std::string &type, const std::string &file,
                  const std::string &mappings, const std::string &rows)
    {
        dir.Write("load.vxi", "[Common]\r\nTableName=" + table + "\r\nTableType=" + type +
                                  "\r\nMode=0\r\nSourceFileName=" + file + "\r\n[Mappings]\r\n" + mappings +
                                  "[Text]\r\n" + rows + "RowFieldNames=0\r\n[Sheet]\r\nSheetIndex=0\r\n");
        return runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --spec " +
                         dir.File("load.vxi"));
    }

    TempDir dir;
    std::string db;
};

TEST_F(LotusImportTest, RowsOfARelease2Worksheet)
{
    CreateDatabase(db, {"CREATE TABLE SAMPLES (OBSERV INTEGER NOT NULL PRIMARY KEY, TAKEN DATE, X NUMERIC(8,2), "
                        "SOIL VARCHAR(5), TEXTURE VARCHAR(5), KS DOUBLE PRECISION)"});
    const RunResult r =
        run("SAMPLES", "WKS", TestDataFolder("lotus") + "/KSBASE.WK1",
            "Map0=OBSERV=A\r\nMap1=TAKEN=B\r\nMap2=X=C\r\nMap3=SOIL=E\r\nMap4=TEXTURE=F\r\nMap5=KS=J\r\n",
            "RowFirst=3\r\nRowLast=6\r\n");
    ASSERT_EQ(r.status, 0) << r.out;
    // The dates are day numbers, which the date field takes as such.
    EXPECT_EQ(QueryColumn(db, "select OBSERV || '|' || TAKEN || '|' || X || '|' || SOIL || '|' || TEXTURE || '|' || "
                              "CAST(KS AS NUMERIC(12,8)) from SAMPLES order by OBSERV"),
              (std::vector<std::string>{
                  "4001|1996-07-03|683.38|c|l|0.14963475", "4002|1996-07-03|683.38|c|l|0.35344062",
                  "4003|1996-07-03|684.18|c|sal|0.52571957", "4004|1996-07-03|684.18|c|sal|0.38440124"}));
}

TEST_F(LotusImportTest, LabelsAndTextResultsOfACompoundNotebook)
{
    CreateDatabase(db, {"CREATE TABLE LABELS (NAME VARCHAR(20) NOT NULL PRIMARY KEY, VAL VARCHAR(20))"});
    const RunResult r = run("LABELS", "Quattro", TestDataFolder("quattro") + "/crlfq9.wb3",
                            "Map0=NAME=A\r\nMap1=VAL=B\r\n", "RowFirst=1\r\n");
    ASSERT_EQ(r.status, 0) << r.out;
    // The formula's stored text result, with the line break the notebook keeps.
    EXPECT_EQ(QueryColumn(db, "select NAME || '|' || COALESCE(VAL, '<null>') from LABELS order by NAME"),
              (std::vector<std::string>{"Formula|abc\r\ndef", "Normal|abcdef", "Test|<null>"}));
}

TEST_F(LotusImportTest, NumbersOfAWindowsNotebook)
{
    CreateDatabase(db, {"CREATE TABLE XYZ (X INTEGER NOT NULL PRIMARY KEY, Y INTEGER, Z INTEGER)"});
    const RunResult r = run("XYZ", "Quattro", TestDataFolder("quattro") + "/testQuattro.wb1",
                            "Map0=X=A\r\nMap1=Y=B\r\nMap2=Z=C\r\n", "RowFirst=2\r\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(QueryColumn(db, "select count(*) || '|' || sum(X) || '|' || sum(Y) || '|' || sum(Z) from XYZ"),
              (std::vector<std::string>{"10|55|55|220"}));
}

TEST_F(LotusImportTest, PackedColumnsOfAQuattroPro9Notebook)
{
    // The first sheet, "Numbers": reals in A (1234543212345 at the top, all its digits), in B
    // runs and sequences of whole numbers.
    CreateDatabase(db, {"CREATE TABLE NUMS (A DOUBLE PRECISION NOT NULL PRIMARY KEY, B INTEGER)"});
    const RunResult r = run("NUMS", "Quattro", TestDataFolder("quattro") + "/q10test.qpw", "Map0=A=A\r\nMap1=B=B\r\n",
                            "RowFirst=1\r\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(QueryColumn(db, "select count(*) || '|' || sum(B) || '|' || min(B) || '|' || max(A) from NUMS"),
              (std::vector<std::string>{"18|5111871|-5|1234543212345.000"}));
}

TEST_F(LotusImportTest, AFileOfAnotherKindEndsWithItsMessage)
{
    CreateDatabase(db, {"CREATE TABLE XYZ (X INTEGER NOT NULL PRIMARY KEY)"});
    const RunResult r = run("XYZ", "WKS", TestDataFolder("quattro") + "/KSBASE.WQ1", "Map0=X=A\r\n", "RowFirst=1\r\n");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("File is not a Lotus 1-2-3 file"), std::string::npos) << r.out;
    EXPECT_EQ(QueryColumn(db, "select count(*) from XYZ"), (std::vector<std::string>{"0"}));
}

} // namespace
