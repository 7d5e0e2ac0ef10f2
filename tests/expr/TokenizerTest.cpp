#include "ExprTestSupport.h"
#include "expr/VxIParsLexer.h"

#include <utility>

namespace {

using Tokens = std::vector<std::pair<std::string, int>>;

Tokens Tokenize(const std::string &text)
{
    Tokens out;
    for (const TExpToken &t : TExpParser::Tokenize(text))
        out.emplace_back(t.Text, t.Kind);
    return out;
}

class Tokenizer : public expr_test::RegionalFixture {};

TEST_F(Tokenizer, SplitsOnlyWhereTheCharacterClassChanges)
{
    const struct {
        std::string text;
        Tokens tokens;
    } cases[] = {
        {"Field 1", {{"Field1", 1}}},
        {"Field12", {{"Field12", 1}}},
        {"1A", {{"1", 2}, {"A", 1}}},
        {"1 2", {{"1", 2}, {"2", 2}}},
        {"qryOrders.AMOUNT", {{"qryOrders.AMOUNT", 1}}},
        {"12.5*2", {{"12.5", 2}, {"*", 5}, {"2", 2}}},
        {"1,5", {{"1", 2}, {",", 6}, {"5", 2}}},
        {"a<=b", {{"a", 1}, {"<=", 5}, {"b", 1}}},
        {"a <> b", {{"a", 1}, {"<>", 5}, {"b", 1}}},
        {"a=-b", {{"a", 1}, {"=-", 5}, {"b", 1}}},
        {"3! = 6", {{"3", 2}, {"!", 5}, {"=", 5}, {"6", 2}}},
        {"F(a,,b)", {{"F", 1}, {"(", 4}, {"a", 1}, {",", 6}, {",", 6}, {"b", 1}, {")", 4}}},
        {"  x  ", {{"x", 1}}},
        {"", {}},
        {" \t ", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Tokenize(c.text), c.tokens) << "text: " << c.text;
}

TEST_F(Tokenizer, WordOperatorsNeedANeighbourOfAnotherClass)
{
    const struct {
        std::string text;
        Tokens tokens;
    } cases[] = {
        {"(A = 1) AND (B = 2)",
         {{"(", 4},
          {"A", 1},
          {"=", 5},
          {"1", 2},
          {")", 4},
          {"AND", 5},
          {"(", 4},
          {"B", 1},
          {"=", 5},
          {"2", 2},
          {")", 4}}},
        {"A = 1 AND B = 2", {{"A", 1}, {"=", 5}, {"1", 2}, {"ANDB", 1}, {"=", 5}, {"2", 2}}},
        {"(A) and (B)", {{"(", 4}, {"A", 1}, {")", 4}, {"and", 1}, {"(", 4}, {"B", 1}, {")", 4}}},
        {"NOT(A)", {{"NOT", 5}, {"(", 4}, {"A", 1}, {")", 4}}},
        {"(A) AND NOT (B)", {{"(", 4}, {"A", 1}, {")", 4}, {"ANDNOT", 1}, {"(", 4}, {"B", 1}, {")", 4}}},
        // At the very end of the text a word keeps the identifier kind.
        {"(A)AND", {{"(", 4}, {"A", 1}, {")", 4}, {"AND", 1}}},
        // Quoted words are never operators.
        {"(A)\"AND\"(B)", {{"(", 4}, {"A", 1}, {")", 4}, {"AND", 1}, {"(", 4}, {"B", 1}, {")", 4}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Tokenize(c.text), c.tokens) << "text: " << c.text;
}

TEST_F(Tokenizer, QuotesAndBracketsEnclosePlainText)
{
    const struct {
        std::string text;
        Tokens tokens;
    } cases[] = {
        {"[First Name]", {{"First Name", 1}}},
        {"\"a + b\"", {{"a + b", 1}}},
        {"'O''Brien'", {{"O'Brien'", 1}}},
        {"[a]]b]", {{"a]b]", 1}}}, // the doubled bracket also ends the quoted part
        {"''", {{"", 1}}},
        {"'1' + 2", {{"1", 1}, {"+", 5}, {"2", 2}}},
        {"[a(b,c)]", {{"a(b,c)", 1}}},
        {"'unterminated", {{"unterminated", 1}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Tokenize(c.text), c.tokens) << "text: " << c.text;
}

TEST_F(Tokenizer, RegionalDecimalSeparatorReadsAsPartOfANumber)
{
    TFormatSettings fs;
    fs.DecimalSeparator = ';';
    RegionalSettings::override(fs);
    EXPECT_EQ(Tokenize("1;5+x;2"), (Tokens{{"1;5", 2}, {"+", 5}, {"x;2", 1}}));
}

TEST_F(Tokenizer, NulIsIllegalWherever)
{
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {std::string("1 +\0 2", 6), "Parse error: illegal character \"#0\" at position 4."},
        {std::string("  \0x", 4), "Parse error: illegal character \"#0\" at position 1."},
        {std::string("x\0", 2), "Parse error: illegal character \"#0\" at position 2."},
    };
    for (const auto &c : cases) {
        try {
            TExpParser::Tokenize(c.text);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const EVxIParserError &e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

} // namespace
