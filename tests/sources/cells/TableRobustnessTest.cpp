#include "CaseNames.h"
#include "Files.h"
#include "TableRows.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// A table with its companion file (memo or BLOB file), when it has one.
struct Fixture {
    std::string table;
    std::string companion;
    bool paradox;
};

// Failure messages name the files rather than dumping the structure's bytes.
void PrintTo(const Fixture &f, std::ostream *out)
{
    *out << f.table;
    if (!f.companion.empty())
        *out << " with " << f.companion;
}

std::vector<Fixture> fixtures()
{
    return {
        {"people.dbf", "", false},
        {"lo_memo.dbf", "lo_memo.dbt", false},
        {"memotest.dbf", "memotest.FPT", false},
        {"pydbf_db3.dbf", "pydbf_db3.dbt", false},
        {"pydbf_fp.dbf", "pydbf_fp.fpt", false},
        {"pydbf_vfp.dbf", "pydbf_vfp.fpt", false},
        {"pxlib_types.db", "pxlib_types.mb", true},
        {"db-CUSTOMER.DB", "db-CUSTOMER.MB", true},
        {"fields-bcd.db", "", true},
        {"fields-fmemo.db", "fields-fmemo.mb", true},
        {"fields-timestamp.db", "", true},
        {"encrypt-encrypted.db", "", true},
    };
}

std::string fixturePath(const Fixture &f, const std::string &name)
{
    return f.paradox ? ParadoxData(name) : DbfData(name);
}

// Reads every row a damaged copy gives. A reader may refuse the copy with its own error;
// anything else (another exception, a crash, a hang) fails the test.
void readDamaged(const Fixture &f, const std::string &path)
{
    try {
        const TableRows rows = f.paradox ? ReadParadoxRows(path, 20000)
                                         : ReadDbfRows(path, {TVxIRowStatus::rsNormal}, true, 20000);
        EXPECT_LE(rows.size(), 20000u);
    } catch (const ESpreadSheetError &) {
    }
}

// The bytes with one bit flipped at each of count places chosen by a fixed sequence.
std::vector<std::vector<std::uint8_t>> flippedCopies(const std::vector<std::uint8_t> &bytes, int count, unsigned seed)
{
    std::vector<std::vector<std::uint8_t>> copies;
    std::uint32_t state = seed * 2654435761u + 1;
    for (int i = 0; i < count && !bytes.empty(); ++i) {
        state = state * 1664525u + 1013904223u;
        // the header, where lengths and counts live, is hit more often than the rest
        const std::size_t span = i % 2 == 0 ? std::min<std::size_t>(bytes.size(), 2200) : bytes.size();
        copies.push_back(FlippedCopy(bytes, (state >> 8) % span, static_cast<int>(state % 8)));
    }
    return copies;
}

} // namespace

class DamagedTable : public ::testing::TestWithParam<Fixture> {};

TEST_P(DamagedTable, TruncatedCopiesEndTheRowsOrAreRefused)
{
    const Fixture &f = GetParam();
    TempDir dir;
    const std::vector<std::uint8_t> table = ReadBytes(fixturePath(f, f.table));
    std::vector<std::size_t> lengths = {0, 1, 2, 10, 31, 32, 33, 67, 68, 87, 88, 120, 300, 2047, 2048, 2100};
    for (std::size_t n = 1; n < 16; ++n)
        lengths.push_back(table.size() * n / 16);
    lengths.push_back(table.size() - 1);
    for (std::size_t length : lengths) {
        if (length > table.size())
            continue;
        SCOPED_TRACE("table cut to " + std::to_string(length));
        const std::string path = dir.Write(f.table, CutCopy(table, length));
        if (!f.companion.empty())
            dir.Copy(fixturePath(f, f.companion), f.companion);
        readDamaged(f, path);
    }
    if (f.companion.empty())
        return;
    const std::vector<std::uint8_t> companion = ReadBytes(fixturePath(f, f.companion));
    const std::string path = dir.Copy(fixturePath(f, f.table), f.table);
    for (std::size_t n = 0; n < 16; ++n) {
        const std::size_t length = companion.size() * n / 16 + (n % 3);
        SCOPED_TRACE(f.companion + " cut to " + std::to_string(length));
        dir.Write(f.companion, CutCopy(companion, length));
        readDamaged(f, path);
    }
}

TEST_P(DamagedTable, BitFlippedCopiesEndTheRowsOrAreRefused)
{
    const Fixture &f = GetParam();
    TempDir dir;
    const std::vector<std::uint8_t> table = ReadBytes(fixturePath(f, f.table));
    if (!f.companion.empty())
        dir.Copy(fixturePath(f, f.companion), f.companion);
    int i = 0;
    for (const auto &copy : flippedCopies(table, 300, static_cast<unsigned>(table.size()))) {
        SCOPED_TRACE("table flip " + std::to_string(i++));
        readDamaged(f, dir.Write(f.table, copy));
    }
    if (f.companion.empty())
        return;
    const std::string path = dir.Copy(fixturePath(f, f.table), f.table);
    const std::vector<std::uint8_t> companion = ReadBytes(fixturePath(f, f.companion));
    i = 0;
    for (const auto &copy : flippedCopies(companion, 200, static_cast<unsigned>(companion.size()))) {
        SCOPED_TRACE("companion flip " + std::to_string(i++));
        dir.Write(f.companion, copy);
        readDamaged(f, path);
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DamagedTable, ::testing::ValuesIn(fixtures()),
                         [](const ::testing::TestParamInfo<Fixture> &testCase) {
                             return FileCaseName(testCase.param.table);
                         });

// Counts and lengths that claim far more than the file holds: the reader takes what is there.
TEST(DamagedTable, ClaimsBeyondTheFileAreNotBelieved)
{
    TempDir dir;
    std::vector<std::uint8_t> people = ReadBytes(DbfData("people.dbf"));
    people[4] = people[5] = people[6] = people[7] = 0xFF; // four billion records
    EXPECT_EQ(ReadDbfRows(dir.Write("many.dbf", people)).size(), 2u);

    std::vector<std::uint8_t> zeroLength = ReadBytes(DbfData("people.dbf"));
    zeroLength[10] = zeroLength[11] = 0; // records of no length would never advance
    EXPECT_THROW(ReadDbfRows(dir.Write("zero.dbf", zeroLength)), ESpreadSheetError);

    std::vector<std::uint8_t> areas = ReadBytes(ParadoxData("db-AREACODES.DB"));
    areas[6] = areas[7] = areas[8] = areas[9] = 0xFF;
    EXPECT_EQ(ReadParadoxRows(dir.Write("areas.db", areas)).size(), 370u);
}
