#include "expr/VxIParsCatalogue.h"

namespace {

TVxIExprCatalogue MakeCatalogue()
{
    TVxIExprCatalogue c;
    c.KindNames = {"Data sources", "Constants", "Operators", "Functions", "Variables list"};
    c.Groups = {
        {10000, "<All>"},
        {20000, "Arithmetic"},
        {20001, "Comparison"},
        {20002, "Logic"},
        {30000, "Conversion"},
        {30001, "Date/time"},
        {30002, "Math"},
        {30003, "Program Flow"},
        {30004, "Aggregate"},
        {30005, "String"},
        {30006, "Data sources"},
        {40000, "System variables"},
        {40001, "Custom variables"},
    };
    c.Entries = {
        {10000, "", "", ""},
        {10000, "False", "", "Logical False"},
        {10000, "NULL", "", "indicates a variant initialized with no value assigned."},
        {10000, "True", "", "Logical True"},

        {20000, "-", "<%n1>-<%n2>", ""},
        {20000, "*", "<%n1>*<%n2>", ""},
        {20000, "/", "<%n1>/<%n2>", ""},
        {20000, "+", "value1 + value2", "Add/concatenation for two values"},
        {20001, "<", "value1 < value2", ""},
        {20001, "<=", "value1 <= value2", ""},
        {20001, "<>", "value1 <> value2", ""},
        {20001, "=", "value1 = value2", ""},
        {20001, ">", "value1 > value2", ""},
        {20001, ">=", "value1 >= value2", ""},
        {20002, "AND", "", ""},
        {20002, "NOT", "", ""},
        {20002, "OR", "", ""},

        {30000, "CHR(%n)", "CHR(<character code>)", "returns the character for a specified ASCII value"},
        {30000, "DATETOSTR(%d)", "DateToStr(%d)", "converts a date/time parameter to a formatted string"},
        {30000, "FLOATTOSTR(%n)", "FloatToStr(%n)", "converts the floating-point value to its string representation"},
        {30000, "INTTOSTR(%n)", "IntToStr(%n)",
         "converts an integer into a string containing the decimal representation of that number"},
        {30000, "ORD(%s)", "ORD(<character>)", "returns the code of specified character"},
        {30000, "STRTODATE(%s)", "StrToDate(%s)", "converts a string to a date format"},
        {30000, "STRTOFLOAT(%s)", "StrToFloat(%s)", "converts given string to a floating-point value"},
        {30000, "STRTOINT(%s)", "StrToInt(%s)",
         "converts a string representing an integer (decimal or hex notation) to a number"},

        {30001, "DATEPART(%d)", "DatePart(%d)", "returns the date part (without time) from date/time parameter"},
        {30001, "DATETIMEFROMSTRING(%s, %s, %s, %s)", "", ""},
        {30001, "DAY(%d)", "Day(%d)", "returns the day number for date parameter"},
        {30001, "GETDATE", "GetDate", "returns the current date and time"},
        {30001, "HOUR(%d)", "Hour(%d)", "returns the hour number for time parameter"},
        {30001, "MINUTE(%d)", "Minute(%d)", "returns the minute number for time parameter"},
        {30001, "MONTH(%d)", "Month(%d)", "returns the month number for date parameter"},
        {30001, "SECOND(%d)", "Second(%d)", "returns the seconds number for time parameter"},
        {30001, "TIMEPART(%d)", "TimePart(%d)", "returns the time part (without date) from date/time parameter"},
        {30001, "YEAR(%d)", "Year(%d)", "returns the year number for date parameter"},

        {30002, "ABS(%n)", "Abs(%n)", "returns the absolute value of the argument"},
        {30002, "EXP(%n)", "Exp(%n)",
         "returns the value of e raised to the power of X, where e is the base of the natural logarithms"},
        {30002, "FRAC(%n)", "Frac(%n)", "returns the fractional part of a real number"},
        {30002, "INT(%n)", "Int(%n)", "returns the integer part of a real number"},
        {30002, "LN(%n)", "Ln(%n)", "returns the natural log of a real expression"},
        {30002, "LOG(%n)", "Log(%n)", "calculates log base 10"},
        {30002, "MOD", "", ""},
        {30002, "POWER(%n, %n)", "Power(<Base>, <Exponent>)", "raises Base to any power"},
        {30002, "RANDOM(%n)", "Random([Range])", "generates random numbers within a specified range (0 <= X < Range)"},
        {30002, "ROUND(%n)", "Round(%n)", "returns the value of parameter rounded to the nearest whole number"},
        {30002, "SQR(%n)", "SQR(%n)", "returns the square of the argument"},
        {30002, "SQRT(%n)", "Sqrt(%n)", "returns the square root of argument"},
        {30002, "PERCENT(%n, %n)", "PERCENT(%n, %n)", "returns the calculated percent from value (45%)"},

        {30003, "IIF(%b, %a, %a)", "IIF(%b, %a, %a)",
         "if first argument is true, then second argument returned. Else third argument returns"},
        {30003, "ISNULL(%a)", "IsNull(%a)", "returns True is the specified variant is Null or is not assigned"},

        {30004, "AVG(%n, ..., %n)", "AVG(%n, ..., %n)", "returns the average value for all arguments"},
        {30004, "COUNT(%n, ..., %n)", "COUNT(%n, ..., %n)", "returns the argument count"},
        {30004, "MAX(%n, ..., %n)", "MAX(%n, ..., %n)", "returns the max of the elements from arguments"},
        {30004, "MIN(%n, ..., %n)", "MIN(%n, ..., %n)", "returns the min of the elements from arguments"},
        {30004, "SUM(%n, ..., %n)", "SUM(%n, ..., %n)", "returns the sum of the elements from arguments"},

        {30005, "LENGTH(%s)", "Length(%s)", "returns the number of characters used in a string"},
        {30005, "LOWER(%s)", "Lower(%s)", "converts an ASCII string to lowercase"},
        {30005, "POS(%s, %s)", "Pos(%s, %s)",
         "returns the index value of the first character in a specified substring that occurs in a given string"},
        {30005, "REPLACESTR(%s, %s, %s, %b, %b)", "ReplaceStr(%s, <old>, <new>, <ignore case>, <replace all>)",
         "returns a string with occurrences of one substring replaced by another substring"},
        {30005, "SUBSTRING(%s, %n, %n)", "SubString(%s, %n, %n)", "returns a substring of a string"},
        {30005, "PADL(%s, %n, %s)", "PadL(%s, %n, %s)",
         "returns a string, padded with spaces or characters to a specified length on the left side"},
        {30005, "PADR(%s, %n, %s)", "PadR(%s, %n, %s)",
         "returns a string, padded with spaces or characters to a specified length on the right side"},
        {30005, "TRIM(%s)", "Trim(%s)", "trims a string of leading and trailing spaces and control characters"},
        {30005, "TRIMLEFT(%s)", "TrimLeft(%s)", "trims string of leading spaces and control characters"},
        {30005, "TRIMRIGHT(%s)", "TrimRight(%s)", "trims string of trailing spaces and control characters"},
        {30005, "UPPER(%s)", "Upper(%s)", "returns a string in uppercase"},

        {30006, "LOOKUP(%s, %s, %s, %s)", "LOOKUP(<table>, <lookup field>, <value>, <return field>)",
         "returns the lookup value from another dataset (convert IL to Illinois, for example)"},
        {30006, "SUBSTITUTE(%s, %s, %s)", "SUBSTITUTE(<value>, <source values>, <result values>)",
         "returns the substituted value (SUBSTITUTE(\"M\", \"M;F\", \"Male;Female\"), for example)"},

        {40000, "StatTotalCount", "StatTotalCount", "returns the total number of lines/rows which must be imported"},
        {40000, "StatTotalImported", "StatTotalImported",
         "returns the total number of lines/rows which already processed"},
        {40000, "StatTotalAdded", "StatTotalAdded", "returns the total number of new added records"},
        {40000, "StatTotalDeleted", "StatTotalDeleted", "returns the total number of deleted records"},
        {40000, "StatTotalUpdated", "StatTotalUpdated", "returns the total number of existing updated records"},
        {40000, "StatErrorCount", "StatErrorCount", "returns the total number of errors occured during loading"},
        {40000, "StatTotalSkipped", "StatTotalSkipped",
         "returns the total number of records skipped during import process"},
    };
    return c;
}

const std::string &EmptyText()
{
    static const std::string empty;
    return empty;
}

} // namespace

const std::string &TVxIExprCatalogue::KindName(int kind) const
{
    if (kind < 0 || static_cast<std::size_t>(kind) >= KindNames.size())
        return EmptyText();
    return KindNames[static_cast<std::size_t>(kind)];
}

const std::string &TVxIExprCatalogue::GroupName(int code) const
{
    for (const TVxICatalogueGroup &group : Groups)
        if (group.Code == code)
            return group.Name;
    return EmptyText();
}

std::string TVxIExprCatalogue::ExpandPlaceholders(std::string_view text) const
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const char kind = i + 1 < text.size() ? text[i + 1] : '\0';
        const std::string *word = kind == 'n'   ? &NumberWord
                                  : kind == 'b' ? &BooleanWord
                                  : kind == 'd' ? &DateTimeWord
                                  : kind == 's' ? &StringWord
                                                : nullptr;
        if (word == nullptr) {
            out.append(text.substr(i));
            break;
        }
        out += *word;
        ++i;
    }
    return out;
}

TVxIExprCatalogue &ExprCatalogue()
{
    static TVxIExprCatalogue catalogue = MakeCatalogue();
    return catalogue;
}
