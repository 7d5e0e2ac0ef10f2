#include "expr/VxIParsOperators.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "values/RegionalSettings.h"
#include "expr/VxIParsErrors.h"

namespace {

constexpr std::array<TExpOperator, 16> kOperators = {{
    {"+", 1, 2, TExpOperatorId::Add},
    {"-", 2, 2, TExpOperatorId::Subtract},
    {"*", 3, 2, TExpOperatorId::Multiply},
    {"/", 4, 2, TExpOperatorId::Divide},
    {"^", 5, 2, TExpOperatorId::Power},
    {"!", 6, 1, TExpOperatorId::Factorial},
    {"=", 7, 2, TExpOperatorId::Equal},
    {"<", 8, 2, TExpOperatorId::Less},
    {">", 9, 2, TExpOperatorId::Greater},
    {"<=", 10, 2, TExpOperatorId::LessEqual},
    {">=", 11, 2, TExpOperatorId::GreaterEqual},
    {"<>", 12, 2, TExpOperatorId::NotEqual},
    {"!=", 13, 2, TExpOperatorId::BangEqual},
    {"AND", 14, 2, TExpOperatorId::And},
    {"OR", 15, 2, TExpOperatorId::Or},
    {"NOT", 16, 1, TExpOperatorId::Not},
}};

void EraseCurrency(std::string &text, const std::string &currency)
{
    std::size_t at = currency.empty() ? std::string::npos : text.find(currency);
    if (at != std::string::npos) {
        text.erase(at, currency.size());
        return;
    }
    at = text.find('$');
    if (at != std::string::npos)
        text.erase(at, 1);
}

[[noreturn]] void ThrowValueError(std::string_view text) { throw EVariantError(std::string(text)); }

double IntPower(double base, long long exponent)
{
    const bool reciprocal = exponent < 0;
    unsigned long long n = reciprocal ? 0ULL - static_cast<unsigned long long>(exponent)
                                      : static_cast<unsigned long long>(exponent);
    double result = 1;
    double square = base;
    while (n != 0) {
        if (n & 1)
            result *= square;
        square *= square;
        n >>= 1;
    }
    if (!reciprocal)
        return result;
    if (result == 0)
        ThrowValueError(vxipars_text::DivisionByZero);
    return 1 / result;
}

// Round half to even, as every rounding of the language does (the default rounding mode).
double RoundHalfEven(double x) { return std::nearbyint(x); }

} // namespace

const TExpOperator *FindOperator(std::string_view text)
{
    for (const TExpOperator &op : kOperators)
        if (op.Text == text)
            return &op;
    return nullptr;
}

bool IsOperatorChar(char c)
{
    switch (c) {
    case '+':
    case '-':
    case '*':
    case '/':
    case '^':
    case '!':
    case '=':
    case '<':
    case '>': return true;
    default: return false;
    }
}

Variant MakeNumeric(const Variant &value)
{
    if (value.IsNullOrEmpty())
        return Variant(0);
    if (!value.IsString())
        return value;
    const TFormatSettings &fs = RegionalSettings::current();
    std::string text = value.AsString();
    // The comma goes even where it is the decimal separator: "1,5" counts as 15.
    std::erase(text, ',');
    if (fs.ThousandSeparator != '\0')
        std::erase(text, fs.ThousandSeparator);
    EraseCurrency(text, fs.CurrencyString);
    double number = 0;
    if (!TryStrToFloat(text, number, fs))
        return Variant(0);
    return Variant(std::move(text));
}

Variant PowerOf(const Variant &base, const Variant &exponent)
{
    const double b = base.AsDouble();
    const double e = exponent.AsDouble();
    if (e == 0)
        return Variant(1.0);
    if (b == 0 && e > 0)
        return Variant(0.0);
    const bool integral = std::trunc(e) == e && e >= std::numeric_limits<std::int32_t>::min() &&
                          e <= std::numeric_limits<std::int32_t>::max();
    if (integral)
        return Variant(IntPower(b, static_cast<long long>(e)));
    if (b == 0)
        ThrowValueError(vxipars_text::DivisionByZero);
    if (b < 0 || std::isnan(b))
        ThrowValueError(vxipars_text::InvalidFloatOperation);
    return Variant(std::exp(e * std::log(b)));
}

Variant FactorialOf(const Variant &value)
{
    const double n = RoundHalfEven(value.AsDouble());
    if (!(n >= 2))
        return Variant(n);
    double result = 1;
    // Past 170! the product is infinite; stopping there keeps a huge operand from looping.
    for (double i = 2; i <= n && !std::isinf(result); ++i)
        result *= i;
    return Variant(result);
}

Variant AddValues(const Variant &a, const Variant &b)
{
    if (a.IsString() != b.IsString())
        return Variant(a.AsString() + b.AsString());
    return a + b;
}
