#include "expr/VxIParsBuiltins.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <random>
#include <string>

#include "values/DateMask.h"
#include "values/RegionalSettings.h"
#include "expr/VxIParsErrors.h"
#include "expr/VxIParsOperators.h"
#include "expr/VxIParsText.h"

Variant TBuiltinArgs::operator[](std::size_t i) const
{
    if (i >= Count())
        throw EVxIParserError(FormatParserText(vxipars_text::ListIndexOutOfBounds, static_cast<long long>(i)));
    return EvaluateAt(i);
}

namespace {

// ------------------------------------------------------------------ helpers

[[noreturn]] void ThrowValueError(std::string_view format, std::string_view text)
{
    throw EVariantError(FormatParserText(format, text));
}

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

using vxipars::LowerAscii;
using vxipars::SameTextAscii;
using vxipars::UpperAscii;

std::size_t FindNoCase(std::string_view text, std::string_view pattern)
{
    if (pattern.size() > text.size())
        return std::string::npos;
    for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i)
        if (SameTextAscii(text.substr(i, pattern.size()), pattern))
            return i;
    return std::string::npos;
}

Variant Int(std::int64_t value)
{
    if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<std::int32_t>(value));
    return Variant(value);
}

double Ln(double x)
{
    if (x == 0)
        throw EVariantError(std::string(vxipars_text::DivisionByZero));
    if (!(x > 0))
        throw EVariantError(std::string(vxipars_text::InvalidFloatOperation));
    return std::log(x);
}

// Argument i read as a date-time.
double DateArg(const TBuiltinArgs &args, std::size_t i) { return args[i].AsDateTime(); }

std::string TextArg(const TBuiltinArgs &args, std::size_t i) { return args[i].AsString(); }

// The first character of a separator or fill argument; a blank when it is no text or empty.
char FirstCharOrBlank(const Variant &value)
{
    if (!value.IsString() || value.AsString().empty())
        return ' ';
    return value.AsString().front();
}

// ------------------------------------------------------------------ conversion

Variant Chr(const TBuiltinArgs &a) { return Variant(std::string(1, static_cast<char>(a[0].AsInteger() & 0xFF))); }

Variant DateToStr(const TBuiltinArgs &a)
{
    // Midnight shows no time, so the whole day alone writes just the date.
    return Variant(DateTimeToStr(std::trunc(DateArg(a, 0)), RegionalSettings::current()));
}

Variant FloatToStrFn(const TBuiltinArgs &a) { return Variant(FloatToStr(a[0].AsDouble())); }

Variant IntToStr(const TBuiltinArgs &a) { return Variant(std::to_string(a[0].AsInt64())); }

Variant Ord(const TBuiltinArgs &a)
{
    const std::string s = TextArg(a, 0);
    if (s.empty())
        throw EVariantError(std::string(vxipars_text::RangeCheck));
    return Variant(static_cast<std::int32_t>(static_cast<unsigned char>(s.front())));
}

Variant StrToDate(const TBuiltinArgs &a)
{
    const std::string s = TextArg(a, 0);
    double value = 0;
    if (!TryStrToDateTime(s, value, RegionalSettings::current()))
        ThrowValueError(vxipars_text::InvalidDate, s);
    return Variant::DateTime(value);
}

Variant StrToFloat(const TBuiltinArgs &a)
{
    const std::string s = TextArg(a, 0);
    double value = 0;
    if (!TryStrToFloat(s, value, RegionalSettings::current()))
        ThrowValueError(vxipars_text::InvalidFloat, s);
    return Variant(value);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = UpperAscii(c);
    return (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
}

// Decimal within the 32-bit range, or hexadecimal after "$", "x" or "0x" up to 32 bits
// (so $FFFFFFFF is -1). Returns false for anything else.
bool TryReadInteger(std::string_view t, std::int32_t &out)
{
    while (!t.empty() && IsTrimmed(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && IsTrimmed(t.back()))
        t.remove_suffix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (!t.empty() && (t.front() == '$' || UpperAscii(t.front()) == 'X')) {
        base = 16;
        t.remove_prefix(1);
    } else if (t.size() >= 2 && t[0] == '0' && UpperAscii(t[1]) == 'X') {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty())
        return false;
    std::uint64_t value = 0;
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFULL : (negative ? 0x80000000ULL : 0x7FFFFFFFULL);
    for (char c : t) {
        const int d = base == 16 ? HexDigit(c) : ((c >= '0' && c <= '9') ? c - '0' : -1);
        if (d < 0)
            return false;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > limit)
            return false;
    }
    const auto bits = static_cast<std::uint32_t>(negative ? 0ULL - value : value);
    out = static_cast<std::int32_t>(bits);
    return true;
}

Variant StrToInt(const TBuiltinArgs &a)
{
    const std::string s = TextArg(a, 0);
    std::int32_t value = 0;
    if (!TryReadInteger(s, value))
        ThrowValueError(vxipars_text::InvalidInteger, s);
    return Variant(value);
}

// ------------------------------------------------------------------ date and time

Variant DatePart(const TBuiltinArgs &a) { return Variant(std::trunc(DateArg(a, 0))); }

Variant TimePart(const TBuiltinArgs &a)
{
    const double d = DateArg(a, 0);
    return Variant(d - std::trunc(d));
}

Variant DateTimeFromString(const TBuiltinArgs &a)
{
    const std::string text = TextArg(a, 0);
    const std::string mask = TextArg(a, 1);
    const char dateSeparator = FirstCharOrBlank(a[2]);
    const char timeSeparator = FirstCharOrBlank(a[3]);
    return Variant::DateTime(ParseDateTimeByMask(text, mask, dateSeparator, timeSeparator));
}

enum class DatePiece { Year, Month, Day, Hour, Minute, Second };

template <DatePiece piece> Variant DatePieceOf(const TBuiltinArgs &a)
{
    const double d = DateArg(a, 0);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    if constexpr (piece == DatePiece::Year || piece == DatePiece::Month || piece == DatePiece::Day)
        DecodeDate(d, year, month, day);
    else
        DecodeTime(d, hour, minute, second, msec);
    switch (piece) {
    case DatePiece::Year: return Variant(year);
    case DatePiece::Month: return Variant(month);
    case DatePiece::Day: return Variant(day);
    case DatePiece::Hour: return Variant(hour);
    case DatePiece::Minute: return Variant(minute);
    case DatePiece::Second: break;
    }
    return Variant(second);
}

// ------------------------------------------------------------------ math

Variant Abs(const TBuiltinArgs &a) { return Variant(std::fabs(a[0].AsDouble())); }

Variant Exp(const TBuiltinArgs &a) { return Variant(std::exp(a[0].AsDouble())); }

Variant Frac(const TBuiltinArgs &a)
{
    const double x = a[0].AsDouble();
    return Variant(x - std::trunc(x));
}

Variant IntPart(const TBuiltinArgs &a) { return Variant(std::trunc(a[0].AsDouble())); }

Variant LnFn(const TBuiltinArgs &a) { return Variant(Ln(a[0].AsDouble())); }

Variant Log(const TBuiltinArgs &a) { return Variant(Ln(a[0].AsDouble()) / std::log(10.0)); }

Variant Mod(const TBuiltinArgs &a)
{
    const Variant x = a[0];
    return Variant::Mod(x, a[1]);
}

Variant Div(const TBuiltinArgs &a)
{
    const Variant x = a[0];
    return Variant::IntDiv(x, a[1]);
}

Variant Power(const TBuiltinArgs &a)
{
    const Variant base = MakeNumeric(a[0]);
    return PowerOf(base, MakeNumeric(a[1]));
}

std::mt19937_64 &RandomEngine()
{
    static std::mt19937_64 engine{std::random_device{}()};
    return engine;
}

Variant Random(const TBuiltinArgs &a)
{
    if (a.Count() == 0)
        return Variant(std::uniform_real_distribution<double>(0.0, 1.0)(RandomEngine()));
    const std::int32_t range = a[0].AsInteger();
    if (range <= 0)
        return Variant(0);
    return Variant(std::uniform_int_distribution<std::int32_t>(0, range - 1)(RandomEngine()));
}

Variant Round(const TBuiltinArgs &a)
{
    // The value's own integer conversion rounds halves to the even neighbour.
    return Int(Variant(a[0].AsDouble()).AsInt64());
}

Variant Sqr(const TBuiltinArgs &a)
{
    const double x = a[0].AsDouble();
    return Variant(x * x);
}

Variant Sqrt(const TBuiltinArgs &a)
{
    const double x = a[0].AsDouble();
    if (x < 0 || std::isnan(x))
        throw EVariantError(std::string(vxipars_text::InvalidFloatOperation));
    return Variant(std::sqrt(x));
}

Variant Percent(const TBuiltinArgs &a)
{
    const Variant x = a[0];
    return x * a[1] / Variant(100);
}

// ------------------------------------------------------------------ program flow

Variant Iif(const TBuiltinArgs &a) { return a[0].AsBoolean() ? a[1] : a[2]; }

Variant IsNull(const TBuiltinArgs &a) { return Variant(a[0].IsNullOrEmpty()); }

// ------------------------------------------------------------------ aggregate

Variant SumOf(const TBuiltinArgs &a)
{
    Variant sum(0);
    for (std::size_t i = 0; i < a.Count(); ++i)
        sum = sum + a[i];
    return sum;
}

Variant Avg(const TBuiltinArgs &a) { return SumOf(a) / Variant(static_cast<std::int32_t>(a.Count())); }

// One less than the arguments given: COUNT(1, 2, 3) is 2.
Variant Count(const TBuiltinArgs &a) { return Variant(static_cast<std::int32_t>(a.Count()) - 1); }

// Starts from 0, so the result is never negative.
Variant Max(const TBuiltinArgs &a)
{
    Variant result(0);
    for (std::size_t i = 0; i < a.Count(); ++i) {
        Variant v = a[i];
        if (Variant::Compare(v, result) > 0)
            result = std::move(v);
    }
    return result;
}

Variant Min(const TBuiltinArgs &a)
{
    Variant result = Variant::Null();
    for (std::size_t i = 0; i < a.Count(); ++i) {
        Variant v = a[i];
        if (i == 0 || Variant::Compare(v, result) < 0)
            result = std::move(v);
    }
    return result;
}

// ------------------------------------------------------------------ string

Variant Length(const TBuiltinArgs &a) { return Variant(static_cast<std::int32_t>(TextArg(a, 0).size())); }

Variant Lower(const TBuiltinArgs &a)
{
    std::string s = TextArg(a, 0);
    for (char &c : s)
        c = LowerAscii(c);
    return Variant(std::move(s));
}

Variant Upper(const TBuiltinArgs &a)
{
    std::string s = TextArg(a, 0);
    for (char &c : s)
        c = UpperAscii(c);
    return Variant(std::move(s));
}

Variant Pos(const TBuiltinArgs &a)
{
    const std::string sub = TextArg(a, 0);
    const std::string s = TextArg(a, 1);
    if (sub.empty())
        return Variant(0);
    const std::size_t at = s.find(sub);
    return Variant(at == std::string::npos ? 0 : static_cast<std::int32_t>(at) + 1);
}

Variant ReplaceStr(const TBuiltinArgs &a)
{
    std::string s = TextArg(a, 0);
    const std::string oldText = TextArg(a, 1);
    const std::string newText = TextArg(a, 2);
    const bool ignoreCase = a[3].AsBoolean();
    const bool replaceAll = a[4].AsBoolean();
    if (oldText.empty())
        return Variant(std::move(s));
    if (!replaceAll) {
        const std::size_t at = ignoreCase ? FindNoCase(s, oldText) : s.find(oldText);
        if (at != std::string::npos)
            s.replace(at, oldText.size(), newText);
        return Variant(std::move(s));
    }
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = s.find(oldText); at != std::string::npos; at = s.find(oldText, from)) {
        out.append(s, from, at - from);
        out += newText;
        from = at + oldText.size();
    }
    out.append(s, from, std::string::npos);
    return Variant(std::move(out));
}

Variant SubString(const TBuiltinArgs &a)
{
    const std::string s = TextArg(a, 0);
    std::int64_t from = a[1].AsInteger();
    const std::int64_t count = a[2].AsInteger();
    if (from < 1)
        from = 1;
    const auto length = static_cast<std::int64_t>(s.size());
    if (from > length || count <= 0)
        return Variant(std::string());
    const std::int64_t take = std::min(count, length - from + 1);
    return Variant(s.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(take)));
}

// The first n characters of s, filled to n with the first character of the third argument.
template <bool left> Variant Pad(const TBuiltinArgs &a)
{
    std::string s = TextArg(a, 0);
    const std::int32_t n = a[1].AsInteger();
    const char fill = a.Count() > 2 ? FirstCharOrBlank(Variant(a[2].AsString())) : ' ';
    if (n <= 0)
        return Variant(std::string());
    const auto width = static_cast<std::size_t>(n);
    if (s.size() >= width) {
        s.resize(width);
        return Variant(std::move(s));
    }
    const std::string padding(width - s.size(), fill);
    return Variant(left ? padding + s : s + padding);
}

template <bool atStart, bool atEnd> Variant TrimFn(const TBuiltinArgs &a)
{
    const std::string s = TextArg(a, 0);
    std::size_t b = 0, e = s.size();
    while (atStart && b < e && IsTrimmed(s[b]))
        ++b;
    while (atEnd && e > b && IsTrimmed(s[e - 1]))
        --e;
    return Variant(s.substr(b, e - b));
}

// ------------------------------------------------------------------ table

struct BuiltinEntry {
    std::string_view name;
    TBuiltinFunction function;
};

constexpr std::array kBuiltins = {
    BuiltinEntry{"CHR", Chr},
    BuiltinEntry{"DATETOSTR", DateToStr},
    BuiltinEntry{"FLOATTOSTR", FloatToStrFn},
    BuiltinEntry{"INTTOSTR", IntToStr},
    BuiltinEntry{"ORD", Ord},
    BuiltinEntry{"STRTODATE", StrToDate},
    BuiltinEntry{"STRTOFLOAT", StrToFloat},
    BuiltinEntry{"STRTOINT", StrToInt},
    BuiltinEntry{"DATEPART", DatePart},
    BuiltinEntry{"DATETIMEFROMSTRING", DateTimeFromString},
    BuiltinEntry{"DAY", DatePieceOf<DatePiece::Day>},
    BuiltinEntry{"HOUR", DatePieceOf<DatePiece::Hour>},
    BuiltinEntry{"MINUTE", DatePieceOf<DatePiece::Minute>},
    BuiltinEntry{"MONTH", DatePieceOf<DatePiece::Month>},
    BuiltinEntry{"SECOND", DatePieceOf<DatePiece::Second>},
    BuiltinEntry{"TIMEPART", TimePart},
    BuiltinEntry{"YEAR", DatePieceOf<DatePiece::Year>},
    BuiltinEntry{"ABS", Abs},
    BuiltinEntry{"EXP", Exp},
    BuiltinEntry{"FRAC", Frac},
    BuiltinEntry{"INT", IntPart},
    BuiltinEntry{"LN", LnFn},
    BuiltinEntry{"LOG", Log},
    BuiltinEntry{"MOD", Mod},
    BuiltinEntry{"DIV", Div},
    BuiltinEntry{"POWER", Power},
    BuiltinEntry{"RANDOM", Random},
    BuiltinEntry{"ROUND", Round},
    BuiltinEntry{"SQR", Sqr},
    BuiltinEntry{"SQRT", Sqrt},
    BuiltinEntry{"PERCENT", Percent},
    BuiltinEntry{"IIF", Iif},
    BuiltinEntry{"ISNULL", IsNull},
    BuiltinEntry{"AVG", Avg},
    BuiltinEntry{"COUNT", Count},
    BuiltinEntry{"MAX", Max},
    BuiltinEntry{"MIN", Min},
    BuiltinEntry{"SUM", SumOf},
    BuiltinEntry{"LENGTH", Length},
    BuiltinEntry{"LOWER", Lower},
    BuiltinEntry{"POS", Pos},
    BuiltinEntry{"REPLACESTR", ReplaceStr},
    BuiltinEntry{"SUBSTRING", SubString},
    BuiltinEntry{"SUBSTR", SubString},
    BuiltinEntry{"COPY", SubString},
    BuiltinEntry{"PADL", Pad<true>},
    BuiltinEntry{"PADR", Pad<false>},
    BuiltinEntry{"TRIM", TrimFn<true, true>},
    BuiltinEntry{"TRIMLEFT", TrimFn<true, false>},
    BuiltinEntry{"TRIMRIGHT", TrimFn<false, true>},
    BuiltinEntry{"UPPER", Upper},
};

} // namespace

TBuiltinFunction FindBuiltin(std::string_view name)
{
    for (const BuiltinEntry &entry : kBuiltins)
        if (SameTextAscii(entry.name, name))
            return entry.function;
    return nullptr;
}

Variant CurrentDateTime()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto msec = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    double date = 0, time = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
    // A leap second (tm_sec 60) is folded into the last regular one.
    TryEncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), static_cast<int>(msec), time);
    return Variant::DateTime(date + time);
}
