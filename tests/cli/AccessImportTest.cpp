// Access tables and ODBC connections loaded by the runner into a real database, and the
// failures that must end a run instead of passing for one that found no rows.

#include "FirebirdTestSupport.h"
#include "OdbcTestDatabase.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

RunResult importInto(const TempDir &dir, const std::string &db, const std::string &destination,
                     const std::string &common, const std::string &mappings)
{
    dir.Write("load.vxi", "[Common]\r\n" + common + "Mode=0\r\n[Mappings]\r\n" + mappings);
    return runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --table " + destination +
                     " --spec " + dir.File("load.vxi"));
}

std::string accessFile(const std::string &name) { return TestDataFolder("access") + "/" + name; }

TEST(AccessImportTest, ATableOfEveryKindAndTheFailuresThatEndTheRun)
{
    TempDir dir;
    const std::string db = dir.File("access.fdb");
    CreateDatabase(db, {"CREATE TABLE T1 (A VARCHAR(50), C SMALLINT, D SMALLINT, E INTEGER, F DOUBLE PRECISION, "
                        "G DATE, H NUMERIC(18,4), I BOOLEAN)",
                        "CREATE TABLE OLD (ID INTEGER, D TIMESTAMP)", "CREATE TABLE U (ID INTEGER, T VARCHAR(60))"});
    const RunResult r = importInto(
        dir, db, "T1", "TableType=Access\r\nTableName=Table1\r\nSourceFileName=" + accessFile("testV1997.mdb") + "\r\n",
        "Map0=A=B\r\nMap1=C=C\r\nMap2=D=D\r\nMap3=E=E\r\nMap4=F=F\r\nMap5=G=G\r\nMap6=H=H\r\nMap7=I=I\r\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(QueryColumn(db, "select A || '|' || C || '|' || D || '|' || E || '|' || F || '|' || G || '|' || H || "
                              "'|' || I from T1 order by A"),
              (std::vector<std::string>{"b|0|0|0|0.000000000000000|1981-12-12|0.0000|FALSE",
                                        "hijklmnop|2|222|333333333|444.5550000000000|1974-09-21|3.5000|TRUE"}));

    // Dates before 1900 come from the stored day count, not from a text (mdbtools' own
    // text of them is 1900-01-00).
    ASSERT_EQ(importInto(dir, db, "OLD",
                         "TableType=Access\r\nTableName=Table1\r\nSourceFileName=" + accessFile("oldDatesV2007.accdb") +
                             "\r\n",
                         "Map0=ID=ID\r\nMap1=D=DateField\r\n")
                  .status,
              0);
    EXPECT_EQ(QueryColumn(db, "select ID || '|' || D from OLD order by ID"),
              (std::vector<std::string>{"1|1582-10-15 00:00:00.0000", "2|1582-10-14 00:00:00.0000",
                                        "3|1492-01-10 00:00:00.0000", "4|1392-01-10 00:00:00.0000"}));

    ASSERT_EQ(importInto(dir, db, "U",
                         "TableType=Access\r\nTableName=Table\r\nSourceFileName=" +
                             accessFile("testUnicodeCompV2003.mdb") + "\r\n",
                         "Map0=ID=ID\r\nMap1=T=Unicode\r\n")
                  .status,
              0);
    EXPECT_EQ(QueryColumn(db, "select T from U where ID = 3"), (std::vector<std::string>{"\xD0\x9C\xD0\xB8\xD1\x80"}));

    // A missing table, a file that is no database and an encrypted one end the run.
    for (const auto &[common, message] : std::vector<std::pair<std::string, std::string>>{
             {"TableName=NoSuchTable\r\nSourceFileName=" + accessFile("testV1997.mdb"), "NoSuchTable"},
             {"TableName=Table1\r\nSourceFileName=" + dir.File("missing.mdb"), "missing.mdb"},
             {"TableName=Table1\r\nSourceFileName=" + accessFile("db2007-enc.accdb"), "encrypted"}}) {
        const RunResult failed = importInto(dir, db, "T1", "TableType=Access\r\n" + common + "\r\n", "Map0=A=A\r\n");
        EXPECT_EQ(failed.status, 2) << failed.out;
        EXPECT_NE(failed.out.find(message), std::string::npos) << failed.out;
    }
}

TEST(AccessImportTest, AnODBCTableOrCommand)
{
    TempDir dir;
    const std::string source = WriteOdbcTestDatabase(dir.File("people.sqlite"));
    const std::string db = dir.File("odbc.fdb");
    CreateDatabase(db, {"CREATE TABLE PEOPLE (ID INTEGER, NAME VARCHAR(20), BORN DATE, SCORE DOUBLE PRECISION)"});
    const std::string common = "TableType=ADO\r\nSourceFileName=" + source + "\r\n";
    const std::string mappings = "Map0=ID=id\r\nMap1=NAME=name\r\nMap2=BORN=born\r\nMap3=SCORE=score\r\n";
    ASSERT_EQ(importInto(dir, db, "PEOPLE", common + "TableName=people\r\n", mappings).status, 0);
    EXPECT_EQ(
        QueryColumn(db, "select ID || '|' || NAME || '|' || BORN || '|' || SCORE from PEOPLE order by ID"),
        (std::vector<std::string>{"1|Ann|1977-05-15|1.500000000000000", "2|Zo\xC3\xAB|2001-12-31|-3.000000000000000"}));

    ASSERT_EQ(importInto(dir, db, "PEOPLE",
                         common + "TableName=select\tid + 10 as id, name from people where id = 2\r\n",
                         "Map0=ID=id\r\nMap1=NAME=name\r\n")
                  .status,
              0);
    EXPECT_EQ(QueryColumn(db, "select NAME from PEOPLE where ID = 12"), (std::vector<std::string>{"Zo\xC3\xAB"}));

    // A table that is not there and a driver that is not installed end the run.
    for (const std::string &failing :
         std::vector<std::string>{common + "TableName=nobody\r\n", "TableType=ADO\r\nSourceFileName=Driver="
                                                                   "NoSuchDriver;Database=x\r\nTableName=t\r\n"}) {
        const RunResult failed = importInto(dir, db, "PEOPLE", failing, mappings);
        EXPECT_EQ(failed.status, 2) << failed.out;
    }
}

} // namespace
