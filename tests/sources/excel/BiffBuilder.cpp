#include "BiffBuilder.h"

#include "CompoundDocument.h"
#include "Files.h"

std::size_t BiffBuilder::record(std::uint16_t id, const std::vector<std::uint8_t> &data)
{
    const std::size_t at = stream_.size();
    Bytes header;
    header.u16(id).u16(static_cast<std::uint16_t>(data.size()));
    stream_.insert(stream_.end(), header.data().begin(), header.data().end());
    stream_.insert(stream_.end(), data.begin(), data.end());
    return at;
}

std::size_t BiffBuilder::record(std::uint16_t id, const Bytes &data) { return record(id, data.data()); }

std::size_t BiffBuilder::bof8(std::uint16_t type)
{
    return record(0x0809, Bytes().u16(0x0600).u16(type).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x0206));
}

std::size_t BiffBuilder::boundSheet8(const std::string &name, std::uint8_t type)
{
    return record(0x0085, Bytes().u32(0).u8(0).u8(type).u8(static_cast<std::uint8_t>(name.size())).u8(0).text(name));
}

void BiffBuilder::patchSheetOffset(std::size_t boundSheet, std::size_t bofOffset)
{
    for (int i = 0; i < 4; ++i)
        stream_[boundSheet + 4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bofOffset >> (8 * i));
}

void BiffBuilder::number8(int row, int column, double value)
{
    record(0x0203,
           Bytes().u16(static_cast<std::uint16_t>(row)).u16(static_cast<std::uint16_t>(column)).u16(0).f64(value));
}

void BiffBuilder::writeCompound(const std::string &path, const std::string &streamName) const
{
    WriteCompoundDocument(path, {{streamName, stream_}});
}

void BiffBuilder::writePlain(const std::string &path) const { WriteFile(path, stream_); }
