// Advantage tables: a real table against what an independent reader made of it, small
// tables built here from the file layout for every field kind, damaged copies.

#include "Bytes.h"
#include "Files.h"
#include "TempDir.h"
#include "TestData.h"
#include "sources/advantage/VxADT.h"
#include "sources/cells/VxCellsTexts.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string adtData(const std::string &name) { return TestDataFolder("adt") + "/" + name; }

std::string dateText(const Variant &value)
{
    int year = 0, month = 0, day = 0;
    DecodeDate(value.AsDateTime(), year, month, day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

// A field of a hand-built table: name, type code, length, decimals.
struct TFieldSpec {
    std::string Name;
    int Type;
    int Length;
    int Decimals = 0;
};

// An .adt file from the layout: the 400-byte header, the descriptors, the records (each
// five bytes, the second of them the status, then the fields in order).
std::vector<std::uint8_t> buildTable(const std::vector<TFieldSpec> &fields, const std::vector<Bytes> &records,
                                     std::uint32_t declaredCount = 0xFFFFFFFF)
{
    int length = 5;
    for (const TFieldSpec &f : fields)
        length += f.Length;
    Bytes table;
    table.text("Advantage Table").u8(0).bytes(std::vector<std::uint8_t>(8, 0));
    table.u32(declaredCount == 0xFFFFFFFF ? static_cast<std::uint32_t>(records.size()) : declaredCount);
    table.bytes(std::vector<std::uint8_t>(8, 0)).u32(static_cast<std::uint32_t>(length));
    table.bytes(std::vector<std::uint8_t>(358 - 40, 0)).u16(static_cast<std::uint16_t>(fields.size()));
    table.bytes(std::vector<std::uint8_t>(40, 0));
    int position = 5;
    for (const TFieldSpec &f : fields) {
        Bytes descriptor;
        descriptor.text(f.Name).bytes(std::vector<std::uint8_t>(128 - f.Name.size(), 0));
        descriptor.u8(0).u8(static_cast<std::uint8_t>(f.Type)).u8(0).u16(static_cast<std::uint16_t>(position)).u8(0);
        descriptor.u8(static_cast<std::uint8_t>(f.Length >> 8)).u8(static_cast<std::uint8_t>(f.Length)).u8(0);
        descriptor.u16(static_cast<std::uint16_t>(f.Decimals)).bytes(std::vector<std::uint8_t>(200 - 139, 0));
        table.bytes(descriptor.data());
        position += f.Length;
    }
    for (const Bytes &record : records)
        table.bytes(record.data());
    return table.data();
}

Bytes record(char status = ' ') { return Bytes().u8(4).u8(static_cast<std::uint8_t>(status)).u8(0).u16(0); }

std::vector<std::vector<Variant>> readRows(TADT &reader, const std::vector<std::uint8_t> &table)
{
    std::istringstream stream(std::string(table.begin(), table.end()));
    reader.ByRowMode = false;
    reader.LoadFromStream(stream);
    std::vector<std::vector<Variant>> rows;
    const TSpreadSheetCells &cells = reader.Sheets.GetSheet(0).Cells;
    for (int r = 0; r < cells.Count(); ++r) {
        std::vector<Variant> row;
        for (int c = 0; c < reader.FieldCount(); ++c)
            row.push_back(cells.GetCellValue(c, r));
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(AdvantageReader, ARealTableAsTheIndependentReaderShowsIt)
{
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"ProviderNo", "43-SAMPLE"},
        {"Name", "Testing Using 01 Sample Provider For Demonstration"},
        {"Address1", "This Is Address Field Number 00000000001"},
        {"Address2", "This Is Address Field Number 00000000002"},
        {"Address3", "This Is Address Field Number 00000000003"},
        {"City", "Name of City Here"},
        {"County", "Name of Cnty Here"},
        {"State", "AL"},
        {"Zip", "55555-4444"},
        {"Phone", "(318) 688-1949"},
        {"PhoneExt", "12345"},
        {"Fax", "(318) 688-8681"},
        {"FaxExt", "23456"},
        {"PeriodBeg", "date:2008-07-01"},
        {"PeriodEnd", "date:2009-06-30"},
        {"NoOfDays", "number:365"},
        {"3A-1", "Profit"},
        {"3A-2", "Chain Operated"},
        {"3A-3", "Hospital-Related *"},
        {"3B", "Corporation"},
        {"3BOther", ""},
        {"3C", "Nursing Facility(1)"},
        {"3D", "Annual Report"},
        {"3E", ""},
        {"DateLastOwnerChange", "date:2003-11-15"},
        {"BedsAvailBeg", "number:140"},
        {"BedsAvailEnd", "number:150"},
        {"DateLastBedsChange", "date:2009-02-20"},
        {"ResidentDaysAvail", "number:52410"},
        {"ResidentDaysUtilized", "number:49189"},
        {"PercentOccupancy", "number:93.85422629269223"},
        {"D-6_QuestionYN", "Y"},
    };
    TADT reader;
    reader.ByRowMode = false;
    reader.LoadFromFile(adtData("A.ADT"));
    ASSERT_EQ(reader.FieldCount(), 32);
    ASSERT_EQ(reader.RecordCount(), 1u);
    const TSpreadSheetCells &cells = reader.Sheets.GetSheet(0).Cells;
    for (int c = 0; c < reader.FieldCount(); ++c) {
        const auto &[name, want] = expected[static_cast<std::size_t>(c)];
        SCOPED_TRACE(name);
        EXPECT_EQ(reader.FieldName(c), name);
        const Variant got = cells.GetCellValue(c, 0);
        if (want.rfind("date:", 0) == 0)
            EXPECT_EQ(dateText(got), want.substr(5));
        else if (want.rfind("number:", 0) == 0)
            EXPECT_DOUBLE_EQ(got.AsDouble(), std::stod(want.substr(7)));
        else
            EXPECT_EQ(got.IsNull() ? std::string() : got.AsString(), want);
    }
    EXPECT_EQ(reader.Sheets.GetSheet(0).Caption, "A.ADT");
}

TEST(AdvantageReader, EachFieldKindGivesItsValue)
{
    const std::vector<TFieldSpec> fields = {{"FLAG", 1, 1},   {"NUM", 2, 5, 2}, {"WHOLE", 2, 5},  {"JDAY", 3, 4},
                                            {"TEXT", 4, 6},   {"YMD", 9, 8},    {"DBL", 10, 8},   {"INT", 11, 4},
                                            {"SHORT", 12, 2}, {"TIME", 13, 4},  {"STAMP", 14, 8}, {"AUTO", 15, 4},
                                            {"MONEY", 17, 8}, {"NONE", 16, 4},  {"CI", 20, 3}};
    const std::vector<Bytes> records = {
        record()
            .text("T")
            .text(" 1.25")
            .text("   42")
            .u32(2451545)
            .text("  ab  ")
            .text("20240229")
            .f64(0.0)
            .u32(0xFFFFFFFF)
            .u16(0xFFFF)
            .u32(43200000)
            .u32(2451545)
            .u32(21600000)
            .u32(7)
            .f64(-2.5)
            .u32(1)
            .text("xyz"),
        record()
            .text("F")
            .text("     ")
            .text("-0012")
            .u32(0)
            .text("      ")
            .text("20230229")
            .u64(0x8000000000000020ull)
            .u32(5)
            .u16(0x8000)
            .u32(0)
            .u32(0)
            .u32(0)
            .u32(0)
            .u64(0x8000000000000020ull)
            .u32(0)
            .text("   "),
        record('*')
            .text("T")
            .text("00000")
            .text("00000")
            .u32(0)
            .text("gone  ")
            .text("        ")
            .f64(1)
            .u32(1)
            .u16(1)
            .u32(0)
            .u32(0)
            .u32(0)
            .u32(0)
            .f64(1)
            .u32(0)
            .text("   "),
        record()
            .text("t")
            .text("1e2  ")
            .text(" 7   ")
            .u32(2415021)
            .text("\x01x\x02   ")
            .text("        ")
            .f64(1e300)
            .u32(0x80000000)
            .u16(0x7FFF)
            .u32(0)
            .u32(0)
            .u32(0)
            .u32(2147483647)
            .f64(0)
            .u32(0)
            .text("   "),
    };
    TADT reader;
    const auto rows = readRows(reader, buildTable(fields, records));
    // The deleted record is passed over: its row is the next one's.
    ASSERT_EQ(rows.size(), 3u);
    const auto &a = rows[0];
    EXPECT_TRUE(a[0].IsBoolean() && a[0].AsString() == "True");
    EXPECT_EQ(a[1].AsDouble(), 1.25);
    EXPECT_TRUE(a[2].IsOrdinal());
    EXPECT_EQ(a[2].AsInteger(), 42);
    EXPECT_EQ(dateText(a[3]), "2000-01-01");
    EXPECT_EQ(a[4].AsString(), "ab");
    EXPECT_EQ(dateText(a[5]), "2024-02-29");
    EXPECT_TRUE(a[6].IsFloat()); // zero is a number, not the null
    EXPECT_EQ(a[6].AsDouble(), 0.0);
    EXPECT_EQ(a[7].AsInteger(), -1);
    EXPECT_EQ(a[8].AsInteger(), -1); // a signed short: never 65535
    EXPECT_DOUBLE_EQ(a[9].AsDateTime(), 0.5);
    EXPECT_DOUBLE_EQ(a[10].AsDateTime(), 36526.25);
    EXPECT_EQ(a[11].AsInteger(), 7);
    EXPECT_EQ(a[12].AsDouble(), -2.5);
    EXPECT_TRUE(a[13].IsNull());
    EXPECT_TRUE(a[14].IsNull());

    const auto &b = rows[1];
    EXPECT_EQ(b[0].AsString(), "False");
    EXPECT_TRUE(b[1].IsNull()); // five blanks
    EXPECT_EQ(b[2].AsInteger(), -12);
    EXPECT_TRUE(b[3].IsNull());
    EXPECT_TRUE(b[4].IsNull() || b[4].AsString().empty());
    EXPECT_TRUE(b[5].IsNull()); // 29 February 2023 is no date
    EXPECT_TRUE(b[6].IsNull()); // the null pattern
    EXPECT_TRUE(b[8].IsNull()); // 8000 hex
    EXPECT_TRUE(b[9].IsNull());
    EXPECT_TRUE(b[10].IsNull());
    EXPECT_TRUE(b[12].IsNull());

    const auto &c = rows[2];
    EXPECT_EQ(c[0].AsString(), "False"); // only "T" is true
    EXPECT_EQ(c[1].AsDouble(), 100.0);
    EXPECT_EQ(dateText(c[3]), "1900-01-01");
    EXPECT_EQ(c[4].AsString(), "x");
    EXPECT_EQ(c[6].AsDouble(), 1e300);
    EXPECT_EQ(c[7].AsInteger(), INT32_MIN);
    EXPECT_EQ(c[8].AsInteger(), 32767);
    EXPECT_EQ(c[11].AsInteger(), 2147483647);
}

TEST(AdvantageReader, BlobsFromTheAdmFile)
{
    TempDir dir;
    const std::vector<TFieldSpec> fields = {{"ID", 11, 4}, {"NOTES", 5, 9}, {"PIC", 7, 9}};
    // Block size 16; "hello" at block 2; a text at block 70,000 (1,120,000 bytes in:
    // past what 16 bits address); a length running past the file's end is cut there.
    Bytes adm;
    adm.u32(0).u8(0).u8(0).u8(0).u8(16);
    adm.bytes(std::vector<std::uint8_t>(32 - 8, 0)).text("hello world");
    std::vector<std::uint8_t> blob = adm.data();
    blob.resize(70000 * 16, 0);
    const std::string far = "far away";
    blob.insert(blob.end(), far.begin(), far.end());
    const std::vector<Bytes> records = {
        record().u32(1).u32(2).u32(5).u8(0).u32(70000).u32(100).u8(0),
        record().u32(2).u32(2).u32(0).u8(0).u32(9).u32(0xFFFFFFFF).u8(0),
    };
    WriteFile(dir.File("t.adt"), buildTable(fields, records));
    WriteFile(dir.File("t.ADM"), blob);
    TADT reader;
    reader.ByRowMode = false;
    reader.LoadFromFile(dir.File("t.adt"));
    const TSpreadSheetCells &cells = reader.Sheets.GetSheet(0).Cells;
    EXPECT_EQ(cells.GetCellValue(1, 0).AsString(), "hello");
    EXPECT_EQ(cells.GetCellValue(2, 0).AsString(), far);
    EXPECT_TRUE(cells.GetCellValue(1, 1).IsNull()); // length 0
    EXPECT_TRUE(cells.GetCellValue(2, 1).IsNull()); // a negative length

    TADT numbers;
    numbers.ByRowMode = false;
    numbers.ParseBLOB = false;
    numbers.LoadFromFile(dir.File("t.adt"));
    EXPECT_EQ(numbers.Sheets.GetSheet(0).Cells.GetCellValue(2, 0).AsInteger(), 70000);

    // Without its BLOB file the table loads; its BLOB cells are empty.
    WriteFile(dir.File("alone.adt"), buildTable(fields, records));
    TADT alone;
    alone.ByRowMode = false;
    alone.LoadFromFile(dir.File("alone.adt"));
    EXPECT_TRUE(alone.Sheets.GetSheet(0).Cells.GetCellValue(1, 0).AsString().empty());
    EXPECT_EQ(alone.Sheets.GetSheet(0).Cells.GetCellValue(0, 0).AsInteger(), 1);
}

TEST(AdvantageReader, DamagedTablesAreRefusedWithTheirMessage)
{
    const std::string message = SpreadSheetTexts().AdvantageDamaged;
    const std::vector<TFieldSpec> fields = {{"ID", 11, 4}, {"NAME", 4, 10}};
    std::vector<std::uint8_t> good = buildTable(fields, {record().u32(1).text("Ann       ")});
    std::vector<std::uint8_t> shortHeader(good.begin(), good.begin() + 300);
    std::vector<std::uint8_t> fieldOutside = good;
    fieldOutside[400 + 200 + 134] = 0x40; // NAME 16,394 bytes long: past the record
    std::vector<std::uint8_t> tooManyFields = good;
    tooManyFields[358] = 0xFF;
    tooManyFields[359] = 0xFF;
    std::vector<std::uint8_t> shortDate = buildTable({{"D", 3, 2}}, {record().u16(1)});
    for (const auto &table : {shortHeader, fieldOutside, tooManyFields, shortDate}) {
        TADT reader;
        try {
            readRows(reader, table);
            ADD_FAILURE() << "no error";
        } catch (const ESpreadSheetError &e) {
            EXPECT_EQ(e.what(), message);
        }
    }
    // A header counting more records than the file holds ends with the last one there.
    TADT more;
    EXPECT_EQ(readRows(more, buildTable(fields, {record().u32(1).text("Ann       ")}, 1000)).size(), 1u);
}

TEST(AdvantageReader, DamagedCopiesOfTheFixturesGiveTheirErrorOrRows)
{
    for (const char *name : {"A.ADT", "test.adt"}) {
        const std::vector<std::uint8_t> bytes = ReadBytes(adtData(name));
        ASSERT_FALSE(bytes.empty()) << name;
        for (const std::vector<std::uint8_t> &copy : DamagedCopies(bytes, 41, 61)) {
            TADT reader;
            try {
                readRows(reader, copy);
            } catch (const ESpreadSheetError &) {
            } catch (const EVariantError &) {
                // a Julian day number that is no date: the run reports it
            }
        }
    }
}
