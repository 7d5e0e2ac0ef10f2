// Rows written many to a round trip must come out exactly as rows written one by one:
// the same table, the same counters, the same errors in the same order.

#include "Files.h"
#include "FirebirdTestSupport.h"
#include "RunImport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int Rows = 1000;

// A file of 1000 rows with one bad row in every hundred, of three kinds by turns: a
// quantity the table's check refuses (found by the server), an identifier that is no
// number (found before the row is written), and an identifier that comes twice.
std::string sourceText()
{
    std::string text = "ID;NAME;QTY\r\n";
    for (int i = 1; i <= Rows; ++i) {
        std::string id = std::to_string(i), qty = std::to_string(i % 50);
        switch ((i / 100) % 3) {
        case 0:
            if (i % 100 == 17)
                qty = "-5";
            break;
        case 1:
            if (i % 100 == 53)
                id = "5x3";
            break;
        case 2:
            if (i % 100 == 71)
                id = std::to_string(i - 1);
            break;
        }
        text += id + ";name " + std::to_string(i) + ";" + qty + "\r\n";
    }
    return text;
}

struct Outcome {
    RunResult run;
    std::string errors;
    std::vector<std::string> table;
};

class BatchedWrites : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        path = dir.File("batch.fdb");
        CreateDatabase(path, {"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), "
                              "QTY INTEGER CHECK (QTY >= 0))",
                              "CREATE TABLE CHILD (PID INTEGER REFERENCES T (ID))"});
        if (GetParam()) {
            server = std::make_unique<FirebirdServer>();
            // The checks below attach with the login the server wants.
            setenv("ISC_PASSWORD", FirebirdServer::Password, 1);
            database = "127.0.0.1/" + std::to_string(server->Port()) + ":" + path;
            login = std::string(" --password ") + FirebirdServer::Password;
        } else {
            database = path;
        }
        const std::string source = dir.Write("rows.csv", sourceText());
        spec = dir.Write("rows.vxi", "[Common]\r\nTableType=Text\r\nTableName=T\r\nSourceFileName=" + source +
                                         "\r\n[Mappings]\r\nMap0=ID=Field1\r\nMap1=NAME=Field2\r\nMap2=QTY=Field3\r\n"
                                         "[Text]\r\nFieldDelimiter=3B\r\nTextQualifier=22\r\nRecordSeparator=0D0A\r\n"
                                         "RowFieldNames=1\r\nRowFirst=2\r\n");
    }

    void TearDown() override { unsetenv("ISC_PASSWORD"); }

    // The table as it stood before each run: rows 1 to 600 for the keyed modes (three of
    // them with children, so they cannot be deleted), rows 900 to 950 for the appends.
    void refill(bool keyed)
    {
        std::vector<std::string> statements = {"DELETE FROM CHILD", "DELETE FROM T"};
        const int from = keyed ? 1 : 900, to = keyed ? 600 : 950;
        statements.push_back("INSERT INTO T (ID, NAME, QTY) WITH RECURSIVE N (I) AS (SELECT " + std::to_string(from) +
                             " FROM RDB$DATABASE UNION ALL SELECT I + 1 FROM N WHERE I < " + std::to_string(to) +
                             ") SELECT I, 'old', 1 FROM N");
        for (int id : {230, 460, 590})
            if (keyed)
                statements.push_back("INSERT INTO CHILD VALUES (" + std::to_string(id) + ")");
        ExecuteStatements(database, statements);
    }

    Outcome run(const std::string &arguments, bool keyed)
    {
        refill(keyed);
        const std::string errors = dir.File("errors.txt");
        std::remove(errors.c_str());
        Outcome o;
        o.run = runImport("--database " + database + " --user SYSDBA" + login + " --charset UTF8 --quiet --spec " +
                          spec + " --errors " + errors + " " + arguments);
        o.errors = ReadFile(errors);
        o.table = QueryColumn(database, "select ID || '|' || NAME || '|' || QTY from T order by ID");
        return o;
    }

    // Runs the arguments one row at a time and batched, and compares everything.
    void expectSameBothWays(const std::string &arguments, bool keyed, const std::string &batchRows = "")
    {
        SCOPED_TRACE(arguments + " " + batchRows);
        const Outcome single = run("--batch-rows 1 " + arguments, keyed);
        const Outcome batched = run(arguments + (batchRows.empty() ? "" : " --batch-rows " + batchRows), keyed);
        EXPECT_NE(single.errors, "") << single.run.out; // the rows that fail are there
        EXPECT_EQ(batched.run.status, single.run.status);
        EXPECT_EQ(batched.run.out, single.run.out);
        EXPECT_EQ(batched.errors, single.errors);
        EXPECT_EQ(batched.table, single.table);
    }

    TempDir dir;
    std::unique_ptr<FirebirdServer> server;
    std::string path, database, login, spec;
};

TEST_P(BatchedWrites, EveryModeComesOutAsRowByRow)
{
    expectSameBothWays("--mode append", false);
    expectSameBothWays("--mode appendupdate", true);
    expectSameBothWays("--mode update", true);
    expectSameBothWays("--mode delete", true);
    expectSameBothWays("--mode appendnew", true);
}

TEST_P(BatchedWrites, SmallBatchesSentAheadOfTheRowsRead)
{
    // Many batches, most of them with a failing row, each sent while the next one fills.
    expectSameBothWays("--mode append", false, "30");
    expectSameBothWays("--mode appendupdate", true, "30");
}

TEST_P(BatchedWrites, AnAbortEndsAtTheSameRow)
{
    // Commits every 37 rows keep what came before the failing row, which must be the same.
    expectSameBothWays("--mode appendupdate --abort-on-error --commit-count 37", true);
    expectSameBothWays("--mode append --abort-on-error --commit-count 120", false);
    // Without commits the run ends at the row, in a batch sent ahead, with nothing kept.
    expectSameBothWays("--mode update --abort-on-error", true, "7");
}

INSTANTIATE_TEST_SUITE_P(Destination, BatchedWrites, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &overTcp) {
                             return overTcp.param ? "Tcp" : "Embedded";
                         });

} // namespace
