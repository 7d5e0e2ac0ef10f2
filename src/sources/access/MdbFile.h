#pragma once

#include "sources/recordset/Recordset.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sources::access {

// Raised when a database or one of its tables cannot be read, with a text for the user.
class EAccessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An Access database opened through mdbtools in this process. mdbtools trusts the file:
// a damaged one can make it loop or crash, which is why the readers call it only in a
// process of its own (TAccessDatabase).
class TMdbFile {
public:
    explicit TMdbFile(const std::string &fileName);
    // A database in memory; the bytes must outlive the object.
    TMdbFile(const void *bytes, std::size_t size);
    ~TMdbFile();
    TMdbFile(const TMdbFile &) = delete;
    TMdbFile &operator=(const TMdbFile &) = delete;

    // The user tables, in catalogue order; system tables are left out.
    std::vector<std::string> TableNames() const;
    // Whether the name is one of the database's stored queries (ignoring case).
    bool IsQuery(const std::string &name) const;
    // The records of a table, read forward; raises EAccessError for a name that is no
    // table. The file must outlive the record set.
    std::unique_ptr<TRecordset> OpenTable(const std::string &name);

    struct THandle;

private:
    std::unique_ptr<THandle> handle_;
};

} // namespace sources::access
