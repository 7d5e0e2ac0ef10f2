#pragma once

#include <array>
#include <string>

// The user's regional settings, read once from the process locale (LC_ALL / LANG)
// without changing the C library's global locale. Everything in the Qt-free code
// that formats or reads numbers and dates by the user's conventions asks this.
struct TFormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "MM/dd/yyyy"; // d, dd, M, MM, yy, yyyy and the separator
    std::string LongTimeFormat = "hh:nn:ss";    // h, hh, n, nn, s, ss
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    std::string CurrencyString = "$";
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",   "May",      "June",
                                               "July",    "August",   "September", "October", "November", "December"};
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    int TwoDigitYearCenturyWindow = 50;
};

class RegionalSettings {
public:
    // The settings of the process locale, read on first use. Asked for several times per
    // imported value, so the answer after the first is one load.
    static const TFormatSettings &current() { return current_ ? *current_ : load(); }
    // Replaces the current settings (tests, and callers that must force a convention).
    static void override(const TFormatSettings &settings);
    // Forgets an override: the next use reads the process locale again.
    static void reset();
    // Reads the settings of a named locale ("" = the environment's); falls back to the
    // defaults above for anything the locale does not provide.
    static TFormatSettings fromLocale(const char *localeName);

private:
    static const TFormatSettings &load();
    static inline const TFormatSettings *current_ = nullptr;
};
