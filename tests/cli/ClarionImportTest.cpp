// A Clarion data file and its memo file loaded by the runner into a real database.

#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

TEST(ClarionImportTest, CustomersWithTheirNotes)
{
    TempDir dir;
    const std::string db = dir.File("clarion.fdb");
    CreateDatabase(db, {"CREATE TABLE CUSTOMERS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(12), JOINED DATE, "
                        "DELTA SMALLINT, PRICE NUMERIC(9,2), NOTES BLOB SUB_TYPE TEXT)"});
    dir.Write("load.vxi",
              "[Common]\r\nTableName=CUSTOMERS\r\nTableType=Clarion\r\nMode=0\r\nSourceFileName=" +
                  TestDataFolder("clarion") + "/customers.dat" +
                  "\r\n[Mappings]\r\nMap0=ID=ID\r\nMap1=NAME=NAME\r\nMap2=JOINED=DATE\r\nMap3=DELTA=DELTA\r\n"
                  "Map4=PRICE=PRICE\r\nMap5=NOTES=NOTES\r\n");
    const RunResult r = runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --spec " +
                                  dir.File("load.vxi"));
    ASSERT_EQ(r.status, 0) << r.out;
    // The record with its error bit is no row; the prefix CUS: is gone from the names.
    EXPECT_EQ(
        QueryColumn(db, "select ID || '|' || NAME || '|' || JOINED || '|' || DELTA || '|' || PRICE || '|' || "
                        "COALESCE(CHAR_LENGTH(NOTES), 0) from CUSTOMERS order by ID"),
        (std::vector<std::string>{"1|Ann Smith|2000-01-01|-1|1234.50|320", "3|Bob Jones|2020-01-09|300|-9.99|0"}));
}

} // namespace
