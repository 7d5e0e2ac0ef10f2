#include "ExprTestSupport.h"

namespace {

using expr_test::Case;
using expr_test::ColumnHandler;
using expr_test::ExpectCases;
using expr_test::SampleColumns;

class Evaluate : public expr_test::RegionalFixture {};

TEST_F(Evaluate, LowestRankBindsLoosestAndEqualRanksGroupToTheRight)
{
    ExpectCases({
        {"10 - 2 - 3", "11"},
        {"12 / 3 / 2", "8"},
        {"8 / 4 / 2", "4"},
        {"2 * 3 + 4", "10"},
        {"2 + 3 * 4", "14"},
        {"2 ^ 3 ^ 2", "512"},
        {"(10 - 2) - 3", "5"},
        {"1 + 1 = 2", "1"}, // 1 + (1 = 2): False adds as 0
        {"(1 + 1) = 2", "True"},
        {"A + 1 = 2", "AFalse"},
        {"2 * -3", "-3"}, // (2 * nothing) - 3
        {"2 * (0 - 3)", "-6"},
        {"-5", "-5"},
        {"5 -", "5"},
        {"+5", "<Null>"}, // Null + 5
        {"(5)", "5"},
        {"((5))", "5"},
        {"()", "<Null>"},
        {"", "<Null>"},
        {"   ", "<Null>"},
    });
}

TEST_F(Evaluate, ComparisonsAndLogic)
{
    ExpectCases({
        {"1 < 2", "True"},
        {"2 <= 2", "True"},
        {"3 > 2", "True"},
        {"3 >= 4", "False"},
        {"1 <> 2", "True"},
        {"1 != 1", "False"},
        {"1 = 1.0", "True"},
        {"\"abc\" < \"abd\"", "True"},
        {"(1 = 1) AND (2 = 2)", "True"},
        {"(1 = 1) AND (1 = 2)", "False"},
        {"(1 = 2) OR (2 = 2)", "True"},
        {"A = 1 AND B = 2", "error: Compile error: syntax fault."},
        {"\"x\" = 1", "error: Could not convert variant of type (String) into type (Double)"},
    });
}

TEST_F(Evaluate, NotPrefixesItsRightOperandAndBindsTightest)
{
    ExpectCases(
        {
            {"NOT(1 = 2)", "True"},
            {"NOT (1 = 1)", "False"},
            {"NOT(1 = 1) OR (1 = 1)", "True"}, // (NOT ...) OR ...
            {"NOT((1 = 1) OR (1 = 1))", "False"},
            {"(1 = 1) AND(NOT(1 = 2))", "True"},
            {"(1 = 1)=NOT(1 = 2)", "True"},
            {"NOT(Null)", "<Null>"},
            // Written between blanks, AND NOT is the one identifier ANDNOT.
            {"(1 = 1) AND NOT (1 = 2)", "error: Compile error: syntax fault."},
            {"(1) NOT (2)", "error: Compile error: syntax fault."},
            {"NOT", "NOT"}, // alone, at the end of the text, it is just a name
        },
        [](TVxIParser *, const std::string &, std::vector<Variant> &, int, bool, Variant &value, bool &done) {
            if (value.AsString() == "Null") {
                value = Variant::Null();
                done = true;
            }
        });
}

TEST_F(Evaluate, FactorialIsAPostfixOperator)
{
    ExpectCases({
        {"3!", "6"},
        {"5! / 10", "12"},
        {"3! = 6", "True"},
        {"2 + 3! * 2", "14"},
        {"(1 + 2)!", "6"},
        {"0!", "0"}, // values below 2 stay as they are
        {"(0 - 3)!", "-3"},
        {"2.5!", "2"}, // rounded half to even first
        {"3.5!", "24"},
        {"200!", "INF"},
        {"\"4\"!", "24"},
        {"3 = 3!", "-1"}, // (3 = 3)!, the comparison binding tighter: True is -1
        {"!3", "error: Compile error: syntax fault."},
        {"(3)! (2)", "error: Compile error: syntax fault."},
        {"3!!", "error: Calculate error: syntax tree fault."},
    });
}

TEST_F(Evaluate, PlusConcatenatesWhenExactlyOneSideIsText)
{
    ExpectCases(
        {
            {"\"A\" + 1", "A1"},
            {"1 + \"A\"", "1A"},
            {"\"A\" + \"B\"", "AB"},
            {"\"1\" + \"2\"", "12"},
            {"1 + 2", "3"},
            {"Field1 + 0", "1,50"},
            {"Field1 + Field5", "1,5M"},
            {"Field4 + 1", "<Null>"},
            {"Field4 + \"x\"", "x"},
            {"STRTOFLOAT(Field6) + 1", "5"},
            {"0.1 + 0.2", "0.3"},
        },
        ColumnHandler(SampleColumns()));
}

TEST_F(Evaluate, ArithmeticReadsTextsWithoutSeparatorsAndCurrency)
{
    ExpectCases(
        {
            {"Field1 * 1", "15"}, // the comma goes even as a decimal separator
            {"Field2 * 2", "24"},
            {"Field2 - 2", "10"},
            {"Field3 * 2", "0"}, // no number at all
            {"Field4 * 2", "0"}, // Null counts as 0
            {"\"1,234.5\" / 2", "617.25"},
            {"\" 7 \" - 1", "6"},
            {"Field6 ^ 0.5", "2"},
            {"7 / 0", "error: Division by zero"},
            {"7 / Field3", "error: Division by zero"},
            {"1.2.3", "error: '1.2.3' is not a valid floating point value"},
            {".", "error: '.' is not a valid floating point value"},
            {".5 + 1.", "1.5"},
        },
        ColumnHandler(SampleColumns()));
}

TEST_F(Evaluate, PowerFollowsItsOwnRules)
{
    ExpectCases({
        {"2 ^ 10", "1024"},
        {"2 ^ (0 - 2)", "0.25"},
        {"4 ^ 0.5", "2"},
        {"0 ^ 3", "0"},
        {"0 ^ 0", "1"},
        {"(0 - 2) ^ 3", "-8"},
        {"(0 - 8) ^ 0.5", "error: Invalid floating point operation"},
        {"0 ^ (0 - 1)", "error: Division by zero"},
        {"2 ^ 4294967296", "INF"},
        {"\"$3\" ^ 2", "9"},
    });
}

TEST_F(Evaluate, CommaDecimalSeparator)
{
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    fs.CurrencyString = "€";
    RegionalSettings::override(fs);
    ExpectCases(
        {
            {"Field1 * 1", "15"},
            {"\"1.234,50\" * 1", "123450"},
            {"\"€12\" * 2", "24"},
            {"\"$12\" * 2", "24"},
            {"0.5 * 3", "1,5"}, // a number is no text: nothing is stripped from it
            {"Field1 + 0", "1,50"},
            {"1,5", "error: Compile error: syntax fault."},
        },
        ColumnHandler(SampleColumns()));
}

TEST_F(Evaluate, NamesAndQuotedTexts)
{
    ExpectCases(
        {
            {"[Order Date]", "2003-12-31"},
            {"Order Date", "written together"},
            {"'O''Brien'", "O'Brien'"},
            {"\"two words\"", "two words"},
            {"Unknown", "Unknown"},
            {"UPPER(x)", "X"},
            {"Field 1 * 1", "15"},
        },
        ColumnHandler(SampleColumns()));
}

TEST_F(Evaluate, ResultKinds)
{
    TVxIParser parser("2 * 3");
    EXPECT_EQ(parser.Evaluate().VarType(), TVarType::varDouble);
    parser.SetText("\"A\" + 1");
    EXPECT_TRUE(parser.Evaluate().IsString());
    parser.SetText("1 < 2");
    EXPECT_TRUE(parser.Evaluate().IsBoolean());
}

} // namespace
