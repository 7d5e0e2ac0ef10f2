#pragma once

#include "sources/paradox/PxFieldValue.h"

#include "sources/common/TableStream.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sources::paradox {

// The BLOB file (.mb) of a table: memos, binary BLOBs and graphics too long for their
// record.
class TPxBLOBFile {
public:
    // Decrypts whole 256-byte units of the file in place.
    using TDecrypt = std::function<void(std::vector<std::uint8_t> &units)>;

    // Nothing when the table has no BLOB file.
    static std::unique_ptr<TPxBLOBFile> Open(const std::string &tableFileName);
    // The BLOB file's bytes from a stream the caller keeps open while this object lives.
    static std::unique_ptr<TPxBLOBFile> FromStream(std::istream &stream);

    // The BLOB's bytes; what lies beyond the file's end is not there to read.
    std::string Read(const TPxBLOBRef &ref, const TDecrypt &decrypt);

private:
    TPxBLOBFile(std::unique_ptr<std::istream> file, std::istream &stream);
    std::vector<std::uint8_t> ReadBytes(std::int64_t position, std::int64_t length, const TDecrypt &decrypt);

    std::unique_ptr<std::istream> file_; // none when the stream is the caller's
    sources::TTableStream stream_;
};

} // namespace sources::paradox
