// Clarion data files built here from the file layout (no sample with a licence that allows
// sharing was found): every field kind, the prefix, arrays, memo chains and damage.

#include "Bytes.h"
#include "Files.h"
#include "TempDir.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/clarion/VxClarion.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct TFieldSpec {
    int Type;
    std::string Name; // as stored, prefix included
    int Width;
    int Decimals = 0;
};

struct TArraySpec {
    std::vector<std::pair<int, int>> Dimensions; // element count, element width
};

// A data file: the 85-byte header, the descriptors (offsets in field order), one key of
// one component, no pictures, the arrays, then the records.
std::vector<std::uint8_t> buildFile(const std::vector<TFieldSpec> &fields, const std::vector<TArraySpec> &arrays,
                                    const std::vector<Bytes> &records, const std::string &memoName = {},
                                    std::uint16_t flags = 0)
{
    int dataLength = 0;
    for (const TFieldSpec &f : fields)
        dataLength += f.Width;
    Bytes layout;
    for (const TFieldSpec &f : fields) {
        std::string name = f.Name;
        name.resize(16, ' ');
        layout.u8(static_cast<std::uint8_t>(f.Type)).text(name);
        layout.u16(0).u16(static_cast<std::uint16_t>(f.Width)).u8(0).u8(static_cast<std::uint8_t>(f.Decimals)).u32(0);
    }
    layout.u8(1).bytes(std::vector<std::uint8_t>(18, 0)).bytes(std::vector<std::uint8_t>(6, 0));
    for (const TArraySpec &a : arrays) {
        layout.u16(static_cast<std::uint16_t>(a.Dimensions.size()))
            .u16(static_cast<std::uint16_t>(a.Dimensions.size()));
        layout.u16(0);
        for (const auto &[count, width] : a.Dimensions)
            layout.u16(static_cast<std::uint16_t>(count)).u16(static_cast<std::uint16_t>(width));
    }
    // The descriptors' offsets: each field after the one before it.
    std::vector<std::uint8_t> bytes = layout.data();
    int offset = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        bytes[i * 27 + 17] = static_cast<std::uint8_t>(offset);
        bytes[i * 27 + 18] = static_cast<std::uint8_t>(offset >> 8);
        offset += fields[i].Width;
    }
    std::string memo = memoName;
    memo.resize(12, ' ');
    Bytes header;
    header.u8(0x43).u8(0x33).u16(flags).u8(1).u32(static_cast<std::uint32_t>(records.size())).u32(0);
    header.u16(static_cast<std::uint16_t>(fields.size())).u16(0).u16(static_cast<std::uint16_t>(arrays.size()));
    header.u16(static_cast<std::uint16_t>(5 + dataLength)).u32(static_cast<std::uint32_t>(85 + bytes.size()));
    header.bytes(std::vector<std::uint8_t>(49 - 25, 0))
        .text(memo)
        .text("CUS")
        .bytes(std::vector<std::uint8_t>(85 - 64, 0));
    Bytes file;
    file.bytes(header.data()).bytes(bytes);
    for (const Bytes &record : records)
        file.bytes(record.data());
    return file.data();
}

Bytes record(std::uint8_t status = 0, std::uint32_t memo = 0) { return Bytes().u8(status).u32(memo); }

const TSpreadSheetCells &load(TClarion &reader, const std::vector<std::uint8_t> &file)
{
    std::istringstream stream(std::string(file.begin(), file.end()));
    reader.ByRowMode = false;
    reader.LoadFromStream(stream);
    return reader.Sheets.GetSheet(0).Cells;
}

std::string loadError(const std::vector<std::uint8_t> &file)
{
    TClarion reader;
    try {
        load(reader, file);
    } catch (const ESpreadSheetError &e) {
        return e.what();
    }
    return "no error";
}

std::string dateText(const Variant &value)
{
    int year = 0, month = 0, day = 0;
    DecodeDate(value.AsDateTime(), year, month, day);
    return std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day);
}

} // namespace

TEST(ClarionReader, NamesLoseOnlyTheirPrefix)
{
    const std::vector<TFieldSpec> fields = {
        {3, "CUS:NAME", 4}, {3, "CUS:FIRST NAME", 4}, {3, "NAME", 4}, {3, "cus:City", 4}};
    TClarion patched;
    load(patched, buildFile(fields, {}, {}));
    EXPECT_EQ(patched.FieldName(0), "NAME");
    EXPECT_EQ(patched.FieldName(1), "FIRST");
    EXPECT_EQ(patched.FieldName(2), "NAME"); // no prefix: nothing cut
    EXPECT_EQ(patched.FieldName(3), "City");
    TClarion kept;
    kept.AutoPatchFieldNames = false;
    load(kept, buildFile(fields, {}, {}));
    EXPECT_EQ(kept.FieldName(0), "CUS:NAME");
}

TEST(ClarionReader, EachFieldKindGivesItsValue)
{
    const std::vector<TFieldSpec> fields = {
        {1, "CUS:TOTAL", 4},   {1, "CUS:DATE", 4},    {1, "CUS:AMOUNT", 4}, {1, "CUS:TIME", 4}, {2, "CUS:DBL", 8},
        {2, "CUS:R6", 6},      {3, "CUS:TEXT", 6},    {5, "CUS:B", 1},      {6, "CUS:S", 2},    {8, "CUS:DEC", 3, 2},
        {8, "CUS:BIG", 10, 0}, {8, "CUS:FINE", 4, 6}, {0, "CUS:UNK", 2}};
    const auto row = [](std::int32_t total, std::int32_t date, std::int32_t time, std::uint8_t r6high,
                        std::uint8_t decSign) {
        return record()
            .u32(static_cast<std::uint32_t>(total))
            .u32(static_cast<std::uint32_t>(date))
            .u32(72687)
            .u32(static_cast<std::uint32_t>(time))
            .f64(-2.5)
            .u8(129)
            .u8(0)
            .u8(0)
            .u8(0)
            .u8(0)
            .u8(r6high)
            .text(" ab \x01 ")
            .u8(200)
            .u16(0xFFFF)
            .u8(decSign)
            .u8(0x23)
            .u8(0x45)
            .u8(0x00)
            .u8(0x12)
            .u8(0x34)
            .u8(0x56)
            .u8(0x78)
            .u8(0x90)
            .u8(0x12)
            .u8(0x34)
            .u8(0x56)
            .u8(0x78)
            .u8(0x01)
            .u8(0x23)
            .u8(0x45)
            .u8(0x67)
            .u16(7);
    };
    const std::vector<Bytes> records = {row(72687, 72687, 4530050, 0x40, 0x01), row(42, 0, 8640000, 0xC0, 0xF1),
                                        row(0, 0, 0, 0, 0x01).bytes({})};
    std::vector<Bytes> withError = records;
    withError[2] = Bytes().u8(0x10).u32(0).bytes(std::vector<std::uint8_t>(records[0].data().size() - 5, 0));
    TClarion reader;
    const TSpreadSheetCells &cells = load(reader, buildFile(fields, {}, withError));
    EXPECT_EQ(cells.Count(), 2);                               // the record with its error bit is passed over
    EXPECT_EQ(dateText(cells.GetCellValue(0, 0)), "2000-1-1"); // TOTAL holding a day number
    EXPECT_EQ(cells.GetCellValue(0, 1).AsInteger(), 42);       // TOTAL holding 42
    EXPECT_EQ(dateText(cells.GetCellValue(1, 0)), "2000-1-1"); // DATE
    EXPECT_TRUE(cells.GetCellValue(2, 0).IsOrdinal());         // AMOUNT stays a number
    EXPECT_EQ(cells.GetCellValue(2, 0).AsInteger(), 72687);
    EXPECT_NEAR(cells.GetCellValue(3, 0).AsDateTime(), (12 * 3600 + 35 * 60 + 0.5) / 86400.0, 1e-9);
    EXPECT_EQ(cells.GetCellValue(3, 1).AsInteger(), 8640000); // 24 hours is no time of day
    EXPECT_EQ(cells.GetCellValue(4, 0).AsDouble(), -2.5);
    EXPECT_EQ(cells.GetCellValue(5, 0).AsDouble(), 1.5); // 6-byte real
    EXPECT_EQ(cells.GetCellValue(5, 1).AsDouble(), -1.5);
    EXPECT_EQ(cells.GetCellValue(6, 0).AsString(), "ab");
    EXPECT_EQ(cells.GetCellValue(7, 0).AsInteger(), 200);
    EXPECT_EQ(cells.GetCellValue(8, 0).AsInteger(), -1); // SHORT is signed
    EXPECT_EQ(cells.GetCellValue(9, 0).AsDouble(), 123.45);
    EXPECT_EQ(cells.GetCellValue(9, 1).AsDouble(), -123.45);
    EXPECT_DOUBLE_EQ(cells.GetCellValue(10, 0).AsDouble(), 123456789012345678.0); // no 64-bit currency overflow
    EXPECT_EQ(cells.GetCellValue(11, 0).AsDouble(), 1.234567);                    // six decimals kept
    EXPECT_TRUE(cells.GetCellValue(12, 0).IsNull());

    TClarion plain;
    plain.DateAutodetect = false;
    const TSpreadSheetCells &numbers = load(plain, buildFile(fields, {}, withError));
    EXPECT_EQ(numbers.GetCellValue(0, 0).AsInteger(), 72687);
    EXPECT_EQ(numbers.GetCellValue(3, 0).AsInteger(), 4530050);
}

TEST(ClarionReader, ArraysBecomeOneColumnPerElement)
{
    const std::vector<TFieldSpec> fields = {
        {3, "CUS:ID", 2}, {7, "CUS:ARR", 12}, {7, "CUS:GRID", 10}, {3, "CUS:LAST", 2}, {7, "CUS:LONE", 2}};
    const std::vector<TArraySpec> arrays = {{{{3, 4}}}, {{{2, 2}, {3, 2}}}};
    Bytes r = record().text("01").text("aaaabbbbcccc").text("1112212223").text("zz").text("..");
    TClarion reader;
    const TSpreadSheetCells &cells = load(reader, buildFile(fields, arrays, {r}));
    std::vector<std::string> names;
    for (int i = 0; i < reader.FieldCount(); ++i)
        names.push_back(reader.FieldName(i));
    EXPECT_EQ(names, (std::vector<std::string>{"ID", "ARR_1", "ARR_2", "ARR_3", "GRID_1_1", "GRID_1_2", "GRID_2_1",
                                               "GRID_2_2", "GRID_2_3", "LAST", "LONE"}));
    EXPECT_EQ(cells.GetCellValue(2, 0).AsString(), "bbbb");
    EXPECT_EQ(cells.GetCellValue(8, 0).AsString(), "23");
    EXPECT_EQ(cells.GetCellValue(9, 0).AsString(), "zz");
    EXPECT_TRUE(cells.GetCellValue(10, 0).IsNull()); // a group without an array
}

TEST(ClarionReader, MemosFollowTheirChain)
{
    TempDir dir;
    const std::vector<TFieldSpec> fields = {{3, "CUS:ID", 2}};
    WriteFile(dir.File("t.dat"), buildFile(fields, {}, {record(0, 1).text("01"), record(0, 0).text("02")}, "NOTES"));
    Bytes memo;
    memo.u8(0x4D).u8(0x33).u32(0);
    memo.u32(2).text(std::string(252, 'a')); // block 1, at 6
    memo.u32(0).text("end").u8(0);           // block 2, at 262: cut by the file's end
    WriteFile(dir.File("t.MEM"), memo.data());
    TClarion reader;
    reader.ByRowMode = false;
    reader.LoadFromFile(dir.File("t.dat"));
    ASSERT_EQ(reader.FieldName(1), "NOTES");
    const TSpreadSheetCells &cells = reader.Sheets.GetSheet(0).Cells;
    EXPECT_EQ(cells.GetCellValue(1, 0).AsString(), std::string(252, 'a') + "end");
    EXPECT_TRUE(cells.GetCellValue(1, 1).IsNull());

    TClarion positions;
    positions.ByRowMode = false;
    positions.ParseBLOB = false;
    positions.LoadFromFile(dir.File("t.dat"));
    EXPECT_EQ(positions.Sheets.GetSheet(0).Cells.GetCellValue(1, 0).AsInteger(), 6);

    // A chain that returns to its first block ends with the memo file's message.
    Bytes loop;
    loop.u8(0x4D).u8(0x33).u32(0).u32(1).text(std::string(252, 'x'));
    WriteFile(dir.File("t.MEM"), loop.data());
    TClarion looped;
    looped.ByRowMode = false;
    try {
        looped.LoadFromFile(dir.File("t.dat"));
        ADD_FAILURE() << "no error";
    } catch (const ESpreadSheetError &e) {
        EXPECT_EQ(e.what(), SpreadSheetTexts().ClarionMemoInvalid);
    }
    WriteFile(dir.File("t.MEM"), std::string("XX1234"));
    TClarion invalid;
    invalid.ByRowMode = false;
    EXPECT_THROW(invalid.LoadFromFile(dir.File("t.dat")), ESpreadSheetError);

    // Without the memo file the memo cells are empty.
    WriteFile(dir.File("alone.dat"), buildFile(fields, {}, {record(0, 1).text("01")}, "NOTES"));
    TClarion alone;
    alone.ByRowMode = false;
    alone.LoadFromFile(dir.File("alone.dat"));
    EXPECT_TRUE(alone.Sheets.GetSheet(0).Cells.GetCellValue(1, 0).AsString().empty());
}

TEST(ClarionReader, DamagedAndEncipheredFilesAreRefused)
{
    const TSpreadSheetTexts &texts = SpreadSheetTexts();
    const std::vector<TFieldSpec> fields = {{3, "CUS:ID", 2}, {1, "CUS:N", 4}};
    const std::vector<std::uint8_t> good = buildFile(fields, {}, {record().text("01").u32(5)});
    std::vector<std::uint8_t> signature = good;
    signature[0] = 'X';
    std::vector<std::uint8_t> outside = good;
    outside[85 + 27 + 19] = 0xFF; // N 255 bytes wide: past the record
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + 100);
    EXPECT_EQ(loadError(signature), texts.ClarionInvalid);
    EXPECT_EQ(loadError(buildFile(fields, {}, {}, "", 4)), texts.ClarionEncrypted);
    EXPECT_EQ(loadError(buildFile(fields, {}, {}, "", 2)), texts.ClarionEncrypted);
    EXPECT_EQ(loadError(outside), texts.ClarionDamaged);
    EXPECT_EQ(loadError(cut), texts.ClarionDamaged);
    for (const std::vector<std::uint8_t> &copy : DamagedCopies(good, 41, 61)) {
        TClarion reader;
        try {
            load(reader, copy);
        } catch (const ESpreadSheetError &) {
        }
    }
}
