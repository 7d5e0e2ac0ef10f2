#include "ExprTestSupport.h"

#include <set>

namespace {

using expr_test::ColumnHandler;
using expr_test::Outcome;
using expr_test::SampleColumns;
using expr_test::ScopedFunction;

class Identifiers : public expr_test::RegionalFixture {};

struct Call {
    std::string eval;
    std::string value; // Value as it arrived
    bool isChild;
    std::vector<std::string> args; // the given ones, up to the last non-Empty
};

// Records every handler call and resolves nothing.
struct Recorder {
    std::vector<Call> calls;
    bool argCountAlways11 = true;

    TOnEvaluate Handler()
    {
        return [this](TVxIParser *, const std::string &eval, std::vector<Variant> &args, int argCount, bool isChild,
                      Variant &value, bool &done) {
            argCountAlways11 = argCountAlways11 && argCount == 11 && args.size() == 11 && !done;
            Call call{eval, value.AsString(), isChild, {}};
            std::size_t used = 0;
            for (std::size_t i = 0; i < args.size(); ++i)
                if (!args[i].IsEmpty())
                    used = i + 1;
            for (std::size_t i = 0; i < used; ++i)
                call.args.push_back(args[i].IsEmpty() ? "<Empty>" : args[i].AsString());
            calls.push_back(call);
        };
    }
};

TEST_F(Identifiers, HandlerSeesEachNameWithItsPlaceInTheExpression)
{
    const struct {
        std::string expression;
        std::vector<Call> calls;
    } cases[] = {
        {"Field1", {{"Field1", "Field1", false, {}}}},
        {"(Field1)", {{"Field1", "Field1", false, {}}}},
        {"Field1 + 1", {{"Field1", "Field1", true, {}}}},
        {"[First Name]", {{"First Name", "First Name", false, {}}}},
        {"\"Quoted\"", {{"Quoted", "Quoted", false, {}}}},
        {"UPPER(Field2)", {{"Field2", "Field2", true, {}}}},
        {"LOOKUP(STATES, CODE, Field3, NAME)",
         {{"STATES", "STATES", true, {}},
          {"CODE", "CODE", true, {}},
          {"Field3", "Field3", true, {}},
          {"NAME", "NAME", true, {}},
          {"LOOKUP", "LOOKUP", false, {"STATES", "CODE", "Field3", "NAME"}}}},
        // A quoted text is a name too.
        {"SUBSTITUTE(1 + 1, \"M;F\", 3)",
         {{"M;F", "M;F", true, {}}, {"SUBSTITUTE", "SUBSTITUTE", false, {"2", "M;F", "3"}}}},
        // An empty argument is Null (shown as ""), the unused slots Empty.
        {"F(1, , 3)", {{"F", "F", false, {"1", "", "3"}}}},
        // Built-in names without arguments are plain names.
        {"UPPER", {{"UPPER", "UPPER", false, {}}}},
        {"GETDATE", {}},
        {"1 + 2", {}},
    };
    for (const auto &c : cases) {
        Recorder recorder;
        TVxIParser parser(c.expression);
        parser.OnEvaluate = recorder.Handler();
        parser.Evaluate();
        ASSERT_EQ(recorder.calls.size(), c.calls.size()) << c.expression;
        for (std::size_t i = 0; i < c.calls.size(); ++i) {
            EXPECT_EQ(recorder.calls[i].eval, c.calls[i].eval) << c.expression;
            EXPECT_EQ(recorder.calls[i].value, c.calls[i].value) << c.expression;
            EXPECT_EQ(recorder.calls[i].isChild, c.calls[i].isChild) << c.expression;
            EXPECT_EQ(recorder.calls[i].args, c.calls[i].args) << c.expression;
        }
        EXPECT_TRUE(recorder.argCountAlways11) << c.expression;
    }
}

TEST_F(Identifiers, NullArgumentsArriveAsNullNotEmpty)
{
    Variant second;
    TVxIParser parser("F(1, Nothing)");
    parser.OnEvaluate = [&](TVxIParser *, const std::string &eval, std::vector<Variant> &args, int, bool,
                            Variant &value, bool &done) {
        if (eval == "Nothing") {
            value = Variant::Null();
            done = true;
        } else {
            second = args[1];
        }
    };
    parser.Evaluate();
    EXPECT_TRUE(second.IsNull());
}

TEST_F(Identifiers, AtMostElevenArgumentsReachTheHandler)
{
    std::size_t received = 0;
    TVxIParser parser("F(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12)");
    parser.OnEvaluate = [&](TVxIParser *, const std::string &, std::vector<Variant> &args, int, bool, Variant &,
                            bool &) {
        received = args.size();
        EXPECT_EQ(args[10].AsString(), "11");
    };
    parser.Evaluate();
    EXPECT_EQ(received, 11u);
}

TEST_F(Identifiers, DoneEndsTheLookupAndOtherwiseUserFunctionsWin)
{
    const TOnEvaluate resolveAll = [](TVxIParser *, const std::string &, std::vector<Variant> &, int, bool,
                                      Variant &value, bool &done) {
        value = Variant("column");
        done = true;
    };
    const TOnEvaluate resolveButNotDone = [](TVxIParser *, const std::string &, std::vector<Variant> &, int, bool,
                                             Variant &value, bool &) { value = Variant("column"); };
    EXPECT_EQ(Outcome("PI", resolveAll), "column");
    EXPECT_EQ(Outcome("PI", resolveButNotDone), "3.14");
    EXPECT_EQ(Outcome("pi", resolveButNotDone), "3.14");
    EXPECT_EQ(Outcome("Other", resolveButNotDone), "column");
    EXPECT_EQ(Outcome("SQR1(Field6)", ColumnHandler(SampleColumns())), "16");
    EXPECT_EQ(Outcome("SQR1(3)"), "9");
    EXPECT_EQ(Outcome("SQRT1(16)"), "4");
    EXPECT_EQ(Outcome("PI * 2"), "6.28");
}

TEST_F(Identifiers, ProcessBeforeEventConsultsUserFunctionsFirst)
{
    std::vector<std::string> seen;
    TVxIParser parser;
    parser.ProcessBeforeEvent = true;
    parser.OnEvaluate = [&](TVxIParser *, const std::string &eval, std::vector<Variant> &, int, bool, Variant &value,
                            bool &) {
        seen.push_back(eval);
        value = Variant("from handler");
    };
    parser.SetText("PI");
    EXPECT_EQ(parser.Evaluate().AsString(), "3.14");
    parser.SetText("Other");
    EXPECT_EQ(parser.Evaluate().AsString(), "from handler");
    EXPECT_EQ(seen, std::vector<std::string>{"Other"});
}

TEST_F(Identifiers, SenderIsTheParserAndValueIsClearedWhileEvaluating)
{
    TVxIParser parser("Field1");
    parser.Value = Variant("left over");
    TVxIParser *sender = nullptr;
    bool valueEmpty = false;
    parser.OnEvaluate = [&](TVxIParser *s, const std::string &, std::vector<Variant> &, int, bool, Variant &value,
                            bool &done) {
        sender = s;
        valueEmpty = s->Value.IsEmpty();
        value = Variant("v");
        done = true;
    };
    Variant out;
    parser.Evaluate(out);
    EXPECT_EQ(sender, &parser);
    EXPECT_TRUE(valueEmpty);
    EXPECT_EQ(out.AsString(), "v");
    EXPECT_EQ(parser.Value.AsString(), "v");

    parser.SetText("1 / 0");
    EXPECT_THROW(parser.Evaluate(out), EVariantError);
    EXPECT_TRUE(parser.Value.IsEmpty());
    EXPECT_EQ(out.AsString(), "v");
}

// The engine keeps one parser per expression for a whole run; each evaluation must still
// behave as if the text had just been compiled.
TEST_F(Identifiers, RepeatedEvaluationsShareNothingButTheTree)
{
    TVxIParser parser("F(1) + G(2)");
    std::vector<std::string> tenthArgs;
    parser.OnEvaluate = [&](TVxIParser *, const std::string &, std::vector<Variant> &args, int, bool, Variant &value,
                            bool &done) {
        tenthArgs.push_back(args[10].IsEmpty() ? "<Empty>" : args[10].AsString());
        args[10] = Variant("scribbled");
        args.resize(3);
        value = Variant(1);
        done = true;
    };
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(parser.Evaluate().AsString(), "2");
    EXPECT_EQ(tenthArgs, std::vector<std::string>(6, "<Empty>"));
}

TEST_F(Identifiers, HandlerRunsForEveryEvaluation)
{
    int counter = 0;
    TVxIParser parser("Row * 10");
    parser.OnEvaluate = [&](TVxIParser *, const std::string &, std::vector<Variant> &, int, bool, Variant &value,
                            bool &done) {
        value = Variant(++counter);
        done = true;
    };
    EXPECT_EQ(parser.Evaluate().AsString(), "10");
    EXPECT_EQ(parser.Evaluate().AsString(), "20");
    EXPECT_EQ(parser.Evaluate().AsString(), "30");
}

TEST_F(Identifiers, RandomIsDrawnAtEveryEvaluation)
{
    TVxIParser parser("RANDOM(1000000000)");
    std::set<std::string> drawn;
    for (int i = 0; i < 5; ++i)
        drawn.insert(parser.Evaluate().AsString());
    EXPECT_GT(drawn.size(), 1u);
}

TEST_F(Identifiers, FunctionsAddedAfterCompilingAreSeen)
{
    TVxIParser parser("TWICE(4)");
    parser.Compile();
    EXPECT_EQ(parser.Evaluate().AsString(), "TWICE");
    {
        ScopedFunction twice("TWICE(a)=a*2");
        EXPECT_EQ(parser.Evaluate().AsString(), "8");
    }
    EXPECT_EQ(parser.Evaluate().AsString(), "TWICE");
}

TEST_F(Identifiers, NewTextIsCompiledAgain)
{
    TVxIParser parser("1 + 1");
    EXPECT_EQ(parser.Evaluate().AsString(), "2");
    parser.SetText("2 + 2");
    EXPECT_EQ(parser.Text(), "2 + 2");
    EXPECT_EQ(parser.Evaluate().AsString(), "4");
    parser.SetText(")(");
    EXPECT_THROW(parser.Compile(), EVxIParserError);
    EXPECT_THROW(parser.Evaluate(), EVxIParserError);
    parser.SetText("3");
    EXPECT_NO_THROW(parser.Compile());
    EXPECT_EQ(parser.Evaluate().AsString(), "3");
}

TEST_F(Identifiers, AChangedDecimalSeparatorRetokenizes)
{
    TFormatSettings fs;
    fs.DecimalSeparator = ';';
    RegionalSettings::override(fs);
    TVxIParser parser("1;5 * 2");
    EXPECT_EQ(parser.Evaluate().AsString(), "3");
    RegionalSettings::override(TFormatSettings{});
    EXPECT_THROW(parser.Evaluate(), EVxIParserError);
}

TEST_F(Identifiers, AHandlerMayEvaluateAnotherParser)
{
    TVxIParser inner("Depth");
    TVxIParser outer("F(Depth)");
    int depth = 0;
    const TOnEvaluate handler = [&](TVxIParser *, const std::string &eval, std::vector<Variant> &args, int, bool,
                                    Variant &value, bool &done) {
        if (eval == "Depth") {
            value = Variant(++depth);
            done = true;
            return;
        }
        value = inner.Evaluate() + args[0];
        done = true;
    };
    inner.OnEvaluate = handler;
    outer.OnEvaluate = handler;
    EXPECT_EQ(outer.Evaluate().AsString(), "3");
}

} // namespace

namespace {

// A handler may give its own parser a new text while that parser is evaluating: the running
// evaluation finishes on the text it started with, the next one uses the new text.
TEST_F(Identifiers, TextChangedByTheHandlerTakesEffectOnTheNextEvaluation)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"Field1", {"Field1"}},
        {"Field1 + Field3", {"Field1", "Field3"}},
    };
    for (const auto &[first, names] : cases) {
        TVxIParser parser(first);
        std::vector<std::string> seen;
        parser.OnEvaluate = [&](TVxIParser *sender, const std::string &eval, std::vector<Variant> &, int, bool,
                                Variant &value, bool &done) {
            seen.push_back(eval);
            sender->SetText("Field2");
            value = Variant(eval + "!");
            done = true;
        };
        Variant value;
        parser.EvaluateInto(value);
        EXPECT_EQ(seen, names) << first;
        EXPECT_EQ(value.AsString(), first == "Field1" ? "Field1!" : "Field1!Field3!") << first;
        seen.clear();
        parser.EvaluateInto(value);
        EXPECT_EQ(value.AsString(), "Field2!") << first;
        EXPECT_EQ(seen, std::vector<std::string>{"Field2"}) << first;
    }
}

} // namespace
