#include "values/DateMask.h"

#include "values/RegionalSettings.h"
#include "values/Variant.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <string>

namespace {

constexpr std::array<const char *, 12> englishShort = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                       "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<const char *, 12> englishLong = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                                                      "MAY",       "JUNE",     "JULY",     "AUGUST",
                                                      "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

int readInteger(const std::string &part)
{
    std::int64_t value = 0;
    std::size_t i = part.empty() || (part[0] != '-' && part[0] != '+') ? 0 : 1;
    if (i == part.size())
        throw EVariantError("'" + part + "' is not a valid integer value");
    for (; i < part.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(part[i])) || value > 100000000)
            throw EVariantError("'" + part + "' is not a valid integer value");
        value = value * 10 + (part[i] - '0');
    }
    return static_cast<int>(part[0] == '-' ? -value : value);
}

int readMonth(const std::string &part)
{
    if (part.size() < 3)
        return readInteger(part);
    const std::string name = upper(part);
    const TFormatSettings &fs = RegionalSettings::current();
    for (int m = 0; m < 12; ++m)
        if (name == englishShort[m] || name == englishLong[m] || name == upper(fs.ShortMonthNames[m]) ||
            name == upper(fs.LongMonthNames[m]))
            return m + 1;
    return 0;
}

int currentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

int expandYear(int year, int window)
{
    if (year >= 100)
        return year;
    const int pivot = currentYear() - window;
    int full = pivot / 100 * 100 + year;
    if (full < pivot)
        full += 100;
    return full;
}

} // namespace

double ParseDateTimeByMask(std::string_view textIn, std::string_view maskIn, char dateSeparator, char timeSeparator)
{
    // Called for every date of a load: the working copies keep their storage between calls.
    thread_local std::string text;
    thread_local std::string mask;
    text.assign(textIn);
    mask.assign(maskIn);
    for (char &c : mask)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto isSeparator = [&](char c) {
        return c == ' ' || c == '/' || c == ':' || c == dateSeparator || c == timeSeparator;
    };

    // Shorter parts in the text (5/1/2003 against DD/MM/YYYY) pull the mask along...
    for (std::size_t i = 0; i < text.size(); ++i)
        if (isSeparator(text[i]) && i < mask.size() && !isSeparator(mask[i]))
            mask.erase(i, 1);
    // ...and longer ones push the text back into line.
    const std::size_t maskLength = mask.size();
    for (std::size_t i = 0; i < maskLength; ++i)
        if (isSeparator(mask[i]) && i < text.size() && !isSeparator(text[i]))
            text.erase(i, 1);

    std::string day, month, year, hour, minute, second;
    for (std::size_t i = 0; i < std::min(text.size(), mask.size()); ++i) {
        if (isSeparator(text[i]))
            continue;
        switch (mask[i]) {
        case 'D': day += text[i]; break;
        case 'M': month += text[i]; break;
        case 'Y': year += text[i]; break;
        case 'H': hour += text[i]; break;
        case 'N': minute += text[i]; break;
        case 'S': second += text[i]; break;
        default: break;
        }
    }

    const TFormatSettings &fs = RegionalSettings::current();
    double result = 0;
    if (!day.empty() && !month.empty() && !year.empty()) {
        const int d = readInteger(day);
        const int m = readMonth(month);
        const int y = readInteger(year);
        if (d >= 1 && d <= 31 && m >= 1 && m <= 12)
            result = EncodeDate(expandYear(y, fs.TwoDigitYearCenturyWindow), m, d);
    }
    if (!hour.empty() && !minute.empty()) {
        int h = readInteger(hour);
        const int n = readInteger(minute);
        const int s = second.empty() ? 0 : readInteger(second);
        const std::string pm = fs.TimePMString.empty() ? "PM" : upper(fs.TimePMString);
        if (h < 12 && upper(std::string(textIn)).find(pm) != std::string::npos)
            h += 12;
        if (h >= 0 && h <= 24 && n >= 0 && n <= 59 && s >= 0 && s <= 59)
            result += EncodeTime(h, n, s, 0);
    }
    return result;
}
