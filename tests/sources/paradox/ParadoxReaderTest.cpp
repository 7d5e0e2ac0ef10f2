#include "Files.h"
#include "ByteText.h"
#include "CellText.h"
#include "PxBuilder.h"
#include "TableRows.h"
#include "TempDir.h"
#include "TestData.h"
#include "sources/paradox/VxParadox.h"
#include "sources/common/TableText.h"
#include "sources/paradox/PxFieldValue.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Stored form of a 32-bit day, time or integer: big-endian with the sign bit flipped.
std::string signOrdered32(std::int32_t value) { return BE32Text(static_cast<std::uint32_t>(value) ^ 0x80000000u); }

const std::vector<PxFieldDef> memoFields = {{"Id", 4, 4}, {"Notes", 12, 30}};

std::string memoRecord(std::int32_t id, const std::string &inField, std::uint32_t address, std::uint32_t length)
{
    std::string notes = inField;
    notes.resize(20, '\0');
    return PxRecord(memoFields, {signOrdered32(id), notes + PxBLOBDescriptor(address, length)});
}

// A BLOB file with one BLOB in a block of its own at 4096 and one in the shared block at
// 8192 (entry 2, data 256 bytes into the block).
std::vector<std::uint8_t> blobFile(const std::string &single, const std::string &shared)
{
    std::vector<std::uint8_t> mb(8192 + 512, 0);
    std::copy(single.begin(), single.end(), mb.begin() + 4096 + 9);
    mb[8192 + 12 + 2 * 5] = 256 / 16;
    std::copy(shared.begin(), shared.end(), mb.begin() + 8192 + 256);
    return mb;
}

} // namespace

TEST(ParadoxReader, FieldsDecodeFromTheirSignOrderedForm)
{
    struct Case {
        std::uint8_t type;
        std::string bytes;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {3, ByteText({0x80, 0x05}), "Smallint:5"},
        {3, ByteText({0x7F, 0xFF}), "Smallint:-1"},
        {3, ByteText({0x80, 0x00}), "Smallint:0"},
        {3, ByteText({0x00, 0x00}), "Empty:"},
        {4, ByteText({0x7F, 0xFF, 0xFF, 0xFF}), "Integer:-1"},
        {4, ByteText({0x80, 0x01, 0x86, 0xA0}), "Integer:100000"},
        {22, ByteText({0x80, 0x00, 0x00, 0x07}), "Integer:7"},
        {6, std::string(8, '\0'), "Empty:"},
        {6, ByteText({0xC0, 0x04, 0, 0, 0, 0, 0, 0}), "Double:2.5"},
        {6, ByteText({0x3F, 0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), "Double:-2.5"},
        {5, ByteText({0xC0, 0x29, 0, 0, 0, 0, 0, 0}), "Double:12.5"},
        {9, ByteText({0x81}), "Boolean:True"},
        {9, ByteText({0x80}), "Boolean:False"},
        {9, ByteText({0x00}), "Empty:"},
        {2, signOrdered32(693595), "Date:1899-12-31 00:00:00"},
        {2, signOrdered32(737562), "Date:2020-05-17 00:00:00"},
        {2, signOrdered32(693594), "Empty:"},
        {20, signOrdered32(49530000), "Date:1899-12-30 13:45:30"},
        {20, signOrdered32(0), "Date:1899-12-30 00:00:00"}, // midnight is a time, not nothing
        {20, ByteText({0, 0, 0, 0x80}), "Empty:"},          // the day or time -129 marks none
        {2, ByteText({0, 0, 0x80, 0}), "Empty:"},           // and so does -32769
        {21, ByteText({0xC2, 0xCC, 0xFA, 0x9D, 0x1A, 0x8E, 0x48, 0x00}), "Date:2020-05-17 13:45:30"},
        {1, std::string("  ab c  \0xyz", 12), "String:ab c"},
        {23, ByteText({0x82, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x23, 0x45}), "Double:123.45"},
        {23,
         ByteText(
             {0x42, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xDC}),
         "Double:-1.23"},
        {23, ByteText({0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0A, 0x00}), "Double:0"}, // no digit
        {24, ByteText({1, 2, 3}), "Empty:"},
    };
    sources::TTableText text;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.expected);
        const sources::paradox::TPxField field{"F", c.type, static_cast<std::uint16_t>(c.bytes.size()), 0};
        const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t *>(c.bytes.data()),
                                                  c.bytes.size());
        EXPECT_EQ(ValueText(sources::paradox::DecodeFieldValue(field, bytes, text)), c.expected);
    }
}

TEST(ParadoxReader, RealTablesReadAsTheirWritersWroteThem)
{
    struct Case {
        const char *file;
        std::size_t row, column;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"pxlib_types.db", 0, 0, "String:Ann"},
        {"pxlib_types.db", 0, 1, "Date:1899-12-31 00:00:00"},
        {"pxlib_types.db", 0, 2, "Smallint:5"},
        {"pxlib_types.db", 0, 3, "Integer:-1"},
        {"pxlib_types.db", 0, 4, "Double:12.5"},
        {"pxlib_types.db", 0, 6, "Boolean:True"},
        {"pxlib_types.db", 0, 7, "String:short memo in the record"},
        {"pxlib_types.db", 0, 8, "Date:1899-12-30 13:45:30"},
        {"pxlib_types.db", 0, 9, "Date:2020-05-17 13:45:30"},
        {"pxlib_types.db", 0, 10, "Double:123.45"},
        {"pxlib_types.db", 1, 1, "Empty:"},
        {"pxlib_types.db", 1, 7, "Empty:"},
        {"pxlib_types.db", 2, 0, "String:Z\xC3\xB6\xC3\xA9"}, // code page 1252 becomes UTF-8
        {"pxlib_types.db", 2, 2, "Smallint:-2"},
        {"pxlib_types.db", 2, 7, "String:A memo that is longer than the twenty bytes its field keeps in the record."},
        {"pxlib_types.db", 2, 10, "Double:-7.5"},
        {"pxlib_types.db", 249, 0, "String:Row 249"},
        {"fields-long.db", 2, 1, "Empty:"},
        {"fields-logical.db", 1, 0, "Boolean:False"},
        {"fields-date7.db", 3, 0, "Empty:"},
        {"fields-date7.db", 1, 0, "Date:2018-02-01 00:00:00"},
        {"fields-time.db", 0, 0, "Date:1899-12-30 01:00:01"},
        {"fields-timestamp.db", 1, 0, "Date:2020-02-01 01:00:01"},
        {"fields-bcd.db", 0, 0, "Double:1.23"},
        {"fields-bcd.db", 1, 0, "Double:-1.23"},
        {"fields-bcd.db", 1, 1, "Double:-1"},
        {"fields-bytes.db", 0, 0, "-"}, // bytes fields deliver no value
        {"fields-memo.db", 1, 1, "String:01234567890\n"},
        {"db-CUSTOMER.DB", 0, 8, "String:Small comment (less 100 symbols)"},
        {"db-CUSTOMER.DB", 0, 9, "Date:1996-02-02 00:00:00"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.file) + " row " + std::to_string(c.row) + " column " + std::to_string(c.column));
        const TableRows rows = ReadParadoxRows(ParadoxData(c.file));
        ASSERT_LT(c.row, rows.size());
        ASSERT_LT(c.column, rows[c.row].size());
        EXPECT_EQ(rows[c.row][c.column], c.expected);
    }
}

// A table and its BLOB file given as bytes read as the same files on disk do.
TEST(ParadoxReader, TablesAndBLOBsFromMemory)
{
    for (const auto &[table, blobs] :
         {std::pair{"pxlib_types.db", "pxlib_types.mb"}, {"fields-memo.db", "fields-memo.mb"}}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(ReadParadoxRowsFromMemory(ReadFile(ParadoxData(table)), ReadFile(ParadoxData(blobs))),
                  ReadParadoxRows(ParadoxData(table)));
    }
}

TEST(ParadoxReader, LongMemosComeFromTheBLOBFile)
{
    std::string letters;
    for (int i = 0; i < 4999; ++i)
        letters += static_cast<char>('a' + i % 26);
    EXPECT_EQ(ReadParadoxRows(ParadoxData("pxlib_types.db"))[3][7], "String:" + letters);
    const std::string customer = ReadParadoxRows(ParadoxData("db-CUSTOMER.DB"))[1][8];
    EXPECT_EQ(customer.substr(0, 30), "String:\tThe length of the lead");
    EXPECT_GT(customer.size(), 300u);
}

TEST(ParadoxReader, MemosUpToTheFieldsRoomStayInTheRecord)
{
    struct Case {
        const char *name;
        std::string record;
        bool withBLOBFile;
        std::string expected;
    };
    const std::string twenty = "twenty bytes exactly";
    const std::string twentyOne = "twenty-one bytes long";
    const std::vector<Case> cases = {
        {"20 bytes in a 30-byte field", memoRecord(1, twenty, 0, 20), true, "String:" + twenty},
        {"21 bytes from a block of its own", memoRecord(1, twentyOne.substr(0, 20), 4096 | 0xFF, 21), true,
         "String:" + twentyOne},
        {"from the shared block", memoRecord(1, "", 8192 | 2, 26), true, "String:a memo in the shared block"},
        {"BLOB file missing", memoRecord(1, twentyOne.substr(0, 20), 4096 | 0xFF, 21), false, "String:"},
        {"length 0", memoRecord(1, "ignored", 0, 0), true, "Empty:"},
        {"beyond the BLOB file", memoRecord(1, "", 0x7FFFFF00u | 0xFF, 100), true, "String:"},
        {"entry beyond the BLOB file", memoRecord(1, "", 0x7FFFFF00u | 7, 100), true, "String:"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.Write("memo.db", PxBuilder(memoFields).Blocks({{0, {c.record}}}).Bytes());
        if (c.withBLOBFile)
            dir.Write("memo.MB", blobFile(twentyOne + std::string(3, '\0'), "a memo in the shared block"));
        const TableRows rows = ReadParadoxRows(path);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0], "Integer:1");
        EXPECT_EQ(rows[0][1], c.expected);
    }
}

TEST(ParadoxReader, BlockChainsAreFollowedFromTheFirstBlock)
{
    const std::vector<PxFieldDef> fields = {{"N", 4, 4}};
    auto rec = [&](int n) { return PxRecord(fields, {signOrdered32(n)}); };
    auto ids = [](const TableRows &rows) {
        std::string text;
        for (const auto &r : rows)
            text += r[0].substr(8) + " ";
        return text;
    };
    struct Case {
        const char *name;
        std::uint16_t first;
        std::uint32_t count;
        std::vector<PxBlockDef> blocks;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"first block number 1", 1, 0, {{2, {rec(1), rec(2)}}, {0, {rec(3)}}}, "1 2 3 "},
        {"first block number 0 counts as 1", 0, 0, {{0, {rec(1)}}}, "1 "},
        {"chain order, not file order", 3, 0, {{0, {rec(3)}}, {1, {rec(2)}}, {2, {rec(1)}}}, "1 2 3 "},
        {"empty blocks are passed over", 1, 0, {{2, {}, true}, {3, {}, true}, {0, {rec(9)}}}, "9 "},
        {"a chain that loops ends", 1, 1000, {{2, {rec(1)}}, {1, {rec(2)}}}, "1 2 "},
        {"a block beyond the file ends the chain", 1, 1000, {{7, {rec(1)}}}, "1 "},
        {"the header counts more than the blocks hold", 1, 5, {{0, {rec(1), rec(2)}}}, "1 2 "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        PxBuilder builder(fields);
        builder.FirstBlock(c.first).Blocks(c.blocks);
        if (c.count)
            builder.RecordCount(c.count);
        EXPECT_EQ(ids(ReadParadoxRows(dir.Write("chain.db", builder.Bytes()))), c.expected);
    }
}

TEST(ParadoxReader, TableLevelFollowsTheVersionByte)
{
    const std::vector<std::pair<int, int>> cases = {{3, 30},  {4, 35},  {5, 40},  {9, 40},
                                                    {10, 50}, {11, 50}, {12, 70}, {13, 65535}};
    for (const auto &[versionByte, level] : cases) {
        SCOPED_TRACE(versionByte);
        TempDir dir;
        const std::string path = dir.Write(
            "level.db",
            PxBuilder({{"A", 1, 4}}).Version(static_cast<std::uint8_t>(versionByte)).Blocks({{0, {"abcd"}}}).Bytes());
        TDBParadox reader;
        std::ifstream in(path, std::ios::binary);
        reader.LoadFromStream(in);
        EXPECT_EQ(reader.TableLevel(), level);
        EXPECT_EQ(ReadParadoxRows(path), (TableRows{{"String:abcd"}}));
    }
}

TEST(ParadoxReader, EncryptedTablesNeedTheHostsPassword)
{
    for (const char *file : {"encrypt-encrypted.db", "encrypt-encrypted35.db"}) {
        SCOPED_TRACE(file);
        TDBParadox reader;
        std::ifstream in(ParadoxData(file), std::ios::binary);
        try {
            reader.LoadFromStream(in);
            ADD_FAILURE() << "an encrypted table was opened without a password";
        } catch (const ESpreadSheetError &e) {
            EXPECT_STREQ(e.what(), "This file is encrypted but valid password is not specified.");
        }
        EXPECT_TRUE(reader.IsEncrypted());
    }
}

// A table "encrypted" by XOR with 0x5A, opened through the three events a host supplies.
TEST(ParadoxReader, HostEventsOpenAndDecryptAnEncryptedTable)
{
    constexpr std::uint32_t checksum = 0x0A25E09A;
    auto scramble = [](std::vector<std::uint8_t> &bytes) {
        for (std::uint8_t &b : bytes)
            b ^= 0x5A;
    };
    TempDir dir;
    const std::string path = dir.Write("secret.db", PxBuilder(memoFields)
                                                        .Encrypted(checksum)
                                                        .Blocks({{0, {memoRecord(7, "", 4096 | 0xFF, 21)}}})
                                                        .TransformBlocks(scramble)
                                                        .Bytes());
    std::vector<std::uint8_t> mb = blobFile("twenty-one bytes long", "");
    scramble(mb);
    dir.Write("secret.mb", mb);

    TDBParadox reader;
    std::vector<std::string> asked;
    std::vector<bool> blobBlocks;
    reader.OnPassword = [&](TCustomSpreadSheetFile *, std::string &password, bool &more) {
        password = asked.empty() ? "wrong" : "right";
        asked.push_back(password);
    };
    reader.OnGetPasswordChecksum = [&](TCustomSpreadSheetFile *, const std::string &password, std::int32_t &result) {
        result = password == "right" ? static_cast<std::int32_t>(checksum) : 1;
    };
    reader.OnDecryptDBBlock = [&](TCustomSpreadSheetFile *, std::vector<std::uint8_t> &block, int, int size,
                                  std::int32_t sum, bool isBLOB) {
        EXPECT_EQ(static_cast<std::uint32_t>(sum), checksum);
        EXPECT_EQ(static_cast<std::size_t>(size), block.size());
        blobBlocks.push_back(isBLOB);
        scramble(block);
    };
    TableRows rows;
    reader.OnCellValue = [&](TCustomSpreadSheetFile *, int, int row, int column, int, const Variant &value,
                             TAlignment) {
        rows.resize(static_cast<std::size_t>(row) + 1);
        rows[static_cast<std::size_t>(row)].push_back(ValueText(value));
    };
    reader.FileName = path;
    std::ifstream in(path, std::ios::binary);
    reader.LoadFromStream(in);
    EXPECT_EQ(asked, (std::vector<std::string>{"wrong", "right"}));
    ASSERT_TRUE(reader.HasRecordFor(0));
    reader.ReadRow(0);
    EXPECT_EQ(rows, (TableRows{{"Integer:7", "String:twenty-one bytes long"}}));
    EXPECT_EQ(blobBlocks, (std::vector<bool>{false, true}));
}

TEST(ParadoxReader, PasswordHandlerMayGiveUp)
{
    TempDir dir;
    const std::string path =
        dir.Write("secret.db", PxBuilder(memoFields).Encrypted(5).Blocks({{0, {memoRecord(1, "", 0, 0)}}}).Bytes());
    TDBParadox reader;
    int asked = 0;
    reader.OnPassword = [&](TCustomSpreadSheetFile *, std::string &, bool &more) { more = ++asked < 3; };
    std::ifstream in(path, std::ios::binary);
    EXPECT_THROW(reader.LoadFromStream(in), ESpreadSheetError);
    EXPECT_EQ(asked, 3);
}
