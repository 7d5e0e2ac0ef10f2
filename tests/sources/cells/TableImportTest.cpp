#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

// Tables imported into an embedded Firebird table by the real command-line runner.
class TableImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = dir.File("tables.fdb");
        CreateDatabase(db, {"CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(30), BORN DATE, "
                            "PRICE NUMERIC(10,2), OK BOOLEAN, STAMP TIMESTAMP, NOTES BLOB SUB_TYPE TEXT)"});
    }

    std::string vxiFile(const std::string &type, const std::string &source, const std::vector<std::string> &maps,
                        const std::string &skipIf = "")
    {
        std::string text = "[Common]\r\nTableName=ITEMS\r\nTableType=" + type +
                           "\r\nCommitCount=300\r\nMode=0\r\n"
                           "SourceFileName=" +
                           source + "\r\nSkipIf=" + skipIf + "\r\n";
        for (std::size_t i = 0; i < maps.size(); ++i)
            text += "Map" + std::to_string(i) + "=" + maps[i] + "\r\n";
        text += "[DataFormat]\r\nDateOrder=2\r\nDateSeparator=2D\r\nTimeSeparator=3A\r\nDecimalSeparator=2E\r\n"
                "ThousandSeparator=2C\r\nFourDigitYear=1\r\nBooleanTrue=True\r\nBooleanFalse=False\r\n";
        return dir.Write(type + ".vxi", text);
    }

    RunResult run(const std::string &vxiPath)
    {
        return runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --spec " + vxiPath);
    }

    std::vector<std::string> rows()
    {
        return QueryColumn(db, "select ID || '|' || COALESCE(NAME, '') || '|' || COALESCE(BORN, '') || '|' || "
                               "COALESCE(PRICE, '') || '|' || COALESCE(CAST(OK AS VARCHAR(5)), '') || '|' || "
                               "COALESCE(CAST(STAMP AS VARCHAR(24)), '') || '|' || "
                               "COALESCE(CAST(SUBSTRING(NOTES FROM 1 FOR 60) AS VARCHAR(60)), '') || '|' || "
                               "COALESCE(CHAR_LENGTH(NOTES), 0) from ITEMS order by ID");
    }

    TempDir dir;
    std::string db;
};

} // namespace

TEST_F(TableImport, DBaseTableWithMemosLandsInTheTable)
{
    // LibreOffice's table: five records, the fourth deleted, memos over several blocks; the
    // last holds CP850 text the table does not declare, which a UTF8 connection refuses
    const RunResult r =
        run(vxiFile("DBase", DbfData("lo_memo.dbf"),
                    {"ID=ID", "NAME=TRIM(NAME)", "BORN=BORN", "PRICE=PRICE", "OK=OK", "NOTES=NOTES"}, "ID = 5"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "The data import process has completed successfully.\n"
                     "Processed: 4  Added: 3  Updated: 0  Deleted: 0  Skipped: 1  Errors: 0\n");
    EXPECT_EQ(rows(), (std::vector<std::string>{
                          "1|Ann|1990-01-02|12.50|TRUE||First memo written by LibreOffice|33",
                          "2|Bob|||FALSE|||0",
                          "3|Cid|2001-06-01|3.25|||Line 00 of a long memo. Line 01 of a long memo. Line 02 of a|720",
                      }));
}

TEST_F(TableImport, VisualFoxProTableWithTypedFields)
{
    const RunResult r =
        run(vxiFile("DBase", DbfData("pydbf_vfp.dbf"),
                    {"ID=QTY", "NAME=TRIM(NAME)", "BORN=BORN", "PRICE=SCORE", "OK=OK", "STAMP=STAMP", "NOTES=NOTES"}));
    EXPECT_EQ(r.status, 0) << r.out;
    const std::vector<std::string> got = rows();
    ASSERT_EQ(got.size(), 4u) << r.out;
    EXPECT_EQ(got[0], "-2147483646|Eve|2024-02-29|99.99|FALSE|2024-02-29 12:00:00.0000|last|4");
    EXPECT_EQ(got[1], "-42|Ann|1990-01-02|12.50|TRUE|2020-05-17 13:45:30.0000|First memo|10");
    EXPECT_EQ(got[2], "0|Bob|||FALSE|||0");
    EXPECT_EQ(got[3], "2147483646|Cid|2001-06-01|-3.25|FALSE|1900-01-01 00:00:00.0000|Memo line\r\nMemo line\r\nMemo "
                      "line\r\nMemo line\r\nMemo line\r\nMemo |440");
}

TEST_F(TableImport, ParadoxTableWithMemosLandsInTheTable)
{
    const RunResult r =
        run(vxiFile("Paradox", ParadoxData("pxlib_types.db"),
                    {"ID=Big", "NAME=Name", "BORN=Born", "PRICE=Amount", "OK=Ok", "STAMP=Stamp", "NOTES=Notes"}));
    EXPECT_EQ(r.status, 4) << r.out;
    // the second record has no Big and fails the key; the rest land
    EXPECT_NE(r.out.find("Added: 249"), std::string::npos) << r.out;
    const std::vector<std::string> got = rows();
    ASSERT_EQ(got.size(), 249u);
    EXPECT_EQ(got[0], "-1|Ann|1899-12-31|123.45|TRUE|2020-05-17 13:45:30.0000|short memo in the record|24");
    EXPECT_EQ(got[1], "200000|Z\xC3\xB6\xC3\xA9|1990-01-04|-7.50|TRUE|2020-05-17 13:45:30.0000|"
                      "A memo that is longer than the twenty bytes its field keeps |74");
    EXPECT_EQ(got[2], "300000|Row 3|1990-01-05|-7.50|FALSE|2020-05-17 13:45:30.0000|"
                      "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefgh|4999");
}

TEST_F(TableImport, EncryptedParadoxTableFailsWithItsMessage)
{
    const RunResult r = run(vxiFile("Paradox", ParadoxData("encrypt-encrypted.db"), {"ID=Id"}));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("This file is encrypted but valid password is not specified."), std::string::npos) << r.out;
    EXPECT_TRUE(rows().empty());
}
