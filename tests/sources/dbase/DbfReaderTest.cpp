#include "ByteText.h"
#include "CellText.h"
#include "DbfBuilder.h"
#include "Files.h"
#include "TableRows.h"
#include "TempDir.h"
#include "TestData.h"
#include "sources/dbase/VxDBF.h"
#include "sources/common/TableText.h"
#include "sources/dbase/DbfFieldValue.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::vector<std::string> column(const TableRows &rows, std::size_t index)
{
    std::vector<std::string> texts;
    for (const auto &row : rows)
        texts.push_back(index < row.size() ? row[index] : "-");
    return texts;
}

// A memo file written sparsely, so that a memo tens of megabytes in costs no disk.
void writeSparseFpt(const std::string &path, std::uint16_t blockSize, const std::vector<MemoDef> &memos)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::vector<std::uint8_t> header = FptFile(blockSize, {});
    out.write(reinterpret_cast<const char *>(header.data()), static_cast<std::streamsize>(header.size()));
    for (const MemoDef &m : memos) {
        out.seekp(static_cast<std::streamoff>(m.Block) * blockSize);
        const std::string block = BE32Text(1) + BE32Text(static_cast<std::uint32_t>(m.Text.size())) + m.Text;
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

} // namespace

TEST(DbfReader, RealTablesReadAsTheirWritersWroteThem)
{
    struct Case {
        const char *file;
        std::size_t row, column;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"people.dbf", 0, 0, "String:Alice           "},
        {"people.dbf", 1, 1, "Date:1980-11-12 00:00:00"},
        {"invalid_value.dbf", 0, 1, "Empty:"},     // "NotAYear" is no date
        {"memotest.dbf", 1, 2, "String:Bob memo"}, // memo file with an upper-case .FPT
        {"no_memofile.dbf", 0, 2, "String:"},
        {"lo_memo.dbf", 0, 0, "Double:1"},
        {"lo_memo.dbf", 0, 5, "String:First memo written by LibreOffice"},
        {"lo_memo.dbf", 1, 5, "Empty:"},
        {"lo_memo.dbf", 1, 4, "Boolean:False"},
        {"lo_memo.dbf", 2, 4, "Empty:"},
        {"lo_memo.dbf", 3, 2, "Date:2024-02-29 00:00:00"},
        {"lo_memo.dbf", 3, 3, "Double:99999.99"},
        {"lo_memo.dbf", 3, 5,
         "String:Caf\x82 \x81"
         "ber"}, // no code page named: the bytes pass
        {"pydbf_db3.dbf", 0, 2, "Double:12.5"},
        {"pydbf_db3.dbf", 2, 3, "Double:-7"},
        {"pydbf_db3.dbf", 1, 1, "Empty:"},
        {"pydbf_fp.dbf", 2, 6, "Double:-0.125"},
        {"pydbf_fp.dbf", 0, 5, "String:First memo"},
        {"pydbf_vfp.dbf", 0, 5, "String:First memo"},
        {"pydbf_vfp.dbf", 0, 7, "Integer:-42"},
        {"pydbf_vfp.dbf", 2, 7, "Integer:2147483646"},
        {"pydbf_vfp.dbf", 0, 8, "Double:12.3455"},
        {"pydbf_vfp.dbf", 0, 9, "Date:2020-05-17 13:45:30"},
        {"pydbf_vfp.dbf", 1, 9, "Empty:"},       // zeros, not a day in 4713 BC
        {"pydbf_vfp.dbf", 0, 10, "Double:2.75"}, // "B" is a double in Visual FoxPro
        {"pydbf_vfp.dbf", 3, 10, "Double:1e+300"},
        {"pydbf_vfp.dbf", 0, 11, std::string("String:\x01\x02", 9)},
        {"pydbf_vfp.dbf", 3, 8, "Double:922337203685477"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.file) + " row " + std::to_string(c.row) + " column " + std::to_string(c.column));
        const TableRows rows = ReadDbfRows(DbfData(c.file));
        ASSERT_LT(c.row, rows.size());
        ASSERT_LT(c.column, rows[c.row].size());
        EXPECT_EQ(rows[c.row][c.column], c.expected);
    }
}

// A table and its memo file given as bytes read as the same files on disk do.
TEST(DbfReader, TablesAndMemosFromMemory)
{
    for (const auto &[table, memo] : {std::pair{"pydbf_db3.dbf", "pydbf_db3.dbt"},
                                      {"pydbf_fp.dbf", "pydbf_fp.fpt"},
                                      {"memotest.dbf", "memotest.FPT"}}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(ReadDbfRowsFromMemory(ReadFile(DbfData(table)), ReadFile(DbfData(memo))),
                  ReadDbfRows(DbfData(table)));
    }
}

TEST(DbfReader, MemosOverSeveralBlocksEndAtTheirTerminatorOrLength)
{
    const TableRows lo = ReadDbfRows(DbfData("lo_memo.dbf"));
    std::string expected;
    for (int i = 0; i < 30; ++i)
        expected += std::string("Line ") + (i < 10 ? "0" : "") + std::to_string(i) + " of a long memo. ";
    EXPECT_EQ(lo[2][5], "String:" + expected);

    const std::string lines = [] {
        std::string s;
        for (int i = 0; i < 40; ++i)
            s += "Memo line\r\n";
        return s;
    }();
    for (const char *file : {"pydbf_db3.dbf", "pydbf_fp.dbf", "pydbf_vfp.dbf"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ReadDbfRows(DbfData(file))[2][5], "String:" + lines);
    }
}

TEST(DbfReader, VersionByteChoosesTheLayout)
{
    struct Case {
        std::uint8_t versionByte;
        TDBFVersion version;
    };
    const std::vector<Case> cases = {
        {0x03, TDBFVersion::dBase3},
        {0x83, TDBFVersion::dBase3Memo},
        {0x04, TDBFVersion::dBase5},
        {0x8C, TDBFVersion::dBase7Memo},
        {0x8B, TDBFVersion::dBase4Memo},
        {0x30, TDBFVersion::VFP3},
        {0x31, TDBFVersion::VFP3AutoIncrement},
        {0xF5, TDBFVersion::FoxProMemo},
        {0x7A, TDBFVersion::dBase3},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.versionByte));
        const std::vector<std::uint8_t> table =
            DbfBuilder(c.versionByte, {{"CODE", 'C', 4}, {"AMOUNT", 'N', 6, 2}, {"LONG_NAMED", 'C', 2}})
                .Record({"ab", " 12.50", "xy"})
                .Bytes();
        const std::string path = dir.Write("v.dbf", table);
        TDBF reader;
        std::ifstream in(path, std::ios::binary);
        reader.LoadFromStream(in);
        EXPECT_EQ(reader.DBFVersion, c.version);
        ASSERT_EQ(reader.FieldCount(), 3);
        EXPECT_EQ(reader.FieldName(2), "LONG_NAMED");
        EXPECT_EQ(ReadDbfRows(path), (TableRows{{"String:ab  ", "Double:12.5", "String:xy"}}));
    }
}

TEST(DbfReader, DeletedRecordsFollowLoadRowStatuses)
{
    using S = TVxIRowStatus;
    struct Case {
        const char *file;
        TVxIRowStatuses statuses;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"people.dbf", {S::rsNormal}, {"String:Alice           ", "String:Bob             "}},
        {"people.dbf",
         {S::rsNormal, S::rsDeleted},
         {"String:Alice           ", "String:Bob             ", "String:Deleted Guy     "}},
        {"people.dbf", {S::rsDeleted}, {"String:Deleted Guy     "}},
        {"lo_memo.dbf", {S::rsNormal}, {"Double:1", "Double:2", "Double:3", "Double:5"}},
        {"lo_memo.dbf", {S::rsNormal, S::rsDeleted}, {"Double:1", "Double:2", "Double:3", "Double:4", "Double:5"}},
        {"pydbf_vfp.dbf", {S::rsDeleted}, {"String:Dee         "}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(column(ReadDbfRows(DbfData(c.file), c.statuses), 0), c.names);
    }
}

TEST(DbfReader, FieldsDecodeByType)
{
    struct Case {
        char type;
        std::uint8_t decimals;
        std::uint8_t versionByte;
        std::string bytes;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {'N', 2, 0x03, " 12.50", "Double:12.5"},
        {'N', 0, 0x03, " 12.70", "Double:13"},
        {'N', 0, 0x03, " 12.50", "Double:12"}, // halves go to the even neighbour
        {'N', 0, 0x03, " 13.50", "Double:14"},
        {'N', 2, 0x03, "      ", "Empty:"},
        {'N', 2, 0x03, "  ****", "Empty:"},
        {'F', 3, 0xF5, "    -0.125", "Double:-0.125"},
        {'L', 0, 0x03, "T", "Boolean:True"},
        {'L', 0, 0x03, "t", "Boolean:False"},
        {'L', 0, 0x03, "Y", "Boolean:False"},
        {'L', 0, 0x03, "?", "Boolean:False"},
        {'L', 0, 0x03, " ", "Empty:"},
        {'D', 0, 0x03, "20240229", "Date:2024-02-29 00:00:00"},
        {'D', 0, 0x03, "20230229", "Empty:"},
        {'D', 0, 0x03, "        ", "Empty:"},
        {'C', 0, 0x03, " a b ", "String: a b "},
        {'I', 0, 0x30, LE32Text(0xFFFFFFD6), "Integer:-42"},
        {'I', 0, 0xF5, LE32Text(7), "Integer:7"},
        {'I', 0, 0x8C, BE32Text(0x80000001), "Integer:1"},
        {'I', 0, 0x8C, BE32Text(0x7FFFFFFF), "Integer:-1"},
        {'I', 0, 0x8C, BE32Text(0), "Integer:0"},
        {'+', 0, 0x8C, BE32Text(0x80000005), "Integer:5"},
        {'+', 0, 0x03, LE32Text(0xFFFFFFFF), "Int64:4294967295"},
        {'2', 0, 0x03, ByteText({0xFF, 0xFF}), "Integer:65535"},
        {'4', 0, 0x03, LE32Text(0xFFFFFFFE), "Integer:-2"},
        {'8', 0, 0x03, ByteText({0, 0, 0, 0, 0, 0, 0x04, 0x40}), "Double:2.5"},
        {'B', 0, 0x30, ByteText({0, 0, 0, 0, 0, 0, 0x04, 0xC0}), "Double:-2.5"},
        {'O', 0, 0x8C, ByteText({0xC0, 0x04, 0, 0, 0, 0, 0, 0}), "Double:2.5"},
        {'O', 0, 0x8C, ByteText({0x3F, 0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), "Double:-2.5"},
        {'Y', 0, 0x30, ByteText({0x40, 0xE2, 0x01, 0, 0, 0, 0, 0}), "Double:12.3456"},
        // 2020-05-17 13:45:30 as milliseconds since day 0, sign-ordered and plain
        {'@', 0, 0x8C, ByteText({0xC2, 0xCC, 0xFA, 0x9D, 0x1A, 0x8E, 0x48, 0x00}), "Date:2020-05-17 13:45:30"},
        {'@', 0, 0x8C, ByteText({0x42, 0xCC, 0xFA, 0x9D, 0x1A, 0x8E, 0x48, 0x00}), "Date:2020-05-17 13:45:30"},
        // counts no 64-bit integer holds, and days past 9999-12-31, read as empty
        {'@', 0, 0x8C, ByteText({0x7E, 0x37, 0xE4, 0x3C, 0x88, 0x00, 0x75, 0x9C}), "Empty:"},
        {'@', 0, 0x8C, ByteText({0x43, 0xE1, 0x58, 0xE4, 0x60, 0x91, 0x3D, 0x00}), "Empty:"},
        {'T', 0, 0x30, LE32Text(0x7FFFFFFF) + LE32Text(0), "Empty:"},
        {'T', 0, 0x30, LE32Text(2458987) + LE32Text(49530000), "Date:2020-05-17 13:45:30"},
        {'T', 0, 0x30, std::string(8, '\0'), "Empty:"},
        {'T', 0, 0x30, " " + std::string(7, '\0'), "Empty:"},
        {'T', 0, 0x03, "134530", "Date:1899-12-30 13:45:30"},
        {'T', 0, 0x03, "256000", "Empty:"},
        {'0', 0, 0x30, ByteText({0x01}), "Empty:"},
        {'Q', 0, 0x03, "raw", "String:raw"},
    };
    sources::TTableText text;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " " + c.expected);
        const sources::dbase::TDBFField field{"F", c.type, 1, static_cast<std::uint8_t>(c.bytes.size()), c.decimals};
        const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t *>(c.bytes.data()),
                                                  c.bytes.size());
        EXPECT_EQ(ValueText(sources::dbase::DecodeFieldValue(field, bytes,
                                                             sources::dbase::VersionFromByte(c.versionByte), text)),
                  c.expected);
    }
}

TEST(DbfReader, MemoReferencesAndTheirFiles)
{
    struct Case {
        const char *name;
        std::uint8_t versionByte;
        std::string reference;
        std::string memoExtension;
        std::vector<std::uint8_t> memoFile;
        bool parseBLOB;
        std::string expected;
    };
    const std::vector<MemoDef> memos = {{1, "one\x1A\x1A"},
                                        {3, "three\x1A\x1A"
                                            "after the terminator"}};
    const std::vector<Case> cases = {
        {"block 0", 0x83, "         0", ".dbt", Dbase3MemoFile(memos), true, "String:"},
        {"block 0 unparsed", 0x83, "         0", ".dbt", Dbase3MemoFile(memos), false, "Integer:0"},
        {"block 3 unparsed", 0x83, "         3", ".dbt", Dbase3MemoFile(memos), false, "Integer:3"},
        {"dBase III terminator", 0x83, "         3", ".dbt", Dbase3MemoFile(memos), true, "String:three"},
        {"upper-case extension", 0x83, "0000000001", ".DBT", Dbase3MemoFile(memos), true, "String:one"},
        {"no memo file", 0x83, "         1", "", {}, true, "String:"},
        {"block beyond the file", 0x83, "      9999", ".dbt", Dbase3MemoFile(memos), true, "String:"},
        {"not a number", 0x83, "      x1  ", ".dbt", Dbase3MemoFile(memos), true, "String:"},
        {"dBase 5 length", 0x04, "         1", ".dbt", DbtFile(512, {{1, "counted"}}), true, "String:counted"},
        {"dBase 7 length", 0x8C, "         2", ".dbt", DbtFile(1024, {{2, "seven"}}), true, "String:seven"},
        {"FoxPro", 0xF5, "         2", ".fpt", FptFile(64, {{2, "fox"}}), true, "String:fox"},
        {"Visual FoxPro binary", 0x30, LE32Text(8) + "      ", ".fpt", FptFile(64, {{8, "vfp"}}), true, "String:vfp"},
        {"Visual FoxPro autoincrement table", 0x31, LE32Text(8) + "      ", ".FPT", FptFile(64, {{8, "vfp"}}), true,
         "String:vfp"},
        {"length beyond the file", 0xF5, "         1", ".fpt",
         [] {
             auto f = FptFile(64, {{1, "cut"}});
             f[64 + 7] = 0xFF; // claims 255 bytes; the file ends first
             f.resize(64 + 8 + 3);
             return f;
         }(),
         true, "String:cut"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const bool vfp = c.versionByte == 0x30 || c.versionByte == 0x31;
        const std::vector<std::uint8_t> table =
            DbfBuilder(c.versionByte, {{"NOTES", 'M', static_cast<std::uint8_t>(vfp ? 4 : 10)}, {"TAIL", 'C', 2}})
                .Record({c.reference.substr(0, vfp ? 4 : 10), "ok"})
                .Bytes();
        const std::string path = dir.Write("memo.dbf", table);
        if (!c.memoExtension.empty())
            dir.Write("memo" + c.memoExtension, c.memoFile);
        EXPECT_EQ(ReadDbfRows(path, {TVxIRowStatus::rsNormal}, c.parseBLOB), (TableRows{{c.expected, "String:ok"}}));
    }
}

// Block 65539 cut to 16 bits is block 3: a reader that cuts reads the wrong memo.
TEST(DbfReader, MemoBlockNumbersAndLengthsKeepAllTheirBits)
{
    TempDir dir;
    const std::string big(70000, 'b');
    writeSparseFpt(dir.File("wide.fpt"), 512, {{3, "near"}, {65539, "far"}, {70000, big}});
    const std::string path = dir.Write("wide.dbf", DbfBuilder(0x30, {{"NOTES", 'M', 4}})
                                                       .Record({LE32Text(65539)})
                                                       .Record({LE32Text(3)})
                                                       .Record({LE32Text(70000)})
                                                       .Bytes());
    EXPECT_EQ(ReadDbfRows(path), (TableRows{{"String:far"}, {"String:near"}, {"String:" + big}}));
}

// python-dbf reserves room for more descriptors than a FoxPro table has; the list ends at
// its terminator, not at the header length.
TEST(DbfReader, DescriptorsEndAtTheirTerminator)
{
    TDBF reader;
    std::ifstream in(DbfData("pydbf_fp.dbf"), std::ios::binary);
    reader.LoadFromStream(in);
    EXPECT_EQ(reader.FieldCount(), 7);
    EXPECT_EQ(reader.FieldName(6), "RATIO");
}

TEST(DbfReader, DeclaredCodePageBecomesUtf8)
{
    TempDir dir;
    struct Case {
        std::uint8_t driver;
        std::string expected;
    };
    for (const Case &c : {Case{0x00, "String:Caf\xE9"}, Case{0x57, "String:Caf\xC3\xA9"},
                          Case{0x02, "String:Caf\xC3\x9A"}, Case{0x03, "String:Caf\xC3\xA9"}}) {
        SCOPED_TRACE(static_cast<int>(c.driver));
        const std::string path = dir.Write(
            "cp.dbf", DbfBuilder(0x03, {{"NAME", 'C', 4}}).LanguageDriver(c.driver).Record({"Caf\xE9"}).Bytes());
        EXPECT_EQ(ReadDbfRows(path)[0][0], c.expected);
    }
}
