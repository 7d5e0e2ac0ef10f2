#include "FirebirdTestSupport.h"

#include "dbaccess/FbClient.h"
#include "dbaccess/IBDatabase.h"
#include "dbaccess/IBErrors.h"
#include "dbaccess/IBSQL.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void attach(TIBDatabase &database, TIBTransaction &transaction, const std::string &path, int dialect)
{
    database.SetDefaultTransaction(&transaction);
    database.Params = {"user_name=SYSDBA", "lc_ctype=UTF8"};
    database.SetSQLDialect(dialect);
    database.SetDatabaseName(path);
    database.Open();
}

} // namespace

void CreateDatabase(const std::string &path, const std::vector<std::string> &statements, int dialect,
                    const std::string &charset)
{
    FbClient &client = FbClient::Instance();
    ISC_STATUS_ARRAY status{};
    isc_db_handle db = 0;
    isc_tr_handle tr = 0;
    const std::string sql = "CREATE DATABASE '" + path + "' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET " +
                            charset;
    if ((*client.dsql_execute_immediate)(status, &db, &tr, 0, sql.c_str(), static_cast<unsigned short>(dialect),
                                         nullptr))
        RaiseInterBaseError(status);
    (*client.detach_database)(status, &db);
    ExecuteStatements(path, statements, dialect);
}

void ExecuteStatements(const std::string &path, const std::vector<std::string> &statements, int dialect)
{
    TIBDatabase database;
    TIBTransaction transaction;
    attach(database, transaction, path, dialect);
    for (const std::string &statement : statements) {
        transaction.StartTransaction();
        TIBSQL sql(&database, &transaction);
        sql.SetSQLText(statement);
        sql.ExecQuery();
        sql.Close();
        transaction.Commit();
    }
    database.Close();
}

std::vector<std::string> QueryColumn(const std::string &path, const std::string &select, int dialect)
{
    TIBDatabase database;
    TIBTransaction transaction;
    attach(database, transaction, path, dialect);
    transaction.StartTransaction();
    std::vector<std::string> values;
    {
        TIBSQL sql(&database, &transaction);
        sql.SetSQLText(select);
        for (sql.ExecQuery(); !sql.Eof(); sql.Next())
            values.push_back(sql.FieldIsNull(0) ? "<null>" : sql.FieldAsString(0));
    }
    database.Close();
    return values;
}

void TestDestination::Open(const std::string &path, const std::string &table, std::vector<std::string> insert,
                           std::vector<std::string> modify, std::vector<std::string> remove)
{
    Transaction.Params = {"read_committed", "rec_version", "nowait"};
    Database.SetDefaultTransaction(&Transaction);
    Database.Params = {"user_name=SYSDBA", "lc_ctype=UTF8"};
    Database.SetDatabaseName(path);
    Database.Open();
    Update.InsertSQL = std::move(insert);
    Update.ModifySQL = std::move(modify);
    Update.DeleteSQL = std::move(remove);
    Query.SetDatabase(&Database);
    Query.UpdateObject = &Update;
    Query.SetSQL({"select * from " + table, ""});
    Query.Open();
}

namespace {

constexpr const char *firebirdHome = "/usr/lib/x86_64-linux-gnu/firebird/3.0";

int freeLoopbackPort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    socklen_t length = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr *>(&addr), &length);
    close(s);
    return ntohs(addr.sin_port);
}

bool portAccepts(int port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    close(s);
    return ok;
}

void run(const std::string &command)
{
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("command failed: " + command);
}

} // namespace

FirebirdServer::FirebirdServer()
{
    const std::string r = root_.Path();
    for (const char *item : {"plugins", "intl", "lib", "UDF", "firebird.msg", "plugins.conf"})
        fs::create_symlink(std::string(firebirdHome) + "/" + item, r + "/" + item);
    port_ = freeLoopbackPort();
    {
        std::ifstream in(std::string(firebirdHome) + "/firebird.conf");
        std::ofstream out(r + "/firebird.conf");
        // Our own security database: the users we create must not touch the system's,
        // and two servers started side by side must not lock each other out.
        out << in.rdbuf() << "\nRemoteServicePort = " << port_ << "\nRemoteBindAddress = 127.0.0.1\n"
            << "SecurityDatabase = " << r << "/security3.fdb\n";
    }
    {
        std::ofstream out(r + "/databases.conf");
        out << "security.db = " << r << "/security3.fdb\n";
    }
    fs::copy_file("/var/lib/firebird/3.0/system/security3.fdb", r + "/security3.fdb");
    fs::create_directory(r + "/lock");
    const std::string env = "FIREBIRD=" + r + " FIREBIRD_LOCK=" + r + "/lock ";
    run("echo \"create or alter user SYSDBA password '" + std::string(Password) + "'; commit;\" | " + env +
        "isql-fb -q -user SYSDBA " + r + "/security3.fdb >/dev/null 2>&1");

    pid_ = fork();
    if (pid_ == 0) {
        setenv("FIREBIRD", r.c_str(), 1);
        setenv("FIREBIRD_LOCK", (r + "/lock").c_str(), 1);
        execl("/usr/sbin/firebird", "firebird", static_cast<char *>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100 && !portAccepts(port_); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!portAccepts(port_))
        throw std::runtime_error("the test Firebird server did not start");
}

void FirebirdServer::Kill()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

FirebirdServer::~FirebirdServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
    }
}
