#include "sources/excel/NumberFormats.h"

#include "values/StringList.h"

namespace sources::excel {

std::vector<std::string> BuiltInFormats()
{
    std::vector<std::string> f(50);
    const char *low[] = {"General",
                         "0",
                         "0.00",
                         "#,##0",
                         "#,##0.00",
                         "($#,##0_);($#,##0)",
                         "($#,##0_);[Red]($#,##0)",
                         "($#,##0.00_);($#,##0.00)",
                         "($#,##0.00_);[Red]($#,##0.00)",
                         "0%",
                         "0.00%",
                         "0.00E+00",
                         "# ?/?",
                         "# ?\?/?\?",
                         "m/d/yy",
                         "d-mmm-yy",
                         "d-mmm",
                         "mmm-yy",
                         "h:mm AM/PM",
                         "h:mm:ss AM/PM",
                         "h:mm",
                         "h:mm:ss",
                         "m/d/yy h:mm"};
    for (int i = 0; i <= 22; ++i)
        f[static_cast<std::size_t>(i)] = low[i];
    const char *high[] = {"(#,##0_);(#,##0)",
                          "(#,##0_);[Red](#,##0)",
                          "(#,##0.00_);(#,##0.00)",
                          "(#,##0.00_);[Red](#,##0.00)",
                          "_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)",
                          "_($* #,##0_);_($* (#,##0);_($* \"-\"_);_(@_)",
                          "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)",
                          "_($* #,##0.00_);_($* (#,##0.00);_($* \"-\"??_);_(@_)",
                          "mm:ss",
                          "[h]:mm:ss",
                          "mm:ss.0",
                          "##0.0E+0",
                          "@"};
    for (int i = 37; i <= 49; ++i)
        f[static_cast<std::size_t>(i)] = high[i - 37];
    return f;
}

bool IsBiffDateFormat(const std::string &format)
{
    const std::string lower = Text::Lower(format);
    return lower.find("dd") != std::string::npos || lower.find("mm") != std::string::npos ||
           lower.find("yy") != std::string::npos;
}

namespace {

bool isBuiltInDateId(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

} // namespace

bool IsOpenXmlDateFormat(int numFmtId, const std::string &formatCode)
{
    if (isBuiltInDateId(numFmtId))
        return true;
    bool quoted = false;
    bool bracket = false;
    for (std::size_t i = 0; i < formatCode.size(); ++i) {
        const char ch = formatCode[i];
        if (quoted) {
            quoted = ch != '"';
        } else if (bracket) {
            bracket = ch != ']';
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == '[') {
            bracket = true;
        } else if (ch == '\\' || ch == '_' || ch == '*') {
            ++i; // the next character is shown literally or only sets spacing
        } else if (ch == 'd' || ch == 'D' || ch == 'm' || ch == 'M' || ch == 'y' || ch == 'Y') {
            return true;
        }
    }
    return false;
}

} // namespace sources::excel
