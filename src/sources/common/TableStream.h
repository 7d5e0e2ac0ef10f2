#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <memory>
#include <span>
#include <string>

// Positioned reads from a table or companion file whose size is known, so that every
// offset and length taken from the file can be checked before it is used.
namespace sources {

class TTableStream {
public:
    // The stream is borrowed; it must outlive this object.
    explicit TTableStream(std::istream &stream);

    std::int64_t Size() const { return size_; }
    std::int64_t Position() const { return position_; }
    std::int64_t Remaining() const { return size_ - position_; }

    // Moves to an offset inside the file (the end included); false beyond it.
    bool Seek(std::int64_t offset);
    // Reads exactly the span's bytes from the current position; false, with the position
    // unchanged, when the file ends first.
    bool Read(std::span<std::uint8_t> bytes);
    // Reads up to the span's size and returns the count read.
    std::size_t ReadSome(std::span<std::uint8_t> bytes);
    bool ReadAt(std::int64_t offset, std::span<std::uint8_t> bytes) { return Seek(offset) && Read(bytes); }

private:
    std::istream &stream_;
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
};

// Opens a file for reading; other programs may go on reading and writing it. Nothing
// when it cannot be opened.
std::unique_ptr<std::ifstream> OpenSharedForReading(const std::string &fileName);

} // namespace sources
