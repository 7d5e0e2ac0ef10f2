// SPSS data files written by GNU PSPP (tests/data/spss/people.sps), read through
// libreadstat: variables, labels, numbers, texts, dates, date-times, missing values.

#include "Files.h"
#include "TestData.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/spss/VxI2SPSS.h"
#include "sources/spss/VxSPSS.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

std::string spssData(const std::string &name) { return TestDataFolder("spss") + "/" + name; }

std::string dateTimeText(const Variant &value)
{
    const double dt = value.AsDateTime();
    int year = 0, month = 0, day = 0;
    DecodeDate(dt, year, month, day);
    const long seconds = std::lround((dt - std::floor(dt)) * 86400.0);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02ld:%02ld:%02ld", year, month, day, seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    return text;
}

} // namespace

TEST(SPSSReader, PeopleAsPSPPWroteThem)
{
    for (const char *name : {"people.sav", "people-compressed.sav"}) {
        SCOPED_TRACE(name);
        TSPSSFile reader;
        reader.LoadFromFile(spssData(name));
        ASSERT_EQ(reader.FieldCount(), 6);
        EXPECT_EQ(reader.FieldName(0), "ID");
        EXPECT_EQ(reader.Variables()[1].Label, "Full name");
        EXPECT_EQ(reader.Variables()[2].DataType, TVxIDataType::itDate);
        EXPECT_EQ(reader.Variables()[4].DataType, TVxIDataType::itDateTime);
        EXPECT_EQ(reader.Variables()[1].DataType, TVxIDataType::itString);
        EXPECT_EQ(reader.CaseCount(), 3);
        const TSpreadSheetCells &cells = reader.Sheets.GetSheet(0).Cells;
        EXPECT_EQ(cells.GetCellValue(0, 0).AsDouble(), 1.0);
        EXPECT_EQ(cells.GetCellValue(1, 1).AsString(), "Zo\xC3\xAB M\xC3\xBCller");
        EXPECT_EQ(dateTimeText(cells.GetCellValue(2, 0)), "1977-05-15 00:00:00");
        EXPECT_EQ(dateTimeText(cells.GetCellValue(2, 1)), "1980-02-29 00:00:00");
        EXPECT_EQ(cells.GetCellValue(3, 0).AsDouble(), 1234.5);
        EXPECT_TRUE(cells.GetCellValue(3, 2).IsNull()); // system-missing
        EXPECT_EQ(dateTimeText(cells.GetCellValue(4, 0)), "2000-01-01 12:30:00");
        EXPECT_EQ(dateTimeText(cells.GetCellValue(4, 1)), "1999-12-31 23:59:59");
        EXPECT_TRUE(cells.GetCellValue(5, 1).IsNull());
        EXPECT_EQ(cells.GetCellValue(5, 2).AsDouble(), 9.0); // a user-missing value is still the value
    }
}

TEST(SPSSReader, TheSourcesColumnsCarryLabelsAsDisplayNames)
{
    TVxImportFromSPSS source;
    source.SourceFileName = spssData("people.sav");
    source.UseDisplayNames = true;
    source.OpenSource();
    source.CreateColumns();
    ASSERT_EQ(source.Columns.Count(), 6);
    EXPECT_EQ(source.Columns[0].FieldName, "ID");
    EXPECT_EQ(source.Columns[0].Caption, "Person number");
    EXPECT_EQ(source.Columns[3].Caption, "SALARY");
    EXPECT_EQ(source.GetRowCount(), 3);
    source.CloseSource();
    std::string ext;
    source.GetDefaultExt(ext);
    EXPECT_EQ(ext, ".SAV");
}

TEST(SPSSReader, WhatIsNoSPSSFileIsRefusedWithTheLibrarysReason)
{
    for (const char *content : {"this is no SPSS file at all", ""}) {
        std::istringstream text(content);
        TSPSSFile reader;
        try {
            reader.LoadFromStream(text);
            ADD_FAILURE() << "no error";
        } catch (const ESpreadSheetError &e) {
            EXPECT_EQ(std::string(e.what()).rfind("The SPSS file cannot be read: ", 0), 0u) << e.what();
        }
    }
    const std::vector<std::uint8_t> bytes = ReadBytes(spssData("people.sav"));
    for (const std::vector<std::uint8_t> &copy : DamagedCopies(bytes, 41, 61)) {
        std::istringstream stream(std::string(copy.begin(), copy.end()));
        TSPSSFile damaged;
        try {
            damaged.LoadFromStream(stream);
        } catch (const ESpreadSheetError &) {
        }
    }
}
