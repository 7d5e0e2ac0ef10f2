// A web page's table and an XML data packet imported through the wizard the way a user
// goes: type chosen, file named, the first data row typed, the preview and the proposed
// mappings looked at, executed; then the rows in the table.

#include "FirebirdTestSupport.h"
#include "TestData.h"
#include "WizardTestSupport.h"

#include <gtest/gtest.h>

namespace {

using WizardMarkupTest = TWizardOverPeople;

TEST_F(WizardMarkupTest, TheTableOfASavedPageMappedByItsHeaderRow)
{
    wizard.TableType = TTableTypeImport::teHTML;
    std::vector<int> steps;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 2, steps);
        TypeInto(ui.edFileName, QString::fromStdString(HtmlData("browser-saved.html")));
        NextTo(window, ui, 4, steps);
        TypeInto(ui.edFirstRow, "2");
        NextTo(window, ui, 6, steps);
        ASSERT_EQ(window.CurrentStep(), 6);
        // The file preview shows the page's cells, one column per cell.
        EXPECT_EQ(ui.sgPreviewFile->columnCount(), 5);
        EXPECT_EQ(ui.sgPreviewFile->item(2, 2)->text(), "Smith & Sons");
        // The header row's names found the destination's fields.
        EXPECT_EQ(window.MappingList(), (TStringList{"ID=Field1", "NAME=Field2"}));
        NextTo(window, ui, 9, steps);
        steps.push_back(window.CurrentStep());
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 4, 6, 7, 8, 9}));
    EXPECT_EQ(rows(),
              (std::vector<std::string>{"1:Smith & Sons", "2:Ann bold Lee", "3:Bob \"Bobby\" Ray", "4:x < y Ltd"}));
}

TEST_F(WizardMarkupTest, ADataPacketMappedByItsFieldList)
{
    wizard.TableType = TTableTypeImport::teXML;
    wizard.SourceFileName = XmlData("datapacket.xml");
    std::vector<int> steps;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 6, steps);
        ASSERT_EQ(window.CurrentStep(), 6);
        EXPECT_EQ(ui.sgPreviewFile->columnCount(), 7);
        EXPECT_EQ(ui.sgPreviewFile->item(4, 2)->text(), "Zed");
        EXPECT_EQ(window.MappingList().Text(), "ID=ID\r\nNAME=NAME\r\n");
        NextTo(window, ui, 9, steps);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 4, 6, 7, 8}));
    EXPECT_EQ(rows(), (std::vector<std::string>{"1:Ann", "2:Tom & Jerry", "3:Zed"}));
}

} // namespace
