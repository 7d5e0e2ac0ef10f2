#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Raised for every tokenize, compile and calculate failure of the expression language.
// The texts are fixed: callers (the import run, the expression builder) show them as they are.
class EVxIParserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace vxipars_text {

inline constexpr std::string_view IllegalCharacter = "Parse error: illegal character \"%s\" at position %d.";
inline constexpr std::string_view ParenthesisMismatch = "Compile error: parenthesis mismatch.";
inline constexpr std::string_view SyntaxFault = "Compile error: syntax fault.";
inline constexpr std::string_view FunctionParse = "Function parse error.";
inline constexpr std::string_view SyntaxTreeFault = "Calculate error: syntax tree fault.";
inline constexpr std::string_view FunctionNotValid = "Function \"%s\" is not valid.";
inline constexpr std::string_view FunctionHeaderNotValid = "Function header \"%s\" is not valid.";
inline constexpr std::string_view DelimiterExpected =
    "Function parse error: delimitor \",\" expected between arguments.";
// Limits that keep a hostile text from exhausting the stack; no real expression comes near them.
inline constexpr std::string_view NestedTooDeeply = "Compile error: expression nested too deeply.";
inline constexpr std::string_view CallsNestedTooDeeply = "Calculate error: function calls nested too deeply.";

// Errors of the value operations that the built-in functions perform.
inline constexpr std::string_view ListIndexOutOfBounds = "List index out of bounds (%d)";
inline constexpr std::string_view RangeCheck = "Range check error";
inline constexpr std::string_view InvalidFloatOperation = "Invalid floating point operation";
inline constexpr std::string_view DivisionByZero = "Division by zero";
inline constexpr std::string_view InvalidFloat = "'%s' is not a valid floating point value";
inline constexpr std::string_view InvalidInteger = "'%s' is not a valid integer value";
inline constexpr std::string_view InvalidDate = "'%s' is not a valid date";

} // namespace vxipars_text

// Fills "%s" and "%d" of a message text in order, the way the messages above are written.
std::string FormatParserText(std::string_view format, std::string_view text);
std::string FormatParserText(std::string_view format, std::string_view text, long long number);
std::string FormatParserText(std::string_view format, long long number);

[[noreturn]] void ThrowParserError(std::string_view text);
