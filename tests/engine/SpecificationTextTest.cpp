#include "ListSource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <utility>
#include <vector>

namespace {

TEST(SpecificationText, WrittenLineByLineWithCarriageReturns)
{
    TListSource c;
    c.TableName = "CUSTOMER";
    c.DatasetKeys = "ID";
    c.Mode = TImportMode::imAppendUpdate;
    c.TableType = TTableTypeImport::teText;
    c.SourceFileName = "C:\\data\\customers.csv";
    c.Mappings = {"ID=Field1", "NAME=Field2"};
    c.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    c.RowFirst = 2;
    c.DataFormats.DateOrder = TVxIDateOrder::doDMY;
    c.DataFormats.DateSeparator = '/';
    c.DataFormats.TimeSeparator = ':';
    c.DataFormats.ThousandSeparator = ' ';
    c.DataFormats.DecimalSeparator = ',';
    c.DataFormats.CurrencyString = "EUR";
    c.DataFormats.FourDigitYear = true;
    c.DataFormats.LeadingZerosInDate = true;
    c.DataFormats.CustomDateTimeFormat.clear();
    std::ostringstream out;
    c.WriteSpecification(out, "Customers");
    const char *expected[] = {"[Common]",
                              "App=Ferrovane",
                              "Description=VxImport: specification",
                              "Specification=Customers",
                              "TableName=CUSTOMER",
                              "DatasetKeys=ID",
                              "Mode=2",
                              "TableType=Text",
                              "SourceFileName=C:\\data\\customers.csv",
                              "CharacterSet=0",
                              "CommitCount=300",
                              "[Mappings]",
                              "Count=2",
                              "Map0=ID=Field1",
                              "Map1=NAME=Field2",
                              "[Text]",
                              "FieldDelimiter=3B",
                              "TextQualifier=22",
                              "RecordSeparator=0D0A",
                              "Fixed=0",
                              "TrimSpaces=0",
                              "RowFirst=2",
                              "RowLast=2147483647",
                              "RowFieldNames=1",
                              "[DataFormat]",
                              "DateOrder=1",
                              "DateSeparator=2F",
                              "TimeSeparator=3A",
                              "ThousandSeparator=20",
                              "DecimalSeparator=2C",
                              "CurrencyString=EUR",
                              "FourDigitYear=1",
                              "LeadingZerosInDate=1",
                              "CustomDateTimeFormat=",
                              "BooleanTrue=True",
                              "BooleanFalse=False",
                              "UseRegionalSettings=0",
                              "[Condition]",
                              "LoadWhen=",
                              "SkipIf="};
    std::string text;
    for (const char *line : expected)
        text += std::string(line) + "\r\n";
    EXPECT_EQ(out.str(), text);
}

TEST(SpecificationText, TableTypesByName)
{
    TTableTypeImport t = TTableTypeImport::teText;
    EXPECT_TRUE(TableTypeFromName("dbase", t));
    EXPECT_EQ(t, TTableTypeImport::teDBase);
    EXPECT_STREQ(TableTypeName(TTableTypeImport::teVCalendar), "VCalendar");
    EXPECT_FALSE(TableTypeFromName("Spreadsheet", t));
}

// A file of twelve thousand mappings once took half a minute: every key looked through every line.
TEST(SpecificationText, ManyMappingsAndTheFirstLineOfAName)
{
    TStringList lines;
    lines.Add("[Common]");
    lines.Add("tablename=FIRST");
    lines.Add("TableName=SECOND");
    lines.Add("[Mappings]");
    for (int i = 0; i < 12000; ++i)
        lines.Add("Map" + std::to_string(i) + "=F" + std::to_string(i) + "=Field" + std::to_string(i + 1));
    TListSource c;
    c.ReadSpecification(lines);
    ASSERT_EQ(c.Mappings.Count(), 12000);
    EXPECT_EQ(c.Mappings[11999], "F11999=Field12000");
    EXPECT_EQ(c.TableName, "FIRST"); // names ignore case; the first line counts
}

// Remembers what the save dialog would have shown; then the user types something else
// and cancels.
class TProposalHost : public TVxIRecordingHost {
public:
    bool AskSpecificationFile(std::string &specName, std::string &fileName) override
    {
        Proposed = {specName, fileName};
        specName = fileName = "typed, then cancelled";
        return false;
    }
    std::pair<std::string, std::string> Proposed;
};

struct ProposalCase {
    const char *name;
    std::string specificationDir, specName, fileName;
    std::pair<std::string, std::string> proposed;
};

TEST(SpecificationText, TheSaveDialogProposesANameAndAFileInTheSpecificationFolder)
{
    const std::string given = (std::filesystem::temp_directory_path() / "ferrovane-given.vxi").string();
    const std::vector<ProposalCase> cases = {
        {"folder", "specifications/", "", "", {"Import specification", "specifications/cust.vxi"}},
        {"program folder", "", "", "", {"Import specification", ProgramFolder() + "cust.vxi"}},
        {"given", "specifications/", "Clients", given, {"Clients", given}},
    };
    for (const ProposalCase &c : cases) {
        SCOPED_TRACE(c.name);
        TProposalHost host;
        TListSource source;
        source.Host = &host;
        source.SourceFileName = "/data/cust.csv";
        source.SpecificationDir = c.specificationDir;
        bool saved = false;
        source.OnBeforeSaveSpecification = [&](TVxImportBaseComponent *, std::string &) { saved = true; };
        source.SaveSpecification(c.specName, c.fileName, true);
        EXPECT_EQ(host.Proposed, c.proposed);
        // Cancelled: the names passed in stay, and without them nothing is written.
        EXPECT_EQ(saved, !c.specName.empty());
        if (saved)
            std::filesystem::remove(c.fileName);
    }
    // The program's folder is the one this test runs from.
    EXPECT_TRUE(std::filesystem::is_regular_file(ProgramFolder() + "engine_tests"));
}

} // namespace
