#include "FirebirdTestSupport.h"
#include "Files.h"
#include "WizardTestSupport.h"

#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

class WizardWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("wizard.fdb");
        CreateDatabase(path, {"CREATE TABLE PEOPLE (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20))"});
        destination.Open(path, "PEOPLE", {"insert into PEOPLE (ID, NAME) values (:ID, :NAME)"}, {}, {});
        wizard.DataSet = &destination.Query;
        wizard.Host = &host;
    }

    std::vector<std::string> rows() { return QueryColumn(path, "SELECT ID || ':' || NAME FROM PEOPLE ORDER BY ID"); }

    TempDir dir;
    std::string path;
    TestDestination destination;
    TVxIRecordingHost host;
    TVxIWizardDlg wizard;
};

TEST_F(WizardWindowTest, ADelimitedFileWithAHeaderRowIsImportedStepByStep)
{
    const std::string file = dir.File("people.csv");
    WriteFile(file, "Id;Name\r\n1;Ann\r\n2;Bob\r\n");
    std::vector<int> steps;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        steps.push_back(window.CurrentStep());
        Click(ui.btnNext);
        TypeInto(ui.edFileName, QString::fromStdString(file));
        steps.push_back(window.CurrentStep());
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        Click(ui.rgSeparator->Button(1)); // Semicolon (;)
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        TypeInto(ui.edFirstRow, "2");
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        Click(ui.imgAutoArrange);
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        EXPECT_EQ(ui.btnCancel->text(), "Execute");
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();

    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 6, 7, 8, 9}));
    EXPECT_EQ(rows(), (std::vector<std::string>{"1:Ann", "2:Bob"}));
    EXPECT_EQ(wizard.Statistic.TotalAdded, 2);
    EXPECT_EQ(wizard.Mappings.Text(), "ID=Field1\r\nNAME=Field2\r\n");
}

} // namespace
