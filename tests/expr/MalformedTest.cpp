#include "ExprTestSupport.h"

#include <random>

namespace {

using expr_test::ExpectCases;

class Malformed : public expr_test::RegionalFixture {};

std::string Repeat(const std::string &piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST_F(Malformed, GiveTheirCompileAndCalculateErrors)
{
    ExpectCases({
        {")(", "error: Compile error: parenthesis mismatch."},
        {"1 + 2)", "error: Compile error: parenthesis mismatch."},
        {"(1 + 2))", "error: Compile error: parenthesis mismatch."},
        {"(1 + 2", "error: Compile error: syntax fault."},
        {"F(1", "error: Compile error: syntax fault."},
        {"F(1, 2", "error: Compile error: syntax fault."},
        {"F(a(", "error: Compile error: syntax fault."},
        {"F(a)(b)", "error: Function parse error."},
        {"1 2", "error: Compile error: syntax fault."},
        {"(1) (2)", "error: Compile error: syntax fault."},
        {"GETDATE()", "error: Compile error: syntax fault."},
        {"UPPER()", "error: Compile error: syntax fault."},
        {"+", "error: Calculate error: syntax tree fault."},
        {"1 =- 2", "error: Calculate error: syntax tree fault."},
        {"1 *", "0"},
        {"(", "("},
        {",", ","},
        {"F(,)", "F"},
        {std::string("1 +\0 2", 6), "error: Parse error: illegal character \"#0\" at position 4."},
        {std::string("\"a\0b\"", 5), std::string("a\0b", 3)},
    });
}

TEST_F(Malformed, ErrorsInBranchesNotTakenStaySilent)
{
    ExpectCases({
        {"IIF(1 = 1, 5, 1.2.3)", "5"},
        {"IIF(1 = 2, 1 / 0, \"no\")", "no"},
        {"IIF(1 = 2, 1 / 0, 1 =- 2)", "error: Calculate error: syntax tree fault."},
    });
}

TEST_F(Malformed, DeepNestingIsRefusedNotFatal)
{
    const std::string tooDeep = "error: Compile error: expression nested too deeply.";
    ExpectCases({
        // Enclosing parentheses are stripped without nesting the tree.
        {Repeat("(", 100000) + "1" + Repeat(")", 100000), "1"},
        {Repeat("(", 100000) + "1" + Repeat(")", 99999), "error: Compile error: syntax fault."},
        {Repeat("1 + ", 900) + "1", "901"},
        {Repeat("1 + ", 20000) + "1", tooDeep},
        // Refused without reading the chain once per level of the tree: that took minutes.
        {Repeat("1 - ", 300000) + "1", tooDeep},
        {"(" + Repeat("2 * ", 300000) + "1) + 1", tooDeep},
        {Repeat("-(", 20000) + "1" + Repeat(")", 20000), tooDeep},
        {Repeat("ABS(", 20000) + "1" + Repeat(")", 20000), tooDeep},
        {Repeat("NOT(", 20000) + "1" + Repeat(")", 20000), tooDeep},
    });
}

// Random texts over the language's characters: every one either evaluates or raises one of
// the value or language errors, never anything worse.
TEST_F(Malformed, ArbitraryTextsNeverCrash)
{
    const std::string alphabet = "()+-*/^!=<>,.'\"[] 1A0xNOTAND";
    std::mt19937 random(12345);
    std::uniform_int_distribution<std::size_t> length(0, 24), pick(0, alphabet.size() - 1);
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        for (std::size_t i = length(random); i > 0; --i)
            text += alphabet[pick(random)];
        try {
            TVxIParser parser(text);
            parser.Evaluate();
        } catch (const EVxIParserError &) {
        } catch (const EVariantError &) {
        } catch (const std::exception &e) {
            ADD_FAILURE() << "unexpected error \"" << e.what() << "\" for " << text;
        }
    }
}

} // namespace
