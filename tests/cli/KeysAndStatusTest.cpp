#include "Files.h"
#include "FirebirdTestSupport.h"
#include "ImportCommand.h"
#include "RunImport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A customer table whose primary key is written the usual way, without a constraint name,
// and a file that brings customer 7 and renames Bob.
class KeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = dir.File("cust.fdb");
        CreateDatabase(db,
                       {"CREATE TABLE CUST (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(30), CITY VARCHAR(20))",
                        "CREATE TABLE NOKEY (ID INTEGER, NAME VARCHAR(30), CITY VARCHAR(20))",
                        "INSERT INTO CUST VALUES (1, 'Ann', 'Rome')", "INSERT INTO CUST VALUES (2, 'Bob', 'Oslo')"});
        dir.Write("cust.csv", "ID;NAME;CITY\r\n7;Bob;Paris\r\n1;Anna;Rome\r\n");
    }

    // A specification of the file above with the given [Common] lines.
    std::string spec(const std::vector<std::string> &lines)
    {
        std::string text = "[Common]\r\nTableType=Text\r\nSourceFileName=" + dir.File("cust.csv") + "\r\n";
        for (const auto &l : lines)
            text += l + "\r\n";
        text += "[Mappings]\r\nMap0=ID=Field1\r\nMap1=NAME=Field2\r\nMap2=CITY=Field3\r\n"
                "[Text]\r\nFieldDelimiter=3B\r\nTextQualifier=22\r\nRecordSeparator=0D0A\r\nRowFieldNames="
                "1\r\nRowFirst=2\r\n";
        return dir.Write("spec" + std::to_string(++specs) + ".vxi", text);
    }

    RunResult run(const std::string &arguments)
    {
        return runImport("--database " + db + " --user SYSDBA --charset UTF8 --quiet " + arguments);
    }

    std::vector<std::string> rows(const std::string &table = "CUST")
    {
        return QueryColumn(db, "select ID || '|' || NAME || '|' || CITY from " + table + " order by ID");
    }

    TempDir dir;
    std::string db;
    int specs = 0;
};

TEST_F(KeysTest, UnnamedPrimaryKeyInEveryKeyedStep)
{
    // As a specification saved with DatasetKeys=ID and Mode=2 is run night after night.
    const std::string upsert = spec({"TableName=CUST", "Mode=2", "DatasetKeys=ID"});
    RunResult r = run("--spec " + upsert + " --mode append");
    EXPECT_EQ(r.status, 4) << r.out; // 1 is there already
    EXPECT_EQ(r.out, "The data import process has completed successfully.\n"
                     "Processed: 2  Added: 1  Updated: 0  Deleted: 0  Skipped: 0  Errors: 1\n");
    EXPECT_EQ(rows(), (std::vector<std::string>{"1|Ann|Rome", "2|Bob|Oslo", "7|Bob|Paris"}));

    dir.Write("cust.csv", "ID;NAME;CITY\r\n7;Bobby;Lyon\r\n1;Anna;Rome\r\n8;Cid;Bonn\r\n");
    r = run("--spec " + upsert);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "The data import process has completed successfully.\n"
                     "Processed: 3  Added: 1  Updated: 2  Deleted: 0  Skipped: 0  Errors: 0\n");
    EXPECT_EQ(rows(), (std::vector<std::string>{"1|Anna|Rome", "2|Bob|Oslo", "7|Bobby|Lyon", "8|Cid|Bonn"}));

    r = run("--spec " + upsert + " --mode delete");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "The data import process has completed successfully.\n"
                     "Processed: 3  Added: 0  Updated: 0  Deleted: 3  Skipped: 0  Errors: 0\n");
    EXPECT_EQ(rows(), (std::vector<std::string>{"2|Bob|Oslo"}));
}

TEST_F(KeysTest, KeysFromTheOptionTheSpecificationOrTheTable)
{
    // Keyed by ID, 7 and 9 are new; keyed by NAME, Bob and Ann take new numbers.
    dir.Write("cust.csv", "ID;NAME;CITY\r\n7;Bob;Paris\r\n9;Ann;Rome\r\n");
    const std::vector<std::string> byId = {"1|Ann|Rome", "2|Bob|Oslo", "7|Bob|Paris", "9|Ann|Rome"};
    const std::vector<std::string> byName = {"7|Bob|Paris", "9|Ann|Rome"};
    struct Case {
        const char *name;
        std::vector<std::string> specLines;
        std::string options;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"option over specification", {"DatasetKeys=ID"}, "--keys NAME", byName},
        {"specification over table", {"DatasetKeys=NAME"}, "", byName},
        {"table's primary key", {}, "", byId},
    };
    const std::string pristine = dir.File("pristine.fdb");
    std::filesystem::copy_file(db, pristine);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::copy_file(pristine, db, std::filesystem::copy_options::overwrite_existing);
        std::vector<std::string> lines = c.specLines;
        lines.push_back("TableName=CUST");
        lines.push_back("Mode=2");
        const RunResult r = run("--spec " + spec(lines) + " " + c.options);
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(rows(), c.rows);
    }

    const RunResult none = run("--spec " + spec({"TableName=NOKEY", "Mode=2"}));
    EXPECT_EQ(none.status, 2) << none.out;
    EXPECT_EQ(none.out, "Property DatasetKeys wasn't specified.\n");
    EXPECT_TRUE(rows("NOKEY").empty());

    // A table without a primary key: the rows are found, and changed, by the keys given.
    dir.Write("cust.csv", "ID;NAME;CITY\r\n7;Bob;Paris\r\n1;Anna;Rome\r\n");
    RunResult keyed = run("--spec " + spec({"TableName=NOKEY", "Mode=0"}));
    EXPECT_EQ(keyed.status, 0) << keyed.out;
    dir.Write("cust.csv", "ID;NAME;CITY\r\n7;Bobby;Lyon\r\n3;Cid;Bonn\r\n");
    keyed = run("--spec " + spec({"TableName=NOKEY", "Mode=2"}) + " --keys ID");
    EXPECT_EQ(keyed.status, 0) << keyed.out;
    EXPECT_EQ(keyed.out, "The data import process has completed successfully.\n"
                         "Processed: 2  Added: 1  Updated: 1  Deleted: 0  Skipped: 0  Errors: 0\n");
    EXPECT_EQ(rows("NOKEY"), (std::vector<std::string>{"1|Anna|Rome", "3|Cid|Bonn", "7|Bobby|Lyon"}));
}

TEST_F(KeysTest, CommitCountKeepsTheBatchesBeforeAFailure)
{
    dir.Write("cust.csv", "ID;NAME;CITY\r\n10;a;x\r\n11;b;x\r\n12;c;x\r\n13;d;x\r\nbad;e;x\r\n14;f;x\r\n");
    const std::string append = spec({"TableName=CUST", "Mode=0"});
    RunResult r = run("--spec " + append + " --commit-count 2 --abort-on-error");
    EXPECT_EQ(r.status, 1) << r.out;
    // Each second row first commits the rows before it: 1, then 1 to 3; row 4 goes with the failure.
    EXPECT_NE(r.out.find("The first 3 rows were committed before; the rest of this run was rolled back."),
              std::string::npos)
        << r.out;
    EXPECT_EQ(rows(), (std::vector<std::string>{"1|Ann|Rome", "2|Bob|Oslo", "10|a|x", "11|b|x", "12|c|x"}));

    // Without batches the run stays one transaction.
    r = run("--spec " + spec({"TableName=CUST", "Mode=2", "DatasetKeys=ID"}) + " --abort-on-error");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("Nothing was saved"), std::string::npos) << r.out;
    EXPECT_EQ(rows().size(), 5u);

    r = run("--spec " + append + " --commit-count 2 --source " + dir.File("missing.csv"));
    EXPECT_EQ(r.status, 2) << r.out;
}

TEST(ImportExitStatus, OneStatusForEachOutcome)
{
    struct Case {
        TVxIResult result;
        int errors;
        int status;
    };
    const std::vector<Case> cases = {
        {TVxIResult::irExecuted, 0, 0}, {TVxIResult::irFailed, 0, 1},   {TVxIResult::irFailed, 3, 1},
        {TVxIResult::irCanceled, 0, 3}, {TVxIResult::irCanceled, 2, 3}, {TVxIResult::irExecuted, 2, 4},
    };
    for (const auto &c : cases) {
        TVxIStatistic s;
        s.Result = c.result;
        s.TotalErrors = c.errors;
        EXPECT_EQ(ImportExitStatus(OutcomeOf(s)), c.status) << static_cast<int>(c.result) << " " << c.errors;
    }
}

// Whether the program runs and has a handler of its own for SIGINT (the program's, or the
// database client's in front of it); before that, an interrupt just ends it. Until the
// child has started the program, it is a copy of this process and its handlers.
bool catchesInterrupts(pid_t pid)
{
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (error || !std::filesystem::equivalent(program, FERROVANE_IMPORT, error))
        return false;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1) & 1) != 0;
    return false;
}

TEST_F(KeysTest, AnInterruptCancelsTheRunAndRollsItBack)
{
    std::string text = "ID;NAME;CITY\r\n";
    for (int i = 100; i < 300100; ++i)
        text += std::to_string(i) + ";N" + std::to_string(i) + ";C\r\n";
    dir.Write("many.csv", text);
    const std::vector<std::string> arguments = {FERROVANE_IMPORT,
                                                "--database",
                                                db,
                                                "--user",
                                                "SYSDBA",
                                                "--charset",
                                                "UTF8",
                                                "--quiet",
                                                "--spec",
                                                spec({"TableName=CUST", "Mode=0"}),
                                                "--source",
                                                dir.File("many.csv")};
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    // The signal comes while the program attaches (where the database client takes it
    // first) or while it reads and writes: either way the run is cancelled and no row stays.
    for (const int delay : {0, 20, 60, 150, 400}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int waited = 0; !catchesInterrupts(child) && waited < 30000; waited += 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        kill(child, SIGINT);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << " after " << delay << " ms";
        EXPECT_EQ(WEXITSTATUS(status), 3) << delay << " ms";
        EXPECT_EQ(rows(), (std::vector<std::string>{"1|Ann|Rome", "2|Bob|Oslo"})) << delay << " ms";
    }
}

TEST_F(KeysTest, TheDatabasesOwnDialectByDefault)
{
    // A BIGINT column is out of reach of a dialect-1 connection; a dialect-3 database is
    // handled as dialect 3 without being told, and a dialect-1 database as dialect 1.
    ExecuteStatements(db, {"CREATE TABLE BIG (ID BIGINT NOT NULL PRIMARY KEY, NAME VARCHAR(30), CITY VARCHAR(20))"});
    RunResult r = run("--spec " + spec({"TableName=BIG", "Mode=0"}));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(rows("BIG"), (std::vector<std::string>{"1|Anna|Rome", "7|Bob|Paris"}));
    r = run("--list-tables");
    EXPECT_EQ(r.out, "BIG 2 records\nCUST 2 records\nNOKEY 0 records\n");

    const std::string old = dir.File("old.fdb");
    CreateDatabase(old, {"CREATE TABLE CUST (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(30), CITY VARCHAR(20))"}, 1);
    const std::string script = dir.File("old.sql");
    r = runImport("--database " + old + " --user SYSDBA --quiet --spec " + spec({"TableName=CUST", "Mode=0"}) +
                  " --script " + script);
    EXPECT_EQ(r.status, 0) << r.out;
    const std::string content = ReadFile(script);
    EXPECT_NE(content.find("SET SQL DIALECT 1;"), std::string::npos) << content;
    r = runImport("--database " + db + " --user SYSDBA --quiet --dialect 1 --spec " +
                  spec({"TableName=BIG", "Mode=0"}));
    EXPECT_EQ(r.status, 4) << r.out; // the option still rules: dialect 1 cannot write a BIGINT
    EXPECT_NE(r.out.find("Errors: 2"), std::string::npos) << r.out;
}

} // namespace
