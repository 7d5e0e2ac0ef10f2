#pragma once

#include "sources/excel/ZipPackage.h"

#include <string>
#include <string_view>

namespace sources::excel {

// A streaming XML reader over expat. Element and attribute names arrive without their
// namespace, so prefixed and unprefixed documents read alike.
class TXmlParser {
public:
    virtual ~TXmlParser() = default;

    // Parses a package part; false when the part is missing, unreadable or not XML.
    bool ParsePart(const TZipPackage &package, const std::string &name);

    // The attribute of the current start element; empty when absent.
    class Attributes {
    public:
        explicit Attributes(const char **pairs) : pairs_(pairs) {}
        std::string_view Get(std::string_view localName) const;
        bool Has(std::string_view localName) const;

    private:
        const char **pairs_;
    };

protected:
    virtual void StartElement(std::string_view name, const Attributes &attributes) = 0;
    virtual void EndElement(std::string_view name) {}
    virtual void Characters(std::string_view text) {}
    virtual void Parsed(std::int64_t bytes, std::int64_t total) {}

private:
    friend struct TXmlCallbacks;
};

std::string_view LocalName(std::string_view qualified);

} // namespace sources::excel
