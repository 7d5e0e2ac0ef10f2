#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "values/RegionalSettings.h"
#include "expr/VxIPars.h"

namespace expr_test {

// Every test starts from the same regional conventions: "." decimal, "," thousands, "$",
// month/day/year dates.
class RegionalFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = RegionalSettings::current();
        RegionalSettings::override(TFormatSettings{});
    }
    void TearDown() override { RegionalSettings::override(saved_); }

private:
    TFormatSettings saved_;
};

// Source columns the way the import engine hands them out: a known name gives its value,
// anything else keeps its own text, and Done stays False so user functions still win.
inline TOnEvaluate ColumnHandler(std::map<std::string, Variant> columns)
{
    return [columns = std::move(columns)](TVxIParser *, const std::string &, std::vector<Variant> &, int, bool,
                                          Variant &value, bool &) {
        const auto found = columns.find(value.AsString());
        if (found != columns.end())
            value = found->second;
    };
}

inline std::map<std::string, Variant> SampleColumns()
{
    return {
        {"Field1", Variant("1,5")},
        {"Field2", Variant("$12")},
        {"Field3", Variant("abc")},
        {"Field4", Variant::Null()},
        {"Field5", Variant("M")},
        {"Field6", Variant("4")},
        {"Order Date", Variant("2003-12-31")},
        {"OrderDate", Variant("written together")},
    };
}

// The result as text ("<Null>", "<Empty>"), or "error: " and the message.
inline std::string Outcome(const std::string &expression, const TOnEvaluate &handler = {})
{
    try {
        TVxIParser parser(expression);
        parser.OnEvaluate = handler;
        const Variant value = parser.Evaluate();
        if (value.IsNull())
            return "<Null>";
        if (value.IsEmpty())
            return "<Empty>";
        return value.AsString();
    } catch (const std::exception &e) {
        return std::string("error: ") + e.what();
    }
}

struct Case {
    std::string expression;
    std::string expected;
};

inline void ExpectCases(const std::vector<Case> &cases, const TOnEvaluate &handler = {})
{
    for (const Case &c : cases)
        EXPECT_EQ(Outcome(c.expression, handler), c.expected) << "expression: " << c.expression;
}

// Removes a user-defined function added by a test, whatever happens in between.
class ScopedFunction {
public:
    explicit ScopedFunction(const std::string &definition) : function_(ParserFunctions().Add(definition)) {}
    ~ScopedFunction()
    {
        for (int i = 0; i < ParserFunctions().Count(); ++i)
            if (ParserFunctions().Items(i) == function_) {
                ParserFunctions().Delete(i);
                return;
            }
    }
    ScopedFunction(const ScopedFunction &) = delete;
    ScopedFunction &operator=(const ScopedFunction &) = delete;

private:
    TVxIParserFunction *function_;
};

} // namespace expr_test
