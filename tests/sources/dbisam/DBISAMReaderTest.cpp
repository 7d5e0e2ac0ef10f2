// DBISAM tables built here from the file layout (no sample with a licence that allows
// sharing was found): both header generations, every field kind, BLOB chains, the
// deciphering events and damage, and the committed fixtures of tests/data/dbisam.

#include "Bytes.h"
#include "Files.h"
#include "TempDir.h"
#include "TestData.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/dbisam/DbisamValue.h"
#include "sources/dbisam/VxDBISAM.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

namespace {

std::string dbisamData(const std::string &name) { return TestDataFolder("dbisam") + "/" + name; }

struct TFieldSpec {
    std::string Name;
    int Type;
    int Width; // of the value; an old table's reader takes it from the type
    int Size = 0;
    int SubType = 0;
};

struct TTableSpec {
    int Version = 6;
    bool Encrypted = false;
    std::uint32_t BlockSize = 64;
    std::string Password; // an old header's, as stored
};

bool hasNullByte(const TFieldSpec &f) { return !(f.Type == 6 && f.SubType == 29); }

std::size_t recordLength(const std::vector<TFieldSpec> &fields)
{
    std::size_t length = 1;
    for (const TFieldSpec &f : fields)
        length += static_cast<std::size_t>(f.Width) + (hasNullByte(f) ? 1 : 0);
    return length;
}

void put16(std::vector<std::uint8_t> &b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::vector<std::uint8_t> &b, std::size_t at, std::uint32_t v)
{
    put16(b, at, v);
    put16(b, at + 2, v >> 16);
}

void putName(std::vector<std::uint8_t> &b, const std::string &name)
{
    b[2] = static_cast<std::uint8_t>(name.size());
    std::memcpy(b.data() + 3, name.data(), name.size());
}

// A stand-in cipher for the tests: every byte XOR 0x5A, the same both ways.
void xorBytes(std::uint8_t *p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        p[i] ^= 0x5A;
}
void xorBytes(std::vector<std::uint8_t> &b, std::size_t at, std::size_t n) { xorBytes(b.data() + at, n); }

// A stand-in digest: the text's bytes, cycled to 16.
TMD5DigestArray digestOf(const std::string &text)
{
    TMD5DigestArray digest{};
    for (std::size_t i = 0; i < digest.size() && !text.empty(); ++i)
        digest[i] = static_cast<std::uint8_t>(text[i % text.size()] + i);
    return digest;
}

// A table from the layout. Each record is its status byte and, field by field, the null
// byte and value bytes as the test writes them; it is padded to the record length.
std::vector<std::uint8_t> buildTable(const TTableSpec &spec, const std::vector<TFieldSpec> &fields,
                                     const std::vector<Bytes> &records, const std::string &tablePassword = "")
{
    const bool current = spec.Version >= 6;
    const std::size_t length = recordLength(fields);
    std::vector<std::uint8_t> header(current ? 512 : 127, 0);
    header[8] = static_cast<std::uint8_t>(spec.Version);
    if (current) {
        put32(header, 41, static_cast<std::uint32_t>(records.size()));
        put16(header, 45, static_cast<std::uint32_t>(length));
        put16(header, 47, static_cast<std::uint32_t>(fields.size()));
        put32(header, 51, spec.BlockSize);
        header[172] = spec.Encrypted ? 1 : 0;
        if (spec.Encrypted) {
            const TMD5DigestArray signature = digestOf("DBISAM_SIG"), check = digestOf(tablePassword);
            std::copy(signature.begin(), signature.end(), header.begin() + 9);
            std::copy(check.begin(), check.end(), header.begin() + 173);
            xorBytes(header, 173, 16);
        }
    } else {
        put32(header, 4, spec.BlockSize);
        put32(header, 13, static_cast<std::uint32_t>(records.size() + 1));
        put16(header, 21, static_cast<std::uint32_t>(length));
        put16(header, 23, static_cast<std::uint32_t>(fields.size()));
        header[86] = spec.Encrypted ? 1 : 0;
        header[87] = static_cast<std::uint8_t>(spec.Password.size());
        std::memcpy(header.data() + 88, spec.Password.data(), spec.Password.size());
        if (spec.Encrypted)
            xorBytes(header, 88, spec.Password.size());
    }
    std::vector<std::uint8_t> file = header;
    const std::size_t descriptorSize = spec.Version >= 3 ? 768 : 265;
    std::size_t position = 1;
    for (const TFieldSpec &f : fields) {
        std::vector<std::uint8_t> d(descriptorSize, 0);
        putName(d, f.Name);
        if (current) {
            d[164] = static_cast<std::uint8_t>(f.Type);
            d[165] = static_cast<std::uint8_t>(f.SubType);
            put16(d, 166, static_cast<std::uint32_t>(f.Size));
            put16(d, 169, static_cast<std::uint32_t>(f.Width));
            put16(d, 172, static_cast<std::uint32_t>(position));
        } else {
            d[84] = static_cast<std::uint8_t>(f.Type);
            d[85] = static_cast<std::uint8_t>(f.SubType);
            d[86] = static_cast<std::uint8_t>(f.Size);
            put16(d, spec.Version >= 3 ? 90 : 88, static_cast<std::uint32_t>(position));
        }
        if (spec.Encrypted)
            xorBytes(d, 0, d.size());
        file.insert(file.end(), d.begin(), d.end());
        position += static_cast<std::size_t>(f.Width) + (hasNullByte(f) ? 1 : 0);
    }
    for (const Bytes &r : records) {
        std::vector<std::uint8_t> bytes = r.data();
        bytes.resize(length, 0);
        if (spec.Encrypted)
            xorBytes(bytes, 0, bytes.size());
        file.insert(file.end(), bytes.begin(), bytes.end());
    }
    return file;
}

// A BLOB block: its 18-byte header (next block, byte count, total length) and the bytes.
Bytes blobBlock(std::int32_t next, const std::string &bytes, std::uint32_t total)
{
    return Bytes()
        .u32(0)
        .u32(static_cast<std::uint32_t>(next))
        .u16(static_cast<std::uint16_t>(bytes.size()))
        .u32(0)
        .u32(total)
        .text(bytes);
}

// A BLOB file of blocks of the given size, block 0 being its header.
std::vector<std::uint8_t> blobFile(std::uint32_t blockSize, const std::vector<std::pair<std::size_t, Bytes>> &blocks)
{
    std::vector<std::uint8_t> file(512, 0);
    for (const auto &[number, block] : blocks) {
        const std::size_t at = number * blockSize;
        file.resize(std::max(file.size(), at + std::max<std::size_t>(blockSize, block.data().size())), 0);
        std::copy(block.data().begin(), block.data().end(), file.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return file;
}

Bytes present() { return Bytes().u8(1); }

const TSpreadSheetCells &load(TDBISAM &reader, const std::vector<std::uint8_t> &file)
{
    std::istringstream stream(std::string(file.begin(), file.end()));
    reader.ByRowMode = false;
    reader.LoadFromStream(stream);
    return reader.Sheets.GetSheet(0).Cells;
}

template <class TRead> std::string errorOf(TRead read)
{
    try {
        read();
    } catch (const std::exception &e) {
        return e.what();
    }
    return "no error";
}

std::string loadError(const std::vector<std::uint8_t> &file)
{
    TDBISAM reader;
    return errorOf([&] { load(reader, file); });
}

std::string dateText(const Variant &value)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    DecodeDate(value.AsDateTime(), year, month, day);
    DecodeTime(value.AsDateTime(), hour, minute, second, ms);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", year, month, day, hour, minute, second, ms);
    return text;
}

// A packed decimal: digits, decimals, sign.
Bytes packed(const std::string &digits, int decimals, bool negative = false)
{
    Bytes b;
    b.u8(static_cast<std::uint8_t>(digits.size())).u8(static_cast<std::uint8_t>((negative ? 0x80 : 0) | decimals));
    std::vector<std::uint8_t> body(32, 0);
    for (std::size_t i = 0; i < digits.size(); ++i)
        body[i / 2] |= static_cast<std::uint8_t>((digits[i] - '0') << (i % 2 == 0 ? 4 : 0));
    return b.bytes(body);
}

} // namespace

TEST(DBISAMReader, EachFieldKindGivesItsValue)
{
    const std::vector<TFieldSpec> fields = {
        {"ID", 6, 4, 0, 29}, {"NAME", 1, 9, 8},  {"DAY", 2, 4},    {"OK", 4, 1},     {"SMALL", 5, 2}, {"LONG", 6, 4},
        {"REAL", 7, 8},      {"DEC", 8, 34, 18}, {"AT", 10, 4},    {"STAMP", 11, 8}, {"WORD", 12, 2}, {"U24", 13, 3},
        {"BIG", 18, 8},      {"UBIG", 19, 8},    {"IEEE", 14, 10}, {"ODD", 0, 3}};
    const auto row = [](std::int32_t id, const std::string &name, std::int32_t day, std::int16_t small,
                        const Bytes &decimal, std::int32_t at, double stamp, std::uint64_t big, std::uint64_t ubig) {
        return Bytes()
            .u8(0)
            .u32(static_cast<std::uint32_t>(id))
            .bytes(present().text(name + std::string(9 - name.size(), '\0')).data())
            .bytes(present().u32(static_cast<std::uint32_t>(day)).data())
            .bytes(present().u8(7).data())
            .bytes(present().u16(static_cast<std::uint16_t>(small)).data())
            .bytes(present().u32(0xFFFFFFFF).data())
            .bytes(present().f64(-2.5).data())
            .bytes(present().bytes(decimal.data()).data())
            .bytes(present().u32(static_cast<std::uint32_t>(at)).data())
            .bytes(present().f64(stamp).data())
            .bytes(present().u16(0xFFFF).data())
            .bytes(present().u8(1).u8(2).u8(3).data())
            .bytes(present().u64(big).data())
            .bytes(present().u64(ubig).data())
            .bytes(present().text("0123456789").data())
            .bytes(present().text("abc").data());
    };
    const double stamp = (730120.0 * 86400000.0) + 49530250.0; // 2000-01-01 13:45:30.250
    const std::vector<Bytes> records = {
        row(1, " Ann\t\x01", 1, -1, packed("12345", 2), 43200000, stamp, static_cast<std::uint64_t>(-5),
            0xFFFFFFFFFFFFFFFFull),
        row(2, std::string("Bob\0xyz", 7), 0, 300, packed("12345", 2, true), 0, 86400000.0, 123456789012345678ull, 7),
        row(3, "Cy", 730120, 0, packed("123456789012345678", 0), 86399999, stamp, 0, 0),
        row(4, "Di", 730120, 0, packed("1234567", 6), 0, stamp, 0, 0),
        row(5, "Ed", 730120, 0, packed("", 0), 0, stamp, 0, 0)};
    TDBISAM reader;
    const TSpreadSheetCells &cells = load(reader, buildTable({}, fields, records));
    EXPECT_EQ(cells.GetCellValue(0, 2).AsInteger(), 3); // the autoincrement has no null byte
    EXPECT_EQ(cells.GetCellValue(1, 0).AsString(), "Ann");
    EXPECT_EQ(cells.GetCellValue(1, 1).AsString(), "Bob"); // the text ends at its zero byte
    EXPECT_EQ(dateText(cells.GetCellValue(2, 0)), "0001-01-01 00:00:00.000");
    EXPECT_TRUE(cells.GetCellValue(2, 1).IsNull()); // day 0 is no date
    EXPECT_EQ(dateText(cells.GetCellValue(2, 2)), "2000-01-01 00:00:00.000");
    EXPECT_EQ(cells.GetCellValue(3, 0).AsBoolean(), true);
    EXPECT_EQ(cells.GetCellValue(4, 0).AsInteger(), -1); // a small integer is signed
    EXPECT_EQ(cells.GetCellValue(4, 1).AsInteger(), 300);
    EXPECT_EQ(cells.GetCellValue(5, 0).AsInteger(), -1);
    EXPECT_EQ(cells.GetCellValue(6, 0).AsDouble(), -2.5);
    EXPECT_EQ(cells.GetCellValue(7, 0).AsDouble(), 123.45);
    EXPECT_EQ(cells.GetCellValue(7, 1).AsDouble(), -123.45);
    EXPECT_EQ(cells.GetCellValue(7, 2).AsDouble(), 123456789012345678.0); // past the 64-bit currency
    EXPECT_EQ(cells.GetCellValue(7, 3).AsDouble(), 1.234567);             // past four decimals
    EXPECT_EQ(cells.GetCellValue(7, 4).AsDouble(), 0.0);                  // no digits
    EXPECT_EQ(dateText(cells.GetCellValue(8, 0)), "1899-12-30 12:00:00.000");
    EXPECT_EQ(dateText(cells.GetCellValue(8, 2)), "1899-12-30 23:59:59.999");
    EXPECT_EQ(dateText(cells.GetCellValue(9, 0)), "2000-01-01 13:45:30.250");
    EXPECT_EQ(dateText(cells.GetCellValue(9, 1)), "0001-01-01 00:00:00.000");
    EXPECT_EQ(cells.GetCellValue(10, 0).AsInteger(), 65535); // a word is unsigned
    EXPECT_EQ(cells.GetCellValue(11, 0).AsInteger(), 0x030201);
    EXPECT_EQ(cells.GetCellValue(12, 0).AsInt64(), -5);
    EXPECT_EQ(cells.GetCellValue(12, 1).AsInt64(), 123456789012345678);
    EXPECT_EQ(cells.GetCellValue(13, 0).AsString(), "18446744073709551615");
    EXPECT_EQ(cells.GetCellValue(13, 1).AsInteger(), 7);
    EXPECT_TRUE(cells.GetCellValue(14, 0).IsNull());
    EXPECT_TRUE(cells.GetCellValue(15, 0).IsNull());

    std::vector<std::pair<TVxIDataType, int>> types;
    for (const sources::dbisam::TDBISAMField &f : reader.Fields())
        types.emplace_back(sources::dbisam::FieldDataType(f.Type, f.SubType), f.Size);
    EXPECT_EQ(types[7], std::make_pair(TVxIDataType::itFloat, 18));
    EXPECT_EQ(types[12].first, TVxIDataType::itInteger);
    EXPECT_EQ(types[13].first, TVxIDataType::itInteger);
}

TEST(DBISAMReader, NullBytesStatusesAndImpossibleDates)
{
    const std::vector<TFieldSpec> fields = {{"N", 6, 4}, {"D", 2, 4}};
    const std::vector<Bytes> records = {
        Bytes().u8(0).u8(1).u32(1).u8(0).u32(730120), Bytes().u8(1).u8(1).u32(2).u8(1).u32(730120),
        Bytes().u8(2).u8(2).u32(3).u8(1).u32(730120), Bytes().u8(0).u8(1).u32(4).u8(1).u32(730120)};
    const std::vector<std::uint8_t> file = buildTable({}, fields, records);
    TDBISAM normal;
    const TSpreadSheetCells &cells = load(normal, file);
    EXPECT_TRUE(cells.GetCellValue(1, 0).IsNull()); // null byte 0: no value
    EXPECT_EQ(cells.GetCellValue(0, 1).AsInteger(), 4);
    EXPECT_TRUE(cells.GetCellValue(0, 2).IsNull());

    TDBISAM withDeleted;
    withDeleted.LoadRowStatuses = {TVxIRowStatus::rsNormal, TVxIRowStatus::rsDeleted};
    const TSpreadSheetCells &all = load(withDeleted, file);
    EXPECT_EQ(all.GetCellValue(0, 1).AsInteger(), 2);
    EXPECT_EQ(all.GetCellValue(0, 2).AsInteger(), 4);

    for (std::uint32_t day : {0xFFFFFFFFu, 3652060u}) {
        TDBISAM reader;
        EXPECT_NE(errorOf([&] { load(reader, buildTable({}, fields, {Bytes().u8(0).u8(0).u32(0).u8(1).u32(day)})); }),
                  "no error");
    }
    for (std::uint32_t ms : {86400000u, 0xFFFFFFFFu}) {
        TDBISAM reader;
        EXPECT_NE(errorOf([&] {
                      load(reader, buildTable({}, {{"T", 10, 4}}, {Bytes().u8(0).u8(1).u32(ms)}));
                  }),
                  "no error");
    }
    for (double ms : {0.0, 5.8e252, std::nan("")}) {
        TDBISAM reader;
        EXPECT_NE(errorOf([&] {
                      load(reader, buildTable({}, {{"S", 11, 8}}, {Bytes().u8(0).u8(1).f64(ms)}));
                  }),
                  "no error");
    }
}

TEST(DBISAMReader, OldHeadersAndDescriptorsTakeTheSameForm)
{
    // Widths follow the types: text size + 1, a long 4, a double 8, a BLOB 8.
    const std::vector<TFieldSpec> fields = {
        {"CODE", 1, 6, 5}, {"QTY", 6, 4}, {"PRICE", 7, 8}, {"PIC", 3, 8, 0, 23}, {"NOTE", 3, 8, 0, 22}};
    const Bytes record = Bytes()
                             .u8(0)
                             .bytes(present().text(std::string("A-1\0\0\0", 6)).data())
                             .bytes(present().u32(12).data())
                             .bytes(present().f64(2.5).data())
                             .bytes(present().u32(7).u32(0).data())
                             .bytes(present().u32(9).u32(0).data());
    for (int version : {4, 2}) {
        SCOPED_TRACE(version);
        TDBISAM reader;
        reader.ParseBLOB = false;
        TTableSpec spec;
        spec.Version = version;
        const TSpreadSheetCells &cells = load(reader, buildTable(spec, fields, {record, record}));
        EXPECT_EQ(reader.RecordCount(), 2u); // stored plus one
        EXPECT_EQ(reader.FieldName(1), "QTY");
        EXPECT_EQ(cells.GetCellValue(0, 1).AsString(), "A-1");
        EXPECT_EQ(cells.GetCellValue(2, 1).AsDouble(), 2.5);
        EXPECT_EQ(cells.GetCellValue(3, 0).AsInteger(), 7);
        EXPECT_EQ(reader.Fields()[3].SubType, 0); // an old subtype of a plain BLOB
        EXPECT_EQ(sources::dbisam::FieldDataType(3, reader.Fields()[4].SubType), TVxIDataType::itMEMO);
    }
}

TEST(DBISAMReader, BlobsFollowTheirBlocks)
{
    TempDir dir;
    const std::vector<TFieldSpec> fields = {{"ID", 6, 4}, {"DATA", 3, 8, 0, 22}};
    const auto row = [](std::int32_t id, std::int32_t block) {
        return Bytes()
            .u8(0)
            .bytes(present().u32(static_cast<std::uint32_t>(id)).data())
            .u8(block ? 1 : 0)
            .u32(static_cast<std::uint32_t>(block))
            .u32(0);
    };
    const std::string text(100, 'a');
    // Block 1 goes on in block 3; block 2 goes on in the bytes after it; block 2000 lies
    // past 64 KiB; block 5 is stored as -5.
    const std::vector<std::uint8_t> blob = blobFile(64, {{1, blobBlock(3, text.substr(0, 46), 100)},
                                                         {3, blobBlock(0, text.substr(46), 0)},
                                                         {2, blobBlock(0, "first ", 12)},
                                                         {5, blobBlock(0, "five", 4)},
                                                         {2000, blobBlock(0, "far", 3)}});
    std::vector<std::uint8_t> withTail = blob;
    // Block 2 declares 12 bytes and holds 6: the next 6 follow right after them.
    std::memcpy(withTail.data() + 2 * 64 + 18 + 6, "second", 6);
    WriteFile(dir.File("t.dat"),
              buildTable({}, fields, {row(1, 1), row(2, 2), row(3, -5), row(4, 2000), row(5, 0), row(6, 900000)}));
    WriteFile(dir.File("t.BLB"), withTail);
    TDBISAM reader;
    reader.ByRowMode = false;
    reader.LoadFromFile(dir.File("t.dat"));
    const TSpreadSheetCells &cells = reader.Sheets.GetSheet(0).Cells;
    EXPECT_EQ(cells.GetCellValue(1, 0).AsString(), text);
    EXPECT_EQ(cells.GetCellValue(1, 1).AsString(), "first second");
    EXPECT_EQ(cells.GetCellValue(1, 2).AsString(), "five");
    EXPECT_EQ(cells.GetCellValue(1, 3).AsString(), "far");
    EXPECT_TRUE(cells.GetCellValue(1, 4).IsNull());
    EXPECT_TRUE(cells.GetCellValue(1, 5).AsString().empty()); // past the file

    TDBISAM numbers;
    numbers.ByRowMode = false;
    numbers.ParseBLOB = false;
    numbers.LoadFromFile(dir.File("t.dat"));
    EXPECT_EQ(numbers.Sheets.GetSheet(0).Cells.GetCellValue(1, 2).AsInteger(), 5);

    // A chain that comes back, a block holding no bytes and a BLOB cut by the file's end
    // each end with the BLOB file's message.
    const std::string &message = SpreadSheetTexts().DBISAMBlobDamaged;
    for (const std::vector<std::uint8_t> &damaged :
         {blobFile(64, {{1, blobBlock(2, std::string(46, 'x'), 200)}, {2, blobBlock(1, std::string(46, 'y'), 0)}}),
          blobFile(64, {{1, blobBlock(0, "", 10)}}),
          CutCopy(blobFile(64, {{1, blobBlock(0, std::string(46, 'z'), 46)}}), 64 + 30)}) {
        WriteFile(dir.File("t.BLB"), damaged);
        TDBISAM broken;
        broken.ByRowMode = false;
        EXPECT_EQ(errorOf([&] { broken.LoadFromFile(dir.File("t.dat")); }), message);
    }

    // Without the BLOB file the cells are empty.
    WriteFile(dir.File("alone.dat"), buildTable({}, fields, {row(1, 1)}));
    TDBISAM alone;
    alone.ByRowMode = false;
    alone.LoadFromFile(dir.File("alone.dat"));
    EXPECT_TRUE(alone.Sheets.GetSheet(0).Cells.GetCellValue(1, 0).AsString().empty());
}

TEST(DBISAMReader, EncipheredTablesNeedTheHostsHandlers)
{
    const std::string &refused = SpreadSheetTexts().DBISAMPasswordNeeded;
    const std::vector<TFieldSpec> fields = {{"NAME", 1, 4, 3}};
    const std::vector<Bytes> records = {Bytes().u8(0).bytes(present().text("abc").data())};
    TTableSpec spec;
    spec.Encrypted = true;
    const std::vector<std::uint8_t> current = buildTable(spec, fields, records, "secret");
    TTableSpec oldSpec = spec;
    oldSpec.Version = 4;
    oldSpec.Password = "old";
    const std::vector<std::uint8_t> old = buildTable(oldSpec, fields, records);

    // Without handlers the ciphertext is never taken for data.
    EXPECT_EQ(loadError(current), refused);
    EXPECT_EQ(loadError(old), refused);

    struct TCalls {
        std::vector<std::string> answers;
        int asked = 0;
        std::vector<std::string> deciphered = {}; // count and flags (H, R, P) of each call
    };
    const auto handlers = [](TDBISAM &reader, TCalls &calls, bool withDigest) {
        reader.OnPassword = [&calls](TCustomSpreadSheetFile *, std::string &password, bool &proceed) {
            if (calls.asked >= static_cast<int>(calls.answers.size()))
                proceed = false;
            else
                password = calls.answers[static_cast<std::size_t>(calls.asked)];
            ++calls.asked;
        };
        if (withDigest)
            reader.OnGetPasswordDigest = [](TDBISAM *, const std::string &text, TMD5DigestArray &digest) {
                digest = digestOf(text);
            };
        reader.OnDecryptBuffer = [&calls](TDBISAM *, std::uint8_t *buffer, int count, bool header, bool record,
                                          bool pchar) {
            xorBytes(buffer, static_cast<std::size_t>(count));
            calls.deciphered.push_back(std::to_string(count) + (header ? "H" : "") + (record ? "R" : "") +
                                       (pchar ? "P" : ""));
        };
    };

    // A wrong answer is asked again; the right one opens the table.
    TCalls calls{{"wrong", "secret"}};
    TDBISAM reader;
    handlers(reader, calls, true);
    EXPECT_EQ(load(reader, current).GetCellValue(0, 0).AsString(), "abc");
    EXPECT_EQ(calls.asked, 2);
    EXPECT_EQ(calls.deciphered, (std::vector<std::string>{"16H", "16H", "768HP", std::to_string(6) + "R"}));

    // Without a digest handler an answer cannot be checked: one answer, then the refusal.
    TCalls once{{"secret", "secret", "secret"}};
    TDBISAM unchecked;
    handlers(unchecked, once, false);
    EXPECT_EQ(errorOf([&] { load(unchecked, current); }), refused);
    EXPECT_EQ(once.asked, 1);

    // Giving up ends the asking.
    TCalls none{{}};
    TDBISAM givenUp;
    handlers(givenUp, none, true);
    EXPECT_EQ(errorOf([&] { load(givenUp, current); }), refused);

    // A signature that is not the digest of the marker text means a bad file.
    std::vector<std::uint8_t> badSignature = current;
    badSignature[9] ^= 1;
    TCalls never{{"secret"}};
    TDBISAM signature;
    handlers(signature, never, true);
    EXPECT_EQ(errorOf([&] { load(signature, badSignature); }), SpreadSheetTexts().DBISAMBadSignature);
    EXPECT_EQ(never.asked, 0);

    // An old table asks for no password: its stored one and every descriptor and record
    // are deciphered.
    TCalls oldCalls{{}};
    TDBISAM oldReader;
    handlers(oldReader, oldCalls, false);
    EXPECT_EQ(load(oldReader, old).GetCellValue(0, 0).AsString(), "abc");
    EXPECT_EQ(oldReader.Header().Password, "old");
    EXPECT_EQ(oldCalls.asked, 0);
    EXPECT_EQ(oldCalls.deciphered, (std::vector<std::string>{"3H", "768R", "6R"}));
}

TEST(DBISAMReader, DamagedHeadersAreRefused)
{
    const std::string &message = SpreadSheetTexts().DBISAMDamaged;
    const std::vector<TFieldSpec> fields = {{"N", 6, 4}, {"T", 1, 5, 4}};
    const std::vector<std::uint8_t> good = buildTable({}, fields, {Bytes().u8(0).u8(1).u32(5)});
    std::vector<std::uint8_t> noLength = good, outside = good, manyFields = good, narrow = good;
    put16(noLength, 45, 0);
    put16(outside, 512 + 768 + 169, 200); // T reaches past the record
    put16(manyFields, 47, 60000);         // more descriptors than the file holds
    narrow[512 + 169] = 2;                // a long two bytes wide
    EXPECT_EQ(loadError(noLength), message);
    EXPECT_EQ(loadError(outside), message);
    EXPECT_EQ(loadError(manyFields), message);
    EXPECT_EQ(loadError(narrow), message);
    EXPECT_EQ(loadError(CutCopy(good, 8)), message);
    EXPECT_EQ(loadError(CutCopy(good, 500)), message);
    EXPECT_EQ(loadError(CutCopy(good, 1000)), message);
}

TEST(DBISAMReader, CommittedFixturesAndTheirDamagedCopies)
{
    TDBISAM customers;
    customers.ByRowMode = false;
    customers.LoadFromFile(dbisamData("customers.dat"));
    const TSpreadSheetCells &cells = customers.Sheets.GetSheet(0).Cells;
    EXPECT_EQ(cells.GetCellValue(1, 1).AsString(), "Bob Jones");
    EXPECT_EQ(cells.GetCellValue(7, 0).AsString().size(), 704u);
    EXPECT_EQ(dateText(cells.GetCellValue(8, 0)), "2020-01-09 13:45:30.250");

    TDBISAM legacy;
    legacy.ByRowMode = false;
    legacy.LoadFromFile(dbisamData("legacy.dat"));
    EXPECT_EQ(legacy.Sheets.GetSheet(0).Cells.GetCellValue(4, 0).AsString(), "Keep dry.");

    // Damaged tables and BLOB files: the reader's error or cells, never a crash or hang.
    TempDir dir;
    for (const std::string name : {"customers", "legacy"}) {
        const std::vector<std::uint8_t> table = ReadBytes(dbisamData(name + ".dat"));
        const std::vector<std::uint8_t> blob = ReadBytes(dbisamData(name + ".blb"));
        std::vector<std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>>> copies;
        for (const auto &copy : DamagedCopies(table, 41, 61))
            copies.emplace_back(copy, blob);
        for (const auto &copy : DamagedCopies(blob, 31, 41))
            copies.emplace_back(table, copy);
        for (const auto &[t, b] : copies) {
            WriteFile(dir.File("d.dat"), t);
            WriteFile(dir.File("d.blb"), b);
            TDBISAM reader;
            reader.ByRowMode = false;
            try {
                reader.LoadFromFile(dir.File("d.dat"));
            } catch (const ESpreadSheetError &) {
            } catch (const EVariantError &) {
            }
        }
    }
}
