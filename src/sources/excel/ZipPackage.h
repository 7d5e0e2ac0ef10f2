#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

struct zip;

namespace sources::excel {

// A zip package held in memory (libzip), read part by part. Part names are compared
// ignoring case, as packages require.
class TZipPackage {
public:
    // Nullptr when the bytes are no zip archive. The bytes must outlive the package.
    static std::unique_ptr<TZipPackage> Open(std::span<const std::uint8_t> bytes);
    ~TZipPackage();
    TZipPackage(const TZipPackage &) = delete;
    TZipPackage &operator=(const TZipPackage &) = delete;

    bool Has(const std::string &name) const;
    // Uncompressed size as the archive records it; -1 when unknown.
    std::int64_t Size(const std::string &name) const;
    // Hands the part's bytes to the consumer piece by piece; false when it cannot be read.
    using Consumer = std::function<void(std::span<const char> piece)>;
    bool Read(const std::string &name, const Consumer &consumer) const;

private:
    explicit TZipPackage(zip *archive) : archive_(archive) {}
    struct Discard {
        void operator()(zip *archive) const;
    };
    std::unique_ptr<zip, Discard> archive_;
};

// The folder of a part name ("xl/workbook.xml" -> "xl/"), and a relationship target
// resolved against it ("worksheets/sheet1.xml" -> "xl/worksheets/sheet1.xml").
std::string PartFolder(const std::string &part);
std::string ResolveTarget(const std::string &folder, const std::string &target);

} // namespace sources::excel
