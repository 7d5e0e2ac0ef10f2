#pragma once

#include <string>
#include <string_view>

// Conversions of source text the engine and the markup readers share.

// Replaces the HTML entities a markup source may carry, each one repeatedly until it no
// longer occurs, in a fixed order ("&amp;lt;" ends as "<"). Output is UTF-8.
void DecodeHTMLEntities(std::string &text);

// Standard Base64 in whole groups of four; a trailing partial group is ignored.
std::string DecodeBase64(std::string_view text);

// Text from the MS-DOS code page 850 to UTF-8, one character for one.
std::string ConvertFromOEM(std::string_view text);

// Text from EBCDIC (code page 037, printable range) to ASCII; bytes below 0x20 stay as
// they are, anything else without an ASCII equivalent becomes "?".
std::string ConvertFromEBCDIC(std::string_view text);
