#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sources {

// The lines of address books (vCard 2.1, 3.0, 4.0) and calendars (vCalendar 1.0,
// iCalendar): "NAME;PARAM=VALUE:value", folded over several lines, the value possibly
// quoted-printable in a named character set. Both readers take their properties from here.

struct TContentParameter {
    std::string Name;  // upper-cased; the bare words of vCard 2.1 ("TEL;HOME;VOICE") are TYPE or ENCODING
    std::string Value; // with its double quotes removed
};

struct TContentLine {
    std::string NamePart; // everything before the value's colon, as written ("DTSTART;TZID=Europe/Berlin")
    std::string Group;    // "item1" of "item1.EMAIL"
    std::string Name;     // upper-cased, without the group: "EMAIL"
    std::vector<TContentParameter> Parameters;
    // Quoted-printable decoded and made UTF-8; the escapes of the format are left to the
    // reader, which knows the version and whether the value is structured.
    std::string Value;
    bool Binary = false; // BASE64 or "b" encoded (photos, keys): left as it was written

    // The first parameter of that name (ignoring case); empty when there is none.
    std::string Parameter(std::string_view name) const;
    bool HasParameter(std::string_view name) const;
    // Whether a TYPE names the word (ignoring case) in any of its spellings: TEL;HOME,
    // TYPE=home,voice, TYPE="work,cell", TYPE=WORK;TYPE=pref.
    bool HasType(std::string_view word) const;
    // Whether the value is the given word, such as VEVENT after BEGIN (ignoring case and
    // blanks around it).
    bool ValueIs(std::string_view word) const;
};

// The logical lines of a text. Lines end with LF, CR LF (CR CR LF too) or, in a text
// without any LF, with CR. A line beginning with a blank or a tab continues the one
// before it, less that character; a quoted-printable value ending in "=" continues on the
// next line whatever that begins with. A text in UTF-16 (by its byte-order mark or its
// zero bytes) is read as such, a UTF-8 byte-order mark is passed over. Lines without a
// colon after their first character are no properties and are left out.
std::vector<TContentLine> ReadContentLines(std::string_view text);

// A value's text with the escapes undone: with Full (vCard 3.0 and 4.0, iCalendar) \n and
// \N become a line feed and \, \; \: \\ the character itself; otherwise (vCard 2.1,
// vCalendar 1.0, which escape only the semicolon) just \;. Other backslashes stay.
std::string UnescapeText(std::string_view value, bool full);

// The components of a structured value (N, ADR, ORG) at its unescaped semicolons, each
// still escaped.
std::vector<std::string> SplitComponents(std::string_view value);

// A date or date-time as these formats write it: yyyymmdd or yyyy-mm-dd, optionally
// followed by T and hhnnss, hhnn or hh (colons allowed), a fraction of a second, and Z or
// an offset from UTC. The clock time is taken as written: neither Z nor an offset moves
// it, since a value without either has no zone to move it to either. False, leaving
// dateTime alone, for anything else (--0203, a year alone, text, 31 February).
bool ParseContentDateTime(std::string_view text, double &dateTime);

// Text in the named character set (or, without a name or for one iconv does not know,
// UTF-8 when it is valid UTF-8 and Windows-1252 otherwise) as UTF-8.
std::string ContentTextToUtf8(std::string_view bytes, const std::string &charset);

// The number of characters of a UTF-8 text.
std::size_t Utf8Length(std::string_view text);

// Property names are alike whatever their ASCII letters' case. For maps of names that
// find a name without an upper-cased copy of it.
struct TNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const;
};

struct TNameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

} // namespace sources
