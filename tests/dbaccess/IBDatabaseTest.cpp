#include "dbaccess/FbClient.h"
#include "FirebirdTestSupport.h"
#include "dbaccess/IBDatabase.h"
#include "dbaccess/IBErrors.h"
#include "dbaccess/IBSQL.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs f and returns the client error's number and text.
template <class F> std::pair<long, std::string> clientError(F f)
{
    try {
        f();
    } catch (const EIBClientError &e) {
        return {e.SQLCode, e.what()};
    }
    return {0, "no error"};
}

TEST(ParameterBlocks, DatabaseParameterBlock)
{
    struct Case {
        std::vector<std::string> params;
        std::string dpb;
    };
    const std::vector<Case> cases = {
        {{}, std::string("\x01", 1)},
        {{"user_name=SYSDBA", "password=abc", "lc_ctype=NONE"},
         std::string("\x01\x1c\x06SYSDBA\x1d\x03"
                     "abc\x30\x04NONE",
                     20)},
        {{"isc_dpb_USER_NAME=a", "", "  "},
         std::string("\x01\x1c\x01"
                     "a",
                     4)},
        {{"password="}, std::string("\x01\x1d\x00", 3)},
        {{"lc_ctype=x=y"}, std::string("\x01\x30\x03x=y", 6)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TIBDatabase::BuildDPB(c.params), c.dpb) << c.params.size();
}

TEST(ParameterBlocks, DatabaseParameterErrors)
{
    EXPECT_EQ(clientError([] { TIBDatabase::BuildDPB({"User Nom=x"}); }),
              std::make_pair(114L, std::string("DPB Constant (User Nom) is unknown")));
    EXPECT_EQ(clientError([] { TIBDatabase::BuildDPB({"isc_dpb_damaged=1"}); }),
              std::make_pair(11L, std::string("DPB Constant (isc_dpb_damaged) is unsupported")));
    EXPECT_EQ(clientError([] { TIBDatabase::BuildDPB({"password=" + std::string(256, 'x')}); }).first, 200L);
}

TEST(ParameterBlocks, TransactionParameterBlock)
{
    EXPECT_EQ(TIBTransaction::BuildTPB({"read_committed", "rec_version", "nowait"}),
              std::string("\x03\x0f\x11\x07", 4));
    EXPECT_EQ(TIBTransaction::BuildTPB({}), "");
    EXPECT_EQ(TIBTransaction::BuildTPB({"isc_tpb_CONCURRENCY", "wait=1"}), std::string("\x03\x02\x06", 3));
    EXPECT_EQ(clientError([] { TIBTransaction::BuildTPB({"snapshot"}); }),
              std::make_pair(115L, std::string("TPB Constant (snapshot) is unknown")));
    EXPECT_EQ(clientError([] { TIBTransaction::BuildTPB({"lock_write=T"}); }),
              std::make_pair(13L, std::string("TPB Constant (isc_tpb_lock_write) is unsupported")));
}

TEST(ClientLibrary, MissingLibraryAndEntryPoint)
{
    EXPECT_EQ(clientError([] { FbClient client("libfbclient-missing.so.2"); }),
              std::make_pair(1L, std::string("InterBase library libfbclient-missing.so.2 not found in the path. "
                                             "Please install InterBase to use this functionality")));
    EXPECT_EQ(IBClientErrorText(1, FbClient::DefaultLibraryName),
              "InterBase library libfbclient.so.2 not found in the path. Please install InterBase to use this "
              "functionality");
    // A library that loads but is no client: each call names the entry point it lacks.
    FbClient notAClient("libm.so.6");
    EXPECT_EQ(clientError([&] { *notAClient.attach_database; }),
              std::make_pair(3L, std::string("isc_attach_database is an InterBase 6 function. Please upgrade to "
                                             "InterBase 6 to use this functonality")));
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("session.fdb");
        CreateDatabase(path, {"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20))"});
        transaction.Params = {"read_committed", "rec_version", "nowait"};
        database.SetDefaultTransaction(&transaction);
        database.Params = {"user_name=SYSDBA", "password=x", "lc_ctype=UTF8"};
        database.SetDatabaseName(path);
    }

    void exec(const std::string &sql)
    {
        if (!transaction.InTransaction())
            transaction.StartTransaction();
        TIBSQL statement(&database, &transaction);
        statement.SetSQLText(sql);
        statement.ExecQuery();
    }

    TempDir dir;
    std::string path;
    TIBDatabase database;
    TIBTransaction transaction;
};

TEST_F(SessionTest, AttachRules)
{
    TIBDatabase unnamed;
    EXPECT_EQ(clientError([&] { unnamed.Open(); }), std::make_pair(17L, std::string("Database name is missing")));
    EXPECT_EQ(clientError([&] { database.SetSQLDialect(0); }), std::make_pair(87L, std::string("SQL Dialect Invalid")));

    database.Open();
    EXPECT_TRUE(database.Connected());
    EXPECT_EQ(database.DBSQLDialect(), 3);
    EXPECT_EQ(clientError([&] { database.Open(); }),
              std::make_pair(16L, std::string("Cannot perform operation -- DB is currently open")));
    database.Close();
    EXPECT_FALSE(database.Connected());
    EXPECT_EQ(database.DBSQLDialect(), 1);
}

TEST_F(SessionTest, DialectOneDatabaseLowersTheClientDialect)
{
    const std::string old = dir.File("dialect1.fdb");
    CreateDatabase(old, {}, 1);
    database.SetDatabaseName(old);
    database.SetSQLDialect(3);
    database.Open();
    EXPECT_EQ(database.DBSQLDialect(), 1);
    EXPECT_EQ(database.SQLDialect(), 1);
    EXPECT_EQ(clientError([&] { database.SetSQLDialect(3); }).first, 87L);
}

TEST_F(SessionTest, FailedAttachStaysDetachedWithTheServerText)
{
    database.SetDatabaseName(dir.File("missing.fdb"));
    try {
        database.Open();
        FAIL() << "attach succeeded";
    } catch (const EIBInterBaseError &e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("\r\n"), std::string::npos) << message;
        EXPECT_NE(message.find("missing.fdb"), std::string::npos) << message;
        EXPECT_NE(message.back(), '.');
        EXPECT_NE(e.IBErrorCode, 0);
        EXPECT_EQ(message.find("SQLCODE"), std::string::npos);
    }
    EXPECT_FALSE(database.Connected());
}

TEST_F(SessionTest, ServerErrorsCarryCodesAndJoinedLines)
{
    database.Open();
    try {
        exec("select * from NOPE");
        FAIL();
    } catch (const EIBInterBaseError &e) {
        EXPECT_EQ(e.SQLCode, -204);
        EXPECT_EQ(e.IBErrorCode, 335544569);
        EXPECT_EQ(std::string(e.what()).substr(0, 37), "Dynamic SQL Error\r\nSQL error code = -");
    }
    // A failed statement leaves the transaction active.
    EXPECT_TRUE(transaction.InTransaction());
}

TEST_F(SessionTest, PermissionErrorIsARoleError)
{
    database.Params = {"user_name=GUEST", "password=x"};
    database.Open();
    EXPECT_THROW(exec("select * from T"), EIBInterBaseRoleError);
}

TEST_F(SessionTest, TransactionRules)
{
    TIBTransaction lonely;
    EXPECT_EQ(clientError([&] { lonely.StartTransaction(); }).first, 21L);
    EXPECT_EQ(clientError([&] { transaction.StartTransaction(); }),
              std::make_pair(15L, std::string("Cannot perform operation -- DB is not open")));
    database.Open();
    EXPECT_EQ(clientError([&] { transaction.Commit(); }),
              std::make_pair(18L, std::string("Transaction is not active")));
    TIBSQL statement(&database, &transaction);
    statement.SetSQLText("select count(*) from T");
    EXPECT_EQ(clientError([&] { statement.ExecQuery(); }).first, 18L);
    transaction.StartTransaction();
    EXPECT_EQ(clientError([&] { transaction.StartTransaction(); }),
              std::make_pair(19L, std::string("Transaction is active")));
    statement.ExecQuery();
    EXPECT_EQ(statement.FieldAsInteger(0), 0);
    // Ending the transaction unprepares its statements.
    transaction.Commit();
    EXPECT_FALSE(statement.Prepared());
}

TEST_F(SessionTest, DetachCommitsPendingWork)
{
    database.Open();
    exec("insert into T values (1, 'one')");
    database.Close();
    EXPECT_EQ(QueryColumn(path, "select NAME from T"), std::vector<std::string>{"one"});
}

TEST_F(SessionTest, DetachWhoseCommitFailsRollsBackAndSaysSo)
{
    ExecuteStatements(path, {"CREATE EXCEPTION E_REFUSED 'commit refused'",
                             "CREATE TRIGGER REFUSE ON TRANSACTION COMMIT AS BEGIN "
                             "IF (EXISTS(SELECT 1 FROM T WHERE ID < 0)) THEN EXCEPTION E_REFUSED; END"});
    database.Open();
    exec("insert into T values (5, 'kept?')");
    exec("insert into T values (-1, 'poison')");
    try {
        database.Close();
        FAIL() << "the failed commit was not reported";
    } catch (const EIBInterBaseError &e) {
        EXPECT_NE(std::string(e.what()).find("commit refused"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(database.Connected());
    EXPECT_TRUE(QueryColumn(path, "select NAME from T").empty());
}

TEST_F(SessionTest, RowsAffectedByStatementKind)
{
    database.Open();
    exec("insert into T values (1, 'a')");
    exec("insert into T values (2, 'a')");
    TIBSQL statement(&database, &transaction);
    const std::vector<std::pair<std::string, int>> cases = {
        {"insert into T values (3, 'b')", 1},
        {"update T set NAME = 'c' where NAME = 'a'", 2},
        {"update T set NAME = 'x' where ID = 99", 0},
        {"delete from T where ID >= 2", 2},
        {"select * from T", -1},
    };
    for (const auto &[sql, count] : cases) {
        statement.SetSQLText(sql);
        statement.ExecQuery();
        EXPECT_EQ(statement.RowsAffected(), count) << sql;
        statement.Close();
    }
}

TEST(Parameters, NamesAreFoundOutsideLiteralsAndComments)
{
    std::vector<std::string> names;
    const std::string text = TIBSQL::PreprocessSQL(
        "update \"T:x\" set A = :A, B = ':no' /* :c */ where ID = :\"OLD_ID\" -- :d\n and X = :A", names);
    EXPECT_EQ(text, "update \"T:x\" set A = ?, B = ':no' /* :c */ where ID = ? -- :d\n and X = ?");
    EXPECT_EQ(names, (std::vector<std::string>{"A", "OLD_ID", "A"}));
}

TEST(RemoteServer, AttachOverTcpAndLoseTheConnection)
{
    FirebirdServer server;
    TempDir dir;
    const std::string path = dir.File("remote.fdb");
    CreateDatabase(path, {"CREATE TABLE R (ID INTEGER)", "INSERT INTO R VALUES (7)"});

    TIBDatabase database;
    TIBTransaction transaction;
    database.SetDefaultTransaction(&transaction);
    database.Params = {"user_name=SYSDBA", std::string("password=") + FirebirdServer::Password, "lc_ctype=NONE"};
    database.SetDatabaseName("127.0.0.1/" + std::to_string(server.Port()) + ":" + path);
    database.Open();
    transaction.StartTransaction();
    TIBSQL statement(&database, &transaction);
    statement.SetSQLText("select ID from R");
    statement.ExecQuery();
    EXPECT_EQ(statement.FieldAsInteger(0), 7);
    statement.Close();

    // The server goes away: the next call fails with the network error and the
    // connection is dropped without further calls.
    server.Kill();
    statement.SetSQLText("select count(*) from R");
    EXPECT_THROW(statement.ExecQuery(), EIBInterBaseError);
    EXPECT_FALSE(database.Connected());
    EXPECT_FALSE(transaction.InTransaction());
}

TEST(RemoteServer, WrongPasswordIsRefused)
{
    FirebirdServer server;
    TempDir dir;
    const std::string path = dir.File("remote.fdb");
    CreateDatabase(path);
    TIBDatabase database;
    database.Params = {"user_name=SYSDBA", "password=wrong"};
    database.SetDatabaseName("127.0.0.1/" + std::to_string(server.Port()) + ":" + path);
    EXPECT_THROW(database.Open(), EIBInterBaseError);
    EXPECT_FALSE(database.Connected());
}

} // namespace
