#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

// What the HTML and XML sources share: the document read whole and made UTF-8, and the
// ASCII comparisons their tag scanners make.
namespace markup {

enum class TMarkupKind { mkHTML, mkXML };

// The rest of a stream, as bytes.
std::string ReadRest(std::istream &stream);

// A document as UTF-8. A byte-order mark decides first; then what the document declares
// (the XML declaration's encoding, for HTML also a <meta> charset). An XML document that
// declares nothing is UTF-8; an HTML page that declares nothing keeps its bytes. A
// declaration of a set iconv does not know keeps the bytes too.
std::string DecodeDocument(std::string bytes, TMarkupKind kind);

// The document a source reads: the stream when there is one, else the file (whose
// failure to open ends the run), decoded as above.
std::string ReadDocument(std::istream *stream, const std::string &fileName, TMarkupKind kind);

// The character set the head of a document declares; empty when none.
std::string DeclaredCharset(std::string_view text, TMarkupKind kind);

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
inline char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether text holds word at position at, ignoring ASCII case (word is compared as given
// upper-cased or not: both sides are upper-cased).
bool MatchesAt(std::string_view text, std::size_t at, std::string_view word);
// The first position from `from` where word occurs ignoring ASCII case; npos when none.
std::size_t FindNoCase(std::string_view text, std::string_view word, std::size_t from = 0);

} // namespace markup
