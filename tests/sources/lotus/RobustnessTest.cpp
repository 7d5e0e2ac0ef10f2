// Damaged copies of every real fixture: the reader's error or cells, never a crash or hang.

#include "Files.h"
#include "TestData.h"
#include "sources/lotus/VxWKS.h"
#include "sources/lotus/VxWQ.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

template <class TReader> void readDamagedCopies(const std::string &folder)
{
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(TestDataFolder(folder))) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md")
            continue;
        ++files;
        const std::vector<std::uint8_t> bytes = ReadBytes(entry.path().string());
        for (const std::vector<std::uint8_t> &copy : DamagedCopies(bytes, 41, 61)) {
            std::istringstream stream(std::string(copy.begin(), copy.end()));
            TReader reader;
            try {
                reader.LoadFromStream(stream);
            } catch (const ESpreadSheetError &) {
                // refused with the reader's own message
            }
        }
    }
    EXPECT_GT(files, 5);
}

} // namespace

TEST(LotusRobustness, DamagedWorksheetsGiveTheirErrorOrCells) { readDamagedCopies<TLotus123>("lotus"); }

TEST(QuattroRobustness, DamagedNotebooksGiveTheirErrorOrCells) { readDamagedCopies<TQuattroPro>("quattro"); }
