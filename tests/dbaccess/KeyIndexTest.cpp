#include "dbaccess/IBKeyIndex.h"

#include <gtest/gtest.h>

namespace {

std::string first(const TIBKeyIndex::TValues *values) { return values ? values->front().AsString() : "<none>"; }

TEST(KeyIndex, TheFirstOfEqualKeysIsFoundAndWritesComeAndGo)
{
    TIBKeyIndex index;
    for (const char *row : {"b=1", "a=2", "b=3", "c=4"})
        index.AddRead(std::string_view(row, 1), {Variant(std::string(row + 2))});
    index.FinishReading();
    EXPECT_EQ(first(index.Find("b")), "1"); // the table's first row of the key
    EXPECT_EQ(first(index.Find("a")), "2");
    EXPECT_EQ(first(index.Find("z")), "<none>");

    TIBKeyIndex::TValues taken;
    ASSERT_TRUE(index.Erase("b", taken));
    EXPECT_EQ(taken.front().AsString(), "1");
    EXPECT_FALSE(index.Erase("b", taken));
    EXPECT_EQ(index.Find("b"), nullptr);
    EXPECT_TRUE(index.Add("b", {Variant(std::string("5"))})); // a deleted key written again
    EXPECT_EQ(first(index.Find("b")), "5");
    EXPECT_FALSE(index.Add("b", {Variant(std::string("6"))}));

    EXPECT_TRUE(index.Add("m", {Variant(std::string("7"))})); // a key new to the table
    EXPECT_EQ(first(index.Find("m")), "7");
    ASSERT_TRUE(index.Erase("m", taken));
    EXPECT_EQ(index.Find("m"), nullptr);
}

TEST(KeyIndex, KeysWithoutValuesAndAnEmptyTable)
{
    TIBKeyIndex empty;
    empty.FinishReading();
    EXPECT_EQ(empty.Find("a"), nullptr);
    EXPECT_TRUE(empty.Add("a", {}));
    EXPECT_NE(empty.Find("a"), nullptr);

    TIBKeyIndex keys;
    for (const char *key : {"q", "p", "r"})
        keys.AddRead(key, {});
    keys.FinishReading();
    EXPECT_NE(keys.Find("p"), nullptr);
    EXPECT_TRUE(keys.Find("p")->empty());
}

} // namespace
