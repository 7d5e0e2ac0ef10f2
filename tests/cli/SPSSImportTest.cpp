// An SPSS data file written by GNU PSPP loaded by the runner into a real database.

#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

TEST(SPSSImportTest, CasesWithDatesAndMissingValues)
{
    TempDir dir;
    const std::string db = dir.File("spss.fdb");
    CreateDatabase(db, {"CREATE TABLE PEOPLE (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), BORN DATE, "
                        "SALARY NUMERIC(10,2), SEEN TIMESTAMP)"});
    dir.Write("load.vxi",
              "[Common]\r\nTableName=PEOPLE\r\nTableType=SPSS\r\nMode=0\r\nSourceFileName=" + TestDataFolder("spss") +
                  "/people-compressed.sav" +
                  "\r\n[Mappings]\r\nMap0=ID=ID\r\nMap1=NAME=NAME\r\nMap2=BORN=BORN\r\nMap3=SALARY=SALARY\r\n"
                  "Map4=SEEN=SEEN\r\n");
    const RunResult r = runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --spec " +
                                  dir.File("load.vxi"));
    ASSERT_EQ(r.status, 0) << r.out;
    // Bob's salary is system-missing: an empty number, which the engine stores as 0 for
    // every source.
    EXPECT_EQ(QueryColumn(db, "select ID || '|' || NAME || '|' || BORN || '|' || COALESCE(SALARY, -1) || '|' || "
                              "CAST(SEEN AS VARCHAR(24)) from PEOPLE order by ID"),
              (std::vector<std::string>{"1|Ann Smith|1977-05-15|1234.50|2000-01-01 12:30:00.0000",
                                        "2|Zo\xC3\xAB M\xC3\xBCller|1980-02-29|2000.00|1999-12-31 23:59:59.0000",
                                        "3|Bob|1999-12-31|0.00|2021-06-15 08:00:00.0000"}));
}

} // namespace
