#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "values/Variant.h"

namespace {

using V = Variant;
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

V I64(std::int64_t v) { return V(v); }

std::string Describe(const V &v)
{
    std::string out = V::TypeName(v.VarType());
    if (v.IsArray())
        return out + "[" + std::to_string(v.ArrayCount()) + "]";
    TFormatSettings fs;
    return out + "(" + v.AsString(fs) + ")";
}

// Settings are process-wide; every test starts from the built-in defaults.
class VariantTest : public ::testing::Test {
protected:
    void SetUp() override { RegionalSettings::override(TFormatSettings{}); }
    void TearDown() override { RegionalSettings::override(TFormatSettings{}); }
};

// An operation expected either to give a value (compared with SameAs, so the kind
// counts too) or to raise EVariantError with a given message.
struct OpCase {
    const char *name;
    std::function<V()> op;
    std::optional<V> expected;
    const char *error = nullptr;
};

void RunCases(const std::vector<OpCase> &cases)
{
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.error != nullptr) {
            try {
                const V result = c.op();
                ADD_FAILURE() << "expected an error, got " << Describe(result);
            } catch (const EVariantError &e) {
                EXPECT_STREQ(e.what(), c.error);
            }
            continue;
        }
        const V result = c.op();
        EXPECT_TRUE(result.SameAs(*c.expected)) << "got " << Describe(result) << ", expected " << Describe(*c.expected);
    }
}

TEST_F(VariantTest, TextOfEachKind)
{
    TFormatSettings comma;
    comma.DecimalSeparator = ',';
    const struct {
        V value;
        std::string text;
        std::string textWithComma;
    } cases[] = {
        {V(), "", ""},
        {V::Null(), "", ""},
        {V(true), "True", "True"},
        {V(false), "False", "False"},
        {V::ShortInt(-128), "-128", "-128"},
        {V::Smallint(32767), "32767", "32767"},
        {V(-2147483647 - 1), "-2147483648", "-2147483648"},
        {I64(kInt64Max), "9223372036854775807", "9223372036854775807"},
        {V(0.1), "0.1", "0,1"},
        {V(-0.5), "-0.5", "-0,5"},
        {V(1.5e-7), "1.5E-7", "1,5E-7"},
        {V("a b"), "a b", "a b"},
        {V::WideString("\xC3\xA4"), "\xC3\xA4", "\xC3\xA4"},
        {V::DateTime(36526.5), "01/01/2000 12:00:00", "01/01/2000 12:00:00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Describe(c.value));
        EXPECT_EQ(c.value.AsString(), c.text);
        EXPECT_EQ(c.value.AsString(comma), c.textWithComma);
    }
    EXPECT_THROW(V::Array({V(1)}).AsString(), EVariantError);
}

TEST_F(VariantTest, ToDouble)
{
    const struct {
        V value;
        double expected;
        const char *error;
    } cases[] = {
        {V(), 0, nullptr},
        {V::Null(), 0, nullptr},
        {V(true), -1, nullptr},
        {V(false), 0, nullptr},
        {V(" 12.5 "), 12.5, nullptr},
        {V::WideString("-3e2"), -300, nullptr},
        {V::DateTime(2.25), 2.25, nullptr},
        {V("12,5"), 0, "Could not convert variant of type (String) into type (Double)"},
        {V::WideString("x"), 0, "Could not convert variant of type (OleStr) into type (Double)"},
        {V(""), 0, "Could not convert variant of type (String) into type (Double)"},
        {V::Array({}), 0, "Could not convert variant of type (Array) into type (Double)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Describe(c.value));
        if (c.error == nullptr) {
            EXPECT_DOUBLE_EQ(c.value.AsDouble(), c.expected);
            continue;
        }
        try {
            c.value.AsDouble();
            ADD_FAILURE() << "no error";
        } catch (const EVariantError &e) {
            EXPECT_STREQ(e.what(), c.error);
        }
    }
}

TEST_F(VariantTest, RegionalDecimalSeparatorIsReadAsWellAsPeriod)
{
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    RegionalSettings::override(fs);
    EXPECT_DOUBLE_EQ(V("12,5").AsDouble(), 12.5);
    EXPECT_DOUBLE_EQ(V("12.5").AsDouble(), 12.5);
    EXPECT_THROW(V("1.000,5").AsDouble(), EVariantError);
    EXPECT_EQ(V(12.5).AsString(), "12,5");
}

TEST_F(VariantTest, ToIntegerRoundsHalfToEvenAndChecksRange)
{
    const char *doubleOverflow = "Overflow while converting variant of type (Double) into type (Integer)";
    const struct {
        V value;
        std::int64_t expected;
        const char *error;
    } cases[] = {
        {V(2.5), 2, nullptr},
        {V(3.5), 4, nullptr},
        {V(-2.5), -2, nullptr},
        {V(2.4999), 2, nullptr},
        {V(true), -1, nullptr},
        {V::Null(), 0, nullptr},
        {V(" 42 "), 42, nullptr},
        {V("2.5"), 2, nullptr},
        {V(2147483647.0), 2147483647, nullptr},
        {V(-2147483648.0), -2147483647 - 1, nullptr},
        {V(2147483647.5), 0, doubleOverflow},
        {V(-2147483649.0), 0, doubleOverflow},
        {V(std::numeric_limits<double>::quiet_NaN()), 0, doubleOverflow},
        {I64(2147483648LL), 0, "Overflow while converting variant of type (Int64) into type (Integer)"},
        {V("2147483648"), 0, "Overflow while converting variant of type (String) into type (Integer)"},
        {V("4x"), 0, "Could not convert variant of type (String) into type (Integer)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Describe(c.value));
        if (c.error == nullptr) {
            EXPECT_EQ(c.value.AsInteger(), c.expected);
            continue;
        }
        try {
            c.value.AsInteger();
            ADD_FAILURE() << "no error";
        } catch (const EVariantError &e) {
            EXPECT_STREQ(e.what(), c.error);
        }
    }
}

TEST_F(VariantTest, ToInt64KeepsFullPrecision)
{
    EXPECT_EQ(V("9223372036854775807").AsInt64(), kInt64Max);
    EXPECT_EQ(I64(-kInt64Max - 1).AsInt64(), -kInt64Max - 1);
    EXPECT_EQ(V(-9223372036854775808.0).AsInt64(), -kInt64Max - 1);
    EXPECT_THROW(V(9223372036854775808.0).AsInt64(), EVariantError);
    EXPECT_THROW(V("9223372036854775808").AsInt64(), EVariantError);
}

TEST_F(VariantTest, ToBoolean)
{
    const struct {
        V value;
        bool expected;
        bool raises;
    } cases[] = {
        {V(true), true, false}, {V("TRUE"), true, false},       {V::WideString(" false "), false, false},
        {V("0"), false, false}, {V("-0.5"), true, false},       {V(0.0), false, false},
        {V(-1), true, false},   {V::ShortInt(0), false, false}, {V("yes"), false, true},
        {V(""), false, true},   {V::Array({}), false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Describe(c.value));
        if (c.raises)
            EXPECT_THROW(c.value.AsBoolean(), EVariantError);
        else
            EXPECT_EQ(c.value.AsBoolean(), c.expected);
    }
    try {
        V("yes").AsBoolean();
    } catch (const EVariantError &e) {
        EXPECT_STREQ(e.what(), "Could not convert variant of type (String) into type (Boolean)");
    }
}

TEST_F(VariantTest, ToDateTimeReadsStringsByRegionalOrder)
{
    EXPECT_DOUBLE_EQ(V("01/31/2000 12:00").AsDateTime(), 36556.5);
    EXPECT_DOUBLE_EQ(V(36556.25).AsDateTime(), 36556.25);
    EXPECT_DOUBLE_EQ(V(7).AsDateTime(), 7);
    TFormatSettings german;
    german.ShortDateFormat = "dd.MM.yyyy";
    german.DateSeparator = '.';
    RegionalSettings::override(german);
    EXPECT_DOUBLE_EQ(V("31.01.2000").AsDateTime(), 36556);
    try {
        V("01/31/2000").AsDateTime();
        ADD_FAILURE() << "no error";
    } catch (const EVariantError &e) {
        EXPECT_STREQ(e.what(), "Could not convert variant of type (String) into type (Date)");
    }
}

TEST_F(VariantTest, Addition)
{
    RunCases({
        {"two strings concatenate", [] { return V("ab") + V("12"); }, V("ab12")},
        {"two wide strings stay wide", [] { return V::WideString("a") + V::WideString("b"); }, V::WideString("ab")},
        {"Empty is '' beside a string", [] { return V() + V("x"); }, V("x")},
        {"Empty is 0 beside a number", [] { return V() + V(5); }, V(5)},
        {"numeric string plus number", [] { return V("1") + V(2); }, V(3)},
        {"number plus real string", [] { return V(2) + V(" 1.5"); }, V(3.5)},
        {"Null on the left", [] { return V::Null() + V(1); }, V::Null()},
        {"Null on the right", [] { return V("a") + V::Null(); }, V::Null()},
        {"Integer widens to Int64", [] { return V(2147483647) + V(1); }, I64(2147483648LL)},
        {"Int64 widens to Double", [] { return I64(kInt64Max) + V(1); }, V(9223372036854775808.0)},
        {"Smallints give at least Integer", [] { return V::Smallint(30000) + V::Smallint(30000); }, V(60000)},
        {"the wider kind wins", [] { return V::ShortInt(1) + I64(1); }, I64(2)},
        {"Booleans count as -1", [] { return V(true) + V(true); }, V(-2)},
        {"date plus days is a date", [] { return V::DateTime(10.5) + V(2); }, V::DateTime(12.5)},
        {"non-numeric string", [] { return V("x") + V(1); }, std::nullopt,
         "Could not convert variant of type (String) into type (Double)"},
        {"array", [] { return V::Array({V(1)}) + V(1); }, std::nullopt, "Invalid variant operation"},
    });
}

TEST_F(VariantTest, OtherArithmetic)
{
    RunCases({
        {"string minus number", [] { return V("7") - V(2); }, V(5)},
        {"strings do not concatenate with -", [] { return V("7") - V("2"); }, V(5)},
        {"Integer underflow widens", [] { return V(-2147483647 - 1) - V(1); }, I64(-2147483649LL)},
        {"date minus date is days", [] { return V::DateTime(10.5) - V::DateTime(4); }, V(6.5)},
        {"date minus days is a date", [] { return V::DateTime(10) - V(1.5); }, V::DateTime(8.5)},
        {"Null propagates", [] { return V::Null() * V(2); }, V::Null()},
        {"int times real", [] { return V(3) * V(2.5); }, V(7.5)},
        {"product widens", [] { return V(65536) * V(65536); }, I64(4294967296LL)},
        {"division is real", [] { return V(1) / V(2); }, V(0.5)},
        {"even division is still real", [] { return V(4) / V(2); }, V(2.0)},
        {"division of Null", [] { return V(1) / V::Null(); }, V::Null()},
        {"division by zero", [] { return V(1) / V(0); }, std::nullopt, "Division by zero"},
        {"division by 0.0", [] { return V(1.5) / V(0.0); }, std::nullopt, "Division by zero"},
        {"division by Empty", [] { return V(1) / V(); }, std::nullopt, "Division by zero"},
        {"IntDiv truncates", [] { return V::IntDiv(V(-7), V(2)); }, V(-3)},
        {"Mod keeps the dividend's sign", [] { return V::Mod(V(-7), V(2)); }, V(-1)},
        {"IntDiv rounds real operands", [] { return V::IntDiv(V(7.5), V("2")); }, V(4)},
        {"IntDiv of the lowest Int64 by -1", [] { return V::IntDiv(I64(-kInt64Max - 1), V(-1)); },
         V(9223372036854775808.0)},
        {"IntDiv by zero", [] { return V::IntDiv(V(1), V(0)); }, std::nullopt, "Division by zero"},
        {"Mod by zero", [] { return V::Mod(V(1), V(0.2)); }, std::nullopt, "Division by zero"},
        {"Mod with Null", [] { return V::Mod(V::Null(), V(0)); }, V::Null()},
        {"negate Integer minimum", [] { return -V(-2147483647 - 1); }, I64(2147483648LL)},
        {"negate string", [] { return -V("1.5"); }, V(-1.5)},
        {"negate Null", [] { return -V::Null(); }, V::Null()},
        {"negate Boolean", [] { return -V(true); }, V(1)},
    });
}

TEST_F(VariantTest, LogicalOperators)
{
    RunCases({
        {"Boolean and", [] { return V::And(V(true), V(false)); }, V(false)},
        {"Boolean or", [] { return V::Or(V(true), V(false)); }, V(true)},
        {"Boolean xor", [] { return V::Xor(V(true), V(true)); }, V(false)},
        {"integer and is bitwise", [] { return V::And(V(12), V(10)); }, V(8)},
        {"integer or is bitwise", [] { return V::Or(V(12), V(3)); }, V(15)},
        {"integer xor keeps the kind", [] { return V::Xor(V::Smallint(5), V::Smallint(3)); }, V::Smallint(6)},
        {"True and integer", [] { return V::And(V(true), V(6)); }, V(6)},
        {"False or integer", [] { return V::Or(V(false), V(6)); }, V(6)},
        {"Boolean strings", [] { return V::Or(V("true"), V(false)); }, V(true)},
        {"numeric strings", [] { return V::And(V("12"), V(10)); }, V(8)},
        {"Empty beside a Boolean", [] { return V::Or(V(), V(true)); }, V(true)},
        {"Null propagates", [] { return V::And(V::Null(), V(false)); }, V::Null()},
        {"not Boolean", [] { return V::Not(V(true)); }, V(false)},
        {"not integer", [] { return V::Not(V(0)); }, V(-1)},
        {"not Null", [] { return V::Not(V::Null()); }, V::Null()},
        {"not a word", [] { return V::Not(V("maybe")); }, std::nullopt,
         "Could not convert variant of type (String) into type (Boolean)"},
    });
}

TEST_F(VariantTest, Compare)
{
    const struct {
        V a, b;
        int expected;
    } cases[] = {
        {V::Null(), V::Null(), 0},
        {V::Null(), V(-1000), -1},
        {V::Null(), V(""), -1},
        {V(""), V::Null(), 1},
        {V(), V(0), 0},
        {V(), V(""), 0},
        {V(), V("a"), -1},
        {V("abc"), V("abd"), -1},
        {V("a"), V("A"), 1},        // bytes, so case counts
        {V("\xC3\xA4"), V("z"), 1}, // bytes compare unsigned
        {V("10"), V("9"), -1},      // two strings: text order
        {V("10"), V(9), 1},         // string and number: numeric order
        {V(" 2.5 "), V(2.5), 0},
        {V(2.5), V(2), 1},
        {I64(9007199254740993LL), I64(9007199254740992LL), 1}, // not via double
        {V(true), V(false), -1},
        {V(true), V(-1), 0},
        {V("True"), V(true), 0},
        {V::DateTime(5), V(5), 0},
        {V::WideString("b"), V("a"), 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Describe(c.a) + " vs " + Describe(c.b));
        const int result = V::Compare(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.expected);
        EXPECT_EQ(c.a == c.b, c.expected == 0);
        EXPECT_EQ(c.a < c.b, c.expected < 0);
    }
    EXPECT_THROW(V::Compare(V("abc"), V(1)), EVariantError);
    EXPECT_THROW(V::Compare(V::Array({V(1)}), V::Array({V(1)})), EVariantError);
}

TEST_F(VariantTest, SameAsRequiresSameKind)
{
    EXPECT_TRUE(V::Null().SameAs(V::Null()));
    EXPECT_FALSE(V::Null().SameAs(V()));
    EXPECT_FALSE(V(1).SameAs(I64(1)));
    EXPECT_FALSE(V(1.0).SameAs(V::DateTime(1.0)));
    EXPECT_FALSE(V("a").SameAs(V::WideString("a")));
    EXPECT_TRUE(V(std::numeric_limits<double>::quiet_NaN()).SameAs(V(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(V::Array({V(1), V("x")}).SameAs(V::Array({V(1), V("x")})));
    EXPECT_FALSE(V::Array({V(1), V("x")}).SameAs(V::Array({V(1), V::WideString("x")})));
}

TEST_F(VariantTest, ArrayCopiesAreIndependent)
{
    V original = V::Array({V(1), V::Array({V("inner")})});

    V copy = original;
    copy[0] = V(2);
    copy[1][0] = V("changed");
    copy.AsArray().push_back(V::Null());

    V assigned;
    assigned = original;
    assigned.AsArray().clear();

    EXPECT_TRUE(original.SameAs(V::Array({V(1), V::Array({V("inner")})})));
    EXPECT_EQ(copy.ArrayCount(), 3u);
    EXPECT_EQ(copy[1][0].AsString(), "changed");
    EXPECT_EQ(assigned.ArrayCount(), 0u);

    V moved = std::move(copy);
    EXPECT_EQ(moved.ArrayCount(), 3u);
}

// A value may take one of its own items, by copy or by move, and keeps the item intact;
// a text assigned over a longer text keeps nothing of it.
TEST_F(VariantTest, AssignmentFromInsideItselfAndOverOtherKinds)
{
    V copied = V::Array({V("a long text that is not kept in place"), V(2)});
    copied = copied[0];
    EXPECT_TRUE(copied.SameAs(V("a long text that is not kept in place")));

    V moved = V::Array({V(1.5), V("x")});
    moved = std::move(moved[0]);
    EXPECT_TRUE(moved.SameAs(V(1.5)));

    V nested = V::Array({V::Array({V(true)})});
    nested = std::move(nested[0]);
    EXPECT_TRUE(nested.SameAs(V::Array({V(true)})));

    V value("a long text that is stored outside the value");
    value = V("short");
    EXPECT_TRUE(value.SameAs(V("short")));
    const V date = V::DateTime(2.5);
    value = date;
    EXPECT_TRUE(value.SameAs(date));
    value = V(true);
    EXPECT_TRUE(value.SameAs(V(true)));
    EXPECT_TRUE(value.AsBoolean());
}

TEST_F(VariantTest, ArrayAccessErrors)
{
    const V array = V::Array({V(1)});
    EXPECT_EQ(V(5).ArrayCount(), 0u);
    EXPECT_THROW(array[1], EVariantError);
    EXPECT_THROW(V(5)[0], EVariantError);
    EXPECT_THROW(V("x").AsArray(), EVariantError);
}

} // namespace
