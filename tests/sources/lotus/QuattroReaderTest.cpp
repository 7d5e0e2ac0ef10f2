#include "ExpectedSheet.h"
#include "Files.h"
#include "TestData.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/lotus/VxWQ.h"

#include <gtest/gtest.h>

namespace {

std::string quattroData(const std::string &name) { return TestDataFolder("quattro") + "/" + name; }

// Formulas whose stored result is an error: the file holds no number, the reader gives 0.
const std::vector<TExpectedOverride> ksbaseErrors = {{35, 6, Variant(0)}, {69, 6, Variant(0)}, {82, 2, Variant(0)},
                                                     {82, 3, Variant(0)}, {83, 2, Variant(0)}, {83, 3, Variant(0)}};

// The independent reader recalculates this notebook's formulas, whose references it cannot
// follow; the file stores the texts "sal" and "c" and, in column E from row 8, zero.
std::vector<TExpectedOverride> ks4000Results()
{
    std::vector<TExpectedOverride> overrides = {{3, 4, Variant("sal")}, {3, 6, Variant("c")}};
    for (int row = 7; row <= 38; ++row)
        overrides.push_back({row, 4, Variant(0)});
    return overrides;
}

struct TFixture {
    const char *File;
    TWQVersion Version;
    std::vector<TExpectedOverride> Overrides;
};

} // namespace

TEST(QuattroReader, FixturesReadAsTheIndependentReaderShowsThem)
{
    const std::vector<TFixture> fixtures = {
        {"KSBASE.WQ1", TWQVersion::qvWQ1, ksbaseErrors},    {"KSBASE.WQ2", TWQVersion::qvWQ2, ksbaseErrors},
        {"KS4000.WQ2", TWQVersion::qvWQ2, ks4000Results()}, {"testQuattro.wb1", TWQVersion::qvWQ1, {}},
        {"testQUATTRO.wb3", TWQVersion::qvWB3, {}},         {"crlfq9.wb3", TWQVersion::qvWB3, {}},
    };
    for (const TFixture &fixture : fixtures) {
        SCOPED_TRACE(fixture.File);
        TQuattroPro reader;
        reader.LoadFromFile(quattroData(fixture.File));
        EXPECT_EQ(reader.Version, fixture.Version);
        ASSERT_GE(reader.Sheets.Count(), 1);
        const TExpectedSheet expected =
            ReadExpectedSheet(quattroData(std::string("expected/") + fixture.File + ".Sheet1.raw.csv"));
        const std::vector<std::string> differences = CompareWithExpected(reader.Sheets.GetSheet(0), expected,
                                                                         fixture.Overrides);
        for (std::size_t i = 0; i < differences.size() && i < 12; ++i)
            ADD_FAILURE() << differences[i];
        EXPECT_EQ(differences.size(), 0u);
    }
}
