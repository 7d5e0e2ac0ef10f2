// Dates and times: days since 1899-12-30, their calendar parts, and their text.

#include "values/Variant.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "values/VariantHelpers.h"

using namespace variant_detail;

namespace {

constexpr std::int64_t kMSecsPerDay = 86400000;
// Day 1 is 0001-01-01; this many days lie between it and 1899-12-30 (date 0) plus one.
constexpr std::int64_t kDateDelta = 693594;

constexpr int kDaysInMonth[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                     {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

struct TTimeStamp {
    std::int64_t date; // days since 0001-01-01, that day being 1
    std::int64_t time; // milliseconds since midnight
};

// Both halves come from one rounding to whole milliseconds, so a value a hair below
// midnight becomes the next day at 00:00:00.000 rather than 23:59:59.1000. For dates
// before 1899-12-30 the fraction still counts forward from midnight (-1.25 is
// 1899-12-29 06:00), which is why the time uses the absolute value. A NaN (a damaged
// file's date, say) passes a clamp unchanged and has no integer: it reads as date 0.
TTimeStamp ToTimeStamp(double dateTime)
{
    const double ms = RoundBankers(dateTime * static_cast<double>(kMSecsPerDay));
    const double limit = 9.0e18;
    const std::int64_t total = std::isnan(ms) ? 0 : static_cast<std::int64_t>(std::clamp(ms, -limit, limit));
    TTimeStamp ts;
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
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
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
        while (i + run < pattern.size() && LowerAscii(pattern[i + run]) == lower && lower >= 'a' && lower <= 'z')
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
        default: out.append(pattern.substr(i, run)); break;
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

class TDateTimeScanner {
public:
    TDateTimeScanner(std::string_view text, const TFormatSettings &fs) : s_(text), fs_(fs) {}

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
        for (const auto &[word, base] :
             {std::pair<std::string_view, int>{fs_.TimeAMString, 0}, {"AM", 0}, {fs_.TimePMString, 12}, {"PM", 12}})
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
    TDateTimeScanner scan(text, fs);
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
