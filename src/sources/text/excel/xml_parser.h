#pragma once

#include "zip_package.h"

#include <string>
#include <string_view>

namespace excel {

// A streaming XML reader over expat. Element and attribute names arrive without their
// namespace, so prefixed and unprefixed documents read alike.
class XmlParser {
public:
    virtual ~XmlParser() = default;

    // Parses a package part; false when the part is missing, unreadable or not XML.
    bool ParsePart(const ZipPackage &package, const std::string &name);

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
    friend struct XmlCallbacks;
};

std::string_view LocalName(std::string_view qualified);

} // namespace excel
