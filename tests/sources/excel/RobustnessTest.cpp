#include "CaseNames.h"
#include "Files.h"
#include "TempDir.h"
#include "TestData.h"
#include "sources/excel/VxI2XLS.h"
#include "sources/excel/VxXLS.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

namespace {

// Loads a damaged copy: it may read, or fail with the reader's error, nothing else.
void loadDamaged(const std::string &extension, const std::vector<std::uint8_t> &bytes, const std::string &what)
{
    TempFile file("damaged" + extension, std::string(bytes.begin(), bytes.end()));
    auto reader = CreateExcelReader(file.path());
    try {
        reader->LoadFromFile(file.path());
    } catch (const ESpreadSheetError &e) {
        EXPECT_STRNE(e.what(), "") << what;
    } catch (const std::exception &e) {
        ADD_FAILURE() << what << ": not the reader's error: " << e.what();
    }
}

// Every workbook of the data folder, by its file name.
std::vector<std::string> fixtures()
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(TestDataFolder("xls"))) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".xls" || ext == ".xlsx")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class DamagedFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(DamagedFixture, TruncatedCopiesNeverCrash)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(XlsData(GetParam()));
    const std::string ext = std::filesystem::path(GetParam()).extension().string();
    const std::size_t n = bytes.size();
    for (std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{8}, std::size_t{512}, std::size_t{520},
                               n / 4, n / 2, n * 3 / 4, n - 100, n - 1}) {
        if (length >= n)
            continue;
        loadDamaged(ext, CutCopy(bytes, length), "cut at " + std::to_string(length));
    }
}

TEST_P(DamagedFixture, BitFlippedCopiesNeverCrash)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(XlsData(GetParam()));
    const std::string ext = std::filesystem::path(GetParam()).extension().string();
    std::uint32_t seed = 2463534242u; // the same flips on every run
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    for (int i = 0; i < 60; ++i) {
        // half of the flips land past the container's header, among the records
        const std::size_t from = (i % 2 == 0 && bytes.size() > 1024) ? 512 : 0;
        const std::size_t at = from + next() % (bytes.size() - from);
        const int bit = static_cast<int>(next() % 8);
        loadDamaged(ext, FlippedCopy(bytes, at, bit), "bit " + std::to_string(bit) + " at " + std::to_string(at));
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DamagedFixture, ::testing::ValuesIn(fixtures()), NameAfterFile());
