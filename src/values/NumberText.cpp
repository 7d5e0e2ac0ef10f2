// Numbers as text and text as numbers, by the regional settings or by fixed rules.

#include "values/Variant.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "values/VariantHelpers.h"

using namespace variant_detail;

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
