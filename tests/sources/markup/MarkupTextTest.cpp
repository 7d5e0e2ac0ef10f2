// Documents made UTF-8 before they are scanned: byte-order marks, declared encodings, and
// what happens without either.

#include "sources/markup/MarkupText.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using markup::DecodeDocument;
using markup::TMarkupKind;

constexpr TMarkupKind HTML = TMarkupKind::mkHTML;
constexpr TMarkupKind XML = TMarkupKind::mkXML;

std::string utf16le(const std::string &latin1)
{
    std::string out;
    for (char c : latin1)
        out += std::string{c, '\0'};
    return out;
}

std::string utf16be(const std::string &latin1)
{
    std::string out;
    for (char c : latin1)
        out += std::string{'\0', c};
    return out;
}

TEST(MarkupText, DocumentsBecomeUtf8)
{
    struct Case {
        const char *what;
        TMarkupKind kind;
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"UTF-8 mark", XML, "\xEF\xBB\xBF<a>\xC3\xA9</a>", "<a>\xC3\xA9</a>"},
        {"UTF-16 LE mark", XML, "\xFF\xFE"s + utf16le("<a>\xE9</a>"), "<a>\xC3\xA9</a>"},
        {"UTF-16 BE mark", HTML, "\xFE\xFF"s + utf16be("<td>\xE9</td>"), "<td>\xC3\xA9</td>"},
        {"UTF-16 LE without a mark", XML, utf16le("<?xml?><a/>"), "<?xml?><a/>"},
        {"UTF-32 LE mark", XML, "\xFF\xFE\0\0<\0\0\0"s, "<"},
        {"a cut UTF-16 unit", XML, "\xFF\xFE<\0a"s, "<\xEF\xBF\xBD"},
        {"declared Latin-1 XML", XML, "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9</a>",
         "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xC3\xA9</a>"},
        {"declared UTF-8 stays", XML, "<?xml encoding=\"UTF-8\"?><a>\xC3\xA9</a>",
         "<?xml encoding=\"UTF-8\"?><a>\xC3\xA9</a>"},
        {"undeclared XML is UTF-8", XML, "<a>\xC3\xA9</a>", "<a>\xC3\xA9</a>"},
        {"undeclared HTML keeps its bytes", HTML, "<td>\xE9</td>", "<td>\xE9</td>"},
        {"meta charset", HTML, "<meta charset=\"windows-1251\"><td>\xE4</td>",
         "<meta charset=\"windows-1251\"><td>\xD0\xB4</td>"},
        {"meta http-equiv, unquoted", HTML,
         "<META http-equiv=Content-Type content=\"text/html; charset=windows-1252\"><td>\x80</td>",
         "<META http-equiv=Content-Type content=\"text/html; charset=windows-1252\"><td>\xE2\x82\xAC</td>"},
        {"a Latin-1 page is read as Windows-1252", HTML, "<meta charset=iso-8859-1>\x93q\x94",
         "<meta charset=iso-8859-1>\xE2\x80\x9Cq\xE2\x80\x9D"},
        {"a meta of XML means nothing", XML, "<meta charset=\"windows-1252\"/><a>\xC3\xA9</a>",
         "<meta charset=\"windows-1252\"/><a>\xC3\xA9</a>"},
        {"an unknown set keeps the bytes", XML, "<?xml encoding=\"x-nonsense\"?>\xE9",
         "<?xml encoding=\"x-nonsense\"?>\xE9"},
        {"a wide set declared in ASCII is not believed", XML, "<?xml encoding=\"UTF-16\"?><a/>",
         "<?xml encoding=\"UTF-16\"?><a/>"},
        {"a byte the set leaves undefined", HTML, "<meta charset=windows-1252>\x81",
         "<meta charset=windows-1252>\xEF\xBF\xBD"},
        {"empty", XML, "", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeDocument(c.bytes, c.kind), c.text) << c.what;
}

} // namespace
