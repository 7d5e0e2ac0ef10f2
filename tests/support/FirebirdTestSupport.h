#pragma once

#include "TempDir.h"
#include "dbaccess/IBCustomDataSet.h"

#include <string>
#include <vector>

// Creates a database file through the embedded engine and runs the statements in it,
// committed. Statements may be DDL; each runs in its own transaction.
void CreateDatabase(const std::string &path, const std::vector<std::string> &statements = {}, int dialect = 3,
                    const std::string &charset = "UTF8");
// Runs statements in an existing database, committed.
void ExecuteStatements(const std::string &path, const std::vector<std::string> &statements, int dialect = 3);
// The first column of every row of a select, as text.
std::vector<std::string> QueryColumn(const std::string &path, const std::string &select, int dialect = 3);

// A destination as the program sets one up: one connection and one transaction with the
// program's parameters, and the browse query of a table writing through update statements.
struct TestDestination {
    TIBDatabase Database;
    TIBTransaction Transaction;
    TIBQuery Query;
    TIBUpdateSQL Update;

    // Attaches to the database file and opens "select * from TABLE" with the given
    // insert, modify and delete statements.
    void Open(const std::string &path, const std::string &table, std::vector<std::string> insert,
              std::vector<std::string> modify, std::vector<std::string> remove);
};

// A Firebird server of our own on a free loopback port, with its own configuration and
// security database, stopped when the object goes.
class FirebirdServer {
public:
    FirebirdServer();
    ~FirebirdServer();
    FirebirdServer(const FirebirdServer &) = delete;
    FirebirdServer &operator=(const FirebirdServer &) = delete;
    int Port() const { return port_; }
    // Ends the server at once, as a crash or a cut cable would.
    void Kill();
    static constexpr const char *Password = "ferrovane";

private:
    TempDir root_;
    int port_ = 0;
    int pid_ = -1;
};
