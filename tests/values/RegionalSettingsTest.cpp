#include <gtest/gtest.h>

#include <locale.h>
#include <string>

#include "values/RegionalSettings.h"
#include "values/RegionalSettingsInternal.h"
#include "values/Variant.h"

namespace {

using regional_detail::BuildFormatSettings;
using regional_detail::FormatFromStrftime;
using regional_detail::SeparatorOf;
using regional_detail::TLocaleTexts;

void ExpectSameSettings(const TFormatSettings &actual, const TFormatSettings &expected)
{
    EXPECT_EQ(actual.DateSeparator, expected.DateSeparator);
    EXPECT_EQ(actual.TimeSeparator, expected.TimeSeparator);
    EXPECT_EQ(actual.ShortDateFormat, expected.ShortDateFormat);
    EXPECT_EQ(actual.LongTimeFormat, expected.LongTimeFormat);
    EXPECT_EQ(actual.DecimalSeparator, expected.DecimalSeparator);
    EXPECT_EQ(actual.ThousandSeparator, expected.ThousandSeparator);
    EXPECT_EQ(actual.CurrencyString, expected.CurrencyString);
    EXPECT_EQ(actual.ShortMonthNames, expected.ShortMonthNames);
    EXPECT_EQ(actual.LongMonthNames, expected.LongMonthNames);
    EXPECT_EQ(actual.TimeAMString, expected.TimeAMString);
    EXPECT_EQ(actual.TimePMString, expected.TimePMString);
    EXPECT_EQ(actual.TwoDigitYearCenturyWindow, expected.TwoDigitYearCenturyWindow);
}

TEST(RegionalSettings, PosixAndMissingLocalesGiveTheDefaults)
{
    for (const char *name : {"C", "POSIX", "C.UTF-8", "xx_NOPE.bogus"}) {
        SCOPED_TRACE(name);
        ExpectSameSettings(RegionalSettings::fromLocale(name), TFormatSettings{});
    }
}

TEST(RegionalSettings, InstalledGermanLocale)
{
    const char *name = nullptr;
    for (const char *candidate : {"de_DE.UTF-8", "de_DE.utf8"}) {
        if (locale_t loc = newlocale(LC_ALL_MASK, candidate, static_cast<locale_t>(0))) {
            freelocale(loc);
            name = candidate;
            break;
        }
    }
    if (name == nullptr)
        GTEST_SKIP() << "no German locale installed";
    const TFormatSettings fs = RegionalSettings::fromLocale(name);
    EXPECT_EQ(fs.ShortDateFormat, "dd.MM.yyyy");
    EXPECT_EQ(fs.DateSeparator, '.');
    EXPECT_EQ(fs.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(fs.TimeSeparator, ':');
    EXPECT_EQ(fs.DecimalSeparator, ',');
    EXPECT_EQ(fs.ThousandSeparator, '.');
    EXPECT_EQ(fs.CurrencyString, "\xE2\x82\xAC");
    EXPECT_EQ(fs.LongMonthNames[2], "M\xC3\xA4rz");
    EXPECT_EQ(fs.TimeAMString, "AM"); // German has none, so the default stays
    EXPECT_EQ(DateTimeToStr(36556.5, fs), "31.01.2000 12:00:00");
}

TEST(RegionalSettings, StrftimeFormatsBecomeFormatLetters)
{
    const char *amPm = "%I:%M:%S %p";
    const struct {
        const char *strftime;
        const char *format;
        char separator;
    } cases[] = {
        {"%m/%d/%y", "MM/dd/yy", '/'},
        {"%d.%m.%Y", "dd.MM.yyyy", '.'},
        {"%-d.%-m.%Y", "d.M.yyyy", '.'},
        {"%e/%m/%Y", "d/MM/yyyy", '/'},
        {"%F", "yyyy-MM-dd", '-'},
        {"%D", "MM/dd/yy", '/'},
        {"%Y. %m. %d.", "yyyy. MM. dd.", '.'},
        {"%a %d %b %Y", "dd MMM yyyy", '?'},           // weekday dropped, no separator
        {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", // Japanese: words are quoted
         "yyyy\"\xE5\xB9\xB4\"MM\"\xE6\x9C\x88\"dd\"\xE6\x97\xA5\"", '?'},
        {"%d de %B de %Y", "dd\" de \"MMMM\" de \"yyyy", '?'},
        {"%H:%M:%S", "hh:nn:ss", ':'},
        {"%T", "hh:nn:ss", ':'},
        {"%k.%M", "h.nn", '.'},
        {"%r", "hh:nn:ss AMPM", ':'},
        {"%H:%M:%S %Z", "hh:nn:ss", ':'},
        {"%p %I\xEC\x8B\x9C %M\xEB\xB6\x84 %S\xEC\xB4\x88", // Korean
         "AMPM hh\"\xEC\x8B\x9C \"nn\"\xEB\xB6\x84 \"ss\"\xEC\xB4\x88\"", '?'},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.strftime);
        const std::string format = FormatFromStrftime(c.strftime, amPm);
        EXPECT_EQ(format, c.format);
        EXPECT_EQ(SeparatorOf(format, '?'), c.separator);
    }
    // The quoting keeps the words intact when dates are shown.
    TFormatSettings fs;
    fs.ShortDateFormat = FormatFromStrftime("%d de %B de %Y", amPm);
    EXPECT_EQ(DateTimeToStr(36556, fs), "31 de January de 2000");
}

TLocaleTexts FrenchTexts()
{
    TLocaleTexts t;
    t.timeIsPosix = t.numericIsPosix = t.monetaryIsPosix = false;
    t.dateFormat = "%d/%m/%Y";
    t.timeFormat = "%T";
    t.radix = ",";
    t.thousands = "\xE2\x80\xAF"; // narrow no-break space
    t.currency = "+\xE2\x82\xAC";
    t.shortMonths[0] = "janv.";
    t.longMonths[0] = "janvier";
    return t;
}

TEST(RegionalSettings, LocaleTextsBecomeSettings)
{
    const TFormatSettings fs = BuildFormatSettings(FrenchTexts());
    EXPECT_EQ(fs.ShortDateFormat, "dd/MM/yyyy");
    EXPECT_EQ(fs.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(fs.DecimalSeparator, ',');
    EXPECT_EQ(fs.ThousandSeparator, ' ');
    EXPECT_EQ(fs.CurrencyString, "\xE2\x82\xAC");
    EXPECT_EQ(fs.ShortMonthNames[0], "janv.");
    EXPECT_EQ(fs.LongMonthNames[0], "janvier");
    EXPECT_EQ(fs.LongMonthNames[1], "February"); // what the locale lacks keeps the default
    EXPECT_EQ(fs.TimeAMString, "AM");
}

TEST(RegionalSettings, SeparatorsAndCurrencyMarkers)
{
    const struct {
        const char *thousands;
        char expectedThousands;
        const char *currency;
        const char *expectedCurrency;
    } cases[] = {
        {".", '.', "-\xE2\x82\xAC", "\xE2\x82\xAC"}, {"", '\0', "+kr.", "kr."}, {"\xC2\xA0", ' ', ".$", "$"},
        {"\xE2\x80\x99", '\'', "-CHF", "CHF"},       {",", '\0', "-", "$"}, // same as the radix: dropped; a bare
                                                                            // marker: default
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.currency);
        TLocaleTexts t = FrenchTexts();
        t.radix = ",";
        t.thousands = c.thousands;
        t.currency = c.currency;
        const TFormatSettings fs = BuildFormatSettings(t);
        EXPECT_EQ(fs.ThousandSeparator, c.expectedThousands);
        EXPECT_EQ(fs.CurrencyString, c.expectedCurrency);
    }
}

TEST(RegionalSettings, PosixCategoriesKeepTheDefaults)
{
    TLocaleTexts t = FrenchTexts();
    t.timeIsPosix = true;
    t.monetaryIsPosix = true;
    const TFormatSettings fs = BuildFormatSettings(t);
    EXPECT_EQ(fs.ShortDateFormat, TFormatSettings{}.ShortDateFormat);
    EXPECT_EQ(fs.ShortMonthNames[0], "Jan");
    EXPECT_EQ(fs.CurrencyString, "$");
    EXPECT_EQ(fs.DecimalSeparator, ','); // numeric category is still French
}

TEST(RegionalSettings, OverrideReplacesCurrent)
{
    const TFormatSettings &current = RegionalSettings::current();
    TFormatSettings fs = BuildFormatSettings(FrenchTexts());
    RegionalSettings::override(fs);
    EXPECT_EQ(current.DecimalSeparator, ','); // references handed out see the change
    EXPECT_EQ(Variant(1.5).AsString(), "1,5");
    EXPECT_EQ(Variant::DateTime(36556.5).AsString(), "31/01/2000 12:00:00");
    double value = 0;
    EXPECT_TRUE(TryStrToFloat("2,5", value));
    EXPECT_EQ(value, 2.5);
    RegionalSettings::override(TFormatSettings{});
    EXPECT_EQ(Variant(1.5).AsString(), "1.5");
}

} // namespace
