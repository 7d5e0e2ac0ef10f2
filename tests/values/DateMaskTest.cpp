#include "values/DateMask.h"
#include "values/RegionalSettings.h"
#include "values/Variant.h"

#include <gtest/gtest.h>

namespace {

struct MaskCase {
    const char *text;
    const char *mask;
    double expected; // 0 = nothing read
};

TEST(ParseDateTimeByMask, AlignsShortPartsAndReadsNamesAndClock)
{
    const std::vector<MaskCase> cases = {
        {"5/1/2003", "DD/MM/YYYY HH:NN:SS", EncodeDate(2003, 1, 5)},
        {"31/12/2003", "DD/MM/YYYY HH:NN:SS", EncodeDate(2003, 12, 31)},
        {"12/31/2003", "MM/DD/YY HH:NN:SS", EncodeDate(2020, 12, 31)}, // two year positions: "20"
        {"31-DEC-2003", "DD-MMM-YYYY", EncodeDate(2003, 12, 31)},
        {"1-february-99", "DD-MMMMMMMM-YY", EncodeDate(1999, 2, 1)},
        {"11:30:00 PM", "HH:NN:SS", EncodeTime(23, 30, 0, 0)},
        {"12:30:00 PM", "HH:NN:SS", EncodeTime(12, 30, 0, 0)},
        {"07:05", "HH:NN:SS", EncodeTime(7, 5, 0, 0)},
        {"2003-12-31 08:15:30", "YYYY-MM-DD HH:NN:SS", EncodeDate(2003, 12, 31) + EncodeTime(8, 15, 30, 0)},
        {"13/13/2003", "DD/MM/YYYY", 0}, // month 13: no date
        {"", "DD/MM/YYYY", 0},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(ParseDateTimeByMask(c.text, c.mask, '-', ':'), c.expected, 1e-9) << c.text << " / " << c.mask;
}

TEST(ParseDateTimeByMask, ImpossibleValuesAreErrors)
{
    const std::vector<std::pair<const char *, const char *>> cases = {
        {"31/02/2003", "DD/MM/YYYY"},                           // no 31 February
        {"3x/12/2003", "DD/MM/YYYY"}, {"11:30 PM", "HH:NN:SS"}, // PM falls on the seconds
        {"24:00:00", "HH:NN:SS"},     {"hello", "HH:NN:SS"},
    };
    for (const auto &[text, mask] : cases)
        EXPECT_THROW(ParseDateTimeByMask(text, mask, '/', ':'), EVariantError) << text;
}

} // namespace
