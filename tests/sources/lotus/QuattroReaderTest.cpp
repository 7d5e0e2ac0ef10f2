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
        {"testQUATTRO.qpw", TWQVersion::qvWB3, {}},
    };
    for (const TFixture &fixture : fixtures) {
        SCOPED_TRACE(fixture.File);
        TQuattroPro reader;
        reader.LoadFromFile(quattroData(fixture.File));
        EXPECT_EQ(reader.Version, fixture.Version);
        ASSERT_GE(reader.Sheets.Count(), 1);
        ExpectSheetAsExported(reader.Sheets.GetSheet(0),
                              quattroData(std::string("expected/") + fixture.File + ".Sheet1.raw.csv"),
                              fixture.Overrides);
    }
}

// What Quattro Pro stored for formulas the independent reader cannot calculate (the
// bitwise ORB, ANDB, XORB; errors, which arrive as 0).
const std::vector<TExpectedOverride> logicResults = {{5, 1, Variant(0.0)}, {6, 1, Variant(0.0)}, {6, 2, Variant(0.0)},
                                                     {6, 3, Variant(0.0)}, {7, 1, Variant(0.0)}, {7, 2, Variant(1.0)},
                                                     {7, 3, Variant(1.0)}, {7, 4, Variant(0.0)}, {8, 2, Variant(0.0)}};
const std::vector<TExpectedOverride> errorResults = {
    {0, 1, Variant(0.0)}, {1, 1, Variant(0.0)}, {2, 1, Variant(0.0)}, {3, 1, Variant(0.0)}};

// Quattro Pro keeps at most 4,093 characters of a text result (the sheet's own LEN column
// says so); the independent reader calculates the whole text anew.
std::vector<TExpectedOverride> wordsResults(const TExpectedSheet &expected)
{
    std::vector<TExpectedOverride> overrides;
    for (int row : {11, 12})
        overrides.push_back({row, 1, Variant(expected.at(static_cast<std::size_t>(row)).at(1).substr(0, 4093))});
    return overrides;
}

TEST(QuattroReader, TheSheetsOfAQuattroPro9Notebook)
{
    TQuattroPro reader;
    reader.LoadFromFile(quattroData("q10test.qpw"));
    ASSERT_EQ(reader.Sheets.Count(), 256);
    const struct {
        int Index;
        const char *Caption, *Export;
        std::vector<TExpectedOverride> Overrides;
    } sheets[] = {
        {0, "Numbers", "Numbers", {}},
        {1, "Words", "Words", wordsResults(ReadExpectedSheet(quattroData("expected/q10test.qpw.Words.raw.csv")))},
        {2, "Logic", "Logic", logicResults},
        {3, "Errors", "Errors", errorResults},
        {255, "SheetIV!", "SheetIV_", {}},
    };
    for (const auto &sheet : sheets) {
        SCOPED_TRACE(sheet.Caption);
        EXPECT_EQ(reader.Sheets.GetSheet(sheet.Index).Caption, sheet.Caption);
        ExpectSheetAsExported(reader.Sheets.GetSheet(sheet.Index),
                              quattroData(std::string("expected/q10test.qpw.") + sheet.Export + ".raw.csv"),
                              sheet.Overrides);
    }
    // The sheets between hold no cells and keep the model's names.
    EXPECT_EQ(reader.Sheets.GetSheet(4).Caption, "Sheet5");
    EXPECT_EQ(reader.Sheets.GetSheet(4).Cells.Count(), 0);
}
