// A saved web page's table and XML documents loaded by the runner into a real database,
// checked row by row.

#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

class MarkupImportTest : public ::testing::Test {
protected:
    void SetUp() override { db = dir.File("markup.fdb"); }

    RunResult run(const std::string &table, const std::string &type, const std::string &file,
                  const std::vector<std::string> &lines)
    {
        std::string text = "[Common]\r\nTableName=" + table + "\r\nTableType=" + type +
                           "\r\nMode=0\r\nSourceFileName=" + file + "\r\n";
        for (const std::string &l : lines)
            text += l + "\r\n";
        text += "[DataFormat]\r\nDateOrder=2\r\nDateSeparator=00\r\nDecimalSeparator=2E\r\nThousandSeparator=2C\r\n"
                "FourDigitYear=1\r\nBooleanTrue=TRUE\r\nBooleanFalse=FALSE\r\n";
        dir.Write("load.vxi", text);
        return runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --spec " +
                         dir.File("load.vxi"));
    }

    TempDir dir;
    std::string db;
};

TEST_F(MarkupImportTest, TableOfASavedPage)
{
    CreateDatabase(db, {"CREATE TABLE ORDERS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(20), "
                        "AMOUNT NUMERIC(8,2))"});
    const RunResult r = run("ORDERS", "HTML", HtmlData("browser-saved.html"),
                            {"Map0=ID=Field1", "Map1=NAME=Field2", "Map2=CITY=Field3", "Map3=AMOUNT=Field4",
                             "RowFirst=2", "RowFieldNames=1"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(QueryColumn(db, "select ID || '|' || NAME || '|' || COALESCE(CITY, '<null>') || '|' || AMOUNT "
                              "from ORDERS order by ID"),
              (std::vector<std::string>{"1|Smith & Sons|Liège|10.50", "2|Ann bold Lee|Paris|20.00",
                                        "3|Bob \"Bobby\" Ray|Lyon|7.25", "4|x < y Ltd|<null>|0.99"}));
}

TEST_F(MarkupImportTest, DataPacket)
{
    CreateDatabase(db, {"CREATE TABLE PEOPLE (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(30), BORN DATE, "
                        "SALARY DOUBLE PRECISION, ACTIVE BOOLEAN, NOTES BLOB SUB_TYPE TEXT)"});
    const RunResult r = run("PEOPLE", "XML", XmlData("datapacket.xml"),
                            {"Map0=ID=ID", "Map1=NAME=NAME", "Map2=BORN=BORN", "Map3=SALARY=SALARY",
                             "Map4=ACTIVE=ACTIVE", "Map5=NOTES=NOTES"});
    ASSERT_EQ(r.status, 0) << r.out;
    // NOTES is a text BLOB written as Base64, as data packets write them; a number the
    // record lacks is 0, as for every source.
    EXPECT_EQ(QueryColumn(db, "select ID || '|' || NAME || '|' || BORN || '|' || CAST(SALARY AS NUMERIC(10,2)) || '|' "
                              "|| ACTIVE || '|' || NOTES from PEOPLE order by ID"),
              (std::vector<std::string>{"1|Ann|1977-05-15|1234.50|TRUE|hello",
                                        "2|Tom & Jerry|1980-02-29|2000.00|FALSE|two words",
                                        "3|Zed|1999-12-31|0.00|TRUE|no salary"}));
}

TEST_F(MarkupImportTest, ElementRecordsWithCDataTextAndBase64Blobs)
{
    CreateDatabase(db, {"CREATE TABLE PICS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), "
                        "PICTURE BLOB SUB_TYPE 0)"});
    const RunResult r = run("PICS", "XML", XmlData("blob-base64.xml"),
                            {"Map0=ID=ID", "Map1=NAME=NAME", "Map2=PICTURE=PICTURE"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(QueryColumn(db, "select ID || '|' || NAME || '|' || CAST(PICTURE AS VARCHAR(10)) from PICS order by ID"),
              (std::vector<std::string>{"1|Tom & Jerry|Hello", "2|Ann|World"}));
}

} // namespace
