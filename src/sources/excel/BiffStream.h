#pragma once

#include "sources/cells/VxCellsFile.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace sources::excel {

// A record whose data runs past the end of the workbook stream.
class ETruncatedRecord : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The workbook stream in memory, read record by record. Positions are stream offsets,
// the same offsets BOUNDSHEET records give for each sheet's BOF.
class TBiffStream {
public:
    explicit TBiffStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Position() const { return position_; }
    std::size_t Size() const { return bytes_.size(); }
    // False when no full header is left: the normal end of a stream.
    bool ReadHeader(TRecordHeader &header);
    // The data of the record whose header was just read.
    std::span<const std::uint8_t> ReadData(std::size_t length);
    void Skip(std::size_t length);
    void Seek(std::size_t position) { position_ = position <= bytes_.size() ? position : bytes_.size(); }

private:
    void Need(std::size_t length) const;

    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

} // namespace sources::excel
