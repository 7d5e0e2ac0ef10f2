#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sources::excel {

// A compound document (the OLE2 container of BIFF5-8 workbooks) opened from memory with
// libgsf. Only the root storage's streams are needed.
class TCompoundFile {
public:
    // The eight signature bytes every compound document starts with.
    static bool HasSignature(std::span<const std::uint8_t> bytes);
    // Nullptr when the bytes are not a readable compound document. The bytes must
    // outlive the object.
    static std::unique_ptr<TCompoundFile> Open(std::span<const std::uint8_t> bytes);

    ~TCompoundFile();
    TCompoundFile(const TCompoundFile &) = delete;
    TCompoundFile &operator=(const TCompoundFile &) = delete;

    // Names of the root storage's elements, in their enumeration order.
    std::vector<std::string> ChildNames() const;
    // The whole content of a root-level stream; nothing when it cannot be read.
    std::optional<std::vector<std::uint8_t>> ReadStream(const std::string &name) const;

private:
    struct Handles;
    explicit TCompoundFile(std::unique_ptr<Handles> handles);
    std::unique_ptr<Handles> handles_;
};

} // namespace sources::excel
