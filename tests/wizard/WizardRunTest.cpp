#include "FirebirdTestSupport.h"
#include "Files.h"
#include "WizardTestSupport.h"

#include <gtest/gtest.h>

namespace {

// The run the wizard makes once the user has finished: the source of the chosen type gets
// the wizard's settings, imports into the destination and hands its statistic back.
using WizardRunTest = TWizardOverPeople;

TEST_F(WizardRunTest, TheChosenSourceImportsWithTheWizardsSettingsAndItsStatisticComesBack)
{
    WriteFile(dir.File("people.csv"), "Id;Name\r\n1;Ann\r\n2;Bob\r\n");
    wizard.TableType = TTableTypeImport::teText;
    wizard.SourceFileName = dir.File("people.csv");
    wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    wizard.RowFirst = 2;
    wizard.Mappings = {"ID=Field1", "NAME=Field2"};
    wizard.RunImport();
    destination.Transaction.Commit(); // the program's part, once the wizard is done

    EXPECT_EQ(rows(), (std::vector<std::string>{"1:Ann", "2:Bob"}));
    EXPECT_EQ(wizard.Statistic.TotalAdded, 2);
    ASSERT_NE(wizard.LastSource(), nullptr);
    EXPECT_EQ(wizard.LastSource()->TableType, TTableTypeImport::teText);
}

// A source that cannot be opened ends the run with its error, never as a success with no rows.
TEST_F(WizardRunTest, ASourceThatCannotOpenEndsTheRunWithItsError)
{
    struct TCase {
        TTableTypeImport type;
        std::string source;
        std::string table;
    };
    const std::vector<TCase> cases = {
        {TTableTypeImport::teWord, dir.File("missing.docx"), ""},
        {TTableTypeImport::teAccess, dir.File("missing.mdb"), "Customers"},
        {TTableTypeImport::teADO, "DRIVER={No Such Driver};DATABASE=x", "Customers"},
    };
    for (const TCase &c : cases) {
        wizard.TableType = c.type;
        wizard.SourceFileName = c.source;
        wizard.TableName = c.table;
        EXPECT_THROW(wizard.RunImport(), std::exception) << TableTypeStep1Text(c.type);
    }
    EXPECT_TRUE(rows().empty());
}

TEST(WizardTypesTest, CatalogueAndCategories)
{
    EXPECT_EQ(TableTypeStep1Text(TTableTypeImport::teVCalendar), "VCalendar Data file (*.vcs)");
    EXPECT_EQ(TableTypeStep1Text(static_cast<TTableTypeImport>(18)), "unknown");
    const TVxICategories categories;
    EXPECT_TRUE(categories.Formats(TVxICategory::vcWEB).Has(TTableTypeImport::teVCalendar));
    EXPECT_TRUE(categories.Formats(TVxICategory::vcOther).Empty());
    EXPECT_EQ(CategoryCaption(TVxICategory::vcSpreadsheets), "Spreadsheets/Workbooks");
    int offered = 0;
    for (TVxICategory c : {TVxICategory::vcDocuments, TVxICategory::vcSpreadsheets, TVxICategory::vcDatabases,
                           TVxICategory::vcWEB, TVxICategory::vcOther})
        offered += categories.Formats(c).Count();
    EXPECT_EQ(offered, TTableTypeImports::TypeCount); // every type once
    EXPECT_EQ(TVxIWizardDlg().Formats, TTableTypeImports::All());
}

} // namespace
