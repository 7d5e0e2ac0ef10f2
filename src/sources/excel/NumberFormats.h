#pragma once

#include <string>
#include <vector>

namespace sources::excel {

// The number formats Excel knows without a FORMAT record, by format index; indexes 23 to
// 36 are left empty.
std::vector<std::string> BuiltInFormats();

// BIFF rule: a format is a date format when, lower-cased, it holds "dd", "mm" or "yy".
bool IsBiffDateFormat(const std::string &format);

// Open XML rule: the built-in date and time ids, or a format code with d, m or y outside
// quoted text, brackets ([Red], [$-409], [h]) and escaped characters.
bool IsOpenXmlDateFormat(int numFmtId, const std::string &formatCode);

} // namespace sources::excel
