// An Advantage table loaded by the runner into a real database, checked field by field.

#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

TEST(AdvantageImportTest, TheRecordOfARealTable)
{
    TempDir dir;
    const std::string db = dir.File("adt.fdb");
    CreateDatabase(db, {"CREATE TABLE PROVIDERS (PROVIDERNO VARCHAR(15) NOT NULL PRIMARY KEY, NAME VARCHAR(50), "
                        "PERIODBEG DATE, NOOFDAYS INTEGER, OCCUPANCY DOUBLE PRECISION, YN CHAR(1))"});
    dir.Write("load.vxi",
              "[Common]\r\nTableName=PROVIDERS\r\nTableType=ADT\r\nMode=0\r\nSourceFileName=" + TestDataFolder("adt") +
                  "/A.ADT" +
                  "\r\n[Mappings]\r\nMap0=PROVIDERNO=ProviderNo\r\nMap1=NAME=Name\r\nMap2=PERIODBEG=PeriodBeg\r\n"
                  "Map3=NOOFDAYS=NoOfDays\r\nMap4=OCCUPANCY=PercentOccupancy\r\nMap5=YN=[D-6_QuestionYN]\r\n");
    const RunResult r = runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --spec " +
                                  dir.File("load.vxi"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(QueryColumn(db, "select PROVIDERNO || '|' || NAME || '|' || PERIODBEG || '|' || NOOFDAYS || '|' || "
                              "CAST(OCCUPANCY AS NUMERIC(12,8)) || '|' || YN from PROVIDERS"),
              (std::vector<std::string>{"43-SAMPLE|Testing Using 01 Sample Provider For "
                                        "Demonstration|2008-07-01|365|93.85422629|Y"}));
}

} // namespace
