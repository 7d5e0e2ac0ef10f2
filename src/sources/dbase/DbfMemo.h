#pragma once

#include "sources/dbase/DbfLayout.h"

#include "sources/common/TableStream.h"

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

namespace sources::dbase {

// The memo file of a table (.dbt, .fpt or .smt), opened once and read block by block.
class TDBFMemoFile {
public:
    // Nothing when the table has no such file.
    static std::unique_ptr<TDBFMemoFile> Open(const std::string &tableFileName, TDBFVersion version,
                                              TDBFMemoType memoType);
    // The memo file's bytes from a stream the caller keeps open while this object lives.
    static std::unique_ptr<TDBFMemoFile> FromStream(std::istream &stream, TDBFVersion version, TDBFMemoType memoType);

    // The bytes of the memo that starts at the block; empty for block 0 and for blocks
    // outside the file. Lengths are taken as the file gives them, up to its end.
    std::string Read(std::uint64_t block);

    int BlockSize() const { return blockSize_; }

private:
    TDBFMemoFile(std::unique_ptr<std::istream> file, std::istream &stream, TDBFVersion version, bool foxPro);
    void ReadHeader();
    std::string ReadTerminated();
    std::string ReadCounted();

    std::unique_ptr<std::istream> file_; // none when the stream is the caller's
    sources::TTableStream stream_;
    TDBFVersion version_;
    bool foxPro_;
    int blockSize_ = 512;
};

// The extension of the memo file a table of this version and memo type has.
std::string MemoExtension(TDBFVersion version, TDBFMemoType memoType);

} // namespace sources::dbase
