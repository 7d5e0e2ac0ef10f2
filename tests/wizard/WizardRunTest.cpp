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

TEST_F(WizardRunTest, ATypeWithoutAReaderIsRefusedByItsName)
{
    for (TTableTypeImport type : {TTableTypeImport::teWord, TTableTypeImport::teADO}) {
        wizard.TableType = type;
        try {
            wizard.RunImport();
            ADD_FAILURE() << TableTypeStep1Text(type);
        } catch (const EVxIError &e) {
            EXPECT_NE(std::string(e.what()).find(TableTypeStep1Text(type)), std::string::npos) << e.what();
        }
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
