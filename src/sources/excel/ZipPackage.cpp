#include "sources/excel/ZipPackage.h"

#include <zip.h>

#include <vector>

namespace sources::excel {

namespace {

struct TFileClose {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};

} // namespace

void TZipPackage::Discard::operator()(zip *archive) const { zip_discard(archive); }

std::unique_ptr<TZipPackage> TZipPackage::Open(std::span<const std::uint8_t> bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return nullptr;
    }
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source); // still ours when the open failed
        return nullptr;
    }
    return std::unique_ptr<TZipPackage>(new TZipPackage(archive));
}

TZipPackage::~TZipPackage() = default;

bool TZipPackage::Has(const std::string &name) const
{
    return zip_name_locate(archive_.get(), name.c_str(), ZIP_FL_NOCASE) >= 0;
}

std::int64_t TZipPackage::Size(const std::string &name) const
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive_.get(), name.c_str(), ZIP_FL_NOCASE, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return -1;
    return static_cast<std::int64_t>(stat.size);
}

bool TZipPackage::Read(const std::string &name, const Consumer &consumer) const
{
    std::unique_ptr<zip_file_t, TFileClose> file(zip_fopen(archive_.get(), name.c_str(), ZIP_FL_NOCASE));
    if (!file)
        return false;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const zip_int64_t read = zip_fread(file.get(), buffer.data(), buffer.size());
        if (read < 0)
            return false;
        if (read == 0)
            return true;
        consumer(std::span<const char>(buffer.data(), static_cast<std::size_t>(read)));
    }
}

std::string PartFolder(const std::string &part)
{
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string ResolveTarget(const std::string &folder, const std::string &target)
{
    std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('/', start), path.size());
        const std::string piece = path.substr(start, end - start);
        if (piece == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string &p : parts)
        resolved += (resolved.empty() ? "" : "/") + p;
    return resolved;
}

} // namespace sources::excel
