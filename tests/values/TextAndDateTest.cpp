#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "values/Variant.h"

namespace {

TFormatSettings Comma()
{
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    return fs;
}

TFormatSettings German()
{
    TFormatSettings fs = Comma();
    fs.ShortDateFormat = "dd.MM.yyyy";
    fs.DateSeparator = '.';
    return fs;
}

TEST(FloatToStr, GeneralFormatWith15Digits)
{
    const struct {
        double value;
        const char *text;
    } cases[] = {
        {0, "0"},
        {100, "100"},
        {0.1, "0.1"},
        {-0.5, "-0.5"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {0.1 + 0.2, "0.3"},
        {123456789012345.0, "123456789012345"},
        {999999999999999.9, "1E15"}, // rounding to 15 digits carries into the exponent
        {1e15, "1E15"},
        {1e20, "1E20"},
        {-1.25e100, "-1.25E100"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {1.5e-7, "1.5E-7"},
        {1.5e-300, "1.5E-300"},
        {INFINITY, "INF"},
        {-INFINITY, "-INF"},
        {NAN, "NAN"},
    };
    const TFormatSettings dot;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStr(c.value, dot), c.text);
    }
    EXPECT_EQ(FloatToStr(1.5e-7, Comma()), "1,5E-7");
    EXPECT_EQ(FloatToStr(-1234567.5, Comma()), "-1234567,5"); // never thousand separators
}

TEST(TryStrToFloat, AcceptsOnlyPlainNumbers)
{
    TFormatSettings noThousands;
    noThousands.ThousandSeparator = '\0';
    const struct {
        std::string_view text;
        TFormatSettings fs;
        bool ok;
        double value;
    } cases[] = {
        {" 1.5 ", {}, true, 1.5},
        {"\t-2\r\n", {}, true, -2},
        {"+3", {}, true, 3},
        {"-.5", {}, true, -0.5},
        {"5.", {}, true, 5},
        {"1e3", {}, true, 1000},
        {"2.5E-2", {}, true, 0.025},
        {"1,5", Comma(), true, 1.5},
        {"1.5", Comma(), true, 1.5},
        {"1.5", noThousands, true, 1.5},
        {"1,5", {}, false, 0},
        {"1,000", {}, false, 0},
        {"1.000,5", Comma(), false, 0},
        {"1.2.3", {}, false, 0},
        {"1 000", {}, false, 0},
        {"1e", {}, false, 0},
        {"e5", {}, false, 0},
        {".", {}, false, 0},
        {"", {}, false, 0},
        {"  ", {}, false, 0},
        {"+-1", {}, false, 0},
        {"0x10", {}, false, 0},
        {"inf", {}, false, 0},
        {"1e999", {}, false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.text));
        double value = -99;
        EXPECT_EQ(TryStrToFloat(c.text, value, c.fs), c.ok);
        EXPECT_DOUBLE_EQ(value, c.ok ? c.value : -99) << "a failed read must leave the value alone";
    }
}

TEST(TryStrToInt64, FullRangeAndNothingElse)
{
    const struct {
        std::string_view text;
        bool ok;
        std::int64_t value;
    } cases[] = {
        {" 42 ", true, 42},
        {"+7", true, 7},
        {"-9223372036854775808", true, std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775807", true, std::numeric_limits<std::int64_t>::max()},
        {"9223372036854775808", false, 0},
        {"1.0", false, 0},
        {"1e3", false, 0},
        {"", false, 0},
        {"+-1", false, 0},
        {"12a", false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.text));
        std::int64_t value = -99;
        EXPECT_EQ(TryStrToInt64(c.text, value), c.ok);
        EXPECT_EQ(value, c.ok ? c.value : -99);
    }
}

TEST(Dates, EncodeAndDecodeRoundTrip)
{
    const struct {
        int year, month, day;
        double date;
    } cases[] = {
        {1899, 12, 30, 0},    {1899, 12, 31, 1},   {1899, 12, 29, -1},      {1900, 1, 1, 2},
        {1900, 3, 1, 61},     {2000, 1, 1, 36526}, {2000, 2, 29, 36585},    {2000, 12, 31, 36891},
        {2004, 2, 29, 38046}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465}, {1600, 12, 31, -109206},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        double date = -1e9;
        ASSERT_TRUE(TryEncodeDate(c.year, c.month, c.day, date));
        EXPECT_EQ(date, c.date);
        EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.date);
        int y, m, d;
        // A time of day moves away from zero: before 1899-12-30 it is subtracted.
        DecodeDate(c.date >= 0 ? c.date + 0.75 : c.date - 0.75, y, m, d);
        EXPECT_EQ(y, c.year);
        EXPECT_EQ(m, c.month);
        EXPECT_EQ(d, c.day);
    }
}

TEST(Dates, ImpossibleDatesAreRejected)
{
    const struct {
        int year, month, day;
    } cases[] = {{2001, 2, 29}, {1900, 2, 29}, {2000, 4, 31}, {2000, 13, 1}, {2000, 0, 1},
                 {2000, 1, 0},  {0, 1, 1},     {10000, 1, 1}, {-1, 1, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        double date = 123;
        EXPECT_FALSE(TryEncodeDate(c.year, c.month, c.day, date));
        EXPECT_EQ(date, 123);
        EXPECT_THROW(EncodeDate(c.year, c.month, c.day), EVariantError);
    }
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EVariantError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EVariantError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EVariantError);
}

TEST(Dates, DecodeTimeRoundsToMilliseconds)
{
    const struct {
        double value;
        int hour, minute, second, msec;
        int year, month, day;
    } cases[] = {
        {0.5, 12, 0, 0, 0, 1899, 12, 30},
        {36526.25, 6, 0, 0, 0, 2000, 1, 1},
        {EncodeTime(23, 59, 59, 999), 23, 59, 59, 999, 1899, 12, 30},
        {1.0 / 3, 8, 0, 0, 0, 1899, 12, 30},
        {36526 + 0.999999999999, 0, 0, 0, 0, 2000, 1, 2}, // within half a millisecond of midnight
        {-1.25, 6, 0, 0, 0, 1899, 12, 29},                // the fraction counts forward from midnight
        {-0.5, 12, 0, 0, 0, 1899, 12, 30},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        int h, n, s, ms, y, m, d;
        DecodeTime(c.value, h, n, s, ms);
        DecodeDate(c.value, y, m, d);
        EXPECT_EQ((std::array{h, n, s, ms}), (std::array{c.hour, c.minute, c.second, c.msec}));
        EXPECT_EQ((std::array{y, m, d}), (std::array{c.year, c.month, c.day}));
    }
    EXPECT_DOUBLE_EQ(EncodeTime(18, 0, 0, 0), 0.75);
}

TEST(Dates, DateTimeToStr)
{
    TFormatSettings isoDashes;
    isoDashes.ShortDateFormat = "yyyy/MM/dd"; // '/' stands for the regional separator
    isoDashes.DateSeparator = '-';
    TFormatSettings twelveHour;
    twelveHour.ShortDateFormat = "d MMM yy";
    twelveHour.LongTimeFormat = "h:nn AMPM";
    TFormatSettings longMonth;
    longMonth.ShortDateFormat = "MMMM d, yyyy";
    longMonth.LongTimeFormat = "hh:nn:ss.zzz";

    const double jan31 = EncodeDate(2000, 1, 31);
    const struct {
        double value;
        TFormatSettings fs;
        const char *text;
    } cases[] = {
        {jan31, {}, "01/31/2000"},
        {jan31 + 0.5, {}, "01/31/2000 12:00:00"},
        {jan31 + EncodeTime(0, 0, 1, 0), {}, "01/31/2000 00:00:01"},
        {0.25, {}, "12/30/1899 06:00:00"}, // date part 0 still shows the date
        {-1.25, {}, "12/29/1899 06:00:00"},
        {jan31 + 0.5, German(), "31.01.2000 12:00:00"},
        {jan31, isoDashes, "2000-01-31"},
        {jan31 + EncodeTime(13, 5, 0, 0), twelveHour, "31 Jan 00 1:05 PM"},
        {jan31 + EncodeTime(0, 30, 0, 0), twelveHour, "31 Jan 00 12:30 AM"},
        {jan31 + EncodeTime(9, 8, 7, 6), longMonth, "January 31, 2000 09:08:07.006"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DateTimeToStr(c.value, c.fs), c.text);
    }
}

TEST(Dates, TryStrToDateTime)
{
    TFormatSettings ymd;
    ymd.ShortDateFormat = "yyyy.MM.dd";
    ymd.DateSeparator = '.';
    TFormatSettings dottedTime = German();
    dottedTime.LongTimeFormat = "hh.nn.ss";
    dottedTime.TimeSeparator = '.';

    const double jan31 = 36556;
    const struct {
        const char *text;
        TFormatSettings fs;
        bool ok;
        double value;
    } cases[] = {
        {"01/31/2000", {}, true, jan31},
        {" 1/31/2000 ", {}, true, jan31},
        {"1/31/2000 13:45", {}, true, jan31 + EncodeTime(13, 45, 0, 0)},
        {"01/31/2000 1:05:09 pm", {}, true, jan31 + EncodeTime(13, 5, 9, 0)},
        {"31.01.2000", German(), true, jan31},
        {"31.01.2000 12:00:00", German(), true, jan31 + 0.5},
        {"2000.01.31", ymd, true, jan31},
        {"2000/01/31", {}, true, jan31}, // a long first number is the year
        {"2000-01-31", German(), true, jan31},
        {"2000-01-31T10:30:00", {}, true, jan31 + EncodeTime(10, 30, 0, 0)},
        {"01/31/99", {}, true, EncodeDate(1999, 1, 31)}, // century window of 50 years back
        {"12/29/1899 06:00", {}, true, -1.25},
        {"10:30", {}, true, EncodeTime(10, 30, 0, 0)},
        {"10:30:15.5", {}, true, EncodeTime(10, 30, 15, 500)},
        {"10:30:15,25", German(), true, EncodeTime(10, 30, 15, 250)},
        {"12:00 AM", {}, true, 0},
        {"PM 1:00", {}, true, EncodeTime(13, 0, 0, 0)},
        {"10.30", dottedTime, true, EncodeTime(10, 30, 0, 0)}, // not a date, so a time
        {"02/30/2000", {}, false, 0},
        {"31/01/2000", {}, false, 0},
        {"01/31/2000 25:00", {}, false, 0},
        {"01/31/2000 x", {}, false, 0},
        {"13:00 PM", {}, false, 0},
        {"2000-01", {}, false, 0},
        {"36526", {}, false, 0},
        {"", {}, false, 0},
        {"abc", {}, false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        double value = -99;
        EXPECT_EQ(TryStrToDateTime(c.text, value, c.fs), c.ok);
        if (c.ok) {
            EXPECT_NEAR(value, c.value, 1e-9);
        }
    }
}

TEST(Dates, TwoNumbersMeanTheCurrentYear)
{
    double value = 0;
    ASSERT_TRUE(TryStrToDateTime("3/4", value, TFormatSettings{}));
    int y, m, d;
    DecodeDate(value, y, m, d);
    EXPECT_EQ(m, 3);
    EXPECT_EQ(d, 4);
    ASSERT_TRUE(TryStrToDateTime("3.4", value, German()));
    DecodeDate(value, y, m, d);
    EXPECT_EQ(m, 4);
    EXPECT_EQ(d, 3);
}

} // namespace
