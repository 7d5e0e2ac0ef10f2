#include "BiffBuilder.h"

#include "Files.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <cstring>
#include <memory>
#include <stdexcept>

Bytes &Bytes::u8(std::uint8_t v)
{
    data_.push_back(v);
    return *this;
}

Bytes &Bytes::u16(std::uint16_t v) { return u8(static_cast<std::uint8_t>(v)).u8(static_cast<std::uint8_t>(v >> 8)); }

Bytes &Bytes::u32(std::uint32_t v)
{
    return u16(static_cast<std::uint16_t>(v)).u16(static_cast<std::uint16_t>(v >> 16));
}

Bytes &Bytes::f64(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return u32(static_cast<std::uint32_t>(bits)).u32(static_cast<std::uint32_t>(bits >> 32));
}

Bytes &Bytes::text(const std::string &s)
{
    data_.insert(data_.end(), s.begin(), s.end());
    return *this;
}

Bytes &Bytes::utf16(const std::u16string &s)
{
    for (char16_t c : s)
        u16(c);
    return *this;
}

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

namespace {

struct Unref {
    void operator()(gpointer p) const
    {
        if (p)
            g_object_unref(p);
    }
};

} // namespace

void BiffBuilder::writeCompound(const std::string &path, const std::string &streamName) const
{
    gsf_init();
    GError *error = nullptr;
    std::unique_ptr<GsfOutput, Unref> file(gsf_output_stdio_new(path.c_str(), &error));
    if (!file)
        throw std::runtime_error("cannot write " + path);
    std::unique_ptr<GsfOutfile, Unref> ole(gsf_outfile_msole_new(file.get()));
    std::unique_ptr<GsfOutput, Unref> child(gsf_outfile_new_child(ole.get(), streamName.c_str(), FALSE));
    gsf_output_write(child.get(), stream_.size(), stream_.data());
    gsf_output_close(child.get());
    gsf_output_close(GSF_OUTPUT(ole.get()));
    gsf_output_close(file.get());
}

void BiffBuilder::writePlain(const std::string &path) const { WriteFile(path, stream_); }
