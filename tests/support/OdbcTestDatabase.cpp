#include "OdbcTestDatabase.h"

#include <sql.h>
#include <sqlext.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

std::string SqliteOdbcConnection(const std::string &databaseFile)
{
    for (const char *driver : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/odbc/libsqlite3odbc.so",
                               "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so"})
        if (std::filesystem::exists(driver))
            return std::string("Driver=") + driver + ";Database=" + databaseFile + ";";
    throw std::runtime_error("the SQLite ODBC driver (libsqliteodbc) is not installed");
}

std::string WriteOdbcTestDatabase(const std::string &databaseFile)
{
    const std::string connection = SqliteOdbcConnection(databaseFile);
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string text = connection;
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR *>(text.data()), SQL_NTS, nullptr, 0,
                                        nullptr, SQL_DRIVER_NOPROMPT)))
        throw std::runtime_error("cannot connect to " + connection);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    const std::vector<std::string> statements = {
        "CREATE TABLE people (id INTEGER, name VARCHAR(20), born DATE, score REAL)",
        "INSERT INTO people VALUES (1, 'Ann', '1977-05-15', 1.5)",
        "INSERT INTO people VALUES (2, 'Zo\xC3\xAB', '2001-12-31', -3)",
        "CREATE VIEW adults AS SELECT id, name FROM people WHERE born < '2000-01-01'"};
    for (std::string sql : statements)
        if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR *>(sql.data()), SQL_NTS)))
            throw std::runtime_error("cannot run " + sql);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return connection;
}
