// Hand-built Quattro Pro records: one table row per record kind and cell layout.

#include "CompoundDocument.h"
#include "Files.h"
#include "TempDir.h"
#include "WorksheetStream.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/lotus/VxWQ.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr std::uint16_t WQ1 = 0x5120;
constexpr std::uint16_t WQ2 = 0x5121;
constexpr std::uint16_t WKQ = 0x0A0B;
constexpr std::uint16_t WB1 = 0x1001;
constexpr std::uint16_t WB3 = 0x1007;

// .WQ1 and .WKQ: format byte, column, row.
Bytes dosAt(int row, int column)
{
    return Bytes().u8(0x80).u16(static_cast<std::uint16_t>(column)).u16(static_cast<std::uint16_t>(row));
}
// .WQ2 and the Windows notebooks: column, row, format.
Bytes wordAt(int row, int column)
{
    return Bytes().u16(static_cast<std::uint16_t>(column)).u16(static_cast<std::uint16_t>(row)).u16(0x0B);
}

struct TRecordCase {
    const char *Name;
    std::uint16_t Version;
    WorksheetStream Records;
    std::vector<TCellSeen> Cells; // every cell of sheet 0, nothing more
};

std::vector<TRecordCase> recordCases()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<TRecordCase> cases;
    cases.push_back({".WQ1: counted labels after the prefix, rows past 255, numbers",
                     WQ1,
                     WorksheetStream()
                         .record(0x0F, dosAt(0, 0).u8('^').u8(4).text("DATE"))
                         .record(0x0F, dosAt(300, 1).u8('"').u8(2).text("ok"))
                         .record(0x0D, dosAt(2, 0).u16(4001))
                         .record(0x0E, dosAt(2, 1).f64(35249.0))
                         .record(0x10, dosAt(2, 2).f64(nan).u16(0))
                         .record(0x33, dosAt(2, 2).u8(3).text("sal"))
                         .record(0x0C, dosAt(3, 0)),
                     {{0, 0, 0, Variant("DATE"), TAlignment::taCenter},
                      {0, 300, 1, Variant("ok"), TAlignment::taRightJustify},
                      {0, 2, 0, Variant(4001), TAlignment::taRightJustify},
                      {0, 2, 1, Variant(35249.0), TAlignment::taRightJustify},
                      {0, 2, 2, Variant("sal")}}});
    cases.push_back({".WQ2: 16-bit addresses, values at 6, counted labels",
                     WQ2,
                     WorksheetStream()
                         .record(0x0F, wordAt(0, 0).u8('\'').u8(6).text("OBSERV"))
                         .record(0x0F, wordAt(0, 1).u8('\'').u8(200).text("cut"))
                         .record(0x0D, wordAt(1, 0).u16(0xFFFF))
                         .record(0x0E, wordAt(1, 1).f64(0.5))
                         .record(0x10, wordAt(1, 2).f64(30.0).u16(0))
                         .record(0x10, wordAt(1, 3).f64(nan).u16(0))
                         .record(0x33, wordAt(1, 3).u8(1).text("c")),
                     {{0, 0, 0, Variant("OBSERV")},
                      {0, 0, 1, Variant("cut")},
                      {0, 1, 0, Variant(-1), TAlignment::taRightJustify},
                      {0, 1, 1, Variant(0.5), TAlignment::taRightJustify},
                      {0, 1, 2, Variant(30.0)},
                      {0, 1, 3, Variant("c")}}});
    cases.push_back(
        {".WKQ: the Lotus release 2 layout",
         WKQ,
         WorksheetStream().record(0x0F, dosAt(1, 1).u8('^').text("mid").u8(0)).record(0x0D, dosAt(1, 2).u16(12)),
         {{0, 1, 1, Variant("mid"), TAlignment::taCenter}, {0, 1, 2, Variant(12), TAlignment::taRightJustify}}});
    cases.push_back({"Windows notebooks: zero-terminated labels, text results with their prefix",
                     WB3,
                     WorksheetStream()
                         .record(0x0F, wordAt(0, 0).u8(0).text("Normal").u8(0))
                         .record(0x0F, wordAt(0, 1).u8('\'').text("X").u8(0).u8(0x63))
                         .record(0x10, wordAt(1, 1).f64(nan).u16(0))
                         .record(0x33, wordAt(1, 1).u8(0).text("abc\r\ndef").u8(0).u8('f'))
                         .record(0x10, wordAt(2, 1).f64(std::numeric_limits<double>::infinity()).u16(0)),
                     {{0, 0, 0, Variant("Normal")},
                      {0, 0, 1, Variant("X")},
                      {0, 1, 1, Variant("abc\r\ndef")},
                      {0, 2, 1, Variant(0.0)}}});
    cases.push_back({"a record longer than the buffer is passed over",
                     WB1,
                     WorksheetStream()
                         .record(0x0F, wordAt(0, 0).u8('\'').text(std::string(40000, 'x')).u8(0))
                         .record(0x0D, wordAt(0, 1).u16(3)),
                     {{0, 0, 1, Variant(3), TAlignment::taRightJustify}}});
    return cases;
}

std::string loadError(TQuattroPro &reader, const WorksheetStream &stream)
{
    try {
        stream.loadInto(reader);
    } catch (const ESpreadSheetError &e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(QuattroRecords, EachKindGivesTheCellsItHolds)
{
    for (const TRecordCase &c : recordCases()) {
        SCOPED_TRACE(c.Name);
        TQuattroPro reader;
        WorksheetStream().bof(c.Version).append(c.Records).loadInto(reader);
        ASSERT_GE(reader.Sheets.Count(), 1);
        const TSpreadSheetCells &cells = reader.Sheets.GetSheet(0).Cells;
        EXPECT_EQ(CellCount(cells), static_cast<int>(c.Cells.size()));
        for (const TCellSeen &cell : c.Cells) {
            SCOPED_TRACE("row " + std::to_string(cell.Row) + " column " + std::to_string(cell.Column));
            const TVxICell *got = cells.Cell(cell.Column, cell.Row);
            ASSERT_NE(got, nullptr);
            EXPECT_TRUE(SameValue(got->Value, cell.Value)) << got->Value.AsString() << " vs " << cell.Value.AsString();
            EXPECT_EQ(got->Alignment, cell.Alignment);
        }
    }
}

TEST(QuattroRecords, SheetsBeginAndAreNamedInWindowsNotebooks)
{
    TQuattroPro reader;
    WorksheetStream()
        .bof(WB3)
        .record(0xCA, Bytes().u8(0))
        .record(0x0D, wordAt(0, 0).u16(1))
        .record(0xCA, Bytes().u8(1))
        .record(0x0D, wordAt(0, 0).u16(2))
        .record(0xCA, Bytes().u8(2))
        .record(0xCC, Bytes().text("Data").u8(0))
        .record(0x0D, wordAt(5, 5).u16(3))
        .loadInto(reader);
    ASSERT_EQ(reader.Sheets.Count(), 3);
    EXPECT_EQ(reader.Sheets.GetSheet(0).Caption, "Sheet1");
    EXPECT_EQ(reader.Sheets.GetSheet(1).Caption, "Sheet2");
    EXPECT_EQ(reader.Sheets.GetSheet(2).Caption, "Data");
    EXPECT_EQ(reader.Sheets.GetSheet(2).Cells.GetCellValue(5, 5).AsInteger(), 3);
    EXPECT_EQ(reader.CurrentSheet, 2);

    // The DOS programs use these numbers for settings: no sheets, no captions.
    TQuattroPro dos;
    WorksheetStream().bof(WQ1).record(0xCC, Bytes().u8(0x88).u8(0x14)).record(0xCA, Bytes().u8(4)).loadInto(dos);
    EXPECT_EQ(dos.Sheets.Count(), 0);
}

TEST(QuattroRecords, ExtentAndColumnWidthsOfEachLayout)
{
    TQuattroPro wq1;
    WorksheetStream()
        .bof(WQ1)
        .record(0x06, Bytes().u16(0).u16(0).u16(13).u16(83))
        .record(0x08, Bytes().u16(2).u8(12))
        .loadInto(wq1);
    EXPECT_EQ(wq1.Sheets.GetSheet(0).Cells.LastRow, 83);
    EXPECT_EQ(wq1.Sheets.GetSheet(0).Cells.LastColumn, 13);
    EXPECT_EQ(wq1.Sheets.GetSheet(0).ColumnWidth(2), 12);

    TQuattroPro wq2;
    WorksheetStream().bof(WQ2).record(0x06, Bytes().u16(0).u16(0).u16(0).u16(13).u16(83).u16(0)).loadInto(wq2);
    EXPECT_EQ(wq2.Sheets.GetSheet(0).Cells.LastRow, 83);
    EXPECT_EQ(wq2.Sheets.GetSheet(0).Cells.LastColumn, 13);

    TQuattroPro wb1;
    WorksheetStream().bof(WB1).record(0x08, Bytes().u8(1).u8(2).u8(0).u8(9)).loadInto(wb1);
    EXPECT_EQ(wb1.Sheets.GetSheet(0).ColumnWidth(1), 9);
    EXPECT_EQ(wb1.Sheets.GetSheet(0).ColumnWidth(2), 9);
}

TEST(QuattroRecords, ErrorsAreOfferedToTheErrorEvent)
{
    const TSpreadSheetTexts &texts = SpreadSheetTexts();
    {
        TQuattroPro reader;
        EXPECT_EQ(loadError(reader, WorksheetStream().bof(0x0404)), texts.NotQuattroFile);
    }
    {
        TQuattroPro reader;
        EXPECT_EQ(loadError(reader, WorksheetStream().bof(WB1).bof(0x0404)), texts.NotQuattroFile);
    }
    {
        TQuattroPro reader;
        EXPECT_EQ(loadError(reader, WorksheetStream().bof(WQ2).record(0x0F, Bytes().u16(0).u16(0))),
                  texts.QuattroDamaged);
    }
    // Declined errors abandon their record only.
    TQuattroPro reader;
    std::vector<std::string> offered;
    reader.OnErrorProcess = [&](TCustomSpreadSheetFile *, const std::exception &error, bool &abort) {
        offered.push_back(error.what());
        abort = false;
    };
    WorksheetStream().bof(0x4444).record(0x0E, Bytes().u16(0)).record(0x0D, wordAt(0, 0).u16(9)).loadInto(reader);
    EXPECT_EQ(offered, (std::vector<std::string>{texts.NotQuattroFile, texts.QuattroDamaged}));
    EXPECT_EQ(reader.Sheets.GetSheet(0).Cells.GetCellValue(0, 0).AsInteger(), 9);
}

TEST(QuattroRecords, CompoundNotebooksAreReadFromTheirLastMainStream)
{
    TempDir dir;
    const std::string path = dir.File("book.wb3");
    WorksheetStream first, second;
    first.bof(WB3).record(0x0D, wordAt(0, 0).u16(1));
    second.bof(WB3).record(0x0D, wordAt(0, 0).u16(2));
    WriteCompoundDocument(path, {{"ABC_MAIN", first.data()}, {"XYZ_Main", second.data()}, {"Other", {1, 2, 3}}});
    TQuattroPro reader;
    reader.LoadFromFile(path);
    EXPECT_EQ(reader.Sheets.GetSheet(0).Cells.GetCellValue(0, 0).AsInteger(), 2);
    // Through a stream as well.
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::istringstream stream(std::string(bytes.begin(), bytes.end()));
    TQuattroPro fromStream;
    fromStream.LoadFromStream(stream);
    EXPECT_EQ(fromStream.Sheets.GetSheet(0).Cells.GetCellValue(0, 0).AsInteger(), 2);

    const std::string noMain = dir.File("nomain.wb3");
    WriteCompoundDocument(noMain, {{"Workbook", first.data()}});
    TQuattroPro refused;
    try {
        refused.LoadFromFile(noMain);
        ADD_FAILURE() << "no error";
    } catch (const ESpreadSheetError &e) {
        EXPECT_EQ(e.what(), SpreadSheetTexts().NotValidQuattroWorkbook);
    }
}

TEST(QuattroRecords, APlainStreamLoadsThroughAStreamToo)
{
    TQuattroPro reader;
    WorksheetStream().bof(WQ1).record(0x0D, dosAt(1, 1).u16(5)).loadInto(reader);
    EXPECT_EQ(reader.Version, TWQVersion::qvWQ1);
    EXPECT_EQ(reader.Sheets.GetSheet(0).Cells.GetCellValue(1, 1).AsInteger(), 5);
}

namespace {

// A Quattro Pro 9 notebook: its first record, a text pool, one sheet of the given columns.
std::vector<std::uint8_t> nativeNotebook(const std::vector<std::string> &pool, const std::string &sheetName,
                                         const std::vector<std::pair<int, Bytes>> &columns, int sheet = 0)
{
    WorksheetStream stream;
    stream.record(0x0001, Bytes().text("QPW9").u16(0x0D).u16(0x196));
    Bytes texts;
    texts.u32(static_cast<std::uint32_t>(pool.size())).u32(0).u32(0);
    for (const std::string &text : pool)
        texts.u16(static_cast<std::uint16_t>(text.size())).u8(0).text(text).u8(0);
    stream.record(0x0407, texts);
    stream.record(0x0601, Bytes()
                              .u16(static_cast<std::uint16_t>(sheet))
                              .bytes(std::vector<std::uint8_t>(16, 0))
                              .u16(static_cast<std::uint16_t>(sheetName.size()))
                              .u8(0)
                              .text(sheetName)
                              .u8(0));
    for (const auto &[column, cells] : columns) {
        stream.record(0x0A01, Bytes().u16(static_cast<std::uint16_t>(column)).u32(0).u32(0));
        stream.record(0x0C01, cells);
        stream.record(0x0A02, Bytes().u32(0).u32(0));
    }
    stream.record(0x0602, Bytes().u32(0).u32(0));
    stream.record(0x0002, Bytes().u32(0).u32(0));
    return stream.data();
}

void loadNative(TQuattroPro &reader, const std::vector<std::uint8_t> &notebook)
{
    TempDir dir;
    WriteCompoundDocument(dir.File("book.qpw"), {{"NativeContent_MAIN", notebook}});
    reader.LoadFromFile(dir.File("book.qpw"));
}

} // namespace

TEST(QuattroRecords, Version9CellListsRunsAndSequences)
{
    // Column A: a number, a run of two small integers, a blank, a text, a formula with its
    // text result; column B from row 2: a rising sequence of words, a falling one of
    // signed integers, a run of texts; column C: a kind this reader does not know ends
    // the column.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TQuattroPro reader;
    std::vector<std::uint8_t> notebook =
        nativeNotebook({"first", "second"}, "Data",
                       {{0, Bytes()
                                .u32(0)
                                .u32(7)
                                .u8(0x05)
                                .f64(2.5)
                                .u8(0x43)
                                .u16(2)
                                .u16(0xFFFF)
                                .u16(7)
                                .u8(0x01)
                                .u8(0x07)
                                .u32(2)
                                .u8(0x08)
                                .f64(nan)
                                .u16(0)
                                .u32(1)
                                .u8(0x07)
                                .u32(9)},
                        {1, Bytes()
                                .u32(2)
                                .u32(7)
                                .u8(0x62)
                                .u16(3)
                                .u16(12)
                                .u16(0xFFFF)
                                .u8(0x63)
                                .u16(2)
                                .u16(0xFFFF)
                                .u16(0xFFFF)
                                .u8(0x47)
                                .u16(2)
                                .u32(1)
                                .u32(2)},
                        {2, Bytes().u32(0).u32(3).u8(0x05).f64(1.0).u8(0x1E).u32(5).u8(0x05).f64(2.0)}});
    // The formula's text result follows its column, as the program writes it.
    WorksheetStream result;
    result.record(0x0C02, Bytes().u16(0).u32(5).u16(6).u8(0).text("joined").u8(0));
    notebook.insert(notebook.end() - 12 - 12, result.data().begin(), result.data().end());
    loadNative(reader, notebook);
    EXPECT_EQ(reader.Version, TWQVersion::qvWB3);
    ASSERT_EQ(reader.Sheets.Count(), 1);
    EXPECT_EQ(reader.Sheets.GetSheet(0).Caption, "Data");
    const TSpreadSheetCells &cells = reader.Sheets.GetSheet(0).Cells;
    const std::vector<std::tuple<int, int, Variant>> expected = {
        {0, 0, Variant(2.5)},      {1, 0, Variant(-1)},       {2, 0, Variant(7)},      {3, 0, Variant::Null()},
        {4, 0, Variant("second")}, {5, 0, Variant("joined")}, {6, 0, Variant::Null()}, {2, 1, Variant(12)},
        {3, 1, Variant(65547)},    {4, 1, Variant(131082)},   {5, 1, Variant(-1)},     {6, 1, Variant(-2)},
        {7, 1, Variant("first")},  {8, 1, Variant("second")}, {0, 2, Variant(1.0)},    {1, 2, Variant::Null()},
        {2, 2, Variant::Null()}};
    for (const auto &[row, column, value] : expected) {
        SCOPED_TRACE("row " + std::to_string(row) + " column " + std::to_string(column));
        EXPECT_TRUE(SameValue(cells.GetCellValue(column, row), value)) << cells.GetCellValue(column, row).AsString();
    }
}

TEST(QuattroRecords, Version9PagesBeyondTheSheetsAndHostileSequences)
{
    TQuattroPro objects;
    loadNative(objects, nativeNotebook({"x"}, "", {{0, Bytes().u32(0).u32(1).u8(0x07).u32(1)}}, 0x4765));
    EXPECT_EQ(objects.Sheets.Count(), 0);

    // Sequences of 65,535 cells, 5 bytes each: refused before they eat the memory.
    Bytes hostile;
    hostile.u32(0).u32(0xFFFFFFFF);
    for (int i = 0; i < 16; ++i)
        hostile.u8(0x62).u16(0xFFFF).u16(1).u16(1);
    std::vector<std::pair<int, Bytes>> columns;
    for (int c = 0; c < 4; ++c)
        columns.push_back({c, hostile});
    TQuattroPro reader;
    try {
        loadNative(reader, nativeNotebook({}, "", columns));
        ADD_FAILURE() << "no error";
    } catch (const ESpreadSheetError &e) {
        EXPECT_EQ(e.what(), SpreadSheetTexts().QuattroTooManyCells);
    }
}
