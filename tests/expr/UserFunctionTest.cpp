#include "ExprTestSupport.h"

namespace {

using expr_test::ExpectCases;
using expr_test::ScopedFunction;

class UserFunctions : public expr_test::RegionalFixture {};

TEST_F(UserFunctions, DefinitionsAreCheckedWithTheirOwnMessages)
{
    const struct {
        std::string definition;
        std::string message;
    } cases[] = {
        {"TWICE(a+b)=a*2", "Function parse error: delimitor \",\" expected between arguments."},
        {"F(a=1", "Function header \"F(a\" is not valid."},
        {"F(a,b=1", "Function header \"F(a,b\" is not valid."},
        {"F(a(b)=1", "Function header \"F(a(b)\" is not valid."},
        {"F)a(=1", "Function header \"F)a(\" is not valid."},
        {"F(a)b=1", "Function header \"F(a)b\" is not valid."},
        {"F(1)=1", "Function header \"F(1)\" is not valid."},
        {"F+1=2", "Function header \"F+1\" is not valid."},
        {"1F(x)=x", "Function \"1F(x)=x\" is not valid."},
        {"=5", "Function \"=5\" is not valid."},
        {"(x)=5", "Function \"(x)=5\" is not valid."},
    };
    for (const auto &c : cases) {
        try {
            TVxIParserFunction function(c.definition);
            ADD_FAILURE() << "no error for " << c.definition;
        } catch (const EVxIParserError &e) {
            EXPECT_EQ(e.what(), c.message) << c.definition;
        }
    }
}

TEST_F(UserFunctions, HeaderGivesNameAndParameters)
{
    TVxIParserFunction f(" Diff ( a , B ) = a - b ");
    EXPECT_EQ(f.Name(), "Diff");
    EXPECT_EQ(f.Body(), "a - b");
    EXPECT_EQ(f.ParamCount(), 2);
    EXPECT_EQ(f.ParamNames(), (std::vector<std::string>{"a", "B"}));
    EXPECT_EQ(f.Definition(), " Diff ( a , B ) = a - b ");

    TVxIParserFunction constant("E=2.718");
    EXPECT_EQ(constant.Name(), "E");
    EXPECT_EQ(constant.ParamCount(), 0);

    TVxIParserFunction empty("F()=1");
    EXPECT_EQ(empty.ParamCount(), 0);

    TVxIParserFunction nothing("NO DEFINITION");
    EXPECT_EQ(nothing.Name(), "");
}

TEST_F(UserFunctions, BodiesSeeTheirArgumentsAndNothingElse)
{
    ScopedFunction diff("DIFF(a, b)=a - b");
    ScopedFunction join("JOIN(x)=x + y");
    ScopedFunction absDiff("ABSDIFF(a, b)=ABS(a - b)");
    ScopedFunction viaOther("VIAOTHER(x)=SQR1(x)");
    ScopedFunction broken("BROKEN(x)=x +* )(");
    ExpectCases(
        {
            {"DIFF(10, 3)", "7"},
            {"diff(10, 3)", "7"},
            {"DIFF(10)", "10"}, // a missing argument is Empty, made 0
            {"DIFF(10, 3, 99)", "7"},
            {"JOIN(\"a\")", "ay"}, // y is no parameter: its own text
            {"ABSDIFF(3, 5)", "2"},
            {"VIAOTHER(3)", "SQR1"}, // only built-ins are functions inside a body
            {"DIFF(Field6, 1)", "3"},
            {"BROKEN(1)", "error: Compile error: parenthesis mismatch."},
        },
        expr_test::ColumnHandler(expr_test::SampleColumns()));
}

TEST_F(UserFunctions, AnOwnerParserResolvesTheOtherNames)
{
    TVxIParser owner;
    owner.OnEvaluate = [](TVxIParser *, const std::string &eval, std::vector<Variant> &, int, bool, Variant &value,
                          bool &done) {
        if (eval == "y") {
            value = Variant(10);
            done = true;
        }
    };
    TVxIParserFunction f("F(x)=x + y", &owner);
    std::vector<Variant> args(11);
    args[0] = Variant(1);
    EXPECT_EQ(f.Call(args).AsString(), "11");
}

TEST_F(UserFunctions, ABodyReachingItselfThroughItsOwnerStops)
{
    TVxIParser owner;
    auto self = std::make_shared<TVxIParserFunction *>(nullptr);
    owner.OnEvaluate = [self](TVxIParser *, const std::string &eval, std::vector<Variant> &args, int, bool,
                              Variant &value, bool &done) {
        if (eval == "LOOP") {
            value = (*self)->Call(args);
            done = true;
        }
    };
    TVxIParserFunction f("LOOP(x)=LOOP(x)", &owner);
    *self = &f;
    EXPECT_THROW(
        {
            try {
                f.Call(std::vector<Variant>(11));
            } catch (const EVxIParserError &e) {
                EXPECT_STREQ(e.what(), "Calculate error: function calls nested too deeply.");
                throw;
            }
        },
        EVxIParserError);
}

TEST_F(UserFunctions, ProcessWideListStartsWithThreeEntries)
{
    TVxIParserFunctions &list = ParserFunctions();
    ASSERT_GE(list.Count(), 3);
    const struct {
        std::string definition, category, group;
    } expected[] = {
        {"SQR1(x)=x*x", "Functions", "Math"},
        {"SQRT1(x)=x^(1/2)", "Functions", "Math"},
        {"PI=3.14", "Constants", "<All>"},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list.Items(i)->Definition(), expected[i].definition);
        EXPECT_EQ(list.Items(i)->Category, expected[i].category);
        EXPECT_EQ(list.Items(i)->Group, expected[i].group);
    }
    EXPECT_EQ(list.Items(-1), nullptr);
    EXPECT_EQ(list.Items(list.Count()), nullptr);
    EXPECT_EQ(list.FindByName("sqrt1"), list.Items(1));
    EXPECT_EQ(list.FindByName("nope"), nullptr);
    EXPECT_EQ(list.FindByName(""), nullptr);
}

TEST_F(UserFunctions, AddAndDelete)
{
    TVxIParserFunctions &list = ParserFunctions();
    const int before = list.Count();
    EXPECT_THROW(list.Add("F(a=1"), EVxIParserError);
    EXPECT_EQ(list.Count(), before);

    TVxIParserFunction *added = list.Add("CUBE(x)=x*x*x", "Functions", "Math");
    ASSERT_EQ(list.Count(), before + 1);
    EXPECT_EQ(list.Items(before), added);
    EXPECT_EQ(added->Group, "Math");
    EXPECT_EQ(expr_test::Outcome("CUBE(2)"), "8");

    // The first of two equal names wins.
    list.Add("CUBE(x)=0");
    EXPECT_EQ(expr_test::Outcome("CUBE(2)"), "8");
    list.Delete(before);
    EXPECT_EQ(expr_test::Outcome("CUBE(2)"), "0");
    list.Delete(before);
    EXPECT_EQ(list.Count(), before);
    EXPECT_THROW(list.Delete(before), std::out_of_range);
    EXPECT_EQ(expr_test::Outcome("CUBE(2)"), "CUBE");
}

} // namespace
