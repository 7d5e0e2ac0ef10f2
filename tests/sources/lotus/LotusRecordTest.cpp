// Hand-built Lotus records: one table row per record kind and meaning.

#include "WorksheetStream.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/lotus/VxWKS.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr std::uint16_t WK1 = 0x0406;
constexpr std::uint16_t WK3 = 0x1000;
constexpr std::uint16_t WK4 = 0x1002;

// Release 1 and 2 address: format byte, column, row.
Bytes shortAt(int row, int column)
{
    return Bytes().u8(0xFF).u16(static_cast<std::uint16_t>(column)).u16(static_cast<std::uint16_t>(row));
}
// Release 3 address: row, sheet, column.
Bytes longAt(int sheet, int row, int column)
{
    return Bytes()
        .u16(static_cast<std::uint16_t>(row))
        .u8(static_cast<std::uint8_t>(sheet))
        .u8(static_cast<std::uint8_t>(column));
}

// The 26-bit magnitude, the sign, "divide" and the power of ten of record 0x25.
std::uint32_t packed(std::uint32_t magnitude, bool negative, bool divide, int power)
{
    return magnitude << 6 | (negative ? 0x20u : 0u) | (divide ? 0x10u : 0u) | static_cast<std::uint32_t>(power);
}

struct TRecordCase {
    const char *Name;
    std::uint16_t Version; // 0: no BOF record
    WorksheetStream Records;
    std::vector<TCellSeen> Cells; // every cell the model must hold, nothing more
};

std::vector<TRecordCase> recordCases()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<TRecordCase> cases;
    cases.push_back({"release 2 labels: the prefix aligns, the text follows it",
                     WK1,
                     WorksheetStream()
                         .record(0x0F, shortAt(0, 0).u8('\'').text("left").u8(0))
                         .record(0x0F, shortAt(0, 1).u8('^').text("centre").u8(0))
                         .record(0x0F, shortAt(0, 2).u8('"').text("right").u8(0))
                         .record(0x0F, shortAt(0, 3).u8('\\').text("repeat").u8(0))
                         .record(0x0F, shortAt(0, 4).u8('\'').text("caf\xE9").u8(0)),
                     {{0, 0, 0, Variant("left"), TAlignment::taLeftJustify},
                      {0, 0, 1, Variant("centre"), TAlignment::taCenter},
                      {0, 0, 2, Variant("right"), TAlignment::taRightJustify},
                      {0, 0, 3, Variant("repeat"), TAlignment::taLeftJustify},
                      {0, 0, 4, Variant("caf\xE9"), TAlignment::taLeftJustify}}});
    cases.push_back({"release 2 numbers: integer, real, a row past 255",
                     WK1,
                     WorksheetStream()
                         .record(0x0D, shortAt(0, 0).u16(0xFFFB))
                         .record(0x0E, shortAt(300, 1).f64(-2.5))
                         .record(0x0E, shortAt(1, 1).f64(nan)),
                     {{0, 0, 0, Variant(-5), TAlignment::taRightJustify},
                      {0, 300, 1, Variant(-2.5), TAlignment::taRightJustify},
                      {0, 1, 1, Variant(0.0), TAlignment::taRightJustify}}});
    cases.push_back({"release 2 formulas: the stored result, or the text that follows it",
                     WK1,
                     WorksheetStream()
                         .record(0x10, shortAt(0, 0).f64(42.5).u16(0))
                         .record(0x10, shortAt(1, 0).f64(nan).u16(0))
                         .record(0x33, shortAt(1, 0).text("text result").u8(0))
                         .record(0x10, shortAt(2, 0).f64(nan).u16(0))
                         .record(0x33, shortAt(9, 9).text("not its text").u8(0)),
                     {{0, 0, 0, Variant(42.5)}, {0, 1, 0, Variant("text result")}, {0, 2, 0, Variant(0)}}});
    cases.push_back({"release 2: numbers of release 3 records are settings, not cells or sheets",
                     WK1,
                     WorksheetStream()
                         .record(0x18, Bytes().u16(1).u16(2).u16(3).u16(4))
                         .record(0x23, Bytes().u16(0).u8(5).u8(0).text("footer").u8(0))
                         .record(0x24, Bytes().u8(0).u8(9).u8(0).u8(12))
                         .record(0x25, Bytes().text("page footer").u8(0))
                         .record(0x28, Bytes().u16(4).u16(4).u16(4).u16(4).u16(4).u16(4))
                         .record(0x0D, shortAt(0, 0).u16(1)),
                     {{0, 0, 0, Variant(1), TAlignment::taRightJustify}}});
    cases.push_back({"release 3 labels and numbers on their sheets",
                     WK3,
                     WorksheetStream()
                         .record(0x16, longAt(0, 0, 0).u8('^').text("head").u8(0))
                         .record(0x16, longAt(1, 2, 3).u8('\'').text("second sheet").u8(0))
                         .record(0x17, longAt(0, 1, 0).u64(0x8000000000000000ull).u16(0x3FFF))
                         .record(0x17, longAt(0, 1, 1).u64(0xA000000000000000ull).u16(0xC000))
                         .record(0x17, longAt(0, 1, 2).u64(0).u16(0))
                         .record(0x27, longAt(0, 1, 3).f64(3.25)),
                     {{0, 0, 0, Variant("head"), TAlignment::taCenter},
                      {1, 2, 3, Variant("second sheet")},
                      {0, 1, 0, Variant(1.0), TAlignment::taRightJustify},
                      {0, 1, 1, Variant(-2.5), TAlignment::taRightJustify},
                      {0, 1, 2, Variant(0.0), TAlignment::taRightJustify},
                      {0, 1, 3, Variant(3.25), TAlignment::taRightJustify}}});
    cases.push_back({"release 3 small numbers in both encodings",
                     WK4,
                     WorksheetStream()
                         .record(0x18, longAt(0, 0, 0).u16(0x000A))
                         .record(0x18, longAt(0, 0, 1).u16(0xFFFE))
                         .record(0x18, longAt(0, 0, 2).u16(3 << 4 | 2 << 1 | 1))
                         .record(0x18, longAt(0, 0, 3).u16(7 << 4 | 0 << 1 | 1)),
                     {{0, 0, 0, Variant(5.0), TAlignment::taRightJustify},
                      {0, 0, 1, Variant(-1.0), TAlignment::taRightJustify},
                      {0, 0, 2, Variant(0.05 * 3), TAlignment::taRightJustify},
                      {0, 0, 3, Variant(35000.0), TAlignment::taRightJustify}}});
    cases.push_back({"release 3 packed numbers: power of ten, divide flag, sign",
                     WK3,
                     WorksheetStream()
                         .record(0x25, longAt(0, 0, 0).u32(packed(1234, false, true, 2)))
                         .record(0x25, longAt(0, 0, 1).u32(packed(1234, false, false, 2)))
                         .record(0x25, longAt(0, 0, 2).u32(packed(1234, false, false, 0)))
                         .record(0x25, longAt(0, 0, 3).u32(packed(1234, true, false, 0)))
                         .record(0x25, longAt(0, 0, 4).u32(packed(5, false, false, 8)))
                         .record(0x25, longAt(0, 0, 5).u32(packed(15, true, true, 1))),
                     {{0, 0, 0, Variant(12.34), TAlignment::taRightJustify},
                      {0, 0, 1, Variant(123400.0), TAlignment::taRightJustify},
                      {0, 0, 2, Variant(1234), TAlignment::taRightJustify},
                      {0, 0, 3, Variant(-1234), TAlignment::taRightJustify},
                      {0, 0, 4, Variant(5e8), TAlignment::taRightJustify},
                      {0, 0, 5, Variant(-1.5), TAlignment::taRightJustify}}});
    cases.push_back({"release 3 formulas: 10-byte and 8-byte results, text results",
                     WK4,
                     WorksheetStream()
                         .record(0x19, longAt(0, 0, 0).u64(0xC000000000000000ull).u16(0x4000).u16(0))
                         .record(0x19, longAt(0, 1, 0).u64(0x1234).u16(0xFFFF).u16(0))
                         .record(0x1A, longAt(0, 1, 0).text("joined").u8(0))
                         .record(0x28, longAt(0, 2, 0).f64(7.5).u16(0))
                         .record(0x28, longAt(0, 3, 0).f64(nan).u16(0))
                         .record(0x19, longAt(0, 4, 0).u64(0x1234).u16(0xFFFF).u16(0)),
                     {{0, 0, 0, Variant(3.0)},
                      {0, 1, 0, Variant("joined")},
                      {0, 2, 0, Variant(7.5)},
                      {0, 3, 0, Variant(0.0)},
                      {0, 4, 0, Variant(0.0)}}});
    cases.push_back({"release 3: short-layout records are not cells, the worksheet ends at EOF",
                     WK4,
                     WorksheetStream()
                         .record(0x0E, Bytes().u16(0).u16(0).u16(0).f64(1.0))
                         .record(0x0F, Bytes().text("settings of release 4 here"))
                         .record(0x10, Bytes().u8(1).u8(0).u8(0))
                         .record(0x16, longAt(0, 0, 0).u8('\'').text("kept").u8(0))
                         .record(0x01, Bytes())
                         .bof(0x8007)
                         .record(0x16, longAt(0, 9, 9).u8('\'').text("formatting data").u8(0)),
                     {{0, 0, 0, Variant("kept")}}});
    cases.push_back({"no BOF record: read without a version check",
                     0,
                     WorksheetStream().record(0x0D, shortAt(2, 1).u16(7)),
                     {{0, 2, 1, Variant(7), TAlignment::taRightJustify}}});
    cases.push_back(
        {"an ending BOF version stops the read; what came before stays",
         WK1,
         WorksheetStream().record(0x0D, shortAt(0, 0).u16(1)).bof(0xB200).record(0x0D, shortAt(1, 0).u16(2)),
         {{0, 0, 0, Variant(1), TAlignment::taRightJustify}}});
    cases.push_back({"a record longer than the buffer is passed over",
                     WK1,
                     WorksheetStream()
                         .record(0x0F, shortAt(0, 0).u8('\'').text(std::string(40000, 'x')).u8(0))
                         .record(0x0D, shortAt(0, 1).u16(3)),
                     {{0, 0, 1, Variant(3), TAlignment::taRightJustify}}});
    cases.push_back({"blank cells and the unknown version of a later BOF",
                     WK1,
                     WorksheetStream().record(0x0C, shortAt(0, 0)).bof(0x7777).record(0x0D, shortAt(0, 1).u16(4)),
                     {{0, 0, 1, Variant(4), TAlignment::taRightJustify}}});
    return cases;
}

} // namespace

TEST(LotusRecords, EachKindGivesTheCellsItHolds)
{
    for (const TRecordCase &c : recordCases()) {
        SCOPED_TRACE(c.Name);
        WorksheetStream stream;
        if (c.Version != 0)
            stream.bof(c.Version);
        stream.record(0x06, Bytes()).append(c.Records); // an empty record: nothing happens
        TLotus123 reader;
        stream.loadInto(reader);
        int held = 0;
        for (int s = 0; s < reader.Sheets.Count(); ++s)
            held += CellCount(reader.Sheets.GetSheet(s).Cells);
        EXPECT_EQ(held, static_cast<int>(c.Cells.size()));
        for (const TCellSeen &cell : c.Cells) {
            SCOPED_TRACE("sheet " + std::to_string(cell.Sheet) + " row " + std::to_string(cell.Row) + " column " +
                         std::to_string(cell.Column));
            ASSERT_GT(reader.Sheets.Count(), cell.Sheet);
            const TVxICell *got = reader.Sheets.GetSheet(cell.Sheet).Cells.Cell(cell.Column, cell.Row);
            ASSERT_NE(got, nullptr);
            EXPECT_TRUE(SameValue(got->Value, cell.Value)) << got->Value.AsString() << " vs " << cell.Value.AsString();
            EXPECT_EQ(got->Alignment, cell.Alignment);
        }
    }
}

TEST(LotusRecords, VersionsAndTheirFamilies)
{
    const std::pair<std::uint16_t, TWKSVersion> versions[] = {
        {0x0404, TWKSVersion::wvWKS1}, {0x0405, TWKSVersion::wvWKS2}, {0x0406, TWKSVersion::wvWR1},
        {0x1000, TWKSVersion::wvWKS3}, {0x1002, TWKSVersion::wvWKS4}, {0x8007, TWKSVersion::wvWKS4},
        {0x1003, TWKSVersion::wv123},  {0x1005, TWKSVersion::wv123}};
    for (const auto &[word, version] : versions) {
        TLotus123 reader;
        WorksheetStream().bof(word).loadInto(reader);
        EXPECT_EQ(reader.Version, version) << word;
    }
}

TEST(LotusRecords, SheetNamesNameTheirOwnSheet)
{
    TLotus123 reader;
    WorksheetStream()
        .bof(WK3)
        .record(0x16, longAt(0, 0, 0).u8('\'').text("a").u8(0))
        .record(0x23, Bytes().u16(0).u8(0).u8(0).text("Renamed?").u8(0))
        .record(0x23, Bytes().u16(0).u8(3).u8(0).text("Fourth").u8(0))
        .loadInto(reader);
    ASSERT_EQ(reader.Sheets.Count(), 4);
    EXPECT_EQ(reader.Sheets.GetSheet(0).Caption, "Sheet1");
    EXPECT_EQ(reader.Sheets.GetSheet(1).Caption, "Sheet2");
    EXPECT_EQ(reader.Sheets.GetSheet(2).Caption, "Sheet3");
    EXPECT_EQ(reader.Sheets.GetSheet(3).Caption, "Fourth");
}

TEST(LotusRecords, ExtentAndColumnWidths)
{
    TLotus123 wk1;
    WorksheetStream()
        .bof(WK1)
        .record(0x06, Bytes().u16(0).u16(0).u16(4).u16(9))
        .record(0x0D, shortAt(0, 0).u16(1))
        .loadInto(wk1);
    EXPECT_EQ(wk1.Sheets.GetSheet(0).Cells.LastRow, 9);
    EXPECT_EQ(wk1.Sheets.GetSheet(0).Cells.LastColumn, 4);

    TLotus123 wk3;
    WorksheetStream().bof(WK3).record(0x24, Bytes().u8(1).u8(3).u8(0).u8(14)).loadInto(wk3);
    for (int column = 1; column <= 3; ++column)
        EXPECT_EQ(wk3.Sheets.GetSheet(0).ColumnWidth(column), 14);
    EXPECT_FALSE(wk3.Sheets.GetSheet(0).ColumnWidth(0));
}

TEST(LotusRecords, ErrorsEndTheReadWithTheirMessage)
{
    const TSpreadSheetTexts &texts = SpreadSheetTexts();
    struct TErrorCase {
        const char *Name;
        WorksheetStream Stream;
        std::string Message;
    };
    const TErrorCase cases[] = {
        {"a first BOF of another program", WorksheetStream().bof(0x5120), texts.NotLotusFile},
        {"a password record", WorksheetStream().bof(WK1).record(0x37, Bytes().u32(0)), texts.PasswordProtected},
        {"a label shorter than its address", WorksheetStream().bof(WK1).record(0x0F, Bytes().u8(0).u16(0)),
         texts.LotusDamaged},
        {"a release 3 label without its prefix", WorksheetStream().bof(WK3).record(0x16, Bytes().u16(0).u8(0).u8(0)),
         texts.LotusDamaged},
        {"a number cut short", WorksheetStream().bof(WK1).record(0x0E, shortAt(0, 0).u32(0)), texts.LotusDamaged},
        {"a sheet name record of two bytes", WorksheetStream().bof(WK3).record(0x23, Bytes().u16(0)),
         texts.LotusDamaged},
    };
    for (const TErrorCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TLotus123 reader;
        try {
            c.Stream.loadInto(reader);
            ADD_FAILURE() << "no error";
        } catch (const ESpreadSheetError &e) {
            EXPECT_EQ(e.what(), c.Message);
        }
    }
    TLotus123 reader;
    EXPECT_THROW(WorksheetStream().bof(WK1).record(0x37, Bytes().u32(0)).loadInto(reader), ESpreadSheetError);
    EXPECT_TRUE(reader.IsEncrypted());

    // A file cut inside a record's data.
    WorksheetStream cut;
    cut.bof(WK1).record(0x0F, shortAt(0, 0).u8('\'').text("long label").u8(0));
    std::vector<std::uint8_t> bytes(cut.data().begin(), cut.data().end() - 4);
    std::istringstream stream(std::string(bytes.begin(), bytes.end()));
    TLotus123 truncated;
    try {
        truncated.LoadFromStream(stream);
        ADD_FAILURE() << "no error";
    } catch (const ESpreadSheetError &e) {
        EXPECT_EQ(e.what(), texts.LotusDamaged);
    }
}

TEST(LotusRecords, EveryRecordIsOfferedFirst)
{
    TLotus123 reader;
    std::vector<std::pair<int, int>> seen;
    reader.OnRecord = [&](TCustomSpreadSheetFile *, const TRecordHeader &header, std::span<const std::uint8_t> data) {
        seen.emplace_back(header.Id, static_cast<int>(data.size()));
    };
    WorksheetStream().bof(WK1).record(0x0D, shortAt(0, 0).u16(1)).record(0x99, Bytes().u8(1)).loadInto(reader);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0x00, 2}, {0x0D, 7}, {0x99, 1}}));
}

TEST(LotusRecords, ACompoundDocumentIsNoWorksheet)
{
    std::istringstream stream(std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'));
    TLotus123 reader;
    try {
        reader.LoadFromStream(stream);
        ADD_FAILURE() << "no error";
    } catch (const ESpreadSheetError &e) {
        EXPECT_EQ(e.what(), SpreadSheetTexts().NotLotusFile);
    }
}
