#pragma once

#include "sources/recordset/Recordset.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sources::odbc {

// Raised with the driver manager's or the driver's own diagnostic text.
class EOdbcError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A connection through unixODBC, opened from a connection string ("DSN=…;" or
// "Driver=…;Database=…;") without prompting.
class TOdbcConnection {
public:
    explicit TOdbcConnection(const std::string &connectionString);
    ~TOdbcConnection();
    TOdbcConnection(const TOdbcConnection &) = delete;
    TOdbcConnection &operator=(const TOdbcConnection &) = delete;

    // The rows of a table (a name) or of a command: a text beginning with SELECT or WITH
    // and a blank (any case) is run as it is, any other names a table. The connection must
    // outlive the record set.
    std::unique_ptr<TRecordset> Open(const std::string &tableOrCommand);
    // Tables and views, with the system tables when asked for, as the driver's catalogue
    // lists them.
    std::vector<std::string> TableNames(bool systemTables);

    struct THandles;

private:
    std::unique_ptr<THandles> handles_;
};

// Whether the text is a command rather than a table's name.
bool IsCommand(const std::string &text);

// The data sources and drivers the ODBC configuration names, for a connection dialog.
struct TOdbcDataSource {
    std::string Name;
    std::string Description;
};
std::vector<TOdbcDataSource> DataSources();
std::vector<TOdbcDataSource> Drivers();

} // namespace sources::odbc
