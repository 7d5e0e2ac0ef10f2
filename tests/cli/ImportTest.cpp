#include "Files.h"
#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <filesystem>
#include <fstream>

namespace {

// A destination PEOPLE (1 Ann, 2 Bob) and a semicolon-separated file with a header row
// that updates Bob and brings Cid, with day-first dates and decimal commas.
class ImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = dir.File("people.fdb");
        CreateDatabase(db, {"CREATE TABLE PEOPLE (ID INTEGER NOT NULL, NAME VARCHAR(20), BORN DATE, "
                            "SCORE NUMERIC(8,2), CONSTRAINT PK_PEOPLE PRIMARY KEY (ID))",
                            "INSERT INTO PEOPLE VALUES (1, 'Ann', '1990-01-02', 1.5)",
                            "INSERT INTO PEOPLE (ID, NAME) VALUES (2, 'Bob')"});
        dir.Write("people.csv",
                  "ID;NAME;BORN;SCORE\r\n2;Bobby;31/12/1985;7,25\r\n3;\"Cid \"\"the kid\"\"\";01/06/2001;\r\n");
        spec("people.vxi", {"Mode=0", "SourceFileName=" + dir.File("people.csv"), "Map0=ID=Field1", "Map1=NAME=Field2",
                            "Map2=BORN=Field3", "Map3=SCORE=Field4", "FieldDelimiter=3B", "RowFirst=2"});
    }

    // A specification with the given lines over sensible defaults for the file above.
    void spec(const std::string &name, const std::vector<std::string> &lines)
    {
        std::string text = "[Common]\r\nTableName=PEOPLE\r\nTableType=Text\r\nCommitCount=300\r\n";
        for (const auto &l : lines)
            text += l + "\r\n";
        text += "[Text]\r\nTextQualifier=22\r\nRecordSeparator=0D0A\r\nTrimSpaces=3\r\nRowFieldNames=1\r\n"
                "[DataFormat]\r\nDateOrder=1\r\nDateSeparator=2F\r\nTimeSeparator=3A\r\nThousandSeparator=2E\r\n"
                "DecimalSeparator=2C\r\nFourDigitYear=1\r\nBooleanTrue=True\r\nBooleanFalse=False\r\n";
        dir.Write(name, text);
    }

    std::vector<std::string> rows(const std::string &path)
    {
        return QueryColumn(path, "select ID || '|' || COALESCE(NAME, '') || '|' || COALESCE(BORN, '') || '|' || "
                                 "COALESCE(SCORE, '') from PEOPLE order by ID");
    }

    RunResult run(const std::string &arguments, const std::string &database = "")
    {
        return runImport("--database " + (database.empty() ? db : database) +
                         " --user SYSDBA --charset UTF8 --dialect 3 --quiet " + arguments);
    }

    TempDir dir;
    std::string db;
};

const std::string ann = "1|Ann|1990-01-02|1.50";
const std::string bob = "2|Bob||";
const std::string bobby = "2|Bobby|1985-12-31|7.25";
const std::string cid = "3|Cid \"the kid\"|2001-06-01|";

TEST_F(ImportTest, EveryModeWithTheDetectedPrimaryKey)
{
    struct Case {
        const char *mode;
        std::vector<std::string> rows;
        const char *counters;
        int status = 0;
    };
    const std::vector<Case> cases = {
        {"append", {ann, bob, cid}, "Processed: 2  Added: 1  Updated: 0  Deleted: 0  Skipped: 0  Errors: 1", 4},
        {"update", {ann, bobby}, "Processed: 2  Added: 0  Updated: 1  Deleted: 0  Skipped: 0  Errors: 0"},
        {"appendupdate", {ann, bobby, cid}, "Processed: 2  Added: 1  Updated: 1  Deleted: 0  Skipped: 0  Errors: 0"},
        {"delete", {ann}, "Processed: 2  Added: 0  Updated: 0  Deleted: 1  Skipped: 0  Errors: 0"},
        {"copy", {bobby, cid}, "Processed: 2  Added: 2  Updated: 0  Deleted: 2  Skipped: 0  Errors: 0"},
        {"5", {ann, bob, cid}, "Processed: 2  Added: 1  Updated: 0  Deleted: 0  Skipped: 0  Errors: 0"},
    };
    const std::string pristine = dir.File("pristine.fdb");
    std::filesystem::copy_file(db, pristine);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        std::filesystem::copy_file(pristine, db, std::filesystem::copy_options::overwrite_existing);
        const RunResult r = run("--spec " + dir.File("people.vxi") + " --mode " + c.mode);
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_EQ(r.out, "The data import process has completed successfully.\n" + std::string(c.counters) + "\n");
        EXPECT_EQ(rows(db), c.rows);
    }
}

TEST_F(ImportTest, FixedWidthAndConditions)
{
    dir.Write("fixed.txt", "07Zoe      15/05/1977 3,00\r\n08skip     01/01/2000 1,00\r\n");
    spec("fixed.vxi",
         {"Mode=0", "SourceFileName=" + dir.File("fixed.txt"), "Map0=ID=Text1-2", "Map1=NAME=Text3-11",
          "Map2=BORN=Text12-21", "Map3=SCORE=Text23-26", "Fixed=1", "RowFirst=1", "SkipIf=[Text3-6] = 'skip'"});
    const RunResult r = run("--spec " + dir.File("fixed.vxi"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Skipped: 1"), std::string::npos) << r.out;
    EXPECT_EQ(rows(db), (std::vector<std::string>{ann, bob, "7|Zoe|1977-05-15|3.00"}));
}

// The same fixed-width text in UTF-8, UTF-16, the DOS code page and Latin-1: positions count
// characters, so every encoding gives the same rows.
TEST_F(ImportTest, FixedWidthCountsCharactersInEveryEncoding)
{
    ExecuteStatements(db, {"CREATE TABLE NAMES (ID INTEGER NOT NULL PRIMARY KEY, A VARCHAR(10), B VARCHAR(10), "
                           "C VARCHAR(10))"});
    const std::string text = "01\u00C9l\u00E9na\u00D1u\u00F1ez Stra\u00DFe\r\n"
                             "02Bob  \u00DCnal  \u00E6\u00F8\u00E5  x\r\n";
    const std::vector<std::string> expected = {"1|\u00C9l\u00E9na|\u00D1u\u00F1ez|Stra\u00DFe",
                                               "2|Bob|\u00DCnal|\u00E6\u00F8\u00E5  x"};
    auto encoded = [&](const char *code) {
        iconv_t cd = iconv_open(code, "UTF-8");
        std::string in = text, out(text.size() * 2 + 2, '\0');
        char *from = in.data(), *to = out.data();
        std::size_t left = in.size(), room = out.size();
        const std::size_t converted = iconv(cd, &from, &left, &to, &room);
        iconv_close(cd);
        EXPECT_NE(converted, static_cast<std::size_t>(-1)) << code;
        out.resize(out.size() - room);
        return out;
    };
    struct Case {
        std::string name, bytes, characterSet, connection;
    };
    const std::vector<Case> cases = {
        {"UTF-8", text, "0", "UTF8"},
        {"UTF-16", std::string("\xFF\xFE", 2) + encoded("UTF-16LE"), "0", "UTF8"},
        {"DOS", encoded("CP850"), "1", "UTF8"},
        {"Latin-1", encoded("ISO-8859-1"), "0", "ISO8859_1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ExecuteStatements(db, {"DELETE FROM NAMES"});
        dir.Write("names.txt", c.bytes);
        dir.Write("names.vxi", "[Common]\r\nTableName=NAMES\r\nTableType=Text\r\nMode=0\r\nCharacterSet=" +
                                   c.characterSet + "\r\nSourceFileName=" + dir.File("names.txt") +
                                   "\r\n[Mappings]\r\nMap0=ID=Text1-2\r\nMap1=A=Text3-7\r\nMap2=B=Text8-13\r\n"
                                   "Map3=C=Text14-20\r\n[Text]\r\nFixed=1\r\nTrimSpaces=3\r\nRowFirst=1\r\n"
                                   "RowFieldNames=0\r\n");
        const RunResult r = runImport("--database " + db + " --user SYSDBA --quiet --charset " + c.connection +
                                      " --spec " + dir.File("names.vxi"));
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(QueryColumn(db, "select ID || '|' || A || '|' || B || '|' || C from NAMES order by ID"), expected);
    }
}

TEST_F(ImportTest, Utf16FileWithByteOrderMark)
{
    std::string utf16("\xFF\xFE", 2);
    const std::u16string text = u"ID;NAME\r\n9;Zo\u00E9\r\n";
    for (char16_t c : text) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    dir.Write("utf16.csv", utf16);
    const RunResult r = run("--spec " + dir.File("people.vxi") + " --source " + dir.File("utf16.csv"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(rows(db).back(), "9|Zo\xC3\xA9||");
}

TEST_F(ImportTest, QuotedFieldSpanningLinesAndOverrides)
{
    dir.Write("multi.csv", "ID;NAME\r\n4;\"two\r\nlines\"\r\n");
    const RunResult r =
        run("--spec " + dir.File("people.vxi") + " --source " + dir.File("multi.csv") + " --mode append --keys ID");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(rows(db).back(), "4|two\r\nlines||");
}

TEST_F(ImportTest, ScriptRunByIsqlLeavesWhatADirectImportLeaves)
{
    const std::string direct = dir.File("direct.fdb");
    const std::string scripted = dir.File("scripted.fdb");
    for (const std::string &path : {direct, scripted})
        CreateDatabase(path, {"CREATE TABLE PEOPLE (ID INTEGER NOT NULL, NAME VARCHAR(20), BORN DATE, "
                              "SCORE NUMERIC(8,2), CONSTRAINT PK_PEOPLE PRIMARY KEY (ID))"});
    const std::string script = dir.File("out.sql");
    RunResult r = run("--spec " + dir.File("people.vxi") + " --script " + script, scripted);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string content = ReadFile(script);
    const std::string tail = content.substr(content.find("SET SQL DIALECT"));
    EXPECT_EQ(tail, "SET SQL DIALECT 3;\r\n\r\nSET NAMES NONE;\r\n\r\nCONNECT '" + scripted +
                        "' USER 'SYSDBA' PASSWORD '';\r\n\r\n"
                        "INSERT INTO PEOPLE (ID, \"NAME\", BORN, SCORE) VALUES (2, 'Bobby', '1985-12-31', 7.25);\r\n"
                        "INSERT INTO PEOPLE (ID, \"NAME\", BORN, SCORE) VALUES (3, 'Cid \"the kid\"', '2001-06-01', "
                        "NULL);\r\n"
                        "\r\nCOMMIT WORK;\r\n\r\n");
    EXPECT_TRUE(rows(scripted).empty()); // the script changes nothing by itself

    r = runCommand("isql-fb -q -bail -i " + script);
    ASSERT_EQ(r.status, 0) << r.out;
    r = run("--spec " + dir.File("people.vxi"), direct);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(rows(scripted), rows(direct));
    EXPECT_EQ(rows(direct).size(), 2u);
}

TEST_F(ImportTest, RowErrorsAreListedOrEndTheRun)
{
    dir.Write("bad.csv", "ID;NAME\r\n5;ok\r\nx;bad\r\n1;dup\r\n6;ok\r\n");
    const std::string errors = dir.File("errors.txt");
    RunResult r = run("--spec " + dir.File("people.vxi") + " --source " + dir.File("bad.csv") + " --errors " + errors);
    EXPECT_EQ(r.status, 4) << r.out; // completed and committed, but not every row made it
    EXPECT_NE(r.out.find("Added: 2"), std::string::npos) << r.out;
    std::ifstream in(errors);
    std::string line1, line2, extra;
    std::getline(in, line1);
    std::getline(in, line2);
    EXPECT_EQ(line1.substr(0, 2), "3\t") << line1;
    EXPECT_EQ(line2.substr(0, 2), "4\t") << line2;
    EXPECT_NE(line2.find("PRIMARY"), std::string::npos) << line2;
    EXPECT_FALSE(std::getline(in, extra));

    const std::vector<std::string> before = rows(db);
    r = run("--spec " + dir.File("people.vxi") + " --source " + dir.File("bad.csv") + " --abort-on-error --keys ID");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out.substr(0, 54), "An error has occurred during the data import process.\n") << r.out;
    EXPECT_NE(r.out.find("Nothing was saved"), std::string::npos);
    EXPECT_EQ(rows(db), before);
}

TEST_F(ImportTest, ConfigurationMistakesExitWithStatusTwo)
{
    dir.Write("access.vxi", "[Common]\r\nTableType=Access\r\n");
    dir.Write("garbled.vxi", "TableType=Text\r\nTextQualifier=QQ\r\n");
    dir.Write("clipboard.vxi", "[Common]\r\nTableType=Clipboard\r\nTableName=PEOPLE\r\n"); // no clipboard on a console
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--spec " + dir.File("nope.vxi"), "not exist."},
        {"--spec " + dir.File("access.vxi"), "--table"}, // its TableName is the table read
        {"--spec " + dir.File("garbled.vxi"), "hexadecimal"},
        {"--spec " + dir.File("clipboard.vxi"), "cannot read sources of type Clipboard"},
        {"--spec " + dir.File("people.vxi") + " --source " + dir.File("missing.csv"), "missing.csv"},
        {"--spec " + dir.File("people.vxi") + " --table NO_SUCH", "NO_SUCH"},
        {"--spec " + dir.File("people.vxi") + " --mode appendupdate --script " + dir.File("x.sql"),
         "append, update and delete"},
        {"--spec " + dir.File("people.vxi") + " --generator G", "go together"},
    };
    for (const auto &[args, message] : cases) {
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 2) << args << "\n" << r.out;
        EXPECT_NE(r.out.find(message), std::string::npos) << args << "\n" << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.sql")));
    EXPECT_EQ(rows(db), (std::vector<std::string>{ann, bob}));
}

} // namespace

namespace {

TEST_F(ImportTest, WorkbookSheetChosenByTheSpecification)
{
    ExecuteStatements(db, {"CREATE TABLE SHEETS (ID INTEGER NOT NULL, LABEL VARCHAR(20), "
                           "CONSTRAINT PK_SHEETS PRIMARY KEY (ID))"});
    dir.Write(
        "sheet.vxi",
        "[Common]\r\nTableName=SHEETS\r\nTableType=XLS\r\nMode=0\r\nSourceFileName=" + XlsData("three-sheets.xls") +
            "\r\n[Mappings]\r\nMap0=ID=B\r\n"
            "Map1=LABEL=A\r\n[Text]\r\nRowFirst=1\r\nRowFieldNames=0\r\n[Sheet]\r\nSheetIndex=1\r\n");
    const RunResult r = run("--spec " + dir.File("sheet.vxi"));
    // The second sheet holds "sheet 2" in A1 (no ID: that row fails) and 200 in B2.
    EXPECT_EQ(r.status, 4) << r.out;
    EXPECT_NE(r.out.find("Added: 1  Updated: 0  Deleted: 0  Skipped: 0  Errors: 1"), std::string::npos) << r.out;
    EXPECT_EQ(QueryColumn(db, "select ID || '|' || COALESCE(LABEL, '') from SHEETS order by ID"),
              (std::vector<std::string>{"200|"}));

    dir.Write("broken.xls", "this is no workbook");
    const RunResult broken = run("--spec " + dir.File("sheet.vxi") + " --source " + dir.File("broken.xls"));
    EXPECT_EQ(broken.status, 2) << broken.out;
}

} // namespace
