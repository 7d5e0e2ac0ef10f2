#include "sources/common/TableStream.h"

#include <algorithm>

namespace sources {

TTableStream::TTableStream(std::istream &stream) : stream_(stream)
{
    stream_.clear();
    const std::istream::pos_type start = stream_.tellg();
    stream_.seekg(0, std::ios::end);
    const std::istream::pos_type end = stream_.tellg();
    if (start < 0 || end < 0) {
        stream_.clear();
        return;
    }
    size_ = static_cast<std::int64_t>(end);
    stream_.seekg(start);
    position_ = static_cast<std::int64_t>(start);
}

bool TTableStream::Seek(std::int64_t offset)
{
    if (offset < 0 || offset > size_)
        return false;
    if (offset == position_)
        return true;
    stream_.clear();
    stream_.seekg(offset);
    if (!stream_)
        return false;
    position_ = offset;
    return true;
}

bool TTableStream::Read(std::span<std::uint8_t> bytes)
{
    if (static_cast<std::int64_t>(bytes.size()) > Remaining())
        return false;
    return ReadSome(bytes) == bytes.size();
}

std::size_t TTableStream::ReadSome(std::span<std::uint8_t> bytes)
{
    const std::int64_t wanted = std::min<std::int64_t>(static_cast<std::int64_t>(bytes.size()), Remaining());
    if (wanted <= 0)
        return 0;
    stream_.read(reinterpret_cast<char *>(bytes.data()), wanted);
    const std::int64_t got = stream_.gcount();
    position_ += got;
    if (got < wanted) {
        // the file shrank under us: what is left is all there is
        stream_.clear();
        size_ = position_;
    }
    return static_cast<std::size_t>(got);
}

std::unique_ptr<std::ifstream> OpenSharedForReading(const std::string &fileName)
{
    auto stream = std::make_unique<std::ifstream>(fileName, std::ios::binary);
    if (!*stream)
        return nullptr;
    return stream;
}

} // namespace sources
