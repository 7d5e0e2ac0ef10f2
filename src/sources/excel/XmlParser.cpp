#include "sources/excel/XmlParser.h"

#include <expat.h>

#include <cstring>
#include <exception>
#include <memory>

namespace sources::excel {

namespace {

constexpr char NamespaceSeparator = '\x01';

struct TParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ParserPtr = std::unique_ptr<std::remove_pointer_t<XML_Parser>, TParserFree>;

} // namespace

std::string_view LocalName(std::string_view qualified)
{
    const auto cut = qualified.rfind(NamespaceSeparator);
    return cut == std::string_view::npos ? qualified : qualified.substr(cut + 1);
}

std::string_view TXmlParser::Attributes::Get(std::string_view localName) const
{
    for (const char **p = pairs_; p && *p; p += 2)
        if (LocalName(p[0]) == localName)
            return p[1];
    return {};
}

bool TXmlParser::Attributes::Has(std::string_view localName) const
{
    for (const char **p = pairs_; p && *p; p += 2)
        if (LocalName(p[0]) == localName)
            return true;
    return false;
}

// Exceptions must not cross expat's C frames: a handler's error is kept, parsing stops,
// and the error is raised again once expat has returned.
struct TXmlCallbacks {
    TXmlParser *owner;
    XML_Parser parser;
    std::exception_ptr error;

    template <typename Call> static void Guard(void *data, Call call)
    {
        auto *self = static_cast<TXmlCallbacks *>(data);
        if (self->error)
            return;
        try {
            call(*self->owner);
        } catch (...) {
            self->error = std::current_exception();
            XML_StopParser(self->parser, XML_FALSE);
        }
    }
    static void Start(void *data, const XML_Char *name, const XML_Char **attributes)
    {
        Guard(data, [&](TXmlParser &p) { p.StartElement(LocalName(name), TXmlParser::Attributes(attributes)); });
    }
    static void End(void *data, const XML_Char *name)
    {
        Guard(data, [&](TXmlParser &p) { p.EndElement(LocalName(name)); });
    }
    static void Text(void *data, const XML_Char *text, int length)
    {
        Guard(data, [&](TXmlParser &p) { p.Characters(std::string_view(text, static_cast<std::size_t>(length))); });
    }
};

bool TXmlParser::ParsePart(const TZipPackage &package, const std::string &name)
{
    if (!package.Has(name))
        return false;
    ParserPtr parser(XML_ParserCreateNS(nullptr, NamespaceSeparator));
    if (!parser)
        return false;
    TXmlCallbacks callbacks{this, parser.get(), nullptr};
    XML_SetUserData(parser.get(), &callbacks);
    XML_SetElementHandler(parser.get(), &TXmlCallbacks::Start, &TXmlCallbacks::End);
    XML_SetCharacterDataHandler(parser.get(), &TXmlCallbacks::Text);

    const std::int64_t total = package.Size(name);
    std::int64_t done = 0;
    bool wellFormed = true;
    const bool read = package.Read(name, [&](std::span<const char> piece) {
        if (!wellFormed)
            return;
        wellFormed = XML_Parse(parser.get(), piece.data(), static_cast<int>(piece.size()), XML_FALSE) == XML_STATUS_OK;
        done += static_cast<std::int64_t>(piece.size());
        if (wellFormed && !callbacks.error)
            Parsed(done, total);
    });
    if (callbacks.error)
        std::rethrow_exception(callbacks.error);
    if (!read || !wellFormed)
        return false;
    if (XML_Parse(parser.get(), nullptr, 0, XML_TRUE) != XML_STATUS_OK) {
        if (callbacks.error)
            std::rethrow_exception(callbacks.error);
        return false;
    }
    return true;
}

} // namespace sources::excel
