#include "sources/cells/VxCellsFile.h"

#include <gtest/gtest.h>

TEST(ColumnNames, LettersAndIndexesTurnIntoEachOther)
{
    struct Case {
        int number;
        const char *letters;
    };
    for (const Case &c : {Case{1, "A"}, Case{26, "Z"}, Case{27, "AA"}, Case{52, "AZ"}, Case{53, "BA"}, Case{256, "IV"},
                          Case{702, "ZZ"}, Case{703, "AAA"}, Case{16384, "XFD"}}) {
        SCOPED_TRACE(c.letters);
        EXPECT_EQ(ColumnLetters(c.number), c.letters);
        EXPECT_EQ(ColumnIndexFromLetters(c.letters, 20000), c.number - 1);
    }
    EXPECT_EQ(ColumnLetters(0), "");
}

TEST(ColumnNames, OnlyLetterNamesWithinTheSheetAreColumns)
{
    struct Case {
        const char *name;
        int colCount;
        int index;
    };
    for (const Case &c :
         {Case{"iv", 256, 255}, Case{"IW", 256, -1}, Case{"A1", 256, -1}, Case{"", 256, -1}, Case{"Field1", 1000, -1},
          Case{"A", 0, -1}, Case{"AAA", 703, 702}, Case{"ZZZZZZZZZZZZZZZZ", 2147483647, -1}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ColumnIndexFromLetters(c.name, c.colCount), c.index);
    }
}

TEST(CellModel, CellsGrowTheExtentAndCreateTheRowsBetween)
{
    TSpreadSheetCells cells;
    cells.SetCell(2, 0, 7, TAlignment::taRightJustify, Variant(1.5));
    cells.SetCell(0, 5, 0, TAlignment::taLeftJustify, Variant("x"));
    cells.SetCell(9, 9, 0, TAlignment::taLeftJustify, Variant::Null()); // stores nothing
    cells.SetCell(9, 9, 0, TAlignment::taLeftJustify, Variant());
    EXPECT_EQ(cells.RowCount, 6);
    EXPECT_EQ(cells.ColCount, 3);
    EXPECT_EQ(cells.Count(), 6);
    ASSERT_NE(cells.Row(3), nullptr); // rows 1 to 4 exist without cells
    EXPECT_EQ(cells.Row(3)->RowNumber, 3);
    EXPECT_TRUE(cells.GetCellValue(0, 3).IsNull());
    EXPECT_TRUE(cells.GetCellValue(0, 99).IsNull());
    EXPECT_EQ(cells.Cell(2, 0)->FormatIndex, 7);
    EXPECT_EQ(cells.Cell(2, 0)->Alignment, TAlignment::taRightJustify);

    cells.TrackExtent = false;
    cells.SetCell(20, 20, 0, TAlignment::taLeftJustify, Variant(1.0));
    EXPECT_EQ(cells.RowCount, 6);
    cells.Clear();
    EXPECT_EQ(cells.Count(), 0);
    EXPECT_EQ(cells.RowCount + cells.ColCount + cells.LastRow + cells.LastColumn, 0);
}

TEST(CellModel, AskingForASheetNeverFails)
{
    TSpreadSheets sheets;
    EXPECT_EQ(sheets.GetSheet(-3).Caption, "Sheet1");
    sheets.GetSheet(2);
    ASSERT_EQ(sheets.Count(), 3);
    EXPECT_EQ(sheets[2].Caption, "Sheet3");
    sheets[1].Caption = "Data";
    EXPECT_EQ(sheets.FindSheet("Data"), 1);
    EXPECT_EQ(sheets.FindSheet("data"), -1);
    sheets.DeleteSheet(0);
    EXPECT_EQ(sheets.FindSheet("Data"), 0);
}

// The handlers PrepareLoad installs: what a reader reports becomes the model.
class ModelHandlers : public ::testing::Test {
protected:
    void SetUp() override { reader.PrepareLoad(); }
    void sheet(const std::string &caption, int index, bool expectSkip)
    {
        bool skip = false;
        reader.OnSheet(&reader, caption, index, skip);
        EXPECT_EQ(skip, expectSkip) << caption;
    }
    void cell(int sheetNo, int row, int column, const Variant &value)
    {
        reader.OnCellValue(&reader, sheetNo, row, column, 0, value, TAlignment::taLeftJustify);
    }
    TSpreadSheetFile reader;
};

TEST_F(ModelHandlers, ALoadSheetSkipsTheOthersButListsThem)
{
    reader.LoadSheet = 1;
    sheet("One", 0, true);
    sheet("Two", 1, false);
    sheet("Three", 2, true);
    ASSERT_EQ(reader.Sheets.Count(), 3);
    EXPECT_EQ(reader.Sheets[2].Caption, "Three");
}

TEST_F(ModelHandlers, RangeLimitsTheCellsKept)
{
    reader.Range.LastRow = 2;
    reader.Range.LastCol = 1;
    cell(-1, 2, 1, Variant(1.0)); // a negative sheet number means the first sheet
    cell(0, 3, 0, Variant(2.0));
    cell(0, 0, 2, Variant(3.0));
    const TSpreadSheetCells &cells = reader.Sheets[0].Cells;
    EXPECT_EQ(cells.RowCount, 3);
    EXPECT_EQ(cells.ColCount, 2);
    EXPECT_TRUE(cells.GetCellValue(0, 3).IsNull());
    Variant back;
    reader.OnGetCellValue(&reader, 0, 2, 1, back);
    EXPECT_EQ(back.AsDouble(), 1.0);
}

TEST_F(ModelHandlers, DimensionsSetTheCountsOnlyWhenTheExtentIsNotTracked)
{
    reader.Range.LastCol = 4;
    reader.OnDimensions(&reader, 0, 0, 10, 0, 8);
    EXPECT_EQ(reader.Sheets[0].Cells.LastRow, 10);
    EXPECT_EQ(reader.Sheets[0].Cells.LastColumn, 4);
    EXPECT_EQ(reader.Sheets[0].Cells.RowCount, 0);
    reader.Sheets[1].Cells.TrackExtent = false;
    reader.OnDimensions(&reader, 1, 0, 10, 0, 8);
    EXPECT_EQ(reader.Sheets[1].Cells.RowCount, 10);
    EXPECT_EQ(reader.Sheets[1].Cells.ColCount, 4);
}

TEST_F(ModelHandlers, ColumnWidthsLeaveGapsAbsent)
{
    reader.OnColumnWidth(&reader, 0, 3, 2300);
    EXPECT_EQ(reader.Sheets[0].ColumnWidth(3), 2300);
    EXPECT_FALSE(reader.Sheets[0].ColumnWidth(1).has_value());
}

TEST(ReaderBase, LoadFromFileChecksTheName)
{
    TSpreadSheetFile reader;
    for (const auto &[name, message] :
         {std::pair{"  ", "File is not defined."}, std::pair{"/no/such/file.xls", "File is not exists."}}) {
        try {
            reader.LoadFromFile(name);
            ADD_FAILURE() << name;
        } catch (const ESpreadSheetError &e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}
