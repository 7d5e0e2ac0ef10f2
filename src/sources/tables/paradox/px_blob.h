#pragma once

#include "px_field_value.h"

#include "common/table_stream.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace paradox {

// The BLOB file (.mb) of a table: memos, binary BLOBs and graphics too long for their
// record.
class PxBLOBFile {
public:
    // Decrypts whole 256-byte units of the file in place.
    using TDecrypt = std::function<void(std::vector<std::uint8_t> &units)>;

    // Nothing when the table has no BLOB file.
    static std::unique_ptr<PxBLOBFile> Open(const std::string &tableFileName);

    // The BLOB's bytes; what lies beyond the file's end is not there to read.
    std::string Read(const TPxBLOBRef &ref, const TDecrypt &decrypt);

private:
    explicit PxBLOBFile(std::unique_ptr<std::ifstream> file);
    std::vector<std::uint8_t> ReadBytes(std::int64_t position, std::int64_t length, const TDecrypt &decrypt);

    std::unique_ptr<std::ifstream> file_;
    tables::TableStream stream_;
};

} // namespace paradox
