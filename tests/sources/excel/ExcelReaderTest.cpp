#include "CaseNames.h"
#include "CellText.h"
#include "TempDir.h"
#include "TestData.h"
#include "sources/excel/VxI2XLS.h"
#include "sources/excel/VxXLS.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::unique_ptr<TSpreadSheetFile> load(const std::string &name, int loadSheet = -1)
{
    auto reader = CreateExcelReader(XlsData(name));
    reader->LoadSheet = loadSheet;
    reader->LoadFromFile(XlsData(name));
    return reader;
}

std::string loadError(const std::string &path)
{
    try {
        CreateExcelReader(path)->LoadFromFile(path);
    } catch (const std::exception &e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<std::string> rowTexts(const TSpreadSheet &sheet, int row)
{
    std::vector<std::string> texts;
    for (int c = 0; c < sheet.Cells.ColCount; ++c)
        texts.push_back(CellText(sheet, c, row));
    return texts;
}

} // namespace

// The same table written as BIFF8 by LibreOffice, as BIFF5 by Gnumeric and as Open XML
// reads the same everywhere: text in UTF-8, dates by their format, formula results.
class SameTable : public ::testing::TestWithParam<const char *> {};

// Every kind of workbook reads from memory as from its file: plain record streams (which
// only a file could give before), compound documents and Open XML packages.
TEST(ExcelReader, WorkbooksFromMemory)
{
    for (const char *name : {"xlrd-biff4_no_format_no_window2.xls", "table.xls", "table.xlsx"}) {
        SCOPED_TRACE(name);
        const auto fromFile = load(name);
        const auto fromMemory = CreateExcelReader(name);
        std::ifstream in(XlsData(name), std::ios::binary);
        fromMemory->LoadFromStream(in);
        ASSERT_EQ(fromMemory->Sheets.Count(), fromFile->Sheets.Count());
        const TSpreadSheet &expected = fromFile->Sheets[0];
        const TSpreadSheet &got = fromMemory->Sheets[0];
        ASSERT_EQ(got.Cells.RowCount, expected.Cells.RowCount);
        ASSERT_GT(expected.Cells.RowCount, 0);
        for (int row = 0; row <= expected.Cells.RowCount; ++row)
            EXPECT_EQ(rowTexts(got, row), rowTexts(expected, row)) << row;
    }
}

TEST_P(SameTable, ReadsTheSameValues)
{
    const auto reader = load(GetParam());
    ASSERT_GE(reader->Sheets.Count(), 2);
    const TSpreadSheet &data = reader->Sheets[0];
    EXPECT_EQ(data.Caption, "Data");
    EXPECT_EQ(reader->Sheets[1].Caption, "Notes");
    EXPECT_EQ(data.Cells.RowCount, 4);
    EXPECT_EQ(data.Cells.ColCount, 10);
    EXPECT_EQ(rowTexts(data, 0),
              (std::vector<std::string>{"String:ID", "String:NAME", "String:AMOUNT", "String:BORN", "String:AT",
                                        "String:PLAIN", "String:TOTAL", "String:RATIO", "String:BLANK", "String:OK"}));
    // 39448 under "DD/MM/YYYY" is 1 January 2008, under "0.00" a number; 0.5 under
    // "H:MM" is noon of the day zero.
    EXPECT_EQ(rowTexts(data, 1),
              (std::vector<std::string>{"Double:1", "String:Zoë Ærø", "Double:12.5", "Date:39448", "Date:0.5",
                                        "Double:39448", "Double:13.5", "String:#DIV/0!", "-", "Boolean:False"}));
    EXPECT_EQ(rowTexts(data, 3),
              (std::vector<std::string>{"Double:3", "String:2005", "Double:161", "Date:40000", "Date:0.25", "Double:0",
                                        "Double:164", "Double:1.5", "String:x3", "Boolean:True"}));
    EXPECT_EQ(CellText(reader->Sheets[1], 0, 0), "String:second sheet");
}

INSTANTIATE_TEST_SUITE_P(Formats, SameTable, ::testing::Values("table.xls", "table-biff5.xls", "table.xlsx"),
                         NameAfterFile());

TEST(ExcelReader, ThreeSheetsWithTheSecondSelectedKeepOnlyItsCells)
{
    for (const char *name : {"three-sheets.xls", "three-sheets-biff5.xls", "three-sheets.xlsx"}) {
        SCOPED_TRACE(name);
        const auto reader = load(name, 1);
        ASSERT_EQ(reader->Sheets.Count(), 3);
        EXPECT_EQ(reader->Sheets[0].Caption, "First");
        EXPECT_EQ(reader->Sheets[1].Caption, "Second");
        EXPECT_EQ(reader->Sheets[2].Caption, "Third");
        EXPECT_EQ(reader->Sheets[0].Cells.Count(), 0);
        EXPECT_EQ(reader->Sheets[2].Cells.Count(), 0);
        EXPECT_EQ(CellText(reader->Sheets[1], 0, 0), "String:sheet 2");
        EXPECT_EQ(CellText(reader->Sheets[1], 1, 1), "Double:200");
    }
}

TEST(ExcelReader, The1904DateSystemIsHonoured)
{
    for (const char *name : {"dates-1904.xls", "dates-1904.xlsx"}) {
        SCOPED_TRACE(name);
        const auto reader = load(name);
        EXPECT_TRUE(dynamic_cast<TCustomMSExcel &>(*reader).DateMode1904());
        EXPECT_EQ(CellText(reader->Sheets[0], 0, 1), "Date:39448"); // 1 January 2008
    }
    const auto excel = load("libxls-dates-1904.xls"); // written by Excel: 1 January 2000
    EXPECT_EQ(CellText(excel->Sheets[0], 0, 0), "Date:36526");
}

TEST(ExcelReader, StringsContinuedOverSeveralRecordsStayWhole)
{
    const auto reader = load("long-strings.xls");
    const TSpreadSheet &sheet = reader->Sheets[0];
    const std::string letters = sheet.Cells.GetCellValue(0, 0).AsString();
    ASSERT_EQ(letters.size(), 10000u);
    for (std::size_t i : {std::size_t{0}, std::size_t{8223}, std::size_t{8224}, std::size_t{9999}})
        EXPECT_EQ(letters[i], static_cast<char>('a' + i % 26)) << i;
    const std::string greek = sheet.Cells.GetCellValue(0, 1).AsString();
    EXPECT_EQ(greek.size(), 12000u); // two UTF-8 bytes per letter
    EXPECT_EQ(greek.substr(0, 4), "αβ");
    EXPECT_EQ(CellText(sheet, 0, 2), "String:after");
}

TEST(ExcelReader, SheetNamesAndTextBecomeUtf8)
{
    const auto reader = load("libxls-utf8-sheet-names.xls");
    ASSERT_EQ(reader->Sheets.Count(), 2);
    EXPECT_EQ(reader->Sheets[0].Caption, "µ");
    EXPECT_EQ(reader->Sheets[1].Caption, "∂");
}

TEST(ExcelReader, PlainBiff4StreamsAreRead)
{
    const auto reader = load("xlrd-biff4_no_format_no_window2.xls");
    EXPECT_EQ(dynamic_cast<TMSExcel &>(*reader).Version, TExcelVersion::evExcel4);
    const TSpreadSheet &sheet = reader->Sheets[0];
    EXPECT_EQ(sheet.Cells.ColCount, 4);
    EXPECT_EQ(sheet.Cells.RowCount, 27);
    EXPECT_EQ(CellText(sheet, 1, 1), "String:DOG & CAT PRODUCTS");
}

TEST(ExcelReader, SummaryInformationIsRead)
{
    const auto reader = load("table.xls");
    const auto &summary = dynamic_cast<TMSExcel &>(*reader).SummaryInformation;
    EXPECT_EQ(summary.Title, "Ferrovane table");
    EXPECT_EQ(summary.Author, "Ferrovane tests");
}

TEST(ExcelReader, AnOpenXmlSheetWithoutCellsIsEmpty)
{
    const auto reader = load("xlrd-sample.xlsx");
    ASSERT_EQ(reader->Sheets.Count(), 1);
    EXPECT_EQ(reader->Sheets[0].Caption, "Sheet1");
    EXPECT_EQ(reader->Sheets[0].Cells.RowCount, 0);
}

TEST(ExcelReader, EncryptedWorkbooksAreRefused)
{
    TMSExcel reader;
    int asked = 0;
    reader.Password = "secret";
    reader.OnPassword = [&](TCustomSpreadSheetFile *, std::string &password, bool &again) {
        EXPECT_EQ(password, "secret");
        ++asked; // leaves again set: the reader must still stop asking
    };
    try {
        reader.LoadFromFile(XlsData("encrypted.xls"));
        FAIL();
    } catch (const ESpreadSheetError &e) {
        EXPECT_STREQ(e.what(), "Could not read the password protected file");
    }
    EXPECT_TRUE(reader.IsEncrypted());
    EXPECT_GE(asked, 1);
    EXPECT_LE(asked, 3);
}

TEST(ExcelReader, FilesThatAreNoWorkbooksGiveTheReadersError)
{
    TempFile text("not-a-workbook.xls", "just some text, no records at all");
    TempFile binary("book.xlsb", "PK\x03\x04 not really a package");
    TempFile zipless("book.xlsx", "not a zip");
    struct Case {
        std::string path;
        const char *message;
    };
    for (const Case &c : {Case{XlsData("libxls-xls2csv_ole_ole2_fread_327.xls"), "File is not valid Excel Workbook"},
                          Case{text.path(), "File is not a Excel file"},
                          Case{binary.path(), "Excel binary workbooks (*.xlsb) are not supported"},
                          Case{zipless.path(), "File is not valid Excel Workbook"}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(loadError(c.path), c.message);
    }
}

TEST(ExcelReader, StreamsAreReadAsCompoundDocuments)
{
    TMSExcel reader;
    std::ifstream in(XlsData("three-sheets.xls"), std::ios::binary);
    reader.LoadFromStream(in);
    EXPECT_EQ(reader.Sheets.Count(), 3);
    TMSExcelX open;
    std::ifstream package(XlsData("three-sheets.xlsx"), std::ios::binary);
    open.LoadFromStream(package);
    EXPECT_EQ(CellText(open.Sheets[2], 1, 1), "Double:300");
}

TEST(ExcelReader, ProgressIsReportedUpToTheTotal)
{
    for (const char *name : {"table.xls", "table.xlsx"}) {
        SCOPED_TRACE(name);
        auto reader = CreateExcelReader(XlsData(name));
        std::int64_t last = 0, total = 0;
        int calls = 0;
        reader->Progress = [&](std::int64_t position, std::int64_t size) {
            EXPECT_GE(position, last);
            last = position;
            total = size;
            ++calls;
        };
        reader->LoadFromFile(XlsData(name));
        EXPECT_GT(calls, 0);
        EXPECT_EQ(last, total);
    }
}
