#include "values/Variant.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "values/VariantHelpers.h"

using namespace variant_detail;

Variant::Variant() noexcept = default;
Variant::Variant(bool value) noexcept : type_(TVarType::varBoolean) { b_ = value; }
Variant::Variant(std::int32_t value) noexcept : type_(TVarType::varInteger) { i_ = value; }
Variant::Variant(std::int64_t value) noexcept : type_(TVarType::varInt64) { i_ = value; }
Variant::Variant(double value) noexcept : type_(TVarType::varDouble) { d_ = value; }
Variant::Variant(const char *text) : type_(TVarType::varString), s_(text != nullptr ? text : "") {}
Variant::Variant(std::string text) noexcept : type_(TVarType::varString), s_(std::move(text)) {}
Variant::Variant(std::string_view text) : type_(TVarType::varString), s_(text) {}

Variant Variant::Null() noexcept
{
    Variant v;
    v.type_ = TVarType::varNull;
    return v;
}

Variant Variant::ShortInt(std::int8_t value) noexcept
{
    Variant v;
    v.type_ = TVarType::varShortInt;
    v.i_ = value;
    return v;
}

Variant Variant::Smallint(std::int16_t value) noexcept
{
    Variant v;
    v.type_ = TVarType::varSmallint;
    v.i_ = value;
    return v;
}

Variant Variant::DateTime(double value) noexcept
{
    Variant v(value);
    v.type_ = TVarType::varDate;
    return v;
}

Variant Variant::WideString(std::string text) noexcept
{
    Variant v(std::move(text));
    v.type_ = TVarType::varWideString;
    return v;
}

Variant Variant::Array(std::vector<Variant> items)
{
    Variant v;
    v.type_ = TVarType::varArray;
    v.a_ = std::make_shared<std::vector<Variant>>(std::move(items));
    return v;
}

void Variant::CopyScalar(const Variant &other) noexcept
{
    type_ = other.type_;
    switch (other.type_) {
    case TVarType::varBoolean: b_ = other.b_; break;
    case TVarType::varDouble:
    case TVarType::varDate: d_ = other.d_; break;
    default: i_ = other.i_; break;
    }
}

Variant::Variant(const Variant &other)
    : s_(other.s_), a_(other.a_ ? std::make_shared<std::vector<Variant>>(*other.a_) : nullptr)
{
    CopyScalar(other);
}

Variant &Variant::operator=(const Variant &other)
{
    if (this == &other)
        return *this;
    if (other.a_) {
        Variant copy(other);
        return *this = std::move(copy);
    }
    // A text copied over a text reuses this value's storage: the row loop copies each
    // field's value into the same place row after row.
    s_ = other.s_;
    CopyScalar(other);
    a_.reset(); // last: other may live inside the old array
    return *this;
}

bool Variant::IsOrdinal() const noexcept
{
    return type_ == TVarType::varShortInt || type_ == TVarType::varSmallint || type_ == TVarType::varInteger ||
           type_ == TVarType::varInt64;
}

const char *Variant::TypeName(TVarType type)
{
    switch (type) {
    case TVarType::varEmpty: return "Empty";
    case TVarType::varNull: return "Null";
    case TVarType::varBoolean: return "Boolean";
    case TVarType::varShortInt: return "ShortInt";
    case TVarType::varSmallint: return "Smallint";
    case TVarType::varInteger: return "Integer";
    case TVarType::varInt64: return "Int64";
    case TVarType::varDouble: return "Double";
    case TVarType::varDate: return "Date";
    case TVarType::varString: return "String";
    case TVarType::varWideString: return "OleStr";
    case TVarType::varArray: return "Array";
    }
    return "Unknown";
}

// ------------------------------------------------------------------ conversions

std::string Variant::AsString() const { return AsString(RegionalSettings::current()); }

std::string Variant::AsString(const TFormatSettings &fs) const
{
    switch (type_) {
    case TVarType::varEmpty:
    case TVarType::varNull: return {};
    case TVarType::varBoolean: return b_ ? "True" : "False";
    case TVarType::varShortInt:
    case TVarType::varSmallint:
    case TVarType::varInteger:
    case TVarType::varInt64: return std::to_string(i_);
    case TVarType::varDouble: return FloatToStr(d_, fs);
    case TVarType::varDate: return DateTimeToStr(d_, fs);
    case TVarType::varString:
    case TVarType::varWideString: return s_;
    case TVarType::varArray: break;
    }
    ThrowConvert(type_, "String");
}

double Variant::AsDouble() const
{
    switch (type_) {
    case TVarType::varEmpty:
    case TVarType::varNull: return 0;
    case TVarType::varBoolean: return b_ ? -1 : 0;
    case TVarType::varShortInt:
    case TVarType::varSmallint:
    case TVarType::varInteger:
    case TVarType::varInt64: return static_cast<double>(i_);
    case TVarType::varDouble:
    case TVarType::varDate: return d_;
    case TVarType::varString:
    case TVarType::varWideString: {
        double value = 0;
        if (TryStrToFloat(s_, value))
            return value;
        break;
    }
    case TVarType::varArray: break;
    }
    ThrowConvert(type_, "Double");
}

struct Variant::Ops {
    // An operand of arithmetic or comparison, after the classic coercions.
    struct Number {
        enum Kind { Int, Real, Date } kind = Int;
        int rank = 2; // for Int: 0 ShortInt, 1 Smallint, 2 Integer, 3 Int64
        std::int64_t i = 0;
        double d = 0;

        double AsReal() const { return kind == Int ? static_cast<double>(i) : d; }
    };

    static int RankOf(TVarType type)
    {
        switch (type) {
        case TVarType::varShortInt: return 0;
        case TVarType::varSmallint: return 1;
        case TVarType::varInt64: return 3;
        default: return 2;
        }
    }

    static int RankOfValue(std::int64_t v) { return FitsInt32(v) ? 2 : 3; }

    static Variant MakeInt(std::int64_t value, int rank)
    {
        switch (rank) {
        case 0: return Variant::ShortInt(static_cast<std::int8_t>(value));
        case 1: return Variant::Smallint(static_cast<std::int16_t>(value));
        case 2:
            if (FitsInt32(value))
                return Variant(static_cast<std::int32_t>(value));
            [[fallthrough]];
        default: return Variant(value);
        }
    }

    // Integer arithmetic result: at least Integer, widening to Int64 as the value needs.
    static Variant MakeWidened(std::int64_t value, int rank)
    {
        return MakeInt(value, std::max(rank, RankOfValue(value)));
    }

    static Number ToNumber(const Variant &v)
    {
        Number n;
        switch (v.type_) {
        case TVarType::varEmpty: break;
        case TVarType::varBoolean: n.i = v.b_ ? -1 : 0; break;
        case TVarType::varShortInt:
        case TVarType::varSmallint:
        case TVarType::varInteger:
        case TVarType::varInt64:
            n.i = v.i_;
            n.rank = RankOf(v.type_);
            break;
        case TVarType::varDouble:
            n.kind = Number::Real;
            n.d = v.d_;
            break;
        case TVarType::varDate:
            n.kind = Number::Date;
            n.d = v.d_;
            break;
        case TVarType::varString:
        case TVarType::varWideString:
            if (TryStrToInt64(v.s_, n.i)) {
                n.rank = RankOfValue(n.i);
            } else if (TryStrToFloat(v.s_, n.d)) {
                n.kind = Number::Real;
            } else {
                ThrowConvert(v.type_, "Double");
            }
            break;
        case TVarType::varNull:
        case TVarType::varArray: ThrowInvalidOperation();
        }
        return n;
    }

    static std::int64_t ToInteger(const Variant &v, const Number &n, int &rank)
    {
        if (n.kind == Number::Int) {
            rank = n.rank;
            return n.i;
        }
        std::int64_t out = 0;
        if (!RoundToRange(n.d, std::numeric_limits<std::int64_t>::min(), out))
            ThrowOverflow(v.type_, "Int64");
        rank = RankOfValue(out);
        return out;
    }

    enum class Op { Add, Sub, Mul };

    static Variant Arithmetic(Op op, const Variant &a, const Variant &b)
    {
        if (a.IsNull() || b.IsNull())
            return Variant::Null();
        if (a.IsArray() || b.IsArray())
            ThrowInvalidOperation();
        if (op == Op::Add && (a.IsString() || b.IsString()) && (a.IsString() || a.IsEmpty()) &&
            (b.IsString() || b.IsEmpty())) {
            const bool wide = a.type_ != TVarType::varString && b.type_ != TVarType::varString;
            std::string text = a.s_ + b.s_;
            return wide ? Variant::WideString(std::move(text)) : Variant(std::move(text));
        }
        const Number x = ToNumber(a), y = ToNumber(b);
        if (x.kind == Number::Int && y.kind == Number::Int) {
            std::int64_t r = 0;
            bool overflow = false;
            switch (op) {
            case Op::Add: overflow = __builtin_add_overflow(x.i, y.i, &r); break;
            case Op::Sub: overflow = __builtin_sub_overflow(x.i, y.i, &r); break;
            case Op::Mul: overflow = __builtin_mul_overflow(x.i, y.i, &r); break;
            }
            if (!overflow)
                return MakeWidened(r, std::max(x.rank, y.rank));
        }
        const double dx = x.AsReal(), dy = y.AsReal();
        const bool xDate = x.kind == Number::Date, yDate = y.kind == Number::Date;
        switch (op) {
        case Op::Add: return (xDate || yDate) ? Variant::DateTime(dx + dy) : Variant(dx + dy);
        case Op::Sub: return (xDate != yDate) ? Variant::DateTime(dx - dy) : Variant(dx - dy);
        case Op::Mul: break;
        }
        return Variant(dx * dy);
    }

    enum class IntOp { Div, Mod };

    static Variant IntegerDivision(IntOp op, const Variant &a, const Variant &b)
    {
        if (a.IsNull() || b.IsNull())
            return Variant::Null();
        if (a.IsArray() || b.IsArray())
            ThrowInvalidOperation();
        int rankX = 2, rankY = 2;
        const std::int64_t x = ToInteger(a, ToNumber(a), rankX);
        const std::int64_t y = ToInteger(b, ToNumber(b), rankY);
        if (y == 0)
            ThrowDivisionByZero();
        const int rank = std::max(rankX, rankY);
        if (y == -1) // the one quotient that can overflow: INT64_MIN div -1
            return op == IntOp::Mod ? MakeWidened(0, rank)
                                    : (x == std::numeric_limits<std::int64_t>::min() ? Variant(-static_cast<double>(x))
                                                                                     : MakeWidened(-x, rank));
        return MakeWidened(op == IntOp::Div ? x / y : x % y, rank);
    }

    // Operand of And/Or/Xor/Not: a Boolean, or an integer with its kind.
    struct Logical {
        bool isBool = false;
        bool b = false;
        std::int64_t i = 0;
        int rank = 2;
    };

    static Logical ToLogical(const Variant &v)
    {
        Logical l;
        switch (v.type_) {
        case TVarType::varBoolean:
            l.isBool = true;
            l.b = v.b_;
            return l;
        case TVarType::varString:
        case TVarType::varWideString: {
            const std::string_view t = Trim(v.s_);
            if (SameTextAscii(t, "True") || SameTextAscii(t, "False")) {
                l.isBool = true;
                l.b = SameTextAscii(t, "True");
                return l;
            }
            double d = 0;
            if (TryStrToInt64(t, l.i)) {
                l.rank = RankOfValue(l.i);
                return l;
            }
            if (!TryStrToFloat(t, d))
                ThrowConvert(v.type_, "Boolean");
            if (!RoundToRange(d, std::numeric_limits<std::int64_t>::min(), l.i))
                ThrowOverflow(v.type_, "Int64");
            l.rank = RankOfValue(l.i);
            return l;
        }
        case TVarType::varNull:
        case TVarType::varArray: ThrowInvalidOperation();
        default: {
            const Number n = ToNumber(v);
            l.i = ToInteger(v, n, l.rank);
            return l;
        }
        }
    }

    enum class LogicOp { And, Or, Xor };

    static Variant Logic(LogicOp op, const Variant &a, const Variant &b)
    {
        if (a.IsNull() || b.IsNull())
            return Variant::Null();
        if (a.IsArray() || b.IsArray())
            ThrowInvalidOperation();
        Logical x = ToLogical(a), y = ToLogical(b);
        // Empty takes the part of the other operand's zero: False beside a Boolean.
        if (a.IsEmpty() && y.isBool)
            x = Logical{true, false, 0, 2};
        if (b.IsEmpty() && x.isBool)
            y = Logical{true, false, 0, 2};
        if (x.isBool && y.isBool) {
            switch (op) {
            case LogicOp::And: return Variant(x.b && y.b);
            case LogicOp::Or: return Variant(x.b || y.b);
            case LogicOp::Xor: return Variant(x.b != y.b);
            }
        }
        // Booleans join bitwise operations as -1/0; the integer operand's kind wins, and
        // bitwise results always fit the widest operand kind.
        const std::int64_t ix = x.isBool ? (x.b ? -1 : 0) : x.i;
        const std::int64_t iy = y.isBool ? (y.b ? -1 : 0) : y.i;
        const int rank = std::max(x.isBool ? 0 : x.rank, y.isBool ? 0 : y.rank);
        switch (op) {
        case LogicOp::And: return MakeInt(ix & iy, rank);
        case LogicOp::Or: return MakeInt(ix | iy, rank);
        case LogicOp::Xor: break;
        }
        return MakeInt(ix ^ iy, rank);
    }

    static int Sign(double x, double y) { return x < y ? -1 : (x > y ? 1 : 0); }

    static int Compare(const Variant &a, const Variant &b)
    {
        if (a.IsNull() || b.IsNull())
            return a.IsNull() == b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
        if (a.IsArray() || b.IsArray())
            ThrowInvalidOperation();
        if ((a.IsString() || a.IsEmpty()) && (b.IsString() || b.IsEmpty())) {
            const int c = a.s_.compare(b.s_); // std::string compares bytes as unsigned char
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        // A string beside a Boolean may itself be "True"/"False".
        auto operand = [](const Variant &v, const Variant &other) -> Number {
            if (v.IsString() && other.IsBoolean()) {
                const Logical l = ToLogical(v);
                Number n;
                n.i = l.isBool ? (l.b ? -1 : 0) : l.i;
                return n;
            }
            return ToNumber(v);
        };
        const Number x = operand(a, b), y = operand(b, a);
        if (x.kind == Number::Int && y.kind == Number::Int)
            return x.i < y.i ? -1 : (x.i > y.i ? 1 : 0);
        return Sign(x.AsReal(), y.AsReal());
    }

    static std::int64_t ToRangedInteger(const Variant &v, std::int64_t lo, std::int64_t hi, const char *target)
    {
        std::int64_t out = 0;
        switch (v.type_) {
        case TVarType::varEmpty:
        case TVarType::varNull: return 0;
        case TVarType::varBoolean: return v.b_ ? -1 : 0;
        case TVarType::varShortInt:
        case TVarType::varSmallint:
        case TVarType::varInteger:
        case TVarType::varInt64: out = v.i_; break;
        case TVarType::varDouble:
        case TVarType::varDate:
            if (!RoundToRange(v.d_, lo, out))
                ThrowOverflow(v.type_, target);
            break;
        case TVarType::varString:
        case TVarType::varWideString: {
            double d = 0;
            if (TryStrToInt64(v.s_, out))
                break;
            if (!TryStrToFloat(v.s_, d))
                ThrowConvert(v.type_, target);
            if (!RoundToRange(d, lo, out))
                ThrowOverflow(v.type_, target);
            break;
        }
        case TVarType::varArray: ThrowConvert(v.type_, target);
        }
        if (out < lo || out > hi)
            ThrowOverflow(v.type_, target);
        return out;
    }
};

std::int32_t Variant::ConvertToInteger() const
{
    return static_cast<std::int32_t>(Ops::ToRangedInteger(*this, std::numeric_limits<std::int32_t>::min(),
                                                          std::numeric_limits<std::int32_t>::max(), "Integer"));
}

std::int64_t Variant::ConvertToInt64() const
{
    return Ops::ToRangedInteger(*this, std::numeric_limits<std::int64_t>::min(),
                                std::numeric_limits<std::int64_t>::max(), "Int64");
}

bool Variant::AsBoolean() const
{
    switch (type_) {
    case TVarType::varEmpty:
    case TVarType::varNull: return false;
    case TVarType::varBoolean: return b_;
    case TVarType::varShortInt:
    case TVarType::varSmallint:
    case TVarType::varInteger:
    case TVarType::varInt64: return i_ != 0;
    case TVarType::varDouble:
    case TVarType::varDate: return d_ != 0;
    case TVarType::varString:
    case TVarType::varWideString: {
        const std::string_view t = Trim(s_);
        if (SameTextAscii(t, "True"))
            return true;
        if (SameTextAscii(t, "False"))
            return false;
        double d = 0;
        if (TryStrToFloat(t, d))
            return d != 0;
        break;
    }
    case TVarType::varArray: break;
    }
    ThrowConvert(type_, "Boolean");
}

double Variant::AsDateTime() const
{
    if (IsString()) {
        double value = 0;
        if (TryStrToDateTime(s_, value, RegionalSettings::current()))
            return value;
        ThrowConvert(type_, "Date");
    }
    if (IsArray())
        ThrowConvert(type_, "Date");
    return AsDouble();
}

// ------------------------------------------------------------------ arrays

const std::vector<Variant> &Variant::AsArray() const
{
    if (!IsArray())
        throw EVariantError("Variant is not an array");
    return *a_;
}

std::vector<Variant> &Variant::AsArray()
{
    if (!IsArray())
        throw EVariantError("Variant is not an array");
    return *a_;
}

std::size_t Variant::ArrayCount() const { return IsArray() ? a_->size() : 0; }

const Variant &Variant::CheckedItem(std::size_t i) const
{
    const auto &items = AsArray();
    if (i >= items.size())
        throw EVariantError("Variant array index out of bounds");
    return items[i];
}

// ------------------------------------------------------------------ operators

Variant operator+(const Variant &a, const Variant &b) { return Variant::Ops::Arithmetic(Variant::Ops::Op::Add, a, b); }
Variant operator-(const Variant &a, const Variant &b) { return Variant::Ops::Arithmetic(Variant::Ops::Op::Sub, a, b); }
Variant operator*(const Variant &a, const Variant &b) { return Variant::Ops::Arithmetic(Variant::Ops::Op::Mul, a, b); }

Variant operator/(const Variant &a, const Variant &b)
{
    if (a.IsNull() || b.IsNull())
        return Variant::Null();
    if (a.IsArray() || b.IsArray())
        ThrowInvalidOperation();
    const double dividend = Variant::Ops::ToNumber(a).AsReal();
    const double divisor = Variant::Ops::ToNumber(b).AsReal();
    if (divisor == 0)
        ThrowDivisionByZero();
    return Variant(dividend / divisor);
}

Variant Variant::operator-() const
{
    if (IsNull())
        return Null();
    if (IsArray())
        ThrowInvalidOperation();
    const Ops::Number n = Ops::ToNumber(*this);
    switch (n.kind) {
    case Ops::Number::Int:
        if (n.i == std::numeric_limits<std::int64_t>::min())
            return Variant(-static_cast<double>(n.i));
        return Ops::MakeWidened(-n.i, n.rank);
    case Ops::Number::Date: return DateTime(-n.d);
    case Ops::Number::Real: break;
    }
    return Variant(-n.d);
}

Variant Variant::IntDiv(const Variant &a, const Variant &b) { return Ops::IntegerDivision(Ops::IntOp::Div, a, b); }
Variant Variant::Mod(const Variant &a, const Variant &b) { return Ops::IntegerDivision(Ops::IntOp::Mod, a, b); }
Variant Variant::And(const Variant &a, const Variant &b) { return Ops::Logic(Ops::LogicOp::And, a, b); }
Variant Variant::Or(const Variant &a, const Variant &b) { return Ops::Logic(Ops::LogicOp::Or, a, b); }
Variant Variant::Xor(const Variant &a, const Variant &b) { return Ops::Logic(Ops::LogicOp::Xor, a, b); }

Variant Variant::Not(const Variant &a)
{
    if (a.IsNull())
        return Null();
    if (a.IsArray())
        ThrowInvalidOperation();
    const Ops::Logical l = Ops::ToLogical(a);
    if (l.isBool)
        return Variant(!l.b);
    return Ops::MakeInt(~l.i, l.rank);
}

int Variant::Compare(const Variant &a, const Variant &b) { return Ops::Compare(a, b); }

bool Variant::SameAs(const Variant &other) const
{
    if (type_ != other.type_)
        return false;
    switch (type_) {
    case TVarType::varEmpty:
    case TVarType::varNull: return true;
    case TVarType::varBoolean: return b_ == other.b_;
    case TVarType::varShortInt:
    case TVarType::varSmallint:
    case TVarType::varInteger:
    case TVarType::varInt64: return i_ == other.i_;
    case TVarType::varDouble:
    case TVarType::varDate: return d_ == other.d_ || (std::isnan(d_) && std::isnan(other.d_));
    case TVarType::varString:
    case TVarType::varWideString: return s_ == other.s_;
    case TVarType::varArray: {
        const auto &x = *a_, &y = *other.a_;
        if (x.size() != y.size())
            return false;
        for (std::size_t i = 0; i < x.size(); ++i)
            if (!x[i].SameAs(y[i]))
                return false;
        return true;
    }
    }
    return false;
}
