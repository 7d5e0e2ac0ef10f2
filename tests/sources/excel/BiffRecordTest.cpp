#include "BiffBuilder.h"
#include "CellText.h"
#include "TempDir.h"
#include "sources/excel/BiffRecords.h"
#include "sources/excel/VxXLS.h"

#include <gtest/gtest.h>

#include <cstring>

using sources::excel::DecodeRK;

namespace {

std::uint32_t highBitsOf(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return static_cast<std::uint32_t>(bits >> 32);
}

// A BIFF8 workbook: globals with the given records, then one worksheet "Data" with its
// records.
class Workbook {
public:
    BiffBuilder book;

    void globals(const std::function<void(BiffBuilder &)> &records)
    {
        book.bof8(0x0005);
        sheet_ = book.boundSheet8("Data", 0);
        records(book);
        book.eof();
    }
    void worksheet(const std::function<void(BiffBuilder &)> &records)
    {
        book.patchSheetOffset(sheet_, book.bof8(0x0010));
        records(book);
        book.eof();
    }
    std::unique_ptr<TMSExcel> load(const std::function<void(TMSExcel &)> &setup = {})
    {
        file_ = std::make_unique<TempFile>("crafted.xls", "");
        book.writeCompound(file_->path());
        auto reader = std::make_unique<TMSExcel>();
        if (setup)
            setup(*reader);
        reader->LoadFromFile(file_->path());
        return reader;
    }

private:
    std::size_t sheet_ = 0;
    std::unique_ptr<TempFile> file_;
};

Bytes labelSst(int row, int column, std::uint32_t index)
{
    return Bytes().u16(static_cast<std::uint16_t>(row)).u16(static_cast<std::uint16_t>(column)).u16(0).u32(index);
}

} // namespace

TEST(BiffValues, RkValuesDecode)
{
    struct Case {
        std::uint32_t rk;
        double value;
    };
    for (const Case &c : {Case{0x286, 161}, Case{0x287, 1.61}, Case{highBitsOf(1.0), 1.0},
                          Case{highBitsOf(1.0) | 1, 0.01}, Case{0xFFFFFFFE, -1}, Case{highBitsOf(-2.5), -2.5}}) {
        SCOPED_TRACE(c.rk);
        EXPECT_DOUBLE_EQ(DecodeRK(c.rk), c.value);
    }
}

TEST(BiffValues, ErrorCodesHaveTheirTexts)
{
    const std::pair<int, const char *> cases[] = {
        {0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"}, {0x17, "#REF!"},
        {0x1D, "#NAME?"}, {0x24, "#NUM!"},   {0x2A, "#N/A"},    {0x99, "Unknown error code 153"}};
    for (const auto &[code, text] : cases)
        EXPECT_EQ(sources::excel::ErrorText(static_cast<std::uint8_t>(code)), text);
}

// A string that starts compressed and goes on in UTF-16 after a CONTINUE record, one
// that goes the other way, and a rich-text string whose runs lie in the next record.
TEST(BiffSharedStrings, EncodingMaySwitchAtEveryContinue)
{
    Workbook w;
    w.globals([](BiffBuilder &b) {
        b.record(0x00FC, Bytes().u32(3).u32(3).u16(6).u8(0).text("abc"));
        b.record(0x003C, Bytes().u8(1).utf16(u"dεf").u16(4).u8(1).utf16(u"ωx"));
        b.record(0x003C, Bytes().u8(0).text("yz").u16(2).u8(0x08).u16(1).text("hi"));
        b.record(0x003C, Bytes().u32(0x00010000));
    });
    w.worksheet([](BiffBuilder &b) {
        for (int i = 0; i < 3; ++i)
            b.record(0x00FD, labelSst(i, 0, static_cast<std::uint32_t>(i)));
        b.number8(3, 0, 1); // read after the SST, so nothing of it was left behind
    });
    const auto reader = w.load();
    EXPECT_EQ(reader->SharedStrings(), (std::vector<std::string>{"abcdεf", "ωxyz", "hi"}));
    EXPECT_EQ(CellText(reader->Sheets[0], 0, 1), "String:ωxyz");
    EXPECT_EQ(CellText(reader->Sheets[0], 0, 3), "Double:1");
}

TEST(BiffSharedStrings, FaultsAreReported)
{
    struct Case {
        std::function<void(BiffBuilder &)> records;
        const char *message;
    };
    const Case cases[] = {
        {[](BiffBuilder &b) { b.record(0x00FC, Bytes().u32(1).u32(1).u16(2).u8(0x02).text("ab")); },
         "String in SST (Options byte is 0x02) can not be processed."},
        {[](BiffBuilder &b) {
             b.record(0x00FC, Bytes().u32(2).u32(2).u16(1).u8(0).text("a"));
             b.record(0x0042, Bytes().u16(1252));
         },
         "CONTINUE record is not found in the stream"},
        {[](BiffBuilder &b) { b.record(0x00FC, Bytes().u32(1).u32(1).u16(500).u8(0).text("short")); },
         "CONTINUE record is not found in the stream"},
    };
    for (const Case &c : cases) {
        Workbook w;
        w.globals(c.records);
        w.worksheet([](BiffBuilder &) {});
        try {
            w.load();
            ADD_FAILURE() << c.message;
        } catch (const ESpreadSheetError &e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(BiffFormulas, CachedResultsBecomeCellValues)
{
    auto formula = [](int row, const Bytes &result) {
        Bytes b;
        b.u16(static_cast<std::uint16_t>(row)).u16(0).u16(0);
        for (std::uint8_t byte : result.data())
            b.u8(byte);
        return b.u16(0).u32(0).u16(0); // flags, chain, empty expression
    };
    auto special = [](std::uint8_t kind, std::uint8_t value) {
        return Bytes().u8(kind).u8(0).u8(value).u8(0).u8(0).u8(0).u16(0xFFFF);
    };
    Workbook w;
    w.globals([](BiffBuilder &) {});
    w.worksheet([&](BiffBuilder &b) {
        b.record(0x0006, formula(0, Bytes().f64(12)));
        b.record(0x0006, formula(1, special(2, 0x07)));
        b.record(0x0006, formula(2, special(3, 0))); // empty string: no cell
        b.record(0x0006, formula(3, special(1, 1)));
        b.record(0x0006, formula(4, special(0, 0)));
        b.record(0x04BC, Bytes().u32(0).u32(0)); // a shared formula before the text
        b.record(0x0207, Bytes().u16(5).u8(1).utf16(u"héllo"));
        b.record(0x0006, formula(5, special(0, 0)));
        b.record(0x0207, Bytes().u16(3).u8(0).text("abc"));
        b.record(0x0006, formula(6, special(0, 0))); // no STRING follows: no cell
        b.number8(7, 0, 8);
    });
    const auto reader = w.load();
    const TSpreadSheet &sheet = reader->Sheets[0];
    const std::vector<std::string> expected = {"Double:12",    "String:#DIV/0!", "-", "Boolean:True",
                                               "String:héllo", "String:abc",     "-", "Double:8"};
    for (int row = 0; row < static_cast<int>(expected.size()); ++row)
        EXPECT_EQ(CellText(sheet, 0, row), expected[static_cast<std::size_t>(row)]) << row;
}

// Names and skip positions follow the substreams: a chart sheet listed first takes no
// sheet number, and a workbook that ends with a chart sheet ends normally.
TEST(BiffSheets, ChartSheetsTakeNoSheetNumber)
{
    BiffBuilder b;
    b.bof8(0x0005);
    const std::size_t chartEntry = b.boundSheet8("Chart1", 2);
    const std::size_t firstEntry = b.boundSheet8("First", 0);
    const std::size_t secondEntry = b.boundSheet8("Second", 0);
    const std::size_t lastChartEntry = b.boundSheet8("Chart2", 2);
    b.eof();
    b.patchSheetOffset(chartEntry, b.bof8(0x0020));
    b.number8(0, 0, 99); // chart records are passed over
    b.eof();
    b.patchSheetOffset(firstEntry, b.bof8(0x0010));
    b.number8(0, 0, 1);
    b.eof();
    b.patchSheetOffset(secondEntry, b.bof8(0x0010));
    b.number8(0, 0, 2);
    b.eof();
    b.patchSheetOffset(lastChartEntry, b.bof8(0x0020));
    b.eof();
    TempFile file("charts.xls", "");
    b.writeCompound(file.path());

    for (int loadSheet : {-1, 0, 1}) {
        SCOPED_TRACE(loadSheet);
        TMSExcel reader;
        reader.LoadSheet = loadSheet;
        reader.LoadFromFile(file.path());
        ASSERT_EQ(reader.Sheets.Count(), 2);
        EXPECT_EQ(reader.Sheets[0].Caption, "First");
        EXPECT_EQ(reader.Sheets[1].Caption, "Second");
        EXPECT_EQ(CellText(reader.Sheets[0], 0, 0), loadSheet == 1 ? "-" : "Double:1");
        EXPECT_EQ(CellText(reader.Sheets[1], 0, 0), loadSheet == 0 ? "-" : "Double:2");
    }
}

// BIFF2: cells carry their format in their attribute bytes, FORMAT records number
// themselves by order, text follows the code page record.
TEST(BiffPlainStreams, Biff2CellsAndFormats)
{
    auto attributes = [](int row, int column, std::uint8_t format, std::uint8_t align) {
        return Bytes()
            .u16(static_cast<std::uint16_t>(row))
            .u16(static_cast<std::uint16_t>(column))
            .u8(0)
            .u8(format)
            .u8(align);
    };
    BiffBuilder b;
    b.record(0x0009, Bytes().u16(2).u16(0x10));
    b.record(0x0042, Bytes().u16(1252));
    for (const char *format : {"General", "0.00", "dd/mm/yyyy"})
        b.record(0x001E, Bytes().u8(static_cast<std::uint8_t>(std::strlen(format))).text(format));
    b.record(0x0003, attributes(0, 0, 2, 0).f64(39448));
    b.record(0x0003, attributes(0, 1, 1, 3).f64(39448));
    b.record(0x0002, attributes(1, 0, 0, 0).u16(161));
    b.record(0x0004, attributes(1, 1, 0, 2).u8(4).text("Caf\xE9"));
    b.record(0x0005, attributes(2, 0, 0, 0).u8(1).u8(0));
    b.record(0x0005, attributes(2, 1, 0, 0).u8(0x24).u8(1));
    b.record(0x0006, attributes(3, 0, 0, 0).f64(12).u8(0).u8(0));
    b.record(0x0006, attributes(3, 1, 0, 0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u16(0xFFFF).u8(0).u8(0));
    b.record(0x0007, Bytes().u8(2).text("hi"));
    b.eof();
    TempFile file("biff2.xls", "");
    b.writePlain(file.path());

    TMSExcel reader;
    std::vector<int> dimensions;
    reader.OnDimensions = [&](TCustomSpreadSheetFile *, int, int firstRow, int lastRow, int firstColumn,
                              int lastColumn) {
        dimensions = {firstRow, lastRow, firstColumn, lastColumn};
    };
    reader.LoadFromFile(file.path());
    EXPECT_EQ(reader.Version, TExcelVersion::evExcel2);
    const TSpreadSheet &sheet = reader.Sheets[0];
    EXPECT_EQ(CellText(sheet, 0, 0), "Date:39448");
    EXPECT_EQ(CellText(sheet, 1, 0), "Double:39448");
    EXPECT_EQ(sheet.Cells.Cell(1, 0)->Alignment, TAlignment::taRightJustify);
    EXPECT_EQ(CellText(sheet, 0, 1), "Integer:161");
    EXPECT_EQ(CellText(sheet, 1, 1), "String:Café");
    EXPECT_EQ(sheet.Cells.Cell(1, 1)->Alignment, TAlignment::taCenter);
    EXPECT_EQ(CellText(sheet, 0, 2), "Boolean:True");
    EXPECT_EQ(CellText(sheet, 1, 2), "String:#NUM!");
    EXPECT_EQ(CellText(sheet, 0, 3), "Double:12");
    EXPECT_EQ(CellText(sheet, 1, 3), "String:hi");
    EXPECT_EQ(dimensions, (std::vector<int>{0, 4, 0, 2}));
}

TEST(BiffErrors, ARecordErrorEndsTheLoadUnlessTheHandlerLetsItGoOn)
{
    Workbook w;
    w.globals([](BiffBuilder &) {});
    w.worksheet([](BiffBuilder &b) {
        b.number8(0, 0, 1);
        b.record(0x0203, Bytes().u16(1).u16(0)); // a NUMBER without its value
        b.number8(2, 0, 3);
    });
    try {
        w.load();
        FAIL();
    } catch (const ESpreadSheetError &e) {
        EXPECT_STREQ(e.what(), "The Excel file is damaged or truncated");
    }
    std::vector<std::string> errors;
    const auto reader = w.load([&](TMSExcel &r) {
        r.OnErrorProcess = [&](TCustomSpreadSheetFile *, const std::exception &error, bool &abort) {
            errors.push_back(error.what());
            abort = false;
        };
    });
    EXPECT_EQ(errors, (std::vector<std::string>{"The Excel file is damaged or truncated"}));
    EXPECT_EQ(CellText(reader->Sheets[0], 0, 2), "Double:3");
}

TEST(BiffErrors, ARecordRunningPastTheStreamIsDamage)
{
    BiffBuilder b;
    b.record(0x0009, Bytes().u16(2).u16(0x10));
    b.record(0x0003, Bytes().u16(0).u16(0));
    std::vector<std::uint8_t> bytes = b.stream();
    bytes.at(bytes.size() - 6) = 0x40; // the last record now claims 64 bytes
    TempFile file("cut.xls", std::string(bytes.begin(), bytes.end()));
    TMSExcel reader;
    try {
        reader.LoadFromFile(file.path());
        FAIL();
    } catch (const ESpreadSheetError &e) {
        EXPECT_STREQ(e.what(), "The Excel file is damaged or truncated");
    }
}

// Rich-text labels keep their text: the formatting runs after it are skipped.
TEST(BiffLabels, RichTextLabelsAreRead)
{
    Workbook w;
    w.globals([](BiffBuilder &) {});
    w.worksheet([](BiffBuilder &b) {
        b.record(0x0204, Bytes().u16(0).u16(0).u16(0).u16(5).u8(0).text("plain"));
        b.record(0x00D6, Bytes().u16(1).u16(0).u16(0).u16(4).u8(0).text("rich").u16(1).u16(0).u16(2).u16(1));
    });
    const auto reader = w.load();
    EXPECT_EQ(CellText(reader->Sheets[0], 0, 0), "String:plain");
    EXPECT_EQ(CellText(reader->Sheets[0], 0, 1), "String:rich");
}
