#include "sources/excel/CompoundFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace sources::excel {

namespace {

struct TGObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using GsfPtr = std::unique_ptr<T, TGObjectUnref>;

void initGsf()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

} // namespace

struct TCompoundFile::Handles {
    GsfPtr<GsfInput> memory;
    GsfPtr<GsfInfile> root;
};

bool TCompoundFile::HasSignature(std::span<const std::uint8_t> bytes)
{
    static constexpr std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    return bytes.size() >= sizeof signature && std::equal(std::begin(signature), std::end(signature), bytes.begin());
}

TCompoundFile::TCompoundFile(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
TCompoundFile::~TCompoundFile() = default;

std::unique_ptr<TCompoundFile> TCompoundFile::Open(std::span<const std::uint8_t> bytes)
{
    initGsf();
    if (!HasSignature(bytes))
        return nullptr;
    auto handles = std::make_unique<Handles>();
    handles->memory.reset(gsf_input_memory_new(bytes.data(), static_cast<gsf_off_t>(bytes.size()), FALSE));
    if (!handles->memory)
        return nullptr;
    GError *error = nullptr;
    handles->root.reset(gsf_infile_msole_new(handles->memory.get(), &error));
    if (error)
        g_error_free(error);
    if (!handles->root)
        return nullptr;
    return std::unique_ptr<TCompoundFile>(new TCompoundFile(std::move(handles)));
}

std::vector<std::string> TCompoundFile::ChildNames() const
{
    std::vector<std::string> names;
    const int count = gsf_infile_num_children(handles_->root.get());
    for (int i = 0; i < count; ++i) {
        const char *name = gsf_infile_name_by_index(handles_->root.get(), i);
        if (name)
            names.emplace_back(name);
    }
    return names;
}

std::optional<std::vector<std::uint8_t>> TCompoundFile::ReadStream(const std::string &name) const
{
    GsfPtr<GsfInput> input(gsf_infile_child_by_name(handles_->root.get(), name.c_str()));
    if (!input)
        return std::nullopt;
    const gsf_off_t size = gsf_input_size(input.get());
    if (size < 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    constexpr gsf_off_t Chunk = 1 << 16;
    for (gsf_off_t left = size; left > 0;) {
        const gsf_off_t take = std::min(left, Chunk);
        const guint8 *data = gsf_input_read(input.get(), static_cast<std::size_t>(take), nullptr);
        if (!data)
            return std::nullopt;
        bytes.insert(bytes.end(), data, data + take);
        left -= take;
    }
    return bytes;
}

} // namespace sources::excel
