#pragma once

#include "sources/access/MdbFile.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace sources::access {

// An Access database read in a process of its own: mdbtools trusts the file, and a
// damaged one can make it loop or crash. The reading process sends the tables, fields
// and values through a socket; if it stops early or stays silent too long, it is stopped
// (it is ours alone) and the read ends with an error instead of taking the program down.
class TAccessDatabase {
public:
    explicit TAccessDatabase(std::string fileName);
    // A database in memory; the bytes must outlive the object and its record sets.
    TAccessDatabase(const void *bytes, std::size_t size);

    // How long the reading process may stay silent before it counts as stuck.
    int SilenceLimitMilliseconds = 30000;

    // The user tables, in catalogue order; raises EAccessError when the file cannot be read.
    std::vector<std::string> TableNames() const;
    // The records of a table, read forward; raises EAccessError for a file that cannot be
    // read, a stored query or a name that is no table.
    std::unique_ptr<TRecordset> OpenTable(const std::string &name) const;

private:
    std::string fileName_;
    const void *bytes_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace sources::access
