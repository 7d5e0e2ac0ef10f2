#pragma once

#include "sources/excel/BiffStream.h"
#include "sources/common/ByteView.h"

#include <string>
#include <vector>

namespace sources::excel {

// Reads the SST record and the CONTINUE records that carry the rest of it. Strings may
// be cut anywhere, and each continued piece says afresh whether it is UTF-16 or the
// compressed one-byte form.
class TSharedStringsReader {
public:
    TSharedStringsReader(TBiffStream &stream, std::span<const std::uint8_t> sstData) : stream_(stream), record_(sstData)
    {
    }

    std::vector<std::string> Read();

private:
    std::string ReadString();
    void NextContinue();
    std::size_t Left() const { return record_.Size() - position_; }
    std::vector<std::uint8_t> ReadBytes(std::size_t count);
    void SkipBytes(std::size_t count);

    TBiffStream &stream_;
    TByteView record_;
    std::size_t position_ = 8;
};

} // namespace sources::excel
