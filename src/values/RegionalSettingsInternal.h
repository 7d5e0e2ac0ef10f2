#pragma once

#include <array>
#include <string>
#include <string_view>

#include "values/RegionalSettings.h"

// The locale-independent half of RegionalSettings::fromLocale: turning the C library's
// texts into TFormatSettings. Kept apart so it can be checked without installed locales.
namespace regional_detail {

// What nl_langinfo_l reports for one locale. The *IsPosix flags tell that a category
// comes from the C/POSIX locale, whose texts are replaced by our own defaults.
struct TLocaleTexts {
    bool timeIsPosix = true;
    bool numericIsPosix = true;
    bool monetaryIsPosix = true;

    std::string dateFormat;     // D_FMT
    std::string timeFormat;     // T_FMT
    std::string timeAmPmFormat; // T_FMT_AMPM, what %r stands for
    std::string radix;          // RADIXCHAR
    std::string thousands;      // THOUSEP
    std::string currency;       // CRNCYSTR, with its position marker
    std::array<std::string, 12> shortMonths;
    std::array<std::string, 12> longMonths;
    std::string am;
    std::string pm;
};

TFormatSettings BuildFormatSettings(const TLocaleTexts &texts);

// "%d.%m.%Y" -> "dd.MM.yyyy", "%r" -> "hh:nn:ss AMPM". Fields we cannot show (weekday
// names, time zones) are dropped; literal words are quoted.
std::string FormatFromStrftime(std::string_view format, std::string_view amPmFormat);

// The first punctuation character of a converted format, or fallback if it has none.
char SeparatorOf(std::string_view format, char fallback);

// A separator as a single char: multi-byte blanks become ' ', the typographic
// apostrophe '\'', an empty text or anything else that does not fit '\0'.
char SingleCharSeparator(std::string_view text);

} // namespace regional_detail
