#include "ExprTestSupport.h"

namespace {

using expr_test::ColumnHandler;
using expr_test::ExpectCases;
using expr_test::SampleColumns;

class Builtins : public expr_test::RegionalFixture {};

TEST_F(Builtins, Conversion)
{
    ExpectCases({
        {"CHR(65)", "A"},
        {"CHR(321)", "A"}, // low eight bits
        {"ORD(\"A\")", "65"},
        {"ORD(\"\")", "error: Range check error"},
        {"INTTOSTR(42)", "42"},
        {"INTTOSTR(2.5)", "2"},
        {"FLOATTOSTR(1.5)", "1.5"},
        {"STRTOFLOAT(\"2.5\") + 1", "3.5"},
        {"STRTOFLOAT(\"x\")", "error: 'x' is not a valid floating point value"},
        {"STRTOINT(\"-12\")", "-12"},
        {"STRTOINT(\"$1F\")", "31"},
        {"STRTOINT(\"0x10\")", "16"},
        {"STRTOINT(\"X10\")", "16"},
        {"STRTOINT(\"$FFFFFFFF\")", "-1"},
        {"STRTOINT(\"2147483647\")", "2147483647"},
        {"STRTOINT(\"2147483648\")", "error: '2147483648' is not a valid integer value"},
        {"STRTOINT(\"12a\")", "error: '12a' is not a valid integer value"},
        {"STRTOINT(\"\")", "error: '' is not a valid integer value"},
        {"STRTODATE(\"12/31/2003\")", "12/31/2003"},
        {"STRTODATE(\"31/12/2003\")", "error: '31/12/2003' is not a valid date"},
        {"DATETOSTR(37986.75)", "12/31/2003"},
    });
}

TEST_F(Builtins, DateAndTime)
{
    ExpectCases({
        {"YEAR(STRTODATE(\"12/31/2003\"))", "2003"},
        {"MONTH(STRTODATE(\"12/31/2003\"))", "12"},
        {"DAY(STRTODATE(\"12/31/2003\"))", "31"},
        {"HOUR(STRTODATE(\"12/31/2003 10:20:30\"))", "10"},
        {"MINUTE(STRTODATE(\"12/31/2003 10:20:30\"))", "20"},
        {"SECOND(STRTODATE(\"12/31/2003 10:20:30\"))", "30"},
        {"DATEPART(37986.75)", "37986"},
        {"TIMEPART(37986.75)", "0.75"},
        {"HOUR(0.75)", "18"},
        {"YEAR(GETDATE) > 2000", "True"},
        {"DATETIMEFROMSTRING(\"31/12/2003\", \"DD/MM/YYYY\", \"/\", \":\")", "12/31/2003"},
        {"DATETIMEFROMSTRING(\"31-12-2003 10:20\", \"DD-MM-YYYY HH:NN\", \"-\", \":\")", "12/31/2003 10:20:00"},
        {"DATETIMEFROMSTRING(\"31.12.2003\", \"DD.MM.YYYY\", \".x\", 0)", "12/31/2003"},
        {"DATETIMEFROMSTRING(\"31/12/2003\", \"DD/MM/YYYY\", \"/\")", "error: List index out of bounds (3)"},
    });
}

TEST_F(Builtins, Math)
{
    ExpectCases(
        {
            {"ABS(0 - 2.5)", "2.5"},
            {"EXP(0)", "1"},
            {"FRAC(2.75)", "0.75"},
            {"FRAC(0 - 2.75)", "-0.75"},
            {"INT(0 - 2.75)", "-2"},
            {"LN(1)", "0"},
            {"LN(0 - 1)", "error: Invalid floating point operation"},
            {"LOG(1000)", "3"},
            {"MOD(7, 3)", "1"},
            {"MOD(7, 0)", "error: Division by zero"},
            {"DIV(7, 2)", "3"},
            {"POWER(2, 10)", "1024"},
            {"POWER(\"$2\", 3)", "8"},
            {"RANDOM(1)", "0"},
            {"RANDOM(0)", "0"},
            {"(RANDOM(10) >= 0) AND (RANDOM(10) < 10)", "True"},
            {"ROUND(2.5)", "2"},
            {"ROUND(3.5)", "4"},
            {"ROUND(0 - 2.5)", "-2"},
            {"ROUND(2.6)", "3"},
            {"SQR(3)", "9"},
            {"SQRT(16)", "4"},
            {"SQRT(0 - 1)", "error: Invalid floating point operation"},
            {"PERCENT(200, 45)", "90"},
            {"PERCENT(Field4, 45)", "<Null>"},
        },
        ColumnHandler(SampleColumns()));
}

TEST_F(Builtins, ProgramFlow)
{
    ExpectCases(
        {
            {"IIF(1 = 1, \"yes\", \"no\")", "yes"},
            {"IIF(1 = 2, \"yes\", \"no\")", "no"},
            {"IIF(\"True\", 1, 2)", "1"},
            {"IIF(Field4, 1, 2)", "2"},
            {"IIF(1 = 1, 1)", "1"},
            {"IIF(1 = 2, 1)", "error: List index out of bounds (2)"},
            {"ISNULL(Field4)", "True"},
            {"ISNULL(Field3)", "False"},
            {"ISNULL(Unknown)", "False"},
        },
        ColumnHandler(SampleColumns()));
}

TEST_F(Builtins, Aggregates)
{
    ExpectCases(
        {
            {"AVG(2, 4)", "3"},
            {"AVG(1, 2)", "1.5"},
            {"COUNT(5)", "0"},
            {"COUNT(1, 2, 3)", "2"},
            {"COUNT(1 / 0, 2)", "1"}, // its arguments are not evaluated
            {"MAX(-5, -2)", "0"},
            {"MAX(1, 7, 3)", "7"},
            {"MIN(-5, -2)", "-5"},
            {"MIN(3, 1, 2)", "1"},
            {"SUM(1, \"2\", 3)", "6"},
            {"SUM(1, Field4)", "<Null>"},
            {"SUM(1, \"x\")", "error: Could not convert variant of type (String) into type (Double)"},
        },
        ColumnHandler(SampleColumns()));
}

TEST_F(Builtins, Strings)
{
    ExpectCases(
        {
            {"LENGTH(\"abc\")", "3"},
            {"LENGTH(Field4)", "0"},
            {"LOWER(\"AbC\")", "abc"},
            {"UPPER(\"abc\")", "ABC"},
            {"upper(\"abc\")", "ABC"},
            {"POS(\"b\", \"abc\")", "2"},
            {"POS(\"z\", \"abc\")", "0"},
            {"POS(\"\", \"abc\")", "0"},
            {"REPLACESTR(\"Hello hello\", \"HELLO\", \"bye\", True, False)", "bye hello"},
            {"REPLACESTR(\"Hello hello\", \"HELLO\", \"bye\", False, False)", "Hello hello"},
            {"REPLACESTR(\"Hello hello\", \"hello\", \"bye\", True, True)", "Hello bye"},
            {"REPLACESTR(\"aaa\", \"a\", \"b\", False, True)", "bbb"},
            {"REPLACESTR(\"a\", \"a\", \"b\")", "error: List index out of bounds (3)"},
            {"SUBSTRING(\"abcdef\", 2, 3)", "bcd"},
            {"SUBSTR(\"abcdef\", 2, 3)", "bcd"},
            {"COPY(\"abcdef\", 2, 3)", "bcd"},
            {"SUBSTRING(\"abc\", 0, 2)", "ab"},
            {"SUBSTRING(\"abc\", 3, 10)", "c"},
            {"SUBSTRING(\"abc\", 5, 1)", ""},
            {"SUBSTRING(\"abc\", 2, 0 - 1)", ""},
            {"SUBSTRING(Field3, 2)", "error: List index out of bounds (2)"},
            {"PADL(7, 3, 0)", "007"},
            {"PADL(12345, 3, 0)", "123"},
            {"PADR(\"ab\", 4, \"*-\")", "ab**"},
            {"PADL(\"ab\", 4)", "  ab"},
            {"PADR(7, 0, 0)", ""},
            {"TRIM(\"  a b  \")", "a b"},
            {"TRIMLEFT(\" a \")", "a "},
            {"TRIMRIGHT(\" a \")", " a"},
            {"TRIM(CHR(9) + \"a\" + CHR(10))", "a"},
        },
        ColumnHandler(SampleColumns()));
}

TEST_F(Builtins, EngineNamesAreLeftToTheHandler)
{
    // Without the engine, LOOKUP and SUBSTITUTE are unresolved names like any other.
    ExpectCases(
        {
            {"SUBSTITUTE(Field5, \"M;F\", \"Male;Female\")", "SUBSTITUTE"},
            {"StatTotalImported", "StatTotalImported"},
        },
        ColumnHandler(SampleColumns()));
}

} // namespace
