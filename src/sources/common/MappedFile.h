#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A file's bytes mapped into memory, read only. Pages read can be given back, so that
// reading a file of any size from end to end keeps little of it resident.
class TMappedFile {
public:
    // False (and nothing mapped) when the file cannot be opened, is not a regular file or
    // is empty: the caller reads it another way, and reports its own errors.
    bool Open(const std::string &fileName);
    ~TMappedFile();
    TMappedFile() = default;
    TMappedFile(const TMappedFile &) = delete;
    TMappedFile &operator=(const TMappedFile &) = delete;

    std::string_view Data() const { return {data_, size_}; }
    // Drops the pages before `offset` from memory; they are read again if touched.
    void Release(std::size_t offset);
    // A read starts over from the beginning: what it touches is given back anew.
    void Rewind() { released_ = 0; }

private:
    const char *data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t released_ = 0;
};
