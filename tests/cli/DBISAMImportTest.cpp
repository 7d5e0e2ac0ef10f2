// DBISAM tables with their BLOB files loaded by the runner into a real database.

#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

RunResult importInto(const TempDir &dir, const std::string &db, const std::string &table, const std::string &file,
                     const std::string &mappings)
{
    dir.Write("load.vxi", "[Common]\r\nTableName=" + table + "\r\nTableType=DBISAM\r\nMode=0\r\nSourceFileName=" +
                              TestDataFolder("dbisam") + "/" + file + "\r\n[Mappings]\r\n" + mappings);
    return runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --spec " +
                     dir.File("load.vxi"));
}

TEST(DBISAMImportTest, BothGenerationsWithTheirBlobs)
{
    TempDir dir;
    const std::string db = dir.File("dbisam.fdb");
    CreateDatabase(db, {"CREATE TABLE CUSTOMERS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), JOINED DATE, "
                        "BALANCE NUMERIC(18,2), BIG BIGINT, DELTA SMALLINT, ACTIVE BOOLEAN, NOTES BLOB SUB_TYPE TEXT, "
                        "STAMP TIMESTAMP)",
                        "CREATE TABLE ITEMS (CODE VARCHAR(8), QTY INTEGER, PRICE DOUBLE PRECISION, TAKEN TIME, "
                        "MEMO VARCHAR(40))"});
    const RunResult customers =
        importInto(dir, db, "CUSTOMERS", "customers.dat",
                   "Map0=ID=ID\r\nMap1=NAME=NAME\r\nMap2=JOINED=JOINED\r\nMap3=BALANCE=BALANCE\r\nMap4=BIG=BIG\r\n"
                   "Map5=DELTA=DELTA\r\nMap6=ACTIVE=ACTIVE\r\nMap7=NOTES=NOTES\r\nMap8=STAMP=STAMP\r\n");
    ASSERT_EQ(customers.status, 0) << customers.out;
    // The deleted record is no row; a BIGINT and a signed small integer keep their values.
    EXPECT_EQ(QueryColumn(db, "select ID || '|' || NAME || '|' || COALESCE(JOINED, '-') || '|' || BALANCE || '|' || "
                              "BIG || '|' || DELTA || '|' || ACTIVE || '|' || COALESCE(CHAR_LENGTH(NOTES), 0) || "
                              "'|' || COALESCE(STAMP, '-') from CUSTOMERS order by ID"),
              (std::vector<std::string>{"1|Ann Smith|2000-01-01|1234.50|123456789012345678|-1|TRUE|704|2020-01-09 "
                                        "13:45:30.2500",
                                        "3|Bob Jones|-|-9.99|-5|300|FALSE|0|-"}));

    const RunResult items = importInto(dir, db, "ITEMS", "legacy.dat",
                                       "Map0=CODE=CODE\r\nMap1=QTY=QTY\r\nMap2=PRICE=PRICE\r\nMap3=TAKEN=TAKEN\r\n"
                                       "Map4=MEMO=MEMO\r\n");
    ASSERT_EQ(items.status, 0) << items.out;
    EXPECT_EQ(QueryColumn(db, "select CODE || '|' || QTY || '|' || COALESCE(PRICE, 0) || '|' || "
                              "COALESCE(TAKEN, '-') || '|' || COALESCE(MEMO, '-') from ITEMS order by CODE"),
              (std::vector<std::string>{"A-100|12|2.500000000000000|12:00:00.0000|Keep dry.",
                                        "B-200|-3|0.000000000000000|-|-"}));
}

} // namespace
