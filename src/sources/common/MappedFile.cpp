#include "sources/common/MappedFile.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

bool TMappedFile::Open(const std::string &fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    void *address = MAP_FAILED;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        address = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd); // the mapping keeps the file
    if (address == MAP_FAILED)
        return false;
    data_ = static_cast<const char *>(address);
    size_ = static_cast<std::size_t>(info.st_size);
    ::madvise(address, size_, MADV_SEQUENTIAL);
    return true;
}

TMappedFile::~TMappedFile()
{
    if (data_)
        ::munmap(const_cast<char *>(data_), size_);
}

void TMappedFile::Release(std::size_t offset)
{
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t end = std::min(offset, size_) / page * page;
    if (!data_ || end <= released_)
        return;
    ::madvise(const_cast<char *>(data_) + released_, end - released_, MADV_DONTNEED);
    released_ = end;
}
