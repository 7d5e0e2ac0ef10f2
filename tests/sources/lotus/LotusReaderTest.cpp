#include "ExpectedSheet.h"
#include "Files.h"
#include "TestData.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/lotus/VxWKS.h"

#include <gtest/gtest.h>

namespace {

std::string lotusData(const std::string &name) { return TestDataFolder("lotus") + "/" + name; }

// Formulas whose stored result is an error: the file holds no number, the reader gives 0.
const std::vector<TExpectedOverride> ksbaseErrors = {{35, 6, Variant(0)}, {69, 6, Variant(0)}, {82, 2, Variant(0)},
                                                     {82, 3, Variant(0)}, {83, 2, Variant(0)}, {83, 3, Variant(0)}};
// A label and a formula result with a line break: release 4 and later store it as the
// bytes 0F "-" 0F "*", which pass through as they are; release 2 stored the text without it.
const std::string lotusBreak = "abc\x0f-\x0f*def";

struct TFixture {
    const char *File;
    TWKSVersion Version;
    std::vector<TExpectedOverride> Overrides;
};

} // namespace

TEST(LotusReader, FixturesReadAsTheIndependentReaderShowsThem)
{
    const std::vector<TFixture> fixtures = {
        {"testLotus123.wks", TWKSVersion::wvWKS1, {}},
        {"KSBASE.WK1", TWKSVersion::wvWR1, ksbaseErrors},
        {"PEYNEVAL.WK1", TWKSVersion::wvWR1, {}},
        {"CRLFR9.WK1", TWKSVersion::wvWR1, {{1, 1, Variant("abcdef")}}},
        {"PEYTREND.WK3", TWKSVersion::wvWKS3, {}},
        {"CRLFR9.WK4", TWKSVersion::wvWKS4, {{0, 1, Variant(lotusBreak)}, {1, 1, Variant(lotusBreak)}}},
        {"write_L45.wk4", TWKSVersion::wvWKS4, {}},
        {"CRLFR9.123", TWKSVersion::wv123, {{0, 1, Variant(lotusBreak)}, {1, 1, Variant(lotusBreak)}}},
    };
    for (const TFixture &fixture : fixtures) {
        SCOPED_TRACE(fixture.File);
        TLotus123 reader;
        reader.LoadFromFile(lotusData(fixture.File));
        EXPECT_EQ(reader.Version, fixture.Version);
        ASSERT_GE(reader.Sheets.Count(), 1);
        ExpectSheetAsExported(reader.Sheets.GetSheet(0),
                              lotusData(std::string("expected/") + fixture.File + ".Sheet1.raw.csv"),
                              fixture.Overrides);
    }
}
