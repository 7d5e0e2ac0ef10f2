// Access databases written by Access (tests/data/access), read through mdbtools in a
// process of its own: values of every kind against what mdbtools' own export gives,
// the dates it gets wrong, and damaged files that must end in an error, not a crash or
// a hang.

#include "CellText.h"
#include "Files.h"
#include "TempDir.h"
#include "TestData.h"
#include "sources/access/AccessDatabase.h"
#include "sources/access/VxI2Access.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <fstream>
#include <unistd.h>

namespace {

using sources::access::EAccessError;
using sources::access::TAccessDatabase;

std::string accessFile(const std::string &name) { return TestDataFolder("access") + "/" + name; }

// Every record as its values' texts with their kinds, joined by "|".
std::vector<std::string> records(TRecordset &table)
{
    std::vector<std::string> rows;
    for (table.MoveFirst(); !table.Eof(); table.MoveNext()) {
        std::string row;
        for (std::size_t i = 0; i < table.Fields().size(); ++i) {
            const Variant value = table.Value(static_cast<int>(i));
            row += (i ? "|" : "") + ValueText(value);
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(AccessReader, ValuesOfEveryKind)
{
    const TAccessDatabase database(accessFile("testV1997.mdb"));
    EXPECT_EQ(database.TableNames(), (std::vector<std::string>{"Table1", "Table2", "Table3", "Table4"}));
    const auto table = database.OpenTable("table1"); // names ignore case, as Access does
    std::vector<std::pair<std::string, TVxIDataType>> fields;
    for (const TRecordsetField &f : table->Fields())
        fields.emplace_back(f.Name, f.DataType);
    EXPECT_EQ(fields, (std::vector<std::pair<std::string, TVxIDataType>>{{"A", TVxIDataType::itString},
                                                                         {"B", TVxIDataType::itString},
                                                                         {"C", TVxIDataType::itInteger},
                                                                         {"D", TVxIDataType::itInteger},
                                                                         {"E", TVxIDataType::itInteger},
                                                                         {"F", TVxIDataType::itFloat},
                                                                         {"G", TVxIDataType::itDateTime},
                                                                         {"H", TVxIDataType::itFloat},
                                                                         {"I", TVxIDataType::itBoolean}}));
    EXPECT_EQ(table->RecordCount(), 2);
    EXPECT_EQ(records(*table),
              (std::vector<std::string>{
                  "String:a|String:b|Integer:0|Integer:0|Integer:0|Double:0|Date:1981-12-12 00:00:00|Double:0|"
                  "Boolean:False",
                  "String:abcdefg|String:hijklmnop|Integer:2|Integer:222|Integer:333333333|Double:444.555|"
                  "Date:1974-09-21 00:00:00|Double:3.5|Boolean:True"}));
    // Read forward only: the first record again is a new reading.
    EXPECT_EQ(records(*table).size(), 2u);
}

TEST(AccessReader, TextsMemosAndDatesMdbtoolsGetsWrong)
{
    const auto unicode = TAccessDatabase(accessFile("testUnicodeCompV2003.mdb")).OpenTable("Table");
    const std::vector<std::string> texts = records(*unicode);
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[2], "Integer:3|String:\u041C\u0438\u0440");
    EXPECT_EQ(texts[4], "Integer:5|String:\u6F22\u5B57\u4EEE\u540D\u4EA4\u3058\u308A\u6587");

    const auto memos = TAccessDatabase(accessFile("complexDataTestV2007.accdb")).OpenTable("Table1");
    EXPECT_EQ(memos->Fields()[2].DataType, TVxIDataType::itMEMO);
    const std::vector<std::string> rows = records(*memos);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2].substr(0, rows[2].find("|String:row3-memo|") + 17), "String:row3|String:3|String:row3-memo");

    // Characters beyond 16 bits, which mdbtools turns into "??".
    const auto emoji = TAccessDatabase(accessFile("testEmoticonsV2010.accdb")).OpenTable("data");
    EXPECT_EQ(records(*emoji).front(), "Integer:128512|String:a\U0001F600a");

    // Access 2019's extended dates, which mdbtools leaves empty.
    const auto extended = TAccessDatabase(accessFile("extDateTestV2019.accdb")).OpenTable("Table1");
    EXPECT_EQ(extended->Fields()[2].DataType, TVxIDataType::itDateTime);
    const std::vector<std::string> stamps = records(*extended);
    ASSERT_EQ(stamps.size(), 9u);
    EXPECT_EQ(stamps[2].substr(0, 46), "Integer:3|String:row3|Date:2021-06-14 12:45:00");
    EXPECT_EQ(stamps[8].substr(0, 46), "Integer:8|String:row8|Date:0100-06-14 12:45:00");

    // mdbtools' text of a date before 1900 is 1900-01-00; the stored day count is not.
    const auto old = TAccessDatabase(accessFile("oldDatesV2007.accdb")).OpenTable("Table1");
    EXPECT_EQ(records(*old),
              (std::vector<std::string>{"Integer:1|Date:1582-10-15 00:00:00", "Integer:2|Date:1582-10-14 00:00:00",
                                        "Integer:3|Date:1492-01-10 00:00:00", "Integer:4|Date:1392-01-10 00:00:00"}));
}

TEST(AccessReader, WhatCannotBeReadIsSaid)
{
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {accessFile("testV1997.mdb"), "no table \"Nobody\""},
        {dir.File("missing.mdb"), "missing.mdb"},
        {accessFile("db2007-enc.accdb"), "encrypted"},
    };
    for (const auto &[file, message] : cases) {
        try {
            TAccessDatabase(file).OpenTable("Nobody");
            ADD_FAILURE() << file;
        } catch (const EAccessError &e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(AccessTableNames(""), EVxIError);
    EXPECT_THROW(AccessTableNames(dir.File("missing.mdb")), EVxIError);
}

// Ends the reading processes this one has started.
void killReaders()
{
    DIR *tasks = opendir("/proc/self/task");
    ASSERT_NE(tasks, nullptr);
    while (const dirent *task = readdir(tasks)) {
        std::ifstream children(std::string("/proc/self/task/") + task->d_name + "/children");
        for (pid_t pid = 0; children >> pid;)
            kill(pid, SIGKILL);
    }
    closedir(tasks);
}

// Reading processes serve one read after another: one left mid-answer is not given the
// next, a read while another is under way gets a process of its own, and an idle one that
// has gone is replaced.
TEST(AccessReader, AReaderThatDiesOrIsLeftMidAnswerIsReplaced)
{
    const TAccessDatabase database(accessFile("testV1997.mdb"));
    const std::vector<std::string> whole = records(*database.OpenTable("Table1"));
    ASSERT_EQ(whole.size(), 2u);

    auto open = database.OpenTable("Table1");
    open->MoveFirst();
    EXPECT_EQ(database.TableNames().size(), 4u);
    EXPECT_EQ(records(*database.OpenTable("Table1")), whole);
    open->MoveNext();
    EXPECT_FALSE(open->Eof());
    open.reset(); // left before its end

    killReaders(); // the idle ones, as the system may end them
    EXPECT_EQ(records(*database.OpenTable("Table1")), whole);
    EXPECT_EQ(database.TableNames().size(), 4u);
}

// Damaged databases: mdbtools may loop or crash on them; the reading process is stopped
// and the read ends with an error, or gives records.
TEST(AccessReader, DamagedCopiesEndInAnErrorOrRecords)
{
    TempDir dir;
    for (const std::string name : {"testV1997.mdb", "acc95.mdb"}) {
        const std::vector<std::uint8_t> bytes = ReadBytes(accessFile(name));
        for (const std::vector<std::uint8_t> &copy : DamagedCopies(bytes, 8, 24)) {
            WriteFile(dir.File("d.mdb"), copy);
            TAccessDatabase database(dir.File("d.mdb"));
            database.SilenceLimitMilliseconds = 2000;
            try {
                for (const std::string &table : database.TableNames())
                    records(*database.OpenTable(table));
            } catch (const EAccessError &) {
            }
        }
    }
}

} // namespace
