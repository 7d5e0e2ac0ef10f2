// Word documents loaded by the runner into a real database: a .docx read directly, an
// OpenDocument text converted by LibreOffice when it is installed, and the documents that
// cannot be read, which end the run with their message, never as an empty success.

#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class WordImportTest : public ::testing::Test {
protected:
    TempDir dir;
    const std::string db = dir.File("word.fdb");

    // A run of a specification of the Word source; `environment` goes before the program.
    RunResult run(const std::string &table, const std::string &file, const std::string &mappings,
                  const std::string &environment = "")
    {
        dir.Write("load.vxi", "[Common]\r\nTableName=" + table + "\r\nTableType=Word\r\nMode=0\r\nSourceFileName=" +
                                  file + "\r\n[Mappings]\r\n" + mappings +
                                  "[Text]\r\nRowFirst=2\r\nRowFieldNames=1\r\n[DataFormat]\r\nDateOrder=1\r\n"
                                  "DateSeparator=2F\r\nDecimalSeparator=2E\r\nThousandSeparator=2C\r\n"
                                  "FourDigitYear=1\r\nUseRegionalSettings=0\r\n");
        return runCommand(environment + std::string(FERROVANE_IMPORT) + " --database " + db +
                          " --user SYSDBA --charset UTF8 --dialect 3 --quiet --spec " + dir.File("load.vxi"));
    }
};

TEST_F(WordImportTest, TheFirstTableOfADocxByItsHeaders)
{
    CreateDatabase(db, {"CREATE TABLE PEOPLE (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), BORN DATE, "
                        "AMOUNT NUMERIC(10,2))"});
    const RunResult r = run("PEOPLE", TestDataFolder("word") + "/people.docx",
                            "Map0=ID=ID\r\nMap1=NAME=NAME\r\nMap2=BORN=BORN\r\nMap3=AMOUNT=AMOUNT\r\n");
    ASSERT_EQ(r.status, 0) << r.out;
    // A cell of two paragraphs keeps them on two lines; an empty date cell is no date.
    EXPECT_EQ(QueryColumn(db, "select ID || '|' || REPLACE(NAME, ASCII_CHAR(10), '/') || '|' || COALESCE(BORN, '-') || "
                              "'|' || AMOUNT from PEOPLE order by ID"),
              (std::vector<std::string>{"1|Ann Smith|1977-05-15|1234.50",
                                        "2|Zo\xC3\xAB/M\xC3\xBC"
                                        "ller|1980-02-29|2000.00",
                                        "3|Bob|-|7.25"}));
}

TEST_F(WordImportTest, AnOpenDocumentTextConvertedByLibreOffice)
{
    if (std::system("command -v soffice > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "LibreOffice is not installed";
    CreateDatabase(db, {"CREATE TABLE TOWNS (NAME VARCHAR(20) NOT NULL PRIMARY KEY, AGE INTEGER, CITY VARCHAR(20))"});
    const RunResult r = run("TOWNS", TestDataFolder("word") + "/md_sample_14_lo.odt",
                            "Map0=NAME=Name\r\nMap1=AGE=Age\r\nMap2=CITY=City\r\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(QueryColumn(db, "select NAME || '|' || AGE || '|' || CITY from TOWNS order by NAME"),
              (std::vector<std::string>{"Alice|30|Paris", "Bob|25|London"}));
}

TEST_F(WordImportTest, DocumentsThatCannotBeReadEndWithTheirMessage)
{
    CreateDatabase(db, {"CREATE TABLE PEOPLE (ID INTEGER NOT NULL PRIMARY KEY)"});
    const TempDir noPrograms;
    struct Case {
        std::string file;
        std::string environment;
        std::string message;
    };
    const std::vector<Case> cases = {
        {dir.File("missing.docx"), "", "Cannot open file \"" + dir.File("missing.docx") + "\""},
        {TestDataFolder("word") + "/bug53475-password-is-pass.docx", "", "is protected by a password"},
        {TestDataFolder("word") + "/cut-main-part.docx", "", "is damaged"},
        {TestDataFolder("word") + "/make_docx.py", "", "is not a Word document"},
        // Without LibreOffice on the search path a .doc cannot be converted.
        {TestDataFolder("word") + "/testWORD.doc", "PATH=" + noPrograms.Path() + " ",
         "converted by LibreOffice, which is not installed"},
    };
    for (const Case &c : cases) {
        const RunResult r = run("PEOPLE", c.file, "Map0=ID=ID\r\n", c.environment);
        EXPECT_EQ(r.status, 2) << c.file << "\n" << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.file << "\n" << r.out;
    }
    EXPECT_EQ(QueryColumn(db, "select count(*) from PEOPLE"), (std::vector<std::string>{"0"}));
}

} // namespace
