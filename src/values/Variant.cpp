#include "values/Variant.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

// ================================================================== text and numbers

namespace {

[[noreturn]] void ThrowConvert(TVarType from, const char *to)
{
    throw EVariantError(std::string("Could not convert variant of type (") + Variant::TypeName(from) +
                        ") into type (" + to + ")");
}

[[noreturn]] void ThrowOverflow(TVarType from, const char *to)
{
    throw EVariantError(std::string("Overflow while converting variant of type (") +
                        Variant::TypeName(from) + ") into type (" + to + ")");
}

[[noreturn]] void ThrowInvalidOperation() { throw EVariantError("Invalid variant operation"); }

[[noreturn]] void ThrowDivisionByZero() { throw EVariantError("Division by zero"); }

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

// Round half to even, as the classic variant conversions do (2.5 -> 2, 3.5 -> 4).
double RoundBankers(double x)
{
    const double lower = std::floor(x);
    const double diff = x - lower;
    if (diff > 0.5)
        return lower + 1;
    if (diff < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

// Rounds and checks that the result fits [lo, hi]. The upper bound is compared as
// -lo (a power of two, exact in a double) because hi itself may not be representable.
bool RoundToRange(double x, std::int64_t lo, std::int64_t &out)
{
    const double r = RoundBankers(x);
    const double low = static_cast<double>(lo);
    if (!(r >= low && r < -low))
        return false;
    out = static_cast<std::int64_t>(r);
    return true;
}

bool FitsInt32(std::int64_t v)
{
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

std::string FloatToStr(double value, const TFormatSettings &fs)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // 15 significant digits, rounded by the C library; then laid out by hand.
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    std::string_view s(buffer);
    const bool negative = s.front() == '-';
    if (negative)
        s.remove_prefix(1);
    const std::size_t e = s.find('e');
    std::string digits(1, s[0]);
    digits.append(s.substr(2, e - 2));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string_view exponentText = s.substr(e + 1);
    if (!exponentText.empty() && exponentText.front() == '+')
        exponentText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    const char dec = fs.DecimalSeparator != '\0' ? fs.DecimalSeparator : '.';
    std::string out;
    if (negative)
        out += '-';
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1) {
            out += dec;
            out.append(digits, 1, std::string::npos);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += '0';
        out += dec;
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out.append(digits, 0, whole);
            out += dec;
            out.append(digits, whole, std::string::npos);
        }
    }
    return out;
}

std::string FloatToStr(double value) { return FloatToStr(value, RegionalSettings::current()); }

bool TryStrToFloat(std::string_view text, double &value, const TFormatSettings &fs)
{
    const std::string_view t = Trim(text);
    // Rebuilt in the one form std::from_chars reads, whatever the regional separator.
    std::string buffer;
    buffer.reserve(t.size());
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        if (t[i] == '-')
            buffer += '-';
        ++i;
    }
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (IsDigit(c)) {
            buffer += c;
            digits = true;
        } else if (!point && (c == '.' || (c == fs.DecimalSeparator && c != '\0'))) {
            buffer += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        buffer += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            buffer += t[i++];
        bool exponentDigits = false;
        for (; i < t.size() && IsDigit(t[i]); ++i) {
            buffer += t[i];
            exponentDigits = true;
        }
        if (!exponentDigits)
            return false;
    }
    if (i != t.size())
        return false;
    double result = 0;
    const char *end = buffer.data() + buffer.size();
    const auto [ptr, ec] = std::from_chars(buffer.data(), end, result);
    if (ec != std::errc() || ptr != end)
        return false;
    value = result;
    return true;
}

bool TryStrToFloat(std::string_view text, double &value)
{
    return TryStrToFloat(text, value, RegionalSettings::current());
}

bool TryStrToInt64(std::string_view text, std::int64_t &value)
{
    std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
        if (!t.empty() && t.front() == '-')
            return false;
    }
    if (t.empty())
        return false;
    std::int64_t result = 0;
    const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), result);
    if (ec != std::errc() || ptr != t.data() + t.size())
        return false;
    value = result;
    return true;
}

// ================================================================== dates and times

namespace {

constexpr std::int64_t kMSecsPerDay = 86400000;
// Day 1 is 0001-01-01; this many days lie between it and 1899-12-30 (date 0) plus one.
constexpr std::int64_t kDateDelta = 693594;

constexpr int kDaysInMonth[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                     {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

struct TimeStamp {
    std::int64_t date; // days since 0001-01-01, that day being 1
    std::int64_t time; // milliseconds since midnight
};

// Both halves come from one rounding to whole milliseconds, so a value a hair below
// midnight becomes the next day at 00:00:00.000 rather than 23:59:59.1000. For dates
// before 1899-12-30 the fraction still counts forward from midnight (-1.25 is
// 1899-12-29 06:00), which is why the time uses the absolute value.
TimeStamp ToTimeStamp(double dateTime)
{
    const double ms = RoundBankers(dateTime * static_cast<double>(kMSecsPerDay));
    const double limit = 9.0e18;
    const std::int64_t total = static_cast<std::int64_t>(std::clamp(ms, -limit, limit));
    TimeStamp ts;
    ts.date = kDateDelta + total / kMSecsPerDay;
    ts.time = (total < 0 ? -total : total) % kMSecsPerDay;
    return ts;
}

std::int64_t CurrentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

} // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool TryEncodeDate(int year, int month, int day, double &date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const int(&days)[12] = kDaysInMonth[IsLeapYear(year) ? 1 : 0];
    if (day > days[month - 1])
        return false;
    for (int m = 0; m < month - 1; ++m)
        day += days[m];
    const std::int64_t y = year - 1;
    date = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + day - kDateDelta);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, double &time)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return false;
    const std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + msec;
    time = static_cast<double>(ms) / static_cast<double>(kMSecsPerDay);
    return true;
}

double EncodeDate(int year, int month, int day)
{
    double date = 0;
    if (!TryEncodeDate(year, month, day, date))
        throw EVariantError("Invalid argument to date encode");
    return date;
}

double EncodeTime(int hour, int minute, int second, int msec)
{
    double time = 0;
    if (!TryEncodeTime(hour, minute, second, msec, time))
        throw EVariantError("Invalid argument to time encode");
    return time;
}

void DecodeDate(double dateTime, int &year, int &month, int &day)
{
    std::int64_t t = ToTimeStamp(dateTime).date;
    if (t <= 0) {
        year = month = day = 0;
        return;
    }
    constexpr std::int64_t d1 = 365, d4 = d1 * 4 + 1, d100 = d4 * 25 - 1, d400 = d100 * 4 + 1;
    --t;
    std::int64_t y = 1 + (t / d400) * 400;
    t %= d400;
    std::int64_t i = t / d100, d = t % d100;
    if (i == 4) { // the last day of a 400-year cycle
        --i;
        d += d100;
    }
    y += i * 100;
    y += (d / d4) * 4;
    d %= d4;
    i = d / d1;
    d %= d1;
    if (i == 4) { // the last day of a leap year
        --i;
        d += d1;
    }
    y += i;
    const int(&days)[12] = kDaysInMonth[IsLeapYear(static_cast<int>(y)) ? 1 : 0];
    int m = 0;
    while (d >= days[m]) {
        d -= days[m];
        ++m;
    }
    year = static_cast<int>(y);
    month = m + 1;
    day = static_cast<int>(d) + 1;
}

void DecodeTime(double dateTime, int &hour, int &minute, int &second, int &msec)
{
    std::int64_t ms = ToTimeStamp(dateTime).time;
    hour = static_cast<int>(ms / 3600000);
    ms %= 3600000;
    minute = static_cast<int>(ms / 60000);
    ms %= 60000;
    second = static_cast<int>(ms / 1000);
    msec = static_cast<int>(ms % 1000);
}

namespace {

void AppendNumber(std::string &out, std::int64_t value, int width)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (value < 0)
        out += '-';
    if (static_cast<int>(digits.size()) < width)
        out.append(static_cast<std::size_t>(width) - digits.size(), '0');
    out += digits;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view prefix)
{
    return !prefix.empty() && pos + prefix.size() <= text.size() &&
           SameTextAscii(text.substr(pos, prefix.size()), prefix);
}

bool UsesTwelveHourClock(std::string_view pattern)
{
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (StartsWithNoCase(pattern, i, "ampm") || StartsWithNoCase(pattern, i, "am/pm"))
            return true;
    return false;
}

// Renders a date/time pattern: d dd, M MM MMM MMMM (m right after an hour means
// minutes), yy yyyy, h hh, n nn, s ss, z zzz, ampm, am/pm, "/" and ":" as the regional
// separators, and quoted literals.
std::string FormatPattern(std::string_view pattern, double dateTime, const TFormatSettings &fs)
{
    int year, month, day, hour, minute, second, msec;
    DecodeDate(dateTime, year, month, day);
    DecodeTime(dateTime, hour, minute, second, msec);
    const bool twelveHour = UsesTwelveHourClock(pattern);

    std::string out;
    bool afterHour = false;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = pattern.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            out.append(pattern.substr(i + 1, end - i - 1));
            i = end == pattern.size() ? end : end + 1;
            continue;
        }
        if (StartsWithNoCase(pattern, i, "ampm")) {
            out += hour < 12 ? fs.TimeAMString : fs.TimePMString;
            i += 4;
            continue;
        }
        if (StartsWithNoCase(pattern, i, "am/pm")) {
            const bool upper = c == 'A';
            out += hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            i += 5;
            continue;
        }
        const char lower = LowerAscii(c);
        std::size_t run = 1;
        while (i + run < pattern.size() && LowerAscii(pattern[i + run]) == lower && lower >= 'a' &&
               lower <= 'z')
            ++run;
        switch (lower) {
        case 'd':
            AppendNumber(out, day, run >= 2 ? 2 : 1);
            afterHour = false;
            break;
        case 'm':
            if (afterHour) {
                AppendNumber(out, minute, run >= 2 ? 2 : 1);
                afterHour = false;
            } else if (run >= 4) {
                out += month >= 1 ? fs.LongMonthNames[month - 1] : std::string();
            } else if (run == 3) {
                out += month >= 1 ? fs.ShortMonthNames[month - 1] : std::string();
            } else {
                AppendNumber(out, month, static_cast<int>(run));
            }
            break;
        case 'y':
            if (run <= 2)
                AppendNumber(out, year % 100, 2);
            else
                AppendNumber(out, year, 4);
            afterHour = false;
            break;
        case 'h': {
            int h = hour;
            if (twelveHour) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            AppendNumber(out, h, run >= 2 ? 2 : 1);
            afterHour = true;
            break;
        }
        case 'n':
            AppendNumber(out, minute, run >= 2 ? 2 : 1);
            afterHour = false;
            break;
        case 's':
            AppendNumber(out, second, run >= 2 ? 2 : 1);
            afterHour = false;
            break;
        case 'z':
            AppendNumber(out, msec, run >= 2 ? 3 : 1);
            afterHour = false;
            break;
        case '/':
            if (fs.DateSeparator != '\0')
                out += fs.DateSeparator;
            break;
        case ':':
            if (fs.TimeSeparator != '\0')
                out += fs.TimeSeparator;
            break;
        default:
            out.append(pattern.substr(i, run));
            break;
        }
        i += run;
    }
    return out;
}

} // namespace

std::string DateTimeToStr(double dateTime, const TFormatSettings &fs)
{
    std::string out = FormatPattern(fs.ShortDateFormat, dateTime, fs);
    int hour, minute, second, msec;
    DecodeTime(dateTime, hour, minute, second, msec);
    if (hour != 0 || minute != 0 || second != 0) {
        out += ' ';
        out += FormatPattern(fs.LongTimeFormat, dateTime, fs);
    }
    return out;
}

namespace {

enum class DateOrder { MDY, DMY, YMD };

DateOrder DateOrderOf(std::string_view format)
{
    bool quoted = false;
    for (char c : format) {
        if (c == '"' || c == '\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        switch (LowerAscii(c)) {
        case 'd': return DateOrder::DMY;
        case 'm': return DateOrder::MDY;
        case 'y': return DateOrder::YMD;
        default: break;
        }
    }
    return DateOrder::MDY;
}

class DateTimeScanner {
public:
    DateTimeScanner(std::string_view text, const TFormatSettings &fs) : s_(text), fs_(fs) {}

    bool AtEnd() const { return pos_ >= s_.size(); }
    void Rewind() { pos_ = 0; }

    void SkipBlanks()
    {
        while (pos_ < s_.size() && IsBlank(s_[pos_]))
            ++pos_;
    }

    bool Char(char c)
    {
        if (c == '\0' || pos_ >= s_.size() || s_[pos_] != c)
            return false;
        ++pos_;
        return true;
    }

    bool Number(int &value, int &length)
    {
        const std::size_t start = pos_;
        std::int64_t v = 0;
        while (pos_ < s_.size() && IsDigit(s_[pos_]) && pos_ - start < 9)
            v = v * 10 + (s_[pos_++] - '0');
        length = static_cast<int>(pos_ - start);
        if (length == 0 || (pos_ < s_.size() && IsDigit(s_[pos_])))
            return false;
        value = static_cast<int>(v);
        return true;
    }

    // Date in the regional order. A first number of three or more digits is a year, so
    // "2000-01-31" reads as ISO; its '-' is accepted whatever the regional separator.
    bool Date(double &date)
    {
        SkipBlanks();
        int n1, n2, n3, l1, l2, l3;
        if (!Number(n1, l1))
            return false;
        char sep = fs_.DateSeparator;
        if (!Char(sep)) {
            if (l1 >= 3 && Char('-'))
                sep = '-';
            else
                return false;
        }
        iso_ = sep == '-' && sep != fs_.DateSeparator;
        if (!Number(n2, l2))
            return false;
        const DateOrder order = DateOrderOf(fs_.ShortDateFormat);
        int year, month, day, yearLength;
        if (Char(sep)) {
            if (!Number(n3, l3))
                return false;
            if (l1 > 2 || order == DateOrder::YMD) {
                year = n1, yearLength = l1, month = n2, day = n3;
            } else if (order == DateOrder::DMY) {
                day = n1, month = n2, year = n3, yearLength = l3;
            } else {
                month = n1, day = n2, year = n3, yearLength = l3;
            }
        } else {
            if (iso_)
                return false;
            year = static_cast<int>(CurrentYear());
            yearLength = 4;
            if (order == DateOrder::DMY)
                day = n1, month = n2;
            else
                month = n1, day = n2;
        }
        if (yearLength <= 2 && year <= 99)
            year = static_cast<int>(ExpandTwoDigitYear(year));
        return TryEncodeDate(year, month, day, date);
    }

    // [AM|PM] hour [:minute [:second [.fraction]]] [AM|PM]
    bool Time(double &time)
    {
        SkipBlanks();
        int baseHour = AmPm();
        if (baseHour >= 0)
            SkipBlanks();
        int hour, minute = 0, second = 0, msec = 0, length;
        if (!Number(hour, length))
            return false;
        if (TimeSeparator()) {
            if (!Number(minute, length))
                return false;
            if (TimeSeparator()) {
                if (!Number(second, length))
                    return false;
                if (Char(fs_.DecimalSeparator) || Char('.')) {
                    // A fraction of a second: ".5" is 500 ms, digits past the third are cut.
                    int scale = 100;
                    bool digits = false;
                    while (pos_ < s_.size() && IsDigit(s_[pos_])) {
                        msec += (s_[pos_++] - '0') * scale;
                        scale /= 10;
                        digits = true;
                    }
                    if (!digits)
                        return false;
                }
            }
        }
        SkipBlanks();
        if (baseHour < 0)
            baseHour = AmPm();
        if (baseHour >= 0) {
            if (hour == 0 || hour > 12)
                return false;
            hour = hour % 12 + baseHour;
        }
        SkipBlanks();
        return TryEncodeTime(hour, minute, second, msec, time);
    }

    bool Iso() const { return iso_; }

private:
    bool TimeSeparator() { return Char(fs_.TimeSeparator) || Char(':'); }

    // 0 for AM, 12 for PM, -1 for neither.
    int AmPm()
    {
        for (const auto &[word, base] : {std::pair<std::string_view, int>{fs_.TimeAMString, 0},
                                         {"AM", 0},
                                         {fs_.TimePMString, 12},
                                         {"PM", 12}})
            if (StartsWithNoCase(s_, pos_, word)) {
                pos_ += word.size();
                return base;
            }
        return -1;
    }

    std::int64_t ExpandTwoDigitYear(int year) const
    {
        const std::int64_t current = CurrentYear();
        const int window = fs_.TwoDigitYearCenturyWindow;
        if (window <= 0)
            return current / 100 * 100 + year;
        const std::int64_t pivot = current - window;
        std::int64_t y = pivot / 100 * 100 + year;
        if (y < pivot)
            y += 100;
        return y;
    }

    std::string_view s_;
    const TFormatSettings &fs_;
    std::size_t pos_ = 0;
    bool iso_ = false;
};

} // namespace

bool TryStrToDateTime(std::string_view text, double &dateTime, const TFormatSettings &fs)
{
    DateTimeScanner scan(text, fs);
    double date = 0;
    if (scan.Date(date)) {
        scan.SkipBlanks();
        if (scan.AtEnd()) {
            dateTime = date;
            return true;
        }
        if (scan.Iso() && !scan.Char('T'))
            scan.Char('t');
        double time = 0;
        if (scan.Time(time) && scan.AtEnd()) {
            dateTime = date >= 0 ? date + time : date - time;
            return true;
        }
    }
    scan.Rewind();
    double time = 0;
    if (scan.Time(time) && scan.AtEnd()) {
        dateTime = time;
        return true;
    }
    return false;
}

// ================================================================== Variant

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
    return type_ == TVarType::varShortInt || type_ == TVarType::varSmallint ||
           type_ == TVarType::varInteger || type_ == TVarType::varInt64;
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
                                    : (x == std::numeric_limits<std::int64_t>::min()
                                           ? Variant(-static_cast<double>(x))
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
