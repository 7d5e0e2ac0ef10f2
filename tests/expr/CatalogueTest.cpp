#include "ExprTestSupport.h"
#include "expr/VxIParsBuiltins.h"
#include "expr/VxIParsCatalogue.h"

#include <set>

namespace {

TEST(Catalogue, GroupsByKind)
{
    const TVxIExprCatalogue &c = ExprCatalogue();
    const std::vector<std::pair<int, std::string>> expected = {
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
    std::vector<std::pair<int, std::string>> actual;
    for (const TVxICatalogueGroup &g : c.Groups)
        actual.emplace_back(g.Code, g.Name);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(c.KindNames,
              (std::vector<std::string>{"Data sources", "Constants", "Operators", "Functions", "Variables list"}));
    EXPECT_EQ(c.KindName(ckFunctions), "Functions");
    EXPECT_EQ(c.KindName(9), "");
    EXPECT_EQ(c.GroupName(30003), "Program Flow");
    EXPECT_EQ(c.GroupName(30007), "");
}

TEST(Catalogue, EveryEntryBelongsToAGroup)
{
    const TVxIExprCatalogue &c = ExprCatalogue();
    std::set<int> codes;
    for (const TVxICatalogueGroup &g : c.Groups)
        codes.insert(g.Code);
    for (const TVxICatalogueEntry &e : c.Entries)
        EXPECT_TRUE(codes.count(e.Code)) << e.Text;
}

// Every function the catalogue offers must be one the parser evaluates, except the names
// that the engine's handler resolves and GETDATE, which is written without parentheses.
TEST(Catalogue, FunctionsExist)
{
    const std::set<std::string> engineNames = {"LOOKUP", "SUBSTITUTE", "GETDATE"};
    int functions = 0;
    for (const TVxICatalogueEntry &e : ExprCatalogue().Entries) {
        if (e.Code / 10000 != ckFunctions)
            continue;
        const std::string name = e.Text.substr(0, e.Text.find('('));
        ++functions;
        if (engineNames.count(name) == 0) {
            EXPECT_NE(FindBuiltin(name), nullptr) << name;
        }
    }
    EXPECT_EQ(functions, 51);
    // Evaluated, though the catalogue does not offer them.
    for (const char *name : {"DIV", "SUBSTR", "COPY"})
        EXPECT_NE(FindBuiltin(name), nullptr) << name;
}

TEST(Catalogue, EntriesCarryTheirTexts)
{
    auto find = [](const std::string &text) -> const TVxICatalogueEntry * {
        for (const TVxICatalogueEntry &e : ExprCatalogue().Entries)
            if (e.Text == text)
                return &e;
        return nullptr;
    };
    const struct {
        std::string text, display, description;
        int code;
    } cases[] = {
        {"+", "value1 + value2", "Add/concatenation for two values", 20000},
        {"NULL", "", "indicates a variant initialized with no value assigned.", 10000},
        {"MOD", "", "", 30002},
        {"RANDOM(%n)", "Random([Range])", "generates random numbers within a specified range (0 <= X < Range)", 30002},
        {"SUBSTITUTE(%s, %s, %s)", "SUBSTITUTE(<value>, <source values>, <result values>)",
         "returns the substituted value (SUBSTITUTE(\"M\", \"M;F\", \"Male;Female\"), for example)", 30006},
        {"StatErrorCount", "StatErrorCount", "returns the total number of errors occured during loading", 40000},
        {"ISNULL(%a)", "IsNull(%a)", "returns True is the specified variant is Null or is not assigned", 30003},
    };
    for (const auto &c : cases) {
        const TVxICatalogueEntry *e = find(c.text);
        ASSERT_NE(e, nullptr) << c.text;
        EXPECT_EQ(e->Display, c.display);
        EXPECT_EQ(e->Description, c.description);
        EXPECT_EQ(e->Code, c.code);
    }
}

TEST(Catalogue, PlaceholdersExpandUpToTheFirstUnknownOne)
{
    const TVxIExprCatalogue &c = ExprCatalogue();
    const std::pair<std::string, std::string> cases[] = {
        {"CHR(%n)", "CHR(number)"},
        {"<%n1>-<%n2>", "<number1>-<number2>"},
        {"REPLACESTR(%s, %s, %s, %b, %b)", "REPLACESTR(string, string, string, boolean, boolean)"},
        {"DAY(%d)", "DAY(datetime)"},
        {"IIF(%b, %a, %a)", "IIF(boolean, %a, %a)"},
        {"F(%a, %n)", "F(%a, %n)"},
        {"50%", "50%"},
        {"", ""},
    };
    for (const auto &[text, expanded] : cases)
        EXPECT_EQ(c.ExpandPlaceholders(text), expanded) << text;
}

TEST(Catalogue, StartUpFunctionsUseTheCatalogueGroups)
{
    const TVxIExprCatalogue &c = ExprCatalogue();
    EXPECT_EQ(ParserFunctions().Items(0)->Category, c.KindName(ckFunctions));
    EXPECT_EQ(ParserFunctions().Items(0)->Group, c.GroupName(30002));
    EXPECT_EQ(ParserFunctions().Items(2)->Category, c.KindName(ckConstants));
    EXPECT_EQ(ParserFunctions().Items(2)->Group, c.GroupName(10000));
}

} // namespace
