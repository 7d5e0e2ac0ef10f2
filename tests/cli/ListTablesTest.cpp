#include "CommandLine.h"
#include "FirebirdTestSupport.h"
#include "RunImport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace {

TEST(ListTables, SortedIgnoringCaseWithRecordCounts)
{
    TempDir dir;
    const std::string db = dir.File("list.fdb");
    CreateDatabase(db,
                   {"CREATE TABLE zebra (ID INTEGER)", "CREATE TABLE \"apple\" (ID INTEGER)",
                    "CREATE TABLE Mango (ID INTEGER)", "INSERT INTO MANGO VALUES (1)", "INSERT INTO MANGO VALUES (2)"});
    const RunResult run = runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --list-tables");
    // "apple" needs quoting, so counting it fails as opening it fails in the main window.
    EXPECT_EQ(run.status, 1) << run.out;
    const std::string error = "apple: Dynamic SQL Error";
    const auto at = run.out.find(error);
    ASSERT_NE(at, std::string::npos) << run.out;
    // The error's own lines are joined with CR LF; it ends at the first bare line feed.
    std::size_t end = at;
    while ((end = run.out.find('\n', end + 1)) != std::string::npos && run.out[end - 1] == '\r') {
    }
    const std::string listing = run.out.substr(0, at) + run.out.substr(end + 1);
    EXPECT_EQ(listing, "apple\nMANGO 2 records\nZEBRA 0 records\n") << run.out;
}

TEST(ListTables, EmptyDatabaseAndSystemTables)
{
    TempDir dir;
    const std::string db = dir.File("empty.fdb");
    CreateDatabase(db);
    RunResult run = runImport("--database " + db + " --user SYSDBA --list-tables");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "No table found in Database : Cannot run Import !\n");

    run = runImport("--database " + db + " --user SYSDBA --list-tables --system-tables");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("RDB$DATABASE 1 records\n"), std::string::npos) << run.out;
}

TEST(ListTables, BadArgumentsAndUnreachableDatabase)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--list-tables", "option --database is required"},
        {"--database x --dialect 2 --list-tables", "option --dialect must be 1 or 3"},
        {"--database x --dialect three --list-tables", "needs a whole number"},
        {"--database x --frobnicate", "unknown option: --frobnicate"},
        {"--database", "needs a value"},
        {"--database x", "nothing to do"},
        {"--database x --spec s.vxi --mode sideways", "option --mode must be"},
    };
    for (const auto &[args, message] : cases) {
        const RunResult run = runImport(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.out.find(message), std::string::npos) << args << "\n" << run.out;
    }
    const RunResult run = runImport("--database /nonexistent/x.fdb --list-tables");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("/nonexistent/x.fdb"), std::string::npos) << run.out;
}

TEST(CommandLine, ValuesSwitchesAndInlineForms)
{
    const std::vector<TCommandLine::Option> known = {{"database", true}, {"quiet", false}};
    const char *argv[] = {"x", "--database=a=b", "--quiet"};
    const TCommandLine args(known, 3, argv);
    EXPECT_EQ(args.Value("database"), "a=b");
    EXPECT_TRUE(args.Has("quiet"));
    const char *twice[] = {"x", "--quiet", "--quiet"};
    EXPECT_THROW(TCommandLine(known, 3, twice), EUsageError);
}

} // namespace
