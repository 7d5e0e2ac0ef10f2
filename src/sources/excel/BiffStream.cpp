#include "sources/excel/BiffStream.h"

namespace sources::excel {

bool TBiffStream::ReadHeader(TRecordHeader &header)
{
    if (bytes_.size() - position_ < 4)
        return false;
    header.Id = static_cast<std::uint16_t>(bytes_[position_] | bytes_[position_ + 1] << 8);
    header.Length = static_cast<std::uint16_t>(bytes_[position_ + 2] | bytes_[position_ + 3] << 8);
    position_ += 4;
    return true;
}

void TBiffStream::Need(std::size_t length) const
{
    if (length > bytes_.size() - position_)
        throw ETruncatedRecord("record at " + std::to_string(position_) + " runs past the end of the stream");
}

std::span<const std::uint8_t> TBiffStream::ReadData(std::size_t length)
{
    Need(length);
    std::span<const std::uint8_t> data(bytes_.data() + position_, length);
    position_ += length;
    return data;
}

void TBiffStream::Skip(std::size_t length)
{
    Need(length);
    position_ += length;
}

} // namespace sources::excel
