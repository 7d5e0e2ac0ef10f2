#include "engine/RunGlobals.h"
#include "engine/VxIHost.h"
#include "ListSource.h"
#include "engine/MemoryDataSet.h"

#include <gtest/gtest.h>

namespace {

TFormatSettings DayFirstWithDecimalComma()
{
    TFormatSettings fs;
    fs.ShortDateFormat = "dd.MM.yyyy";
    fs.DateSeparator = '.';
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    return fs;
}

TEST(RunGlobalsTest, ARunUsesItsOwnSettingsFunctionsAndHostAndLeavesTheOnesBefore)
{
    const TFormatSettings before = RegionalSettings::current();
    TVxIHost *hostBefore = &DefaultHost();
    TVxIParserFunctions functions;
    functions.Add("TWICE(x)=x*2");
    TVxIRecordingHost host;
    {
        TRunGlobals run(DayFirstWithDecimalComma(), &host, std::move(functions));
        EXPECT_EQ(ParserFunctions().FindByName("SQR1"), nullptr);

        TMemoryDataSet destination(
            {{"ID", TFieldType::ftInteger}, {"BORN", TFieldType::ftDate}, {"AMOUNT", TFieldType::ftFloat}});
        TListSource source; // no host of its own: the run's
        source.DataSet = &destination;
        source.Mappings = {"ID=TWICE(STRTOINT(Field1))", "BORN=Field2", "AMOUNT=Field3"};
        source.Rows = {{"21", "31.12.2020", "1,5"}};
        source.Execute();

        EXPECT_EQ(source.Statistic.Result, TVxIResult::irExecuted);
        ASSERT_EQ(destination.Rows.size(), 1u);
        EXPECT_EQ(destination.Rows[0][0].AsInteger(), 42);
        EXPECT_EQ(destination.Rows[0][1].AsString(), "31.12.2020");
        EXPECT_DOUBLE_EQ(destination.Rows[0][2].AsDouble(), 1.5);
        EXPECT_FALSE(host.Log.empty());
    }
    EXPECT_NE(ParserFunctions().FindByName("SQR1"), nullptr);
    EXPECT_EQ(ParserFunctions().FindByName("TWICE"), nullptr);
    EXPECT_EQ(&DefaultHost(), hostBefore);
    EXPECT_EQ(RegionalSettings::current().ShortDateFormat, before.ShortDateFormat);
    EXPECT_EQ(RegionalSettings::current().DecimalSeparator, before.DecimalSeparator);
}

} // namespace
